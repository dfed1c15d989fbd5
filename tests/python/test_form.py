"""kalvane.form_find: the shape of a net from its force densities or target forces, against
closed forms, against kalvane-form's own files, and its analysis model through kalvane.path."""

import math
import os
import pathlib
import subprocess

import numpy as np
import pytest

import kalvane
from conftest import SOURCE, same_bits

HAS_FORM = hasattr(kalvane._core, "form_find")
HAS_PATH = hasattr(kalvane._core, "follow")
pytestmark = pytest.mark.skipif(not HAS_FORM, reason="this build lacks kalvane-form's library")

STEEL = kalvane.linear_elastic(210e9, name="steel")


def hanging_cable(segments, span, load, density):
    """A steel cable of `segments` equal bays between supports at (0,0,0) and (span,0,0),
    `load` downwards at every inner node, drawn straight; form-found with its loads."""
    n = segments + 1
    nodes = [(span * k / segments, 0.0, 0.0) for k in range(n)]
    bars = [(k, k + 1) for k in range(1, n)]
    held = [(k, c, 0.0) for k in (1, n) for c in (1, 2, 3)] + [(k, 2, 0.0) for k in range(2, n)]
    model = kalvane.Model(nodes, bars, [1e-4] * segments, STEEL, prescribed=held,
                          loads=[(k, 3, -load) for k in range(2, n)], cables=[True] * segments, title="cable")
    return model, kalvane.form_find(model, densities=density, loaded=True)


def test_a_hanging_cable_takes_its_closed_form_polygon_and_rest_lengths():
    segments, span, load, q = 8, 16.0, 3.0, 5.0
    model, form = hanging_cable(segments, span, load, q)
    assert (form.outcome, form.status) == ("found", 0)
    k = np.arange(segments + 1)
    # Each bay's horizontal force q dx is the same; the vertical drop of node k is the
    # parabola P k (n - k) / (2 q) of the discrete string.
    assert np.allclose(form.nodes[:, 0], span * k / segments, rtol=0, atol=1e-13)
    assert np.allclose(form.nodes[:, 2], -load * k * (segments - k) / (2 * q), rtol=0, atol=1e-12)
    dz = load * (segments - 1 - 2 * np.arange(segments)) / (2 * q)
    length = np.hypot(span / segments, dz)
    assert np.allclose(form.lengths, length, rtol=1e-14)
    assert np.allclose(form.forces, q * length, rtol=1e-14)
    assert np.allclose(form.rest_lengths, length / (1 + q * length / (210e9 * 1e-4)), rtol=1e-14)
    assert form.largest_residual < 1e-12
    # The analysis model: drawn at the shape, rest lengths given, the loads kept.
    assert np.array_equal(form.model.nodes, form.nodes) and same_bits(form.model.rest_lengths, form.rest_lengths)
    assert np.array_equal(form.model.load_array(), model.load_array())


@pytest.mark.skipif(not HAS_PATH, reason="this build lacks kalvane-path's library")
def test_the_analysis_model_of_a_form_found_unloaded_stands_still_unloaded():
    saddle = kalvane.form_find(SOURCE / "examples" / "saddle_net")
    unloaded = saddle.model.with_loads(np.zeros((saddle.model.node_count, 3)))
    still = kalvane.path(unloaded)
    assert still.status == 0
    assert np.abs(still.result.displacements).max() < 1e-9 * np.ptp(saddle.nodes)
    assert np.allclose(still.result.axial_forces, saddle.forces, rtol=1e-7)


def test_bad_arguments_are_refused_by_name():
    model, _ = hanging_cable(4, 8.0, 1.0, 2.0)
    with pytest.raises(kalvane.Error, match=r"densities\[2\] \(bar 3\) is nan"):
        kalvane.form_find(model, densities=[1.0, 1.0, float("nan"), 1.0])
    with pytest.raises(kalvane.Error, match=r"densities: 4 numbers"):
        kalvane.form_find(model, densities=[1.0, 1.0])
    for wrong in ("2", True, [True, False, True, True], b"1"):  # numbers to numpy, mistakes here
        with pytest.raises(kalvane.Error, match=r"densities: a number or 4 numbers \(one per bar\)"):
            kalvane.form_find(model, densities=wrong)
    assert kalvane.form_find(model, densities=np.int64(2)).status == 0
    with pytest.raises(kalvane.Error, match=r"bar 2 is a cable with the negative force density -1"):
        kalvane.form_find(model, densities=[1.0, -1.0, 1.0, 1.0])
    with pytest.raises(kalvane.Error, match=r"forces\[0\] \(bar 1\) is inf"):
        kalvane.form_find(model, forces=[math.inf, math.nan, math.nan, math.nan])
    with pytest.raises(kalvane.Error, match=r"bar 3 is a cable with the target force -2"):
        kalvane.form_find(model, forces=[math.nan, math.nan, -2.0, math.nan])
    with pytest.raises(kalvane.Error, match="tolerance"):
        kalvane.form_find(model, tolerance=0.0)
    # Python's whole numbers past a double's range: refused by name like any other number.
    with pytest.raises(kalvane.Error, match=r"^DATA_ERROR : tolerance: a positive finite number is expected"):
        kalvane.form_find(model, tolerance=10**400)
    with pytest.raises(kalvane.Error, match=r"^DATA_ERROR : densities: a number or 4 numbers"):
        kalvane.form_find(model, densities=[1.0, 10**400, 1.0, 1.0])
    with pytest.raises(kalvane.Error, match="max_iterations"):
        kalvane.form_find(model, max_iterations=0)
    with pytest.raises(kalvane.Error, match="model: a kalvane.Model or a model file"):
        kalvane.form_find(3)


def kalvane_form(*args):
    program = os.environ.get("KALVANE_FORM_EXE", str(SOURCE / "build" / "kalvane-form"))
    return subprocess.run([program, *args], capture_output=True, text=True)


def test_the_example_gives_kalvane_forms_files_to_the_last_bit(tmp_path):
    example = SOURCE / "examples" / "saddle_net"
    done = kalvane_form("--dir", str(example), "--out", str(tmp_path / "program"))
    assert done.returncode == 0, done.stderr
    program = {name: (tmp_path / "program" / name).read_bytes() for name in ("model.json", "form.csv", "form.svg")}

    form = kalvane.form_find(example)
    assert form.csv().encode() == program["form.csv"]
    rows = [line.split(",") for line in program["form.csv"].decode().splitlines()[1:]]
    for column, values in ((3, form.densities), (4, form.forces), (5, form.lengths), (6, form.rest_lengths)):
        assert same_bits([float(r[column]) for r in rows], values)
    assert form.model.model_file_text().encode() == program["model.json"]
    form.model.save(tmp_path / "saved.json")
    assert (tmp_path / "saved.json").read_bytes() == program["model.json"]
    assert form.write(tmp_path / "python") == ["model.json", "form.csv", "form.svg"]
    for name, content in program.items():
        assert (tmp_path / "python" / name).read_bytes() == content, name
    # The same model given as a kalvane.Model, its form section's values as arguments.
    model = kalvane.load(example)
    forces = np.full(model.bar_count, np.nan)
    forces[[14, 20, 22, 23]] = 3.0
    again = kalvane.form_find(model, densities=1.0, forces=forces, tolerance=1e-9)
    assert same_bits(again.nodes, form.nodes) and again.iterations == form.iterations


def test_a_folder_of_an_input_txt_is_found_as_kalvane_form_finds_it(tmp_path):
    # kalvane-form --dir takes the folder's model.json, else its input.txt; so does form_find.
    folder = tmp_path / "cable"
    folder.mkdir()
    kalvane.Model([(0, 0, 0), (1, 0.2, 0), (2, 0, 0)], [(1, 2), (2, 3)], [1e-4, 1e-4], kalvane.neo_hooke(2.0),
                  prescribed=[(k, c, 0.0) for k in (1, 3) for c in (1, 2, 3)]).write(folder)
    done = kalvane_form("--dir", str(folder), "--out", str(tmp_path / "program"))
    assert done.returncode == 0, done.stderr
    assert kalvane.form_find(folder).csv() == (tmp_path / "program" / "form.csv").read_text()


def test_targets_that_no_equilibrium_carries_give_status_2_and_name_the_bar():
    # A node between two supports balances one force along its line: 10 and 5 cannot both be
    # met. Each target draws its bar to a point in turn and is given up, its density back where
    # it started; the shape is still returned, with its model, and no bar in it is drawn to
    # nothing (the node back on the line's middle).
    model = kalvane.Model([(0, 0, 0), (1, 0.2, 0), (2, 0, 0)], [(1, 2), (2, 3)], [1e-4, 1e-4], STEEL,
                          prescribed=[(k, c, 0.0) for k in (1, 3) for c in (1, 2, 3)])
    form = kalvane.form_find(model, forces=[10.0, 5.0])
    assert (form.outcome, form.status) == ("targets not met", 2)
    assert [(u.bar, u.kind, u.wanted) for u in form.unmet] == [(1, "force", 10.0), (2, "force", 5.0)]
    assert "bar 1's target was given up" in form.stop and "bar 2's target was given up" in form.stop
    assert all("out of balance by 5 (50% of the largest force" in u.why for u in form.unmet)
    assert form.lengths == pytest.approx([1.0, 1.0], rel=1e-12)
    assert form.forces[0] == pytest.approx(form.forces[1], rel=1e-12)
    assert form.model.node_count == 3


def test_writing_the_files_never_replaces_the_model_read(tmp_path):
    # As kalvane-form refuses to: the analysis model written over the model file would lose
    # it (and its form section), and one beside an input.txt is what the folder reads next.
    net = tmp_path / "net"
    net.mkdir()
    text = (SOURCE / "examples" / "saddle_net" / "model.json").read_bytes()
    (net / "model.json").write_bytes(text)
    form = kalvane.form_find(net)
    with pytest.raises(kalvane.Error, match=r"would overwrite .*model\.json"):
        form.write(net)
    with pytest.raises(kalvane.Error, match=r"would overwrite .*model\.json"):
        kalvane.form_find(kalvane.load(net / "model.json")).write(str(net) + "/")
    assert (net / "model.json").read_bytes() == text
    assert sorted(os.listdir(net)) == ["model.json"]
    cable = tmp_path / "cable"
    cable.mkdir()
    kalvane.Model([(0, 0, 0), (1, 0.2, 0), (2, 0, 0)], [(1, 2), (2, 3)], [1e-4, 1e-4], kalvane.neo_hooke(2.0),
                  prescribed=[(k, c, 0.0) for k in (1, 3) for c in (1, 2, 3)]).write(cable)
    with pytest.raises(kalvane.Error, match=r"holds the model read"):
        kalvane.form_find(kalvane.read(cable)).write(cable)
    assert sorted(os.listdir(cable)) == ["input.txt"]
    assert form.write(net / "form") == ["model.json", "form.csv", "form.svg"]
