"""The result of one run, as numpy arrays and numbers, with the run's three files and the
nodes and bars tables at full precision."""

import csv
import json
import math
import os

from typing import Any, Optional, Union

import numpy as np

from . import _core
from ._errors import made_folder, opened_for_writing, path_argument

PathLike = Union[str, "os.PathLike[str]"]

_NODE_COLUMNS = ("node", "x", "y", "z", "ux", "uy", "uz", "rx", "ry", "rz")
_BAR_COLUMNS = ("bar", "node1", "node2", "area", "stress", "axial_force", "stretch")


class Result:
    """What one run computed; numbering as in the model (row k - 1 is node k or bar k).

    displacements       n x 3, the final displacement of every component
    reactions           n x 3, the support reaction at every prescribed component (the bar
                        end forces there less the load there, as the report computes them,
                        none left out however small); 0.0 at free components
    residuals           n x 3, the same sum at free components: what the minimiser left
                        there, below the allowable gradient; 0.0 at prescribed components
    prescribed          n x 3 booleans, True where the component is prescribed
    stresses            B stresses, positive in tension: true stresses (for the path each
                        bar's own law's: the axial force over the area for steel)
    axial_forces        B axial forces, positive in tension: for kalvane's run the stress
                        times the current area A / stretch; for the path each bar's own law
                        on its rest length
    stretches           B stretches, current length over rest length (kalvane's run: the
                        undeformed length)
    strains             B strains, stretch - 1 (the path forms it without cancellation)
    slack               B booleans, True for a cable shorter than its rest length (no force)
    iterations          the minimiser's iteration count (the path's: its Newton iterations)
    objective           the total potential at the equilibrium
    allowable_gradient  the stopping threshold
    """

    def __init__(self, model: Any, run: Any):
        self.model = model
        self._run = run
        self.displacements = run.displacements
        forces = run.forces
        self.prescribed = run.prescribed.astype(bool)
        self.reactions = np.where(self.prescribed, forces, 0.0)
        self.residuals = np.where(self.prescribed, 0.0, forces)
        self.stresses = run.stresses
        self.axial_forces = run.axial_forces
        self.stretches = run.stretches
        # kalvane's run has no cables and forms no strain of its own: l / L - 1 there.
        self.strains = getattr(run, "strains", None)
        if self.strains is None:
            self.strains = self.stretches - 1.0
        self.slack = np.asarray(getattr(run, "slack", np.zeros(len(self.stretches), dtype=np.uint8))).astype(bool)
        self.iterations = run.iterations
        self.objective = run.objective
        self.allowable_gradient = run.allowable_gradient

    @property
    def positions(self) -> np.ndarray:
        """n x 3, the nodes' final positions."""
        return self.model.nodes + self.displacements

    def write(self, folder: PathLike = ".") -> None:
        """Writes abaqusfile.inp, autocad.scr and output.txt into `folder` (made if missing),
        byte for byte as the program writes them for this model (for the path's Result, as
        kalvane-path wrote them, with bars.csv)."""
        folder = path_argument(folder, "folder")
        made_folder(folder)
        self._run.write(folder)

    # ---- the tables at full precision

    def node_rows(self) -> list[dict[str, Any]]:
        """One dict per node: number, coordinates, displacement, and reaction (None at a free
        component)."""
        rows = []
        for k in range(self.model.node_count):
            reaction = [float(self.reactions[k, c]) if self.prescribed[k, c] else None for c in range(3)]
            rows.append({"node": k + 1, "coordinates": [float(v) for v in self.model.nodes[k]],
                         "displacement": [float(v) for v in self.displacements[k]], "reaction": reaction})
        return rows

    def bar_rows(self) -> list[dict[str, Any]]:
        bars, areas = self.model.bars, self.model.areas
        return [{"bar": b + 1, "node1": int(bars[b, 0]), "node2": int(bars[b, 1]), "area": float(areas[b]),
                 "stress": float(self.stresses[b]), "axial_force": float(self.axial_forces[b]),
                 "stretch": float(self.stretches[b])} for b in range(self.model.bar_count)]

    def to_json(self, path: Optional[PathLike] = None) -> str:
        """The run as JSON text (also written to `path` when given). Numbers are written in
        the shortest form that reads back to the same double; a non-finite one as null."""
        summary = {"title": self.model.title, "iterations": int(self.iterations),
                   "objective": float(self.objective), "allowable_gradient": float(self.allowable_gradient)}
        text = json.dumps(_finite_or_none(summary), allow_nan=False)[:-1]
        for name, rows in (("nodes", self.node_rows()), ("bars", self.bar_rows())):
            # One row a line: easy to read and to compare, still plain JSON.
            lines = ",\n  ".join(json.dumps(_finite_or_none(row), allow_nan=False) for row in rows)
            text += f',\n "{name}": [\n  {lines}\n ]' if rows else f',\n "{name}": []'
        text += "\n}\n"
        if path is not None:
            with opened_for_writing(path_argument(path, "path"), encoding="utf-8") as f:
                f.write(text)
        return text

    def to_csv(self, folder: PathLike = ".") -> None:
        """Writes nodes.csv and bars.csv into `folder` at full precision; a reaction cell is
        empty at a free component."""
        folder = path_argument(folder, "folder")
        made_folder(folder)
        with opened_for_writing(os.path.join(folder, "nodes.csv"), newline="", encoding="utf-8") as f:
            out = csv.writer(f)
            out.writerow(_NODE_COLUMNS)
            for row in self.node_rows():
                out.writerow([row["node"], *map(_cell, row["coordinates"]), *map(_cell, row["displacement"]),
                              *map(_cell, row["reaction"])])
        with opened_for_writing(os.path.join(folder, "bars.csv"), newline="", encoding="utf-8") as f:
            out = csv.writer(f)
            out.writerow(_BAR_COLUMNS)
            for row in self.bar_rows():
                out.writerow([_cell(row[name]) for name in _BAR_COLUMNS])

    def __reduce__(self) -> tuple:
        """Pickled as its model and what rebuilds its state: for the path the written state's
        free displacements, for kalvane's run what the minimiser left (an executor's worker
        sends it so); unpickled, the arrays and the files are formed again, bit for bit."""
        if isinstance(self._run, PathRun):
            return (_restored_path, (self.model, self._run.state()))
        return self._reduce_run()

    def _reduce_run(self) -> tuple:
        """Pickled as its model and what the minimiser left (an executor's worker sends it so);
        unpickled, the arrays and the three files are formed again from them, bit for bit."""
        return (_restored, (self.model, self._run.state()))

    def __repr__(self) -> str:
        return (f"<kalvane.Result {self.iterations} iterations, objective {self.objective!r}, "
                f"largest displacement {float(np.abs(self.displacements).max(initial=0.0))!r}>")


class PathRun:
    """The equilibrium kalvane-path's run writes: its arrays by name (as Result reads a run)
    and the run held in memory, which writes the state's files (kalvane's three layouts and
    bars.csv)."""

    def __init__(self, arrays: dict[str, Any], held: Any):
        self.__dict__.update(arrays)
        self._held_path = held

    def write(self, folder: str) -> None:
        self._held_path.write_state(folder)

    def state(self) -> tuple:
        """What rebuilds the written state: its free displacements, what it applies, its
        Newton iterations."""
        return self._held_path.state()


def _restored_path(model: Any, state: tuple) -> "Result":
    from ._model import _title_line
    held = _core.restore_path(model._structure(), _title_line(model.title), *state)
    return Result(model, PathRun(held.answer(), held))


def _restored(model: Any, state: tuple) -> Result:
    return Result(model, _core.restore(model._held(), *state))


def _cell(value: Optional[float]) -> str:
    return "" if value is None else repr(value)


def _finite_or_none(value: Any) -> Any:
    if isinstance(value, float):
        return value if math.isfinite(value) else None
    if isinstance(value, list):
        return [_finite_or_none(v) for v in value]
    if isinstance(value, dict):
        return {k: _finite_or_none(v) for k, v in value.items()}
    return value
