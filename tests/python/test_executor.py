"""Studies handed to an executor: Results that travel pickled and arrive bit for bit, with
the same files; a process pool's and a two-worker Dask cluster's runs against this
process's own."""

import logging
import multiprocessing
import pickle
from concurrent.futures import ProcessPoolExecutor

import numpy as np
import pytest

import kalvane
from conftest import EXAMPLES, SOURCE, files_in, same_bits, same_run


def example(name):
    return kalvane.read(EXAMPLES[[e.name for e in EXAMPLES].index(name)] / "input.txt")


def test_a_pickled_result_arrives_with_the_same_bits_and_files(tmp_path):
    model = example("space_truss")
    result = kalvane.solve(model, method="lbfgs")
    travelled = pickle.loads(pickle.dumps(result))
    assert same_run(travelled, result) and travelled.prescribed.tolist() == result.prescribed.tolist()
    result.write(tmp_path / "here")
    travelled.write(tmp_path / "there")
    assert files_in(tmp_path / "there") == files_in(tmp_path / "here")
    # A state that does not fit its model is refused, not written out of bounds.
    unknowns, gradient, *rest = result._run.state()
    with pytest.raises(kalvane.Error, match="does not fit"):
        kalvane._core.restore(model._held(), unknowns[:-1], gradient[:-1], *rest)


def test_paths_side_by_side_on_threads_give_one_paths_bits():
    # A net whose path goes through many factorisations and cables going slack: eight runs
    # on four threads of this process, each bit for bit the run alone (the BLAS under the
    # factorisation keeps one buffer per process, and two runs once wrote into each other's).
    model = kalvane.load(SOURCE / "examples" / "saddle_net")
    alone = kalvane.solve(model)
    for result in kalvane.solve_many([model] * 8, workers=4):
        assert same_run(result, alone)
        assert result.slack.tolist() == alone.slack.tolist()
    # The path's result keeps its model as it was followed.
    before = alone.to_json()
    model.areas *= 2.0
    assert alone.to_json() == before and same_run(pickle.loads(pickle.dumps(alone)), alone)


def test_a_process_pool_solves_as_this_process_does_and_names_a_failed_model():
    net = example("cable_net")
    models = [net.with_loads(level * net.load_array()) for level in (0.5, 1.0, 2.0)]
    held = net.copy()
    held.prescribed_at = np.array([(n, c) for n in range(1, net.node_count + 1) for c in (1, 2, 3)])
    held.prescribed_values = np.zeros(3 * net.node_count)
    # Spawned, not forked: a fork of a process with threads running may hang.
    with ProcessPoolExecutor(2, mp_context=multiprocessing.get_context("spawn")) as pool:
        pooled = kalvane.solve_many(models, executor=pool, method="lbfgs")
        with pytest.raises(kalvane.Error, match=r"^NLP\.HALT : models\[1\]: "):
            kalvane.solve_many([models[0], held, models[1]], executor=pool, method="lbfgs")
        with pytest.raises(kalvane.Error, match="^DATA_ERROR : workers: the executor decides"):
            kalvane.solve_many(models, workers=2, executor=pool)
    assert all(same_run(a, kalvane.solve(m, method="lbfgs")) for a, m in zip(pooled, models))
    # Each result keeps its model as it was solved: an edit of the caller's model afterwards
    # changes no answer already given, nor its pickle.
    assert all(a.model is not m and same_bits(a.model.areas, m.areas) for a, m in zip(pooled, models))
    before = pooled[0].to_json()
    models[0].areas *= 2.0
    models[0].nodes[5, 2] += 0.05
    assert pooled[0].to_json() == before
    assert same_run(pickle.loads(pickle.dumps(pooled[0])), pooled[0])
    with pytest.raises(kalvane.Error, match="^DATA_ERROR : executor: a concurrent.futures.Executor is expected"):
        kalvane.solve_many(models, executor=4)


def test_a_combination_study_on_a_two_worker_dask_cluster_equals_this_process():
    distributed = pytest.importorskip("distributed")
    net = example("cable_net")
    interior = [7, 8, 9, 12, 13, 14, 17, 18, 19]
    cases = {"G": kalvane.self_weight(net, 100.0), "S": net.load_array(),
             "W": kalvane.point_loads(net, [(node, 3, 0.6) for node in interior])}
    combinations = {"G": {"G": 1.0}, "G+S": {"G": 1.0, "S": 1.0}, "1.35G+1.5S": {"G": 1.35, "S": 1.5},
                    "G+1.5W": {"G": 1.0, "W": 1.5}}
    here = kalvane.solve_combinations(net, cases, combinations, workers=2, method="lbfgs")
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None,
                                  silence_logs=logging.ERROR) as cluster, distributed.Client(cluster) as client:
        assert len(client.scheduler_info()["workers"]) == 2
        there = kalvane.solve_combinations(net, cases, combinations, executor=client.get_executor(), method="lbfgs")
    assert list(there.results) == list(combinations)
    assert all(same_run(there.results[name], here.results[name]) for name in combinations)
    for field in ("tension", "compression", "displacement"):
        assert getattr(there.envelope, field).tobytes() == getattr(here.envelope, field).tobytes()
        assert getattr(there.envelope, f"{field}_by") == getattr(here.envelope, f"{field}_by")
