"""Runs: one model, many side by side, the check of a run, and the loading path."""

import json
import os
import tempfile
from collections.abc import Iterable
from concurrent.futures import Executor, ThreadPoolExecutor
from dataclasses import dataclass
from typing import Any, Callable, NamedTuple, Optional, Union

import numpy as np

from . import _core
from ._errors import DATA_ERROR, INDEX_ERROR, USAGE_ERROR, Error, _shown, made_folder, path_argument
from ._model import Model, _title_line
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


def _count(value: Any, name: str, least: int) -> int:
    """A whole-number argument, at least `least`."""
    if isinstance(value, bool) or not isinstance(value, (int, np.integer)) or not least <= value <= 2**31 - 1:
        raise Error(DATA_ERROR, f"{name}: a whole number from {least} to 2147483647 is expected, not {_shown(value)}")
    return int(value)


METHODS = ("path", "lbfgs")
MOST_THREADS = 1024


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
    # Each thread asked for is started: past the program's own bound on OMP_NUM_THREADS the
    # run would end in std::bad_alloc, or start thousands of threads.
    if threads > MOST_THREADS:
        raise Error(DATA_ERROR, f"threads: at most {MOST_THREADS} threads an evaluation, as the program takes "
                                f"OMP_NUM_THREADS, not {threads}")
    if _method(method) == "path":
        _is_model(model, "model")
        return _path_result(model.copy())
    held = _held(model, "model")
    return Result(model.copy(), _core.solve(held, threads))


def _path_result(model: Model, follow: str = "kalvane.path(model)") -> Result:
    """The path's Result for a model of the caller's own (a copy no one else edits); `follow`
    says how the caller gets the curve of a collapse."""
    found = _follow(model)
    if found.status == 2:
        raise Error("PATH.COLLAPSE", f"{model.source}: no stable equilibrium carries the full load; "
                                     f"{follow} gives the curve to the collapse\n" + found.summary)
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
    return solved_each(models, [f"models[{i}]" for i in range(len(models))], workers, executor, method)


def solved_each(models: list[Model], names: list[str], workers: Optional[int], executor: Optional[Executor],
                method: str, follow: str = "kalvane.path(model)") -> list[Result]:
    """solve_many's runs, each model's faults and failed run named by names[i] (its place in
    what the caller passed); `follow` says how to get the curve of a path that collapses."""
    if executor is None:
        workers = (os.cpu_count() or 1) if workers is None else _count(workers, "workers", 1)
    elif not isinstance(executor, Executor):
        raise Error(DATA_ERROR, f"executor: a concurrent.futures.Executor is expected, not {_shown(executor)}")
    elif workers is not None:
        raise Error(DATA_ERROR, "workers: the executor decides where the runs go; give one or the other")
    held = []
    for m, name in zip(models, names):
        try:
            held.append(_structure_of(m, name) if method == "path" else _held(m, name))
        except Error as e:
            if e.message.startswith(f"{name}: "):
                raise
            raise Error(e.name, f"{name}: {e.message}") from None
    # Each result keeps its model as it was solved; a model given several times is copied once.
    copies: dict[int, Model] = {}
    for m in models:
        if id(m) not in copies:
            copies[id(m)] = m.copy()
    models = [copies[id(m)] for m in models]
    if method == "path":
        if executor is None:
            with ThreadPoolExecutor(max_workers=workers) as threads:
                return _gathered([threads.submit(_path_result, m, follow) for m in models], names)
        return _gathered([executor.submit(_path_result, m, follow) for m in models], names)
    if executor is not None:
        return _solved_by(executor, models, held, names)
    runs = _core.solve_many(held, workers, names)
    return [Result(m, r) for m, r in zip(models, runs)]


def _structure_of(model: Any, name: str = "model") -> "_core.HeldStructure":
    """The companions' structure of `model`, refused unless it is a Model; faults name `name`."""
    _is_model(model, name)
    return model._structure()


def _gathered(futures: list, names: list[str]) -> list:
    """Every future's outcome, in order; the first failure raised once every task has ended,
    naming its model by names[i]."""
    outcomes = []
    for future in futures:
        try:
            outcomes.append(future.result())
        except Exception as e:  # noqa: BLE001 - kept until every task has ended
            outcomes.append(e)
    for i, outcome in enumerate(outcomes):
        if isinstance(outcome, Error):
            raise Error(outcome.name, f"{names[i]}: {outcome.message}") from None
        if isinstance(outcome, Exception):
            raise outcome
    return outcomes


def _solve_alone(model: Model) -> tuple:
    """One task of an executor: a single-threaded run, as solve_many's own workers run. Only
    what the minimiser left travels back; the caller has the model."""
    return solve(model, threads=1, method="lbfgs")._run.state()


def _solved_by(executor: Executor, models: list[Model], held: list["_core.HeldModel"],
               names: list[str]) -> list[Result]:
    """Every model's Result from `executor`, in order; the first failure, in the models'
    order, raised once every task has ended, naming its model by names[i]."""
    outcomes = _gathered([executor.submit(_solve_alone, m) for m in models], names)
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
    made_folder(folder)
    # input.txt first: the check refuses a report older than its input.
    there = os.path.join(folder, "input.txt")
    if not _read_there(model, there):
        model.write(there)
    result.write(folder)
    return json.loads(_core.check(folder))


# kalvane-path's exit statuses, as its manual gives them.
PATH_STATUS = {0: "full load reached on a stable equilibrium",
               3: "full load reached on a stable state, after a snap-through, a jump or a branch switch",
               2: "no stable equilibrium at full load (a collapse, a stall, or the callback stopped the path): "
                  "the files hold the last stable point (the callback's: the point where it stopped the path)"}


class PathPoint(NamedTuple):
    """A converged point of the path, as kalvane.path's callback sees it.

    kind is provisional: the path names a limit or bifurcation point only once the steps after
    it show it (Path.curve.kind has the final word)."""
    stage: int
    load_factor: float
    kind: str
    energy: float
    smallest_pivot: float
    negative_pivots: int
    displacements: np.ndarray  # n x 3, every node's, the prescribed at the point's fraction


class Event(NamedTuple):
    """Something that befell the path, in order: kind "limit", "bifurcation", "branch_switch",
    "jump", "slack" or "taut", as kalvane-path names them; `bar` is the cable that went slack
    or taut (None for the whole structure's events); `modes` a bifurcation's buckling modes
    (2: double)."""
    kind: str
    load_factor: float
    stage: int
    bar: Optional[int]
    modes: int


@dataclass
class Curve:
    """path.csv's columns, one entry per converged point, as numpy arrays (kind as strings):
    watched is the displacement of the `watch` (node, component), largest_displacement the
    largest length of a node's displacement, bar the cable of a "slack" or "taut" point (0 at
    every other)."""
    watch: tuple
    stage: np.ndarray
    load_factor: np.ndarray
    watched: np.ndarray
    largest_displacement: np.ndarray
    total_potential: np.ndarray
    smallest_pivot: np.ndarray
    negative_pivots: np.ndarray
    kind: list
    bar: np.ndarray


class Path:
    """What kalvane-path finds for a model, held in memory (no file is written until write()).

    status   its exit status: 0, 3 or 2 (PATH_STATUS says what each means)
    outcome  how the path ended: "full_load", "unstable_at_full_load", "collapsed", "stalled",
             "mechanism" or "stopped" (the callback stopped it)
    summary  the summary kalvane-path prints (without its list of files written)
    curve    a Curve: path.csv's columns as arrays
    events   a list of Event, in order
    result   the equilibrium written, as a Result: displacements, reactions, and each bar's
             axial force and stretch on its rest length by its own material's law
    """

    def __init__(self, held: Any, result: Result):
        self._held = held
        self.status: int = held.status
        self.outcome: str = held.outcome
        self.summary: str = held.summary
        c = held.curve()
        self.curve: Curve = Curve(c["watch"], c["stage"], c["load_factor"], c["watched"], c["largest_displacement"],
                           c["total_potential"], c["smallest_pivot"], c["negative_pivots"], c["kind"], c["bar"])
        self.events: list[Event] = [Event(*e) for e in held.events()]
        self.result: Result = result

    def write(self, folder: PathLike) -> list[str]:
        """Writes kalvane-path's files into `folder` (made if missing), byte for byte what the
        program writes for the model: the model (input.txt, or model.json where input.txt
        cannot hold it), abaqusfile.inp, autocad.scr, output.txt, bars.csv, path.csv,
        path.svg and path.states, in that order. Returns their names. As kalvane-path, it makes
        no copy of the model into the folder holding the file it was read from, and refuses a
        folder holding a model.json where the copy is an input.txt."""
        folder = path_argument(folder, "folder")
        model = self.result.model
        copy = "input.txt" if model.beyond_kalvane() == "" else "model.json"
        # kalvane-check and kalvane-view read a folder's model.json before its input.txt.
        beside = os.path.join(folder, "model.json")
        if copy == "input.txt" and os.path.exists(beside) and not _reads_as(beside, model):
            raise Error(USAGE_ERROR, f"{folder} holds model.json, another model, which kalvane-check and kalvane-view "
                                     f"would read there in place of the model's input.txt: write the results into "
                                     f"another folder")
        return self._held.write(folder, _read_there(model, os.path.join(folder, copy)))

    def __repr__(self) -> str:
        return (f"<kalvane.Path status {self.status}, {self.outcome}, {len(self.curve.load_factor)} points, "
                f"{len(self.events)} events>")


def _read_there(model: Model, there: str) -> bool:
    """True where `there`, the model's copy among a run's files, is the file the model was read
    from, and reads as the model still: it stays as it is, its remarks and layout with it. A
    model changed since is refused: its copy would replace that file."""
    if not (os.path.isfile(model.source) and os.path.exists(there) and os.path.samefile(model.source, there)):
        return False
    if not _reads_as(there, model):
        raise Error(USAGE_ERROR, f"the folder {os.path.dirname(there) or '.'} holds the model read, {model.source}, "
                                 f"and the model was changed since: its copy would replace that file; give another "
                                 f"folder")
    return True


def _reads_as(file: str, model: Model) -> bool:
    """True where the model file or input.txt `file` reads as `model`, every real to its bits."""
    try:
        return _core.read_structure(file).text() == model.model_file_text()
    except Error:
        return False


def path(model: Model, loading: str = "staged", watch: Optional[tuple[int, int]] = None,
         callback: Optional[Callable[[PathPoint], Any]] = None) -> Path:
    """kalvane-path on `model`, in memory: the equilibrium that gradual loading reaches, the
    load-displacement curve and the path's events. `loading` is "staged" (prestress and the
    prescribed displacements first, then the self-weight, then the loads) or "together";
    `watch` a (node, component) to follow, else the component that moves most at the end.
    Every model is followed, several materials, steel, rest lengths, prestress, cables and
    weight included. Bad input raises kalvane.Error.

    `callback(point)`, when given, sees every converged point (a PathPoint) as the path goes;
    returning False stops the path there (outcome "stopped", status 2, the result that point's
    equilibrium); None or anything else goes on. An exception it raises stops the path and is
    raised again here. The interpreter is released while the path works, and held while the
    callback runs."""
    if not hasattr(_core, "follow"):
        raise NotImplementedError("kalvane.path needs kalvane-path's library, which this build does not have")
    # A text first: `in` on an array compares element by element and cannot say yes or no.
    if not isinstance(loading, str) or loading not in ("staged", "together"):
        raise Error(DATA_ERROR, f'loading: "staged" or "together" is expected, not {_shown(loading)}')
    if callback is not None and not callable(callback):
        raise Error(DATA_ERROR, f"callback: a function of one PathPoint is expected, not {_shown(callback)}")
    _is_model(model, "model")
    # The result keeps the model as it was followed: an edit of `model` afterwards is the
    # caller's next model, not a change to this answer.
    return _follow(model.copy(), loading, watch, callback)


def _follow(model: Model, loading: str = "staged", watch: Optional[tuple[int, int]] = None,
            callback: Optional[Callable[[PathPoint], Any]] = None) -> Path:
    """path() on a model of the caller's own (a copy no one else edits)."""
    structure = model._structure()
    node, component = (0, 0) if watch is None else _watched(watch, model.node_count)
    told = None
    if callback is not None:
        def told(*fields: Any) -> bool:
            answer = callback(PathPoint(*fields))
            return not (answer is False or (isinstance(answer, np.bool_) and not answer))
    held = _core.follow(structure, _title_line(model.title), loading == "together", node, component, told)
    return Path(held, Result(model, PathRun(held.answer(), held)))


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
