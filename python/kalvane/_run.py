"""Runs: one model, many side by side, the check of a run, and the loading path."""

import json
import os
import tempfile

from . import _core
from ._result import Result


def solve(model, threads=0):
    """Runs the program's own stages on `model` (start, minimise, the check of the
    solution) and returns its Result; writes no file. The interpreter is released while the
    run works. `threads` > 0 sets the threads of each evaluation; 0 lets the model's size
    and the machine choose. Raises kalvane.Error as the program would end with an error."""
    return Result(model, _core.solve(model._held(), int(threads)))


def solve_many(models, workers=None):
    """Solves independent models on `workers` threads (all the machine's by default), each
    run single-threaded inside when workers > 1; the Results come back in the models' order,
    bit for bit what solve() gives each. Every model is checked before any run starts; a
    failed run raises kalvane.Error naming models[i] once all runs have finished."""
    models = list(models)
    held = [m._held() for m in models]
    if workers is None:
        workers = os.cpu_count() or 1
    runs = _core.solve_many(held, max(1, int(workers)))
    return [Result(m, r) for m, r in zip(models, runs)]


def check(model, result, folder=None):
    """What `kalvane-check --json` says of this run, as Python objects. The model's input.txt
    and the run's three files are written to `folder` (made if missing), or to a temporary
    folder that goes away afterwards, and checked there."""
    if folder is not None:
        return _check_in(model, result, os.fspath(folder))
    with tempfile.TemporaryDirectory(prefix="kalvane-check-") as scratch:
        return _check_in(model, result, scratch)


def _check_in(model, result, folder):
    os.makedirs(folder, exist_ok=True)
    # input.txt first: the check refuses a report older than its input.
    model.write(os.path.join(folder, "input.txt"))
    result.write(folder)
    return json.loads(_core.check(folder))


def path(model):
    """The equilibrium reached under gradual loading and its load-displacement curve, as
    kalvane-path gives them."""
    raise NotImplementedError("kalvane.path needs kalvane-path's library, which this build does not have yet")
