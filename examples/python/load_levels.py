"""A parametric study: the pretensioned cable net of examples/cable_net under its loads
scaled from a fifth to twice, ten levels solved side by side.

    python3 examples/python/load_levels.py [PLOT.png]

Prints a table of the sag at the centre, the largest cable force and the total vertical
reaction at each level; draws the load-sag curve when matplotlib is installed."""

import pathlib
import sys

import numpy as np

import kalvane

NET = pathlib.Path(__file__).resolve().parents[1] / "cable_net" / "input.txt"
CENTRE = 13  # node numbers are 1-based, as in input.txt


def main():
    net = kalvane.read(NET)
    loads = net.load_array()
    levels = np.linspace(0.2, 2.0, 10)
    results = kalvane.solve_many([net.with_loads(level * loads) for level in levels])

    print(f"{'level':>6} {'iterations':>10} {'centre sag':>12} {'largest force':>14} {'total reaction Z':>17}")
    for level, r in zip(levels, results):
        print(f"{level:6.2f} {r.iterations:10d} {-r.displacements[CENTRE - 1, 2]:12.6f} "
              f"{r.axial_forces.max():14.6f} {r.reactions[:, 2].sum():17.6f}")

    try:
        import matplotlib
        matplotlib.use("Agg")
        import matplotlib.pyplot as plt
    except ImportError:
        return
    figure, axes = plt.subplots()
    axes.plot([-r.displacements[CENTRE - 1, 2] for r in results], levels, "o-")
    axes.set_xlabel(f"sag of node {CENTRE}")
    axes.set_ylabel("load level")
    axes.set_title("Cable net: load against sag")
    figure.savefig(sys.argv[1] if len(sys.argv) > 1 else "load_levels.png")


if __name__ == "__main__":
    main()
