#!/usr/bin/python3
"""kalvane-path on a generated pretensioned cable net, side by side: a symmetric load where no
cable goes slack against an unsymmetric one that slackens many.

    bench/slack-bench.py [--bars N] [--light L] [--heavy H] [--build BUILD_DIR] [--keep DIR]
    (defaults: 100000, 0.5, 3, build)

The net is `kalvane-generate net N`'s grid lifted into a hyperbolic paraboloid (rise and dip
a tenth of the half-span at its edges' middles), every bar a steel cable (tension only),
prestressed by force, its edges held where drawn. The load is downward at the generated
net's loaded nodes, in units of the load per node that the cables hogging across (along Y)
could carry with their prestress alone: L of it all over (symmetric: none goes slack), H of
it on the left half only (unsymmetric: the hogging cables there lose their tension). Targets:
the unsymmetric run within 2x of the symmetric one, at least 5 % of the cables slack at full
load, and no more event rows (slack, taut) in path/path.csv than twice the slack cables.
A measuring script, never a test: it fails on no figure. Each time is one run; run it on
an idle machine.
"""
import argparse
import contextlib
import csv
import json
import os
import subprocess
import tempfile
import time

from input_sections import read_input

PRESTRESS = 2.0   # kN in every cable
E = 2.1e8         # kN/m2, steel
AREA = 1.0e-4     # m2
RISE = 0.1        # the saddle's rise and dip at its edges' middles, per half-span


def generated_net(build, bars, work):
    """The generated net's nodes, bars, held nodes and loaded nodes."""
    path = os.path.join(work, "input.txt")
    subprocess.run([f"{build}/kalvane-generate", "net", str(bars), "-o", path], check=True, capture_output=True)
    sections = read_input(path)
    os.remove(path)
    nodes = [[float(v) for v in row[1:4]] for row in sections["nodes"][2:]]
    pairs = [[int(row[1]), int(row[2])] for row in sections["bars"][2:]]
    held = sorted({int(row[0]) for row in sections["prescribed displacements"][2:]})
    loads = {int(row[0]): float(row[2]) for row in sections["loads"][2:]}
    return nodes, pairs, held, loads


def model_file(net, load, path):
    """The generated grid lifted into a hyperbolic paraboloid; `load` is (pressure, half): the
    load per node in units of the hogging cables' share, on the left half only when `half`."""
    nodes, pairs, held, loaded = net
    xs = [p[0] for p in nodes]
    ys = [p[1] for p in nodes]
    cx, cy = 0.5 * (min(xs) + max(xs)), 0.5 * (min(ys) + max(ys))
    half_span = cx - min(xs)
    shaped = [[x, y, RISE * half_span * ((x - cx) ** 2 - (y - cy) ** 2) / half_span ** 2] for x, y, _ in nodes]
    # The load per node that the cables hogging across (along Y) could carry with their
    # prestress alone, were the sagging ones (along X) as stiff to it: 2 T times the curvature.
    threshold = 2.0 * PRESTRESS * 2.0 * RISE / half_span
    pressure, half = load
    loads = [{"node": n, "z": -pressure * threshold} for n in sorted(loaded) if not half or nodes[n - 1][0] < cx]
    model = {
        "format": "kalvane-model", "version": 1,
        "title": "generated saddle net, " + ("load on its left half" if half else "load all over"),
        "materials": [{"name": "steel", "law": "linear-elastic", "E": E}],
        "nodes": shaped,
        "bars": [{"nodes": p, "area": AREA, "material": "steel", "behaviour": "cable", "prestress": PRESTRESS}
                 for p in pairs],
        "prescribed": [{"node": n, "x": 0.0, "y": 0.0, "z": 0.0} for n in held],
        "loads": loads,
    }
    with open(path, "w") as f:
        json.dump(model, f)


def run(build, work):
    start = time.perf_counter()
    done = subprocess.run(["/usr/bin/time", "-f", "%M", f"{build}/kalvane-path"], cwd=work, capture_output=True,
                          text=True)
    seconds = time.perf_counter() - start
    peak_kb = int(done.stderr.strip().splitlines()[-1])
    events, steps = 0, 0
    with open(f"{work}/path/path.csv") as f:
        for row in csv.DictReader(f):
            events += row["kind"] in ("slack", "taut")
            steps += 1
    with open(f"{work}/path/bars.csv") as f:
        slack = sum(1 for row in csv.DictReader(f) if row["state"] == "slack")
    summary = [line for line in done.stdout.splitlines() if line.strip()][:2]
    return seconds, peak_kb, events, steps, slack, summary


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bars", type=int, default=100000)
    parser.add_argument("--light", type=float, default=0.5)
    parser.add_argument("--heavy", type=float, default=3.0)
    parser.add_argument("--build", default="build")
    parser.add_argument("--keep", help="run in this directory and leave the runs' files there")
    a = parser.parse_args()
    build = os.path.abspath(a.build)
    with (contextlib.nullcontext(os.path.abspath(a.keep)) if a.keep else tempfile.TemporaryDirectory()) as work:
        net = generated_net(build, a.bars, work)
        figures = {}
        for name, load in (("symmetric", (a.light, False)), ("unsymmetric", (a.heavy, True))):
            here = os.path.join(work, name)
            os.makedirs(here, exist_ok=True)
            model_file(net, load, f"{here}/model.json")
            figures[name] = run(build, here)
            seconds, peak_kb, events, rows, slack, summary = figures[name]
            print("\n".join(summary))
            print(f"{len(net[1])} cables, {name} load: {seconds:.2f} s, {peak_kb / 1024:.0f} MB, {rows} rows in "
                  f"path.csv, {events} of them slack/taut, {slack} cables slack at full load "
                  f"({100.0 * slack / len(net[1]):.1f} %)")
        t_sym, t_uns = figures["symmetric"][0], figures["unsymmetric"][0]
        events, slack = figures["unsymmetric"][2], figures["unsymmetric"][4]
        print(f"ratio {t_uns / t_sym:.2f} (target at most 2); event rows {events} against twice the slack "
              f"cables {2 * slack}; slack share {100.0 * slack / len(net[1]):.1f} % (at least 5 %)")


if __name__ == "__main__":
    main()
