"""Loads built from the model: self-weight, named load cases, combinations with factors and
their envelope."""

from dataclasses import dataclass

import numpy as np

from ._errors import DATA_ERROR, Error
from ._model import _reals
from ._run import solve_many


def self_weight(model, density, gravity=(0.0, 0.0, -9.81)):
    """An n x 3 load array: each bar's weight rho A L g (L its undeformed length), half at each
    end node. On a prescribed component the share stays in the loads, so the run's reaction
    there carries it."""
    g = _reals(gravity, "gravity")
    if g.shape != (3,) or not np.isfinite(g).all() or not np.isfinite(density):
        raise Error(DATA_ERROR, f"self_weight: a finite density and three finite gravity components are "
                                f"expected, not {density!r} and {gravity!r}")
    return model._held().self_weight(float(density), float(g[0]), float(g[1]), float(g[2]))


def combined_loads(cases, factors):
    """The sum of factor x case over the combination, in its order."""
    total = None
    for name, factor in factors.items():
        if name not in cases:
            raise Error(DATA_ERROR, f"the combination names the load case {name!r}, which is not among "
                                    f"{sorted(cases)}")
        term = float(factor) * np.asarray(cases[name], dtype=np.float64)
        total = term if total is None else total + term
    return total


def _or(value, default):
    return default if value is None else value


@dataclass
class Envelope:
    """Per bar the largest tension and the largest compression (the most negative axial
    force), per node the largest displacement (its length), each with the combination that
    governs it: the first, in the combinations' order, that reaches it. A bar never in
    tension has tension 0.0 governed by None; likewise for compression, and a node that no
    combination moves."""
    tension: np.ndarray
    tension_by: list
    compression: np.ndarray
    compression_by: list
    displacement: np.ndarray
    displacement_by: list


@dataclass
class Combinations:
    """One Result per combination, by name, in the combinations' order, and their envelope."""
    results: dict
    envelope: Envelope


def _extremes(values_by_name, larger):
    """Per entry the extreme of the values and the first name that reaches it."""
    best, by = None, None
    for name, values in values_by_name.items():
        if best is None:
            best = np.zeros_like(values)
            by = [None] * len(values)
        for i in np.flatnonzero(larger(values, best)):
            best[i] = values[i]
            by[i] = name
    return best, by


def envelope_of(results):
    forces = {name: r.axial_forces for name, r in results.items()}
    lengths = {name: np.sqrt((r.displacements * r.displacements).sum(axis=1)) for name, r in results.items()}
    tension, tension_by = _extremes(forces, lambda v, best: v > best)
    compression, compression_by = _extremes(forces, lambda v, best: v < best)
    displacement, displacement_by = _extremes(lengths, lambda v, best: v > best)
    return Envelope(tension, tension_by, compression, compression_by, displacement, displacement_by)


def solve_combinations(model, cases, combinations, workers=None):
    """Solves each combination as its own nonlinear run from the unloaded shape, no
    superposition: its loads are the sum of factor x load case (n x 3 arrays, e.g. from
    self_weight or point_loads), which replace the model's own loads; the prescribed
    displacements stay. `cases` maps names to load arrays, `combinations` names to
    {case: factor}. The runs go side by side on `workers` threads."""
    if not combinations:
        raise Error(DATA_ERROR, "no combination to solve")
    unloaded = np.zeros((model.node_count, 3))
    models = [model.with_loads(_or(combined_loads(cases, factors), unloaded)) for factors in combinations.values()]
    results = dict(zip(combinations, solve_many(models, workers)))
    return Combinations(results, envelope_of(results))
