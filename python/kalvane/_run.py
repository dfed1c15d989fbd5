"""Runs: one model, many side by side, the check of a run, and the loading path."""

import csv
import io
import json
import os
import tempfile
from dataclasses import dataclass

import numpy as np

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


# kalvane-path's exit statuses, as its manual gives them.
PATH_STATUS = {0: "full load reached on a stable equilibrium",
               3: "full load reached only after a snap-through or past a bifurcation",
               2: "no stable equilibrium at full load: a collapse; the files hold the last stable point"}
PATH_FILES = ("output.txt", "autocad.scr", "abaqusfile.inp", "path.csv", "path.svg")


@dataclass
class Path:
    """What kalvane-path gives for a model.

    status   its exit status: 0, 3 or 2 (PATH_STATUS says what each means)
    summary  the summary it prints
    curve    path.csv's columns by name, one entry per converged point (numbers as numpy
             arrays, the kind of each point as a list of strings)
    files    the text of output.txt, autocad.scr, abaqusfile.inp (the equilibrium reached, in
             kalvane's layouts), path.csv and path.svg, by name
    """
    status: int
    summary: str
    curve: dict
    files: dict

    def write(self, folder):
        """Writes the five files into `folder` (made if missing)."""
        os.makedirs(folder, exist_ok=True)
        for name, text in self.files.items():
            with open(os.path.join(folder, name), "w", encoding="utf-8", newline="") as f:
                f.write(text)


def path(model, loading="staged", watch=None):
    """kalvane-path on `model`: the equilibrium that gradual loading reaches and the
    load-displacement curve. `loading` is "staged" (the prescribed displacements first, then
    the loads) or "together"; `watch` a (node, component) to follow, else the component that
    moves most at full load. Bad input raises kalvane.Error."""
    if not hasattr(_core, "path"):
        raise NotImplementedError("kalvane.path needs kalvane-path's library, which this build does not have")
    if loading not in ("staged", "together"):
        raise ValueError(f'loading is "staged" or "together", not {loading!r}')
    node, component = (0, 0) if watch is None else (int(watch[0]), int(watch[1]))
    with tempfile.TemporaryDirectory(prefix="kalvane-path-") as folder:
        model.write(os.path.join(folder, "input.txt"))
        out = os.path.join(folder, "path")
        status, summary = _core.path(folder, out, loading == "together", node, component)
        files = {}
        for name in PATH_FILES:
            with open(os.path.join(out, name), encoding="utf-8", newline="") as f:
                files[name] = f.read()
    return Path(status, summary, _columns(files["path.csv"]), files)


def _columns(text):
    rows = list(csv.reader(io.StringIO(text)))
    columns = {}
    for i, name in enumerate(rows[0]):
        values = [row[i] for row in rows[1:]]
        try:
            columns[name] = np.array([float(v) for v in values])
        except ValueError:
            columns[name] = values
    return columns
