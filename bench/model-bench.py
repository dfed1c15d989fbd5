#!/usr/bin/python3
"""kalvane-path on the same generated net modelled two ways, side by side on this machine.

    bench/model-bench.py [--bars N] [--big BIG_N] [--build BUILD_DIR] [--keep DIR]   (defaults: 100000, 0, build)

1. One Neo-Hooke material, prestressed by its supports' displacements (the input.txt that
   `kalvane-generate net N` writes), against the same net as a model file with three
   materials (steel by E for a third of the bars, a stiffer steel for another third, the
   Neo-Hooke rubber for the rest), prestressed by force (each bar's force in the first
   run's prestress, from its bars.csv) and with self-weight. Target: at most 1.3x.
2. With --big: the model file of a net of BIG_N bars read (kalvane-path stops on a watched
   node that does not exist, after reading and preparing the model), and kalvane-path's
   peak memory on it. Targets: read in under 5 s, path within 4 GB.
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


def model_file(sections, forces, path):
    nodes = [[float(v) for v in row[1:4]] for row in sections["nodes"][2:]]
    bars = []
    for i, row in enumerate(sections["bars"][2:]):
        material = ["steel", "strong steel", "rubber"][i % 3]
        bars.append({"nodes": [int(row[1]), int(row[2])], "area": float(row[3]), "material": material,
                     "prestress": forces[i]})
    prescribed, loads = {}, {}
    for row in sections["prescribed displacements"][2:]:
        prescribed.setdefault(int(row[0]), {})["xyz"[int(row[1]) - 1]] = 0.0
    for row in sections["loads"][2:]:
        loads.setdefault(int(row[0]), {})["xyz"[int(row[1]) - 1]] = float(row[2])
    c1 = float(sections["material"][0][1])
    model = {
        "format": "kalvane-model", "version": 1, "title": "generated net, three materials, prestress by force",
        "materials": [
            {"name": "steel", "law": "linear-elastic", "E": 3.0 * c1, "weight": 1e-6},
            {"name": "strong steel", "law": "linear-elastic", "E": 4.0 * c1, "weight": 1e-6},
            {"name": "rubber", "law": "neo-hooke", "c1": c1, "weight": 1e-6},
        ],
        "nodes": nodes, "bars": bars,
        "prescribed": [dict(node=k, **v) for k, v in sorted(prescribed.items())],
        "loads": [dict(node=k, **v) for k, v in sorted(loads.items())],
    }
    with open(path, "w") as f:
        json.dump(model, f)


def timed(command, cwd):
    start = time.perf_counter()
    done = subprocess.run(["/usr/bin/time", "-f", "%M"] + command, cwd=cwd, capture_output=True, text=True)
    seconds = time.perf_counter() - start
    peak_kb = int(done.stderr.strip().splitlines()[-1])
    return seconds, peak_kb, done


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bars", type=int, default=100000)
    parser.add_argument("--big", type=int, default=0)
    parser.add_argument("--build", default="build")
    parser.add_argument("--keep", help="run in this directory and leave the runs' files there")
    a = parser.parse_args()
    build = os.path.abspath(a.build)
    with (contextlib.nullcontext(os.path.abspath(a.keep)) if a.keep else tempfile.TemporaryDirectory()) as work:
        one, three = os.path.join(work, "one"), os.path.join(work, "three")
        os.makedirs(one, exist_ok=True), os.makedirs(three, exist_ok=True)
        subprocess.run([f"{build}/kalvane-generate", "net", str(a.bars), "-o", f"{one}/input.txt"], check=True,
                       capture_output=True)
        t_one, m_one, run = timed([f"{build}/kalvane-path"], one)
        print(run.stdout.splitlines()[1] if run.stdout else run.stderr)
        # The prestress: each bar's force at the end of the first run's path is its prestress
        # and its loads'; the forces of a run with no loads are the prestress alone.
        sections = read_input(f"{one}/input.txt")
        unloaded = os.path.join(work, "unloaded")
        os.makedirs(unloaded, exist_ok=True)
        with open(f"{one}/input.txt") as f, open(f"{unloaded}/input.txt", "w") as g:
            text = f.read()
            g.write(text[:text.index(": loads")] + ": loads\n0\n")
        subprocess.run([f"{build}/kalvane-path"], cwd=unloaded, check=True, capture_output=True)
        with open(f"{unloaded}/path/bars.csv") as f:
            forces = [float(row["axial_force"]) for row in csv.DictReader(f)]
        model_file(sections, forces, f"{three}/model.json")
        t_three, m_three, run = timed([f"{build}/kalvane-path"], three)
        print(run.stdout.splitlines()[1] if run.stdout else run.stderr)
        print(f"{a.bars} bars: one Neo-Hooke material, prestress by supports: {t_one:.2f} s, {m_one / 1024:.0f} MB")
        print(f"{a.bars} bars: three materials, prestress by force, self-weight: {t_three:.2f} s, {m_three / 1024:.0f} MB")
        print(f"ratio {t_three / t_one:.2f} (target at most 1.3)")
        if a.big:
            big = os.path.join(work, "big")
            os.makedirs(big, exist_ok=True)
            subprocess.run([f"{build}/kalvane-generate", "net", str(a.big), "-o", f"{big}/input.txt"], check=True,
                           capture_output=True)
            sections = read_input(f"{big}/input.txt")
            model_file(sections, [1.0] * (len(sections["bars"]) - 2), f"{big}/model.json")
            os.remove(f"{big}/input.txt")
            # A watched node beyond the model: kalvane-path refuses it once the model is read.
            t_read, m_read, _ = timed([f"{build}/kalvane-path", "--watch", "999999999", "z"], big)
            print(f"{a.big} bars: model file read and prepared in {t_read:.2f} s ({m_read / 1024:.0f} MB; target 5 s)")
            t_big, m_big, run = timed([f"{build}/kalvane-path"], big)
            print(f"{a.big} bars: kalvane-path {t_big:.1f} s, peak {m_big / 1024 / 1024:.2f} GB (target 4 GB)")


if __name__ == "__main__":
    main()
