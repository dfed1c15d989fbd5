#!/usr/bin/python3
"""kalvane's force density method beside SciPy's sparse direct solver on the same matrix.

    bench/form-bench.py [--side SIDE] [--build BUILD_DIR] [--runs N]   (defaults: 1000, build, 1)

kalvane-form-bench finds a SIDE x SIDE grid net (SIDE^2 nodes) by force densities, prints
its times and writes the matrix D, the right-hand sides of X, Y and Z and the coordinates it
found. This script then solves the same three systems with scipy.sparse.linalg.spsolve (one
call, three right-hand sides, as Python form-finding tools do), checks that both agree, and
prints the times side by side; with --runs, N rounds in turn and their medians (the first
round of a set often meets memory the host has not yet backed). A measuring script, never a
test: it fails on no figure.
It needs SciPy, which the tests do not: apt-get install python3-scipy.
"""
import argparse
import os
import re
import subprocess
import sys
import tempfile
import time

import numpy as np
import scipy
import scipy.sparse as sp
import scipy.sparse.linalg as spla


def one_round(program, side):
    """kalvane's run, then SciPy's solve of the same systems: (kalvane's seconds, SciPy's)."""
    with tempfile.TemporaryDirectory(prefix="form-bench.") as folder:
        run = subprocess.run([program, str(side), folder], capture_output=True, text=True, check=True)
        print(run.stdout, end="")
        ours = re.search(r"total ([0-9.]+) s", run.stdout)
        indptr = np.fromfile(os.path.join(folder, "d_indptr.i32"), dtype=np.int32)
        indices = np.fromfile(os.path.join(folder, "d_indices.i32"), dtype=np.int32)
        data = np.fromfile(os.path.join(folder, "d_data.f64"), dtype=np.float64)
        n = indptr.size - 1
        rhs = np.fromfile(os.path.join(folder, "rhs.f64"), dtype=np.float64).reshape(n, 3)
        found = np.fromfile(os.path.join(folder, "x.f64"), dtype=np.float64).reshape(n, 3)

    # D's lower triangle, completed to the whole symmetric matrix SciPy factorises.
    lower = sp.csc_matrix((data, indices, indptr), shape=(n, n))
    start = time.perf_counter()
    d = (lower + lower.T - sp.diags(lower.diagonal())).tocsc()
    assembling = time.perf_counter() - start
    start = time.perf_counter()
    x = spla.spsolve(d, rhs)
    solving = time.perf_counter() - start
    difference = np.max(np.abs(x - found)) / max(1.0, np.max(np.abs(found)))
    residual = np.max(np.abs(d @ found - rhs))
    print(f"SciPy {scipy.__version__} spsolve (SuperLU) on the same D and the same three right-hand sides: "
          f"{solving:.3f} s (completing D {assembling:.3f} s)")
    print(f"largest difference of the coordinates, relative to the largest: {difference:.3g}; "
          f"kalvane's |D x - b| at most {residual:.3g}")
    if not ours:
        sys.exit("form-bench: kalvane-form-bench printed no total")
    mine = float(ours.group(1))
    print(f"kalvane, validation to coordinates: {mine:.3f} s; SciPy's solve alone takes {solving / mine:.1f} times as long")
    return mine, solving


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--side", type=int, default=1000)
    parser.add_argument("--build", default="build")
    parser.add_argument("--runs", type=int, default=1, help="rounds, kalvane and SciPy in turn (default 1)")
    args = parser.parse_args()
    program = os.path.join(args.build, "kalvane-form-bench")
    if not os.access(program, os.X_OK):
        sys.exit(f"form-bench: {program} is missing (build the target kalvane-form-bench first)")
    if args.runs < 1:
        sys.exit("form-bench: --runs must be at least 1")
    rounds = [one_round(program, args.side) for _ in range(args.runs)]
    if args.runs > 1:
        ours, theirs = sorted(r[0] for r in rounds), sorted(r[1] for r in rounds)
        ratios = sorted(r[1] / r[0] for r in rounds)
        middle = args.runs // 2
        print(f"{args.runs} rounds: kalvane {ours[0]:.3f} / {ours[middle]:.3f} / {ours[-1]:.3f} s, "
              f"SciPy {theirs[0]:.3f} / {theirs[middle]:.3f} / {theirs[-1]:.3f} s (least / median / most); "
              f"SciPy takes {ratios[0]:.1f} to {ratios[-1]:.1f} times as long, median {ratios[middle]:.1f}")


if __name__ == "__main__":
    main()
