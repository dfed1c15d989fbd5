"""A combination study on the pretensioned cable net of examples/cable_net: self-weight G,
snow S (the example's loads, downward) and wind W (an uplift on the interior nodes),
combined as G, G+S, 1.35G+1.5S and G+1.5W. Each combination is its own nonlinear run from
the unloaded, pretensioned net; the envelope gives each cable's largest force and the
combination that governs it.

    python3 examples/python/combinations.py [PLOT.png]

Draws the envelope's cable forces when matplotlib is installed."""

import pathlib
import sys

import kalvane

NET = pathlib.Path(__file__).resolve().parents[1] / "cable_net" / "input.txt"
DENSITY = 100.0  # mass per unit volume of the cables, in the model's units


def main():
    net = kalvane.read(NET)
    interior = [7, 8, 9, 12, 13, 14, 17, 18, 19]
    cases = {
        "G": kalvane.self_weight(net, DENSITY),
        "S": net.load_array(),
        "W": kalvane.point_loads(net, [(node, 3, 0.6) for node in interior]),
    }
    combinations = {
        "G": {"G": 1.0},
        "G+S": {"G": 1.0, "S": 1.0},
        "1.35G+1.5S": {"G": 1.35, "S": 1.5},
        "G+1.5W": {"G": 1.0, "W": 1.5},
    }
    study = kalvane.solve_combinations(net, cases, combinations)

    print(f"{'combination':<12} {'iterations':>10} {'centre Z':>11} {'largest force':>14} {'smallest force':>15}")
    for name, r in study.results.items():
        print(f"{name:<12} {r.iterations:10d} {r.displacements[12, 2]:11.6f} "
              f"{r.axial_forces.max():14.6f} {r.axial_forces.min():15.6f}")

    env = study.envelope
    print()
    print("The eight cables of largest tension:")
    print(f"{'bar':>4} {'nodes':>7} {'largest tension':>16}  governed by")
    for b in sorted(range(net.bar_count), key=lambda b: -env.tension[b])[:8]:
        node1, node2 = net.bars[b]
        print(f"{b + 1:4d} {node1:3d}-{node2:<3d} {env.tension[b]:16.6f}  {env.tension_by[b] or '-'}")

    try:
        import matplotlib
        matplotlib.use("Agg")
        import matplotlib.pyplot as plt
    except ImportError:
        return
    figure, axes = plt.subplots()
    for name, r in study.results.items():
        axes.plot(range(1, net.bar_count + 1), r.axial_forces, ".-", label=name)
    axes.plot(range(1, net.bar_count + 1), env.tension, "k--", label="envelope")
    axes.set_xlabel("bar")
    axes.set_ylabel("axial force")
    axes.legend()
    figure.savefig(sys.argv[1] if len(sys.argv) > 1 else "combinations.png")


if __name__ == "__main__":
    main()
