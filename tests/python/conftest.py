"""Shared helpers of the module's tests: the program to compare with, the bundled examples,
the conformance inputs when they are at hand, and a reader of the printed report."""

import os
import pathlib
import shutil
import subprocess

import numpy as np
import pytest

SOURCE = pathlib.Path(os.environ.get("KALVANE_SOURCE_DIR", pathlib.Path(__file__).resolve().parents[2]))
PROGRAM = os.environ.get("KALVANE_EXE", str(SOURCE / "build" / "kalvane"))
EXAMPLES = sorted(p.parent for p in (SOURCE / "examples").glob("*/input.txt"))
CONFORMANCE = SOURCE / ".." / "shared" / "conformance" / "cases"
OUTPUTS = ("abaqusfile.inp", "autocad.scr", "output.txt")


def conformance_case(name):
    """The input.txt of a conformance case; the test is skipped where the set is absent."""
    path = CONFORMANCE / name / "input.txt"
    if not path.is_file():
        pytest.skip(f"conformance case {name} not found at {CONFORMANCE}")
    return path


def run_program(input_path, folder):
    """The program's own run of `input_path` in `folder`; its three files as bytes."""
    folder = pathlib.Path(folder)
    folder.mkdir(parents=True, exist_ok=True)
    shutil.copyfile(input_path, folder / "input.txt")
    done = subprocess.run([PROGRAM], cwd=folder, capture_output=True)
    assert done.returncode == 0, done.stderr.decode()
    return {name: (folder / name).read_bytes() for name in OUTPUTS}


def files_in(folder):
    return {name: (pathlib.Path(folder) / name).read_bytes() for name in OUTPUTS}


def same_bits(a, b):
    """Equal to the last bit, signed zeros and NaNs included."""
    a, b = np.asarray(a, dtype=np.float64), np.asarray(b, dtype=np.float64)
    return a.shape == b.shape and bool((a.view(np.uint64) == b.view(np.uint64)).all())


RESULT_ARRAYS = ("displacements", "reactions", "residuals", "stresses", "axial_forces", "stretches")


def same_run(a, b):
    """Two Results alike to the last bit."""
    return all(same_bits(getattr(a, n), getattr(b, n)) for n in RESULT_ARRAYS) and \
        (a.iterations, a.objective, a.allowable_gradient) == (b.iterations, b.objective, b.allowable_gradient)


def read_report(text):
    """The printed values of output.txt: iterations, objective, allowable gradient, the
    displacement rows, the reaction rows (node -> {component: value}) and the stresses."""
    lines = text.splitlines()
    report = {"iterations": int(lines[1].split("|")[2]), "objective": float(lines[2].split("|")[2]),
              "allowable": float(lines[3].split("|")[2]), "displacements": [], "reactions": {}, "stresses": []}
    section = None
    for line in lines[5:]:
        if line.startswith(" Node           Displ"):
            section = "displacements"
        elif line.startswith(" Node           Force"):
            section = "reactions"
        elif line.startswith(" Elem"):
            section = "stresses"
        elif line.strip() and not line.startswith("-"):
            number = int(line[:5])
            if section == "displacements":
                report["displacements"].append([float(line[10 + 18 * c:23 + 18 * c]) for c in range(3)])
            elif section == "reactions":
                row = {c + 1: float(line[10 + 18 * c:23 + 18 * c]) for c in range(3)
                       if line[10 + 18 * c:23 + 18 * c].strip()}
                report["reactions"][number] = row
            else:
                report["stresses"].append(float(line[10:23]))
    return report


def printed_as(value, printed):
    """Whether `printed`, a value with seven significant digits, is `value` rounded."""
    if printed == 0.0:
        return value == 0.0
    exponent = np.floor(np.log10(abs(printed)))
    return abs(value - printed) <= 0.5000001e-6 * 10.0 ** exponent
