#!/usr/bin/env python3
"""A study of RUNS load levels of a generated cable net, solved by kalvane.solve_many in one
process, on a two-process pool and on a two-worker Dask LocalCluster; prints each wall time
and its ratio to one process. A measuring script, never a test; it fails on no figure.

    PYTHONPATH=build/python /usr/bin/python3 bench/python_executors.py [--generate build/kalvane-generate]
        [--bars 2000] [--runs 200] [--method path|lbfgs]

The pool and the cluster are started before their clock starts; the time includes sending
the models and the pickled Results both ways."""

import argparse
import logging
import multiprocessing
import os
import subprocess
import tempfile
import time
from concurrent.futures import ProcessPoolExecutor

import numpy as np

import kalvane


def study(generate, bars, runs, folder):
    path = os.path.join(folder, "input.txt")
    subprocess.run([generate, "net", str(bars), "-o", path], check=True, capture_output=True)
    net = kalvane.read(path)
    loads = net.load_array()
    return [net.with_loads(level * loads) for level in np.linspace(0.5, 1.5, runs)]


def timed(solve):
    start = time.perf_counter()
    results = solve()
    return time.perf_counter() - start, results


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--generate", default="build/kalvane-generate")
    parser.add_argument("--bars", type=int, default=2000)
    parser.add_argument("--runs", type=int, default=200)
    parser.add_argument("--method", choices=kalvane._run.METHODS, default="path")
    a = parser.parse_args()
    with tempfile.TemporaryDirectory(prefix="kalvane-executors-") as folder:
        models = study(a.generate, a.bars, a.runs, folder)
    print(f"{a.runs} runs (method={a.method!r}) of a {models[0].bar_count}-bar net ({models[0].node_count} nodes)")

    rows = [("one process", *timed(lambda: kalvane.solve_many(models, workers=1, method=a.method)))]
    with ProcessPoolExecutor(2, mp_context=multiprocessing.get_context("spawn")) as pool:
        pool.submit(int).result()  # the workers are up
        rows.append(("two processes", *timed(lambda: kalvane.solve_many(models, executor=pool, method=a.method))))
    try:
        import distributed
    except ImportError:
        print("Dask's distributed is not installed (Debian: python3-distributed): no cluster")
    else:
        with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None,
                                      silence_logs=logging.ERROR) as cluster, distributed.Client(cluster) as client:
            rows.append(("two-worker Dask LocalCluster",
                         *timed(lambda: kalvane.solve_many(models, executor=client.get_executor(), method=a.method))))

    first = rows[0][2]
    alike = all(r.stretches.tobytes() == f.stretches.tobytes() for _, _, results in rows for r, f in zip(results, first))
    one = rows[0][1]
    print(f"{'':30s} {'seconds':>9s} {'vs one process':>15s}")
    for name, seconds, _ in rows:
        print(f"{name:30s} {seconds:9.2f} {one / seconds:14.2f}x")
    print("results alike to the last bit" if alike else "RESULTS DIFFER")


if __name__ == "__main__":
    main()
