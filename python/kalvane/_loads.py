"""Loads built from the model: self-weight, named load cases, combinations with factors and
their envelope."""

from collections.abc import Mapping
from concurrent.futures import Executor
from dataclasses import dataclass
from typing import Any, Callable, Optional

import numpy as np
import numpy.typing as npt

from ._errors import DATA_ERROR, Error, _shown
from ._model import Model, _finite_real, _reals
from ._result import Result
from ._run import _held, _is_model, _method, _structure_of, solved_each


def self_weight(model: Model, density: float, gravity: npt.ArrayLike = (0.0, 0.0, -9.81)) -> np.ndarray:
    """An n x 3 load array: each bar's weight rho A L g (L its rest length, as the materials'
    own weight takes it), half at each end node. On a prescribed component the share stays in
    the loads, so the run's reaction there carries it."""
    _is_model(model, "model")
    structure = model._structure()
    if _finite_real(density) is None:
        raise Error(DATA_ERROR, f"density: a finite number is expected, not {_shown(density)}")
    # A negative density would turn the weight upward: refused as a material's negative weight is.
    if density < 0:
        raise Error(DATA_ERROR, f"density: the mass per unit volume must be zero or positive and finite, "
                                f"not {_shown(density)}")
    g = _reals(gravity, "gravity")
    if g.shape != (3,) or not np.isfinite(g).all():
        raise Error(DATA_ERROR, f"gravity: three finite components are expected, not {gravity!r}")
    return structure.self_weight(float(density), (float(g[0]), float(g[1]), float(g[2])))


_AXES = "xyz"


def checked_cases(cases: Any, node_count: int) -> dict[str, np.ndarray]:
    """Each load case as a finite node_count x 3 array; a fault names the case."""
    if not isinstance(cases, Mapping):
        raise Error(DATA_ERROR, f"cases: a dict of load arrays by name is expected, not {_shown(cases)}")
    checked = {}
    for name, loads in cases.items():
        what = f"load case {name!r}"
        a = _reals(loads, what, 3)
        if len(a) != node_count:
            raise Error(DATA_ERROR, f"{what}: {node_count} rows (one per node) of 3 components are expected, "
                                    f"not an array of shape {a.shape}")
        bad = ~np.isfinite(a)
        if bad.any():
            row, column = np.argwhere(bad)[0]
            raise Error(DATA_ERROR, f"{what}: the {_AXES[column]} component of node {row + 1} is {a[row, column]!r}, "
                                    f"not a finite number")
        checked[name] = a
    return checked


def combined_loads(cases: Mapping[str, np.ndarray], factors: Any, combination: str) -> Optional[np.ndarray]:
    """The sum of factor x case over the combination, in its order (None for no case); a
    component that sums to zero is +0.0, which holds no load row."""
    what = f"combination {combination!r}"
    if not isinstance(factors, Mapping):
        raise Error(DATA_ERROR, f"{what}: a dict of factors by load case is expected, not {_shown(factors)}")
    total = None
    for name, factor in factors.items():
        if name not in cases:
            raise Error(DATA_ERROR, f"{what} names the load case {name!r}, which is not among {sorted(cases)}")
        if _finite_real(factor) is None:
            raise Error(DATA_ERROR, f"{what}: the factor of load case {name!r} is {factor!r}, not a finite number")
        # Finite factors and cases can still overflow: told below, by the combination's name.
        with np.errstate(over="ignore", invalid="ignore"):
            term = float(factor) * cases[name]
            total = term if total is None else total + term
    if total is not None and not np.isfinite(total).all():
        row, column = np.argwhere(~np.isfinite(total))[0]
        raise Error(DATA_ERROR, f"{what}: the combined load overflowed: its {_AXES[column]} component at node {row + 1} "
                                f"is {total[row, column]!r}, past the largest real number")
    # A zero under a negative factor is -0.0, which with_loads keeps as a load row: + 0.0
    # makes it +0.0 and leaves every other value's bits as they are.
    return None if total is None else total + 0.0


def _or(value: Optional[np.ndarray], default: np.ndarray) -> np.ndarray:
    return default if value is None else value


@dataclass
class Envelope:
    """Per bar the largest tension and the largest compression (the most negative axial
    force), per node the largest displacement (its length), each with the combination that
    governs it: the first, in the combinations' order, that reaches it. A bar never in
    tension has tension 0.0 governed by None; likewise for compression, and a node that no
    combination moves. slack_under gives per bar the names of the combinations under which
    it is slack (a cable shorter than its rest length, carrying nothing), in the
    combinations' order: [] for a bar taut under every one."""
    tension: np.ndarray
    tension_by: list
    compression: np.ndarray
    compression_by: list
    displacement: np.ndarray
    displacement_by: list
    slack_under: list


@dataclass
class Combinations:
    """One Result per combination, by name, in the combinations' order, and their envelope."""
    results: dict
    envelope: Envelope


def _extremes(values_by_name: dict[str, np.ndarray], larger: Callable) -> tuple[np.ndarray, list]:
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


def envelope_of(results: dict[str, Result]) -> Envelope:
    forces = {name: r.axial_forces for name, r in results.items()}
    lengths = {name: np.sqrt((r.displacements * r.displacements).sum(axis=1)) for name, r in results.items()}
    tension, tension_by = _extremes(forces, lambda v, best: v > best)
    compression, compression_by = _extremes(forces, lambda v, best: v < best)
    displacement, displacement_by = _extremes(lengths, lambda v, best: v > best)
    bars = len(next(iter(forces.values()))) if forces else 0
    slack_under = [[name for name, r in results.items() if r.slack[b]] for b in range(bars)]
    return Envelope(tension, tension_by, compression, compression_by, displacement, displacement_by, slack_under)


def solve_combinations(model: Model, cases: Mapping[str, npt.ArrayLike],
                       combinations: Mapping[str, Mapping[str, float]], workers: Optional[int] = None,
                       executor: Optional[Executor] = None, method: str = "path") -> Combinations:
    """Solves each combination as its own nonlinear run, no superposition (by `method`, as
    solve: the path's equilibrium by default, or kalvane's L-BFGS from the unloaded shape): its loads are the sum of factor x load case (n x 3 arrays, e.g. from
    self_weight or point_loads), which replace the model's own loads; the prescribed
    displacements stay. `cases` maps names to load arrays, `combinations` names to
    {case: factor}. The runs go side by side on `workers` threads, or to `executor` (a
    concurrent.futures.Executor, e.g. a Dask cluster's), as solve_many sends them."""
    method = _method(method)
    if method == "lbfgs":
        _held(model, "model")
    else:
        _structure_of(model)
    if not isinstance(combinations, Mapping):
        raise Error(DATA_ERROR, f"combinations: a dict of {{case: factor}} by name is expected, not {_shown(combinations)}")
    if not combinations:
        raise Error(DATA_ERROR, "combinations: no combination to solve")
    cases = checked_cases(cases, model.node_count)
    unloaded = np.zeros((model.node_count, 3))
    models = [model.with_loads(_or(combined_loads(cases, factors, name), unloaded))
              for name, factors in combinations.items()]
    # A failed run is named by its combination: the caller never saw its model.
    names = [f"combination {name!r}" for name in combinations]
    results = dict(zip(combinations, solved_each(models, names, workers, executor, method,
                                                 "kalvane.path(model.with_loads(its summed loads))")))
    return Combinations(results, envelope_of(results))
