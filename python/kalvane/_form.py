"""kalvane.form_find: kalvane-form in memory, the shape found as arrays and its analysis model."""

import os
from dataclasses import dataclass, field
from typing import Any, Optional, Union

import numpy as np
import numpy.typing as npt

from . import _core
from ._errors import DATA_ERROR, Error, made_folder, path_argument
from ._model import Model, _finite_real, _from_arrays, _text_or_flag_in

FORM_STATUS = {"found": 0, "targets not met": 2}
"""kalvane-form's exit status for each outcome."""


@dataclass(frozen=True)
class Unmet:
    """A target the shape kept does not meet, and why (bar numbered from 1)."""
    bar: int
    kind: str          # "force" or "length"
    wanted: float
    reached: float
    why: str


@dataclass(frozen=True, eq=False)
class Form:
    """The shape found and its analysis model. Per-node arrays have row k - 1 for node k,
    per-bar arrays row b - 1 for bar b.

    nodes          n x 3 coordinates of the shape found
    densities      force / length per bar
    forces         density x length per bar (positive in tension)
    lengths        per bar, in the shape found
    rest_lengths   per bar, at which its law carries its force (the analysis model's)
    outcome        "found" or "targets not met" (then the best shape met is kept)
    status         kalvane-form's exit status: 0 found, 2 targets not met
    model          the analysis model (kalvane.Model): kalvane.path follows it, Model.save
                   writes kalvane-form's model.json"""
    nodes: npt.NDArray[np.float64]
    densities: npt.NDArray[np.float64]
    forces: npt.NDArray[np.float64]
    lengths: npt.NDArray[np.float64]
    rest_lengths: npt.NDArray[np.float64]
    outcome: str
    status: int
    iterations: int
    largest_force_error: float
    largest_length_error: float
    largest_residual: float
    negative_pivots: int
    stop: str
    unmet: list[Unmet]
    model: Model
    _held: Any = field(repr=False)

    def csv(self) -> str:
        """form.csv's text, as kalvane-form writes it."""
        return self._held.csv()

    def write(self, folder: Union[str, "os.PathLike[str]"]) -> list[str]:
        """Writes kalvane-form's files (model.json, form.csv, form.svg) into `folder`, made if
        missing; returns their names."""
        folder = path_argument(folder, "folder")
        made_folder(folder)
        return self._held.write(folder)


def _per_bar(value: Any, name: str, count: int, none_allowed: bool) -> Optional[np.ndarray]:
    """A per-bar array of reals from a number (every bar) or `count` values; NaN allowed
    (no target) only where `none_allowed`."""
    if value is None:
        return None
    # numpy reads "2" and True as numbers; a density given as text or a flag is a mistake.
    if _text_or_flag_in(value) is not None:
        raise Error(DATA_ERROR, f"{name}: a number or {count} numbers (one per bar) are expected, "
                                f"not {value!r}")
    try:
        a = np.array(value, dtype=np.float64)
    except (TypeError, ValueError, OverflowError):
        raise Error(DATA_ERROR, f"{name}: a number or {count} numbers (one per bar) are expected, "
                                f"not {value!r}") from None
    if a.ndim == 0:
        a = np.full(count, float(a))
    if a.shape != (count,):
        raise Error(DATA_ERROR, f"{name}: {count} numbers (one per bar) are expected, not an array of shape {a.shape}")
    bad = ~np.isfinite(a) & ~np.isnan(a) if none_allowed else ~np.isfinite(a)
    if bad.any():
        i = int(np.flatnonzero(bad)[0])
        raise Error(DATA_ERROR, f"{name}[{i}] (bar {i + 1}) is {a[i]!r}, not a finite number"
                                + (" (NaN: no target)" if none_allowed else ""))
    return a


def form_find(model: Union[Model, str, "os.PathLike[str]"], densities: Union[float, npt.ArrayLike, None] = None,
              forces: Optional[npt.ArrayLike] = None, lengths: Optional[npt.ArrayLike] = None,
              tolerance: Optional[float] = None, max_iterations: Optional[int] = None,
              loaded: Optional[bool] = None) -> Form:
    """kalvane-form on `model`, in memory: the equilibrium shape of its force densities (the
    force density method), or where bars have target forces or lengths, the densities that
    give them; then each bar's rest length from its force by its law, and the analysis model
    that stands unloaded in equilibrium at the shape found.

    model           a kalvane.Model, or a model file (or a folder: its model.json, else its
                    input.txt): its "form" section gives the defaults of every argument below
    densities       one density for every bar, or one per bar (positive in tension; negative
                    for struts); where a bar has a target, where its iteration starts
    forces          per-bar target forces, NaN where a bar has none
    lengths         per-bar target lengths, NaN where a bar has none
    tolerance       on the targets' relative errors (default 1e-6)
    max_iterations  density updates at most (default 1000)
    loaded          the model's loads act in the form-finding (default False: they are left
                    for the analysis)

    Bad input raises kalvane.Error naming the argument, or the bar or node it concerns; a shape
    the densities leave undetermined raises it naming what is held. Targets not met are not
    an error: outcome "targets not met", status 2, `unmet` the worst bars and why."""
    if not hasattr(_core, "form_find"):
        raise NotImplementedError("kalvane.form_find needs kalvane-form's library, which this build does not have")
    if isinstance(model, Model):
        structure = model._structure()
    else:
        if isinstance(model, (bool, int, float)) or model is None:
            raise Error(DATA_ERROR, f"model: a kalvane.Model or a model file is expected, not {model!r}")
        path = path_argument(model, "model")
        if os.path.isdir(path):
            # As kalvane-form --dir: the folder's model.json, else its input.txt.
            found = os.path.join(path, "model.json")
            path = found if os.path.exists(found) else os.path.join(path, "input.txt")
        structure = _core.read_structure(path)
    count = len(structure.arrays()["bars"])
    q = _per_bar(densities, "densities", count, False)
    f = _per_bar(forces, "forces", count, True)
    L = _per_bar(lengths, "lengths", count, True)
    if tolerance is not None:
        real = _finite_real(tolerance)
        if real is None or real <= 0:
            raise Error(DATA_ERROR, f"tolerance: a positive finite number is expected, not {tolerance!r}")
        tolerance = real
    if max_iterations is not None:
        if isinstance(max_iterations, bool) or not isinstance(max_iterations, (int, np.integer)) \
                or not 1 <= max_iterations <= 2**31 - 1:
            raise Error(DATA_ERROR, f"max_iterations: a whole number of at least 1 is expected, not {max_iterations!r}")
        max_iterations = int(max_iterations)
    if loaded is not None and not isinstance(loaded, (bool, np.bool_)):
        raise Error(DATA_ERROR, f"loaded: True or False is expected, not {loaded!r}")
    held = _core.form_find(structure, q, f, L, tolerance, max_iterations, None if loaded is None else bool(loaded))
    a = held.arrays()
    analysis = held.structure().arrays()
    return Form(nodes=a["nodes"], densities=a["densities"], forces=a["forces"], lengths=a["lengths"],
                rest_lengths=a["rest_lengths"], outcome=a["outcome"], status=FORM_STATUS[a["outcome"]],
                iterations=a["iterations"], largest_force_error=a["largest_force_error"],
                largest_length_error=a["largest_length_error"], largest_residual=a["largest_residual"],
                negative_pivots=a["negative_pivots"], stop=a["stop"], unmet=[Unmet(*u) for u in a["unmet"]],
                model=_from_arrays(analysis),
                _held=held)
