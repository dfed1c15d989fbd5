"""Self-weight against hand statics, combinations against single runs of their summed loads,
the envelope's governing combinations, and runs side by side against runs in turn."""

import numpy as np
import pytest

import kalvane
from conftest import EXAMPLES, same_run


def hanging_bar(length=2.0, area=1e-4):
    """A steel-like bar hanging from node 1; node 2 may move only vertically."""
    return kalvane.Model(nodes=[(0.0, 0.0, 0.0), (0.0, 0.0, -length)], bars=[(1, 2)], areas=[area],
                         material=kalvane.neo_hooke(7e10),
                         prescribed=[(1, 1, 0.0), (1, 2, 0.0), (1, 3, 0.0), (2, 1, 0.0), (2, 2, 0.0)],
                         settings=kalvane.Settings(tolerance=1e-12, max_iterations=100))


def test_hanging_bar_carries_its_own_weight():
    model = hanging_bar()
    weight = 7850.0 * 1e-4 * 2.0 * 9.81
    loads = kalvane.self_weight(model, 7850.0)
    assert loads[:, 2] == pytest.approx([-weight / 2, -weight / 2], rel=1e-15)
    assert (loads[:, :2] == 0.0).all()
    result = kalvane.solve(model.with_loads(loads), method="lbfgs")
    # The lower half of the weight hangs on the bar; the support holds both halves, its own
    # share included: nothing of the weight is lost at the prescribed node.
    assert result.axial_forces[0] == pytest.approx(weight / 2, rel=1e-9)
    assert result.reactions[0, 2] == pytest.approx(weight, rel=1e-9)
    assert result.stretches[0] > 1.0 and result.displacements[1, 2] < 0.0


def test_self_weight_weighs_each_bar_on_its_rest_length_as_the_materials_weight_does():
    """Two steel bars drawn 1000 long: one cut to 500, one prestressed to T, whose rest length
    is 1000 / (1 + T / EA)."""
    area, modulus, tension = 10.0, 2e5, 4e5
    model = kalvane.Model(nodes=[(0.0, 0.0, 0.0), (1000.0, 0.0, 0.0), (2000.0, 0.0, 0.0)], bars=[(1, 2), (2, 3)],
                          areas=[area, area], material=kalvane.linear_elastic(modulus, weight=1.0),
                          rest_lengths=[500.0, np.nan], prestress=[np.nan, tension],
                          prescribed=[(k, c, 0.0) for k in (1, 2, 3) for c in (1, 2, 3)])
    loads = kalvane.self_weight(model, 1.0, (0.0, 0.0, -1.0))
    cut, stretched = area * 500.0, area * 1000.0 / (1.0 + tension / (modulus * area))
    assert loads[:, 2] == pytest.approx([-cut / 2, -(cut + stretched) / 2, -stretched / 2], rel=1e-15)
    if hasattr(kalvane._core, "follow"):
        # The path's reactions carry the materials' own weight: the same total.
        assert kalvane.path(model).result.reactions[:, 2].sum() == pytest.approx(-loads[:, 2].sum(), rel=1e-12)


def test_reactions_of_a_supported_structure_sum_to_its_weight():
    model = kalvane.read(EXAMPLES[[e.name for e in EXAMPLES].index("space_truss")] / "input.txt")
    density, gravity = 2.5, (0.0, 0.0, -9.81)
    result = kalvane.solve(model.with_loads(kalvane.self_weight(model, density, gravity)), method="lbfgs")
    ends = model.nodes[model.bars - 1]
    lengths = np.sqrt(((ends[:, 1] - ends[:, 0]) ** 2).sum(axis=1))
    weight = (density * model.areas * lengths * 9.81).sum()
    # All bar end forces cancel in pairs, so the reactions and the residuals left at the free
    # components together balance the weight.
    leftover = result.allowable_gradient * np.count_nonzero(~result.prescribed)
    assert abs(result.reactions[:, 2].sum() - weight) <= leftover + 1e-12 * weight
    assert abs(result.reactions[:, :2].sum(axis=0)).max() <= leftover + 1e-12 * weight


def test_a_combination_is_one_run_of_its_summed_loads_and_the_envelope_names_what_governs():
    model = hanging_bar()
    cases = {"G": kalvane.self_weight(model, 7850.0), "S": kalvane.point_loads(model, [(2, 3, -20.0)]),
             "W": kalvane.point_loads(model, [(2, 3, 30.0), (2, 3, 10.0)])}  # uplift; rows add
    combinations = {"G": {"G": 1.0}, "G+S": {"G": 1.0, "S": 1.0}, "1.35G+1.5S": {"G": 1.35, "S": 1.5},
                    "G+1.5W": {"G": 1.0, "W": 1.5}}
    study = kalvane.solve_combinations(model, cases, combinations, workers=2, method="lbfgs")
    assert list(study.results) == list(combinations)
    summed = 1.35 * cases["G"] + 1.5 * cases["S"]
    assert same_run(study.results["1.35G+1.5S"], kalvane.solve(model.with_loads(summed), method="lbfgs"))

    forces = {name: r.axial_forces[0] for name, r in study.results.items()}
    assert forces["1.35G+1.5S"] > forces["G+S"] > forces["G"] > 0.0 > forces["G+1.5W"]
    env = study.envelope
    assert (env.tension[0], env.tension_by[0]) == (forces["1.35G+1.5S"], "1.35G+1.5S")
    assert (env.compression[0], env.compression_by[0]) == (forces["G+1.5W"], "G+1.5W")
    assert env.displacement_by == [None, "G+1.5W"]  # node 1 is held; node 2 moves most upward
    assert env.displacement[1] == abs(study.results["G+1.5W"].displacements[1, 2])


@pytest.mark.skipif(not hasattr(kalvane._core, "follow"), reason="this build has no kalvane-path library")
def test_the_envelope_names_the_combinations_under_which_a_cable_is_slack():
    """A node between two pretensioned steel cables, pulled along them: the cable behind it
    goes slack once the pull exceeds twice the pretension; a bar beside it never does."""
    area, modulus, tension = 100.0, 210000.0, 1000.0
    model = kalvane.Model(
        nodes=[(0.0, 0.0, 0.0), (2000.0, 0.0, 0.0), (1000.0, 0.0, 0.0), (1000.0, 1000.0, 0.0)],
        bars=[(1, 3), (3, 2), (3, 4)], areas=[area, area, area], material=kalvane.linear_elastic(modulus),
        prescribed=[(k, c, 0.0) for k in (1, 2, 4) for c in (1, 2, 3)] + [(3, 2, 0.0), (3, 3, 0.0)],
        prestress=[tension, tension, np.nan], cables=[True, True, False])
    cases = {"H": kalvane.point_loads(model, [(3, 1, 1000.0)])}
    combinations = {"0.5H": {"H": 0.5}, "3H": {"H": 3.0}, "-1.5H": {"H": -1.5}}
    study = kalvane.solve_combinations(model, cases, combinations)
    assert study.envelope.slack_under == [[], ["3H"], []]
    assert [list(r.slack) for r in study.results.values()] == [[False] * 3, [False, True, False], [False] * 3]
    pulled = study.results["3H"]
    # The slack cable carries nothing: the cable ahead and the bar beside take the pull.
    assert pulled.axial_forces[1] == 0.0 and pulled.strains[1] < 0.0
    u = pulled.displacements[2, 0]
    side = np.hypot(1000.0, u)
    assert pulled.axial_forces[0] + pulled.axial_forces[2] * (u / side) == pytest.approx(3000.0, rel=1e-9)
    assert study.envelope.compression_by == [None, None, None]


def test_solve_many_gives_the_bits_of_runs_in_turn():
    model = kalvane.read(EXAMPLES[[e.name for e in EXAMPLES].index("cable_net")] / "input.txt")
    models = [model.with_loads(level * model.load_array()) for level in (0.5, 1.0, 1.5, 2.0, 3.0)]
    side_by_side = kalvane.solve_many(models, workers=3, method="lbfgs")
    assert all(same_run(a, kalvane.solve(m, method="lbfgs")) for a, m in zip(side_by_side, models))
    assert all(same_run(a, kalvane.solve(m, threads=2, method="lbfgs")) for a, m in zip(side_by_side, models))


def test_a_failed_run_names_its_model_and_the_programs_error():
    held = hanging_bar()
    held.prescribed_at = np.array([(n, c) for n in (1, 2) for c in (1, 2, 3)])
    held.prescribed_values = np.zeros(6)
    with pytest.raises(kalvane.Error) as raised:
        kalvane.solve(held, method="lbfgs")
    assert raised.value.name == "NLP.HALT"
    with pytest.raises(kalvane.Error, match=r"models\[1\]"):
        loaded = hanging_bar()
        kalvane.solve_many([loaded.with_loads(kalvane.self_weight(loaded, 7850.0)), held], workers=2, method="lbfgs")


def test_a_negative_factor_gives_no_load_rows_to_the_components_without_load():
    model = hanging_bar()
    up = kalvane.point_loads(model, [(2, 3, 10.0)])
    study = kalvane.solve_combinations(model, {"U": up}, {"-U": {"U": -1.0}}, method="lbfgs")
    down = study.results["-U"].model
    assert down.loads_at.tolist() == [[2, 3]] and down.load_values.tolist() == [-10.0]


def test_a_failed_combination_is_named_by_its_combination():
    """The caller gave one model and named combinations: a failure speaks of those, not of
    models[i] or a kalvane.path(model) whose model they never had."""
    held = hanging_bar()
    held.prescribed_at = np.array([(n, c) for n in (1, 2) for c in (1, 2, 3)])
    held.prescribed_values = np.zeros(6)
    loads = {"G": kalvane.self_weight(held, 7850.0)}
    with pytest.raises(kalvane.Error, match=r"^NLP\.HALT : combination 'G\+': "):
        kalvane.solve_combinations(held, loads, {"G+": {"G": 1.0}, "G-": {"G": -1.0}}, workers=2, method="lbfgs")
    if not hasattr(kalvane._core, "follow"):
        return
    # In compression the Mooney-Rivlin bar's force peaks: a push beyond the peak collapses.
    bar = kalvane.Model(nodes=[(0.0, 0, 0), (1.0, 0, 0)], bars=[(1, 2)], areas=[1.0],
                        material=kalvane.mooney_rivlin(1.0, -0.99),
                        prescribed=[(1, c, 0.0) for c in (1, 2, 3)] + [(2, 2, 0.0), (2, 3, 0.0)])
    pull = kalvane.point_loads(bar, [(2, 1, 1.0)])
    with pytest.raises(kalvane.Error, match=r"^PATH\.COLLAPSE : combination 'push': ") as raised:
        kalvane.solve_combinations(bar, {"P": pull}, {"pull": {"P": 0.5}, "push": {"P": -0.01}, "pull2": {"P": 1.0}})
    assert "models[" not in raised.value.message and "kalvane.path(model)" not in raised.value.message
    assert "kalvane.path(model.with_loads(its summed loads))" in raised.value.message


def test_check_certifies_a_run_in_process():
    model = kalvane.read(EXAMPLES[[e.name for e in EXAMPLES].index("space_truss")] / "input.txt")
    findings = kalvane.check(model, kalvane.solve(model, method="lbfgs"))
    assert findings["residual"]["within"] and findings["refinement"]["converged"]
    assert findings["nodes"] == model.node_count and findings["bars"] == model.bar_count


def test_check_checks_the_model_given_in_a_folder_holding_another_models_file(tmp_path):
    """kalvane-check reads a folder's model.json before its input.txt: the one check writes
    is the model it was given, whatever model file the folder held before."""
    model = kalvane.read(EXAMPLES[[e.name for e in EXAMPLES].index("space_truss")] / "input.txt")
    hanging_bar().save(tmp_path)
    findings = kalvane.check(model, kalvane.solve(model, method="lbfgs"), folder=tmp_path)
    assert findings["input"] == str(tmp_path / "input.txt")
    assert findings["nodes"] == model.node_count and findings["residual"]["within"]


def test_check_in_the_folder_of_the_input_txt_read_keeps_that_file(tmp_path):
    text = (EXAMPLES[[e.name for e in EXAMPLES].index("space_truss")] / "input.txt").read_text()
    (tmp_path / "input.txt").write_text(text + "checked by hand on Monday\n")
    model = kalvane.read(tmp_path)
    assert kalvane.check(model, kalvane.solve(model, method="lbfgs"), folder=tmp_path)["residual"]["within"]
    assert (tmp_path / "input.txt").read_text() == text + "checked by hand on Monday\n"
    changed = model.with_loads(2.0 * model.load_array())
    with pytest.raises(kalvane.Error, match="holds the model read"):
        kalvane.check(changed, kalvane.solve(changed, method="lbfgs"), folder=tmp_path)
    assert (tmp_path / "input.txt").read_text() == text + "checked by hand on Monday\n"
