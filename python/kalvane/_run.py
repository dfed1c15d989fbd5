"""Runs: one model, many side by side, the check of a run, and the loading path."""

import csv
import io
import json
import os
import tempfile
from collections.abc import Iterable
from concurrent.futures import Executor, ThreadPoolExecutor
from dataclasses import dataclass
from typing import Any, Optional, Union

import numpy as np

from . import _core
from ._errors import DATA_ERROR, INDEX_ERROR, Error, path_argument
from ._model import Model
from ._result import PathRun, Result

PathLike = Union[str, "os.PathLike[str]"]


def _held(model: Any, name: str) -> "_core.HeldModel":
    """The compiled model of `model` for kalvane's own run, refused unless it is a Model that
    input.txt can hold; its own faults name `name`."""
    _is_model(model, name)
    return model._held()


def _is_model(model: Any, name: str) -> None:
    if not isinstance(model, Model):
        raise Error(DATA_ERROR, f"{name}: a kalvane.Model is expected, not {_shown(model)}")


def _shown(value: Any) -> str:
    text = repr(value)
    return f"{type(value).__name__} {text if len(text) <= 60 else text[:57] + '...'}"


def _count(value: Any, name: str, least: int) -> int:
    """A whole-number argument, at least `least`."""
    if isinstance(value, bool) or not isinstance(value, (int, np.integer)) or value < least:
        raise Error(DATA_ERROR, f"{name}: a whole number of at least {least} is expected, not {_shown(value)}")
    return int(value)


METHODS = ("path", "lbfgs")


def _method(method: Any) -> str:
    if not isinstance(method, str) or method not in METHODS:
        raise Error(DATA_ERROR, f'method: "path" or "lbfgs" is expected, not {_shown(method)}')
    return method


def solve(model: Model, threads: int = 0, method: str = "path") -> Result:
    """The equilibrium of `model` under its loads, as a Result; writes no file.

    method="path" (the default) is the equilibrium gradual loading reaches: kalvane-path's
    state, the structure that exists under its loads (kalvane.path gives its curve too).
    It raises kalvane.Error where no stable equilibrium carries the full load (a collapse).

    method="lbfgs" is kalvane's own run (start, minimise from the unloaded shape, the check
    of the solution), byte for byte the program's files; on a shallow truss or dome it can
    settle on a far branch at a small fraction of the snap load. `threads` > 0 sets its
    threads per evaluation; 0 lets the model's size and the machine choose.

    The interpreter is released while a run works."""
    threads = _count(threads, "threads", 0)
    if _method(method) == "path":
        return _path_result(model)
    return Result(model, _core.solve(_held(model, "model"), threads))


def _path_result(model: Model) -> Result:
    found = path(model)
    if found.status == 2:
        raise Error("PATH.COLLAPSE", f"{model.source}: no stable equilibrium carries the full load; "
                                     "kalvane.path(model) gives the curve to the collapse\n" + found.summary)
    return found.result


def solve_many(models: Iterable[Model], workers: Optional[int] = None,
               executor: Optional[Executor] = None, method: str = "path") -> list[Result]:
    """Solves independent models on `workers` threads (all the machine's by default); the
    Results come back in the models' order, bit for bit what solve() gives each with the same
    `method` (each L-BFGS run single-threaded inside when workers > 1). Every model is checked
    before any run starts; a failed run raises kalvane.Error naming models[i] once all runs
    have finished.

    With `executor` (any concurrent.futures.Executor: a ProcessPoolExecutor, a Dask
    cluster's client.get_executor(), ...) each model goes to it as one task instead, solved
    single-threaded there; what the run left comes back, and the Results formed from it here
    are bit for bit the same.
    `workers` is then the executor's business and must be left out."""
    method = _method(method)
    if isinstance(models, (Model, str, bytes)) or not isinstance(models, Iterable):
        raise Error(DATA_ERROR, f"models: a list of kalvane.Model is expected, not {_shown(models)}")
    models = list(models)
    if executor is None:
        workers = (os.cpu_count() or 1) if workers is None else _count(workers, "workers", 1)
    elif not isinstance(executor, Executor):
        raise Error(DATA_ERROR, f"executor: a concurrent.futures.Executor is expected, not {_shown(executor)}")
    elif workers is not None:
        raise Error(DATA_ERROR, "workers: the executor decides where the runs go; give one or the other")
    held = []
    for i, m in enumerate(models):
        try:
            held.append(_structure_of(m, f"models[{i}]") if method == "path" else _held(m, f"models[{i}]"))
        except Error as e:
            if e.message.startswith("models["):
                raise
            raise Error(e.name, f"models[{i}]: {e.message}") from None
    if method == "path":
        if executor is None:
            with ThreadPoolExecutor(max_workers=workers) as threads:
                return _gathered([threads.submit(_path_result, m) for m in models])
        return _gathered([executor.submit(_path_result, m) for m in models])
    if executor is not None:
        return _solved_by(executor, models, held)
    runs = _core.solve_many(held, workers)
    return [Result(m, r) for m, r in zip(models, runs)]


def _structure_of(model: Any, name: str = "model") -> "_core.HeldStructure":
    """The companions' structure of `model`, refused unless it is a Model; faults name `name`."""
    _is_model(model, name)
    return model._structure()


def _gathered(futures: list) -> list:
    """Every future's outcome, in order; the first failure raised once every task has ended,
    naming its model."""
    outcomes = []
    for future in futures:
        try:
            outcomes.append(future.result())
        except Exception as e:  # noqa: BLE001 - kept until every task has ended
            outcomes.append(e)
    for i, outcome in enumerate(outcomes):
        if isinstance(outcome, Error):
            raise Error(outcome.name, f"models[{i}]: {outcome.message}") from None
        if isinstance(outcome, Exception):
            raise outcome
    return outcomes


def _solve_alone(model: Model) -> tuple:
    """One task of an executor: a single-threaded run, as solve_many's own workers run. Only
    what the minimiser left travels back; the caller has the model."""
    return solve(model, threads=1, method="lbfgs")._run.state()


def _solved_by(executor: Executor, models: list[Model], held: list["_core.HeldModel"]) -> list[Result]:
    """Every model's Result from `executor`, in order; the first failure, in the models'
    order, raised once every task has ended."""
    outcomes = _gathered([executor.submit(_solve_alone, m) for m in models])
    return [Result(m, _core.restore(h, *state)) for m, h, state in zip(models, held, outcomes)]


def check(model: Model, result: Result, folder: Optional[PathLike] = None) -> dict[str, Any]:
    """What `kalvane-check --json` says of this run, as Python objects. The model's input.txt
    and the run's three files are written to `folder` (made if missing), or to a temporary
    folder that goes away afterwards, and checked there."""
    _held(model, "model")
    if not isinstance(result, Result):
        raise Error(DATA_ERROR, f"result: a kalvane.Result is expected, not {_shown(result)}")
    if folder is not None:
        return _check_in(model, result, path_argument(folder, "folder"))
    with tempfile.TemporaryDirectory(prefix="kalvane-check-") as scratch:
        return _check_in(model, result, scratch)


def _check_in(model: Model, result: Result, folder: str) -> dict[str, Any]:
    os.makedirs(folder, exist_ok=True)
    # input.txt first: the check refuses a report older than its input.
    model.write(os.path.join(folder, "input.txt"))
    result.write(folder)
    return json.loads(_core.check(folder))


# kalvane-path's exit statuses, as its manual gives them.
PATH_STATUS = {0: "full load reached on a stable equilibrium",
               3: "full load reached only after a snap-through or past a bifurcation",
               2: "no stable equilibrium at full load: a collapse; the files hold the last stable point"}
PATH_FILES = ("output.txt", "autocad.scr", "abaqusfile.inp", "bars.csv", "path.csv", "path.svg")


@dataclass
class Path:
    """What kalvane-path gives for a model.

    status   its exit status: 0, 3 or 2 (PATH_STATUS says what each means)
    summary  the summary it prints
    curve    path.csv's columns by name, one entry per converged point (numbers as numpy
             arrays, the kind of each point as a list of strings)
    files    the text of output.txt, autocad.scr, abaqusfile.inp (the equilibrium reached, in
             kalvane's layouts), bars.csv (each bar's force, strain and length), path.csv and
             path.svg, by name
    result   the equilibrium written, as a Result: displacements, reactions, and each bar's
             axial force and stretch on its rest length by its own material's law
    """
    status: int
    summary: str
    curve: dict
    files: dict
    result: Result

    def write(self, folder: PathLike) -> None:
        """Writes the files into `folder` (made if missing)."""
        folder = path_argument(folder, "folder")
        os.makedirs(folder, exist_ok=True)
        for name, text in self.files.items():
            with open(os.path.join(folder, name), "w", encoding="utf-8", newline="") as f:
                f.write(text)


def path(model: Model, loading: str = "staged", watch: Optional[tuple[int, int]] = None) -> Path:
    """kalvane-path on `model`: the equilibrium that gradual loading reaches and the
    load-displacement curve. `loading` is "staged" (prestress and the prescribed
    displacements first, then the self-weight, then the loads) or "together"; `watch` a
    (node, component) to follow, else the component that moves most at full load. Every
    model is followed, several materials, steel, rest lengths, prestress, cables and weight
    included. Bad input raises kalvane.Error."""
    if not hasattr(_core, "path"):
        raise NotImplementedError("kalvane.path needs kalvane-path's library, which this build does not have")
    if loading not in ("staged", "together"):
        raise Error(DATA_ERROR, f'loading: "staged" or "together" is expected, not {_shown(loading)}')
    _is_model(model, "model")
    structure = model._structure()
    node, component = (0, 0) if watch is None else _watched(watch, model.node_count)
    together = loading == "together"
    with tempfile.TemporaryDirectory(prefix="kalvane-path-") as folder:
        out = os.path.join(folder, "path")
        if structure.beyond_kalvane():
            status, summary, answer = _core.path_structure(structure, out, together, node, component)
        else:
            # A model input.txt holds goes as input.txt, so the files are the program's own.
            model.write(os.path.join(folder, "input.txt"))
            status, summary, answer = _core.path(folder, out, together, node, component)
        files = {}
        for name in PATH_FILES:
            with open(os.path.join(out, name), encoding="utf-8", newline="") as f:
                files[name] = f.read()
    return Path(status, summary, _columns(files["path.csv"]), files, Result(model, PathRun(answer, files)))


def _watched(watch: Any, node_count: int) -> tuple[int, int]:
    """The (node, component) of the `watch` argument, checked against the model."""
    try:
        node, component = watch
    except (TypeError, ValueError):
        raise Error(DATA_ERROR, f"watch: a (node, component) pair is expected, not {_shown(watch)}") from None
    for value in (node, component):
        if isinstance(value, bool) or not isinstance(value, (int, np.integer)):
            raise Error(DATA_ERROR, f"watch: a (node, component) pair of whole numbers is expected, not {watch!r}")
    if not 1 <= node <= node_count:
        raise Error(INDEX_ERROR, f"watch: the node {node} is outside 1..{node_count}, the model's nodes")
    if not 1 <= component <= 3:
        raise Error(INDEX_ERROR, f"watch (node {node}): the component {component} is outside 1..3")
    return int(node), int(component)


def _columns(text: str) -> dict[str, Any]:
    rows = list(csv.reader(io.StringIO(text)))
    columns = {}
    for i, name in enumerate(rows[0]):
        values = [row[i] for row in rows[1:]]
        try:
            columns[name] = np.array([float(v) for v in values])
        except ValueError:
            columns[name] = values
    return columns
