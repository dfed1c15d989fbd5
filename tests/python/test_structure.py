"""Models beyond input.txt: several materials, steel, rest lengths, prestress by force,
cables and self-weight; the model file; the path on them; and the refusals."""

import csv
import io
import json
import math
import pickle

import numpy as np
import pytest

import kalvane
from conftest import SOURCE

HAS_PATH = hasattr(kalvane._core, "follow")
needs_path = pytest.mark.skipif(not HAS_PATH, reason="this build has no kalvane-path library")

E, AREA, T = 2.1e5, 50.0, 3000.0     # N/mm^2, mm^2, N: a steel cable
C1 = 0.4                             # a soft rubber cord
FIXED = [(k, c, 0.0) for k in (1, 2, 3, 4) for c in (1, 2, 3)]


def two_spans(**changes):
    """Two spans of 1000 mm between fixed supports: a steel cable prestressed by force T, and a
    rubber cord cut 20 % short. Nothing moves, so each bar's force is its law's at the drawn
    length."""
    fields = dict(
        nodes=[(0.0, 0.0, 0.0), (1000.0, 0.0, 0.0), (0.0, 500.0, 0.0), (1000.0, 500.0, 0.0)], bars=[(1, 2), (3, 4)],
        areas=[AREA, 200.0], material=[kalvane.linear_elastic(E, name="steel"), kalvane.neo_hooke(C1, weight=1e-5)],
        prescribed=FIXED, rest_lengths=[math.nan, 800.0], prestress=[T, math.nan], cables=[True, False],
        title="two spans, steel and rubber")
    fields.update(changes)
    return kalvane.Model(**fields)


def bars_table(result, folder):
    result.write(folder)
    return list(csv.DictReader(io.StringIO((folder / "bars.csv").read_text())))


def bits(a):
    return np.asarray(a, dtype=np.float64).view(np.int64)


# ---- the model file

def test_save_and_load_give_back_every_bit(tmp_path):
    odd = 1.0 / 3.0
    model = two_spans(nodes=[(0.0, 0.1 + 0.2, 0.0), (1000.0 * odd, 0.0, 1e-300), (0.0, 500.0, 0.0),
                             (1000.0, 500.0, 5e-324)],
                      prestress=[T * odd, math.nan], gravity=(0.0, -odd, -1.0))
    model.save(tmp_path / "model.json")
    again = kalvane.load(tmp_path)
    for name in ("nodes", "areas", "rest_lengths", "prestress", "gravity"):
        assert (bits(getattr(again, name)) == bits(getattr(model, name))).all(), name
    assert list(again.cables) == [True, False]
    assert [m.name for m in again.material] == ["steel", "neo-hooke"]
    assert again.material[1] == kalvane.neo_hooke(C1, weight=1e-5, name="neo-hooke")
    assert again.title == model.title
    assert again.model_file_text() == (tmp_path / "model.json").read_text()


def test_a_model_files_form_section_goes_through_load_save_and_the_paths_files(tmp_path):
    example = SOURCE / "examples" / "saddle_net" / "model.json"
    model = kalvane.load(example)
    model.save(tmp_path / "model.json")
    text = (tmp_path / "model.json").read_text()
    assert '"form": {"density": 1.0, "tolerance": 1e-09' in text and '{"bars": [15, 21, 23, 24], "force": 3.0}' in text
    assert kalvane.load(tmp_path).model_file_text() == text
    if hasattr(kalvane._core, "form_find"):
        # The same defaults: the same shape, to the last bit.
        assert (bits(kalvane.form_find(tmp_path).nodes) == bits(kalvane.form_find(example).nodes)).all()
    if HAS_PATH:
        kalvane.path(model).write(tmp_path / "path")
        assert (tmp_path / "path" / "model.json").read_text() == text

    # The section names bars by number: a model that lost bar 24 cannot keep it.
    model.bars, model.areas = model.bars[:20], model.areas[:20]
    model.material, model.rest_lengths = model.material[:20], model.rest_lengths[:20]
    model.prestress, model.cables = model.prestress[:20], model.cables[:20]
    with pytest.raises(kalvane.Error, match=r"form: groups\[0\]: bar 21 is outside 1\.\.20"):
        model.save(tmp_path / "fewer.json")
    assert not (tmp_path / "fewer.json").exists()


def test_an_input_txt_whose_title_is_not_utf8_loads_with_replacement_characters(tmp_path):
    # Its title line holds Latin-1 bytes: kalvane.load reads it as kalvane.read does (and as
    # the model file writes it), each byte that is not UTF-8 a U+FFFD, not a UnicodeDecodeError.
    text = (SOURCE / "examples" / "three_node" / "input.txt").read_bytes()
    first_line_end = text.index(b"\n")
    (tmp_path / "input.txt").write_bytes(b"Tr\xe4ger \xb5m" + text[first_line_end:])
    loaded = kalvane.load(tmp_path)
    assert loaded.title == kalvane.read(tmp_path / "input.txt").title == "Tr\ufffdger \ufffdm"


def test_read_and_load_make_the_same_model_of_an_input_txt(tmp_path):
    # A byte order mark before the title is no part of it, for kalvane.read as for every program.
    text = (SOURCE / "examples" / "three_node" / "input.txt").read_bytes()
    (tmp_path / "input.txt").write_bytes(b"\xef\xbb\xbf" + text)
    read, loaded = kalvane.read(tmp_path), kalvane.load(tmp_path)
    assert read.title == loaded.title == text[:text.index(b"\n")].decode().strip()
    assert read.material == loaded.material and read.material.name == "material"
    assert read.model_file_text() == loaded.model_file_text()


def test_a_model_the_programs_refuse_at_their_start_is_refused_when_read_or_loaded(tmp_path):
    text = (SOURCE / "examples" / "three_node" / "input.txt").read_text()
    (tmp_path / "input.txt").write_text(text.replace("2    2      3      0.01", "2    2      9      0.01"))
    for reading in (kalvane.read, kalvane.load):
        with pytest.raises(kalvane.Error, match=r"^INDEX_ERROR : .*input\.txt:\d+: bar 2 names node 9, which is outside 1\.\.3"):
            reading(tmp_path)
    # A model of arrays may be drawn with a bar from a node to itself; its model file may not
    # be loaded, as no program runs it.
    two_spans(bars=[(1, 2), (3, 3)]).save(tmp_path / "model.json")
    with pytest.raises(kalvane.Error, match=r"^MODEL_ERROR : .*model\.json:\d+: bar 2 has zero length: nodes 3 and 3"):
        kalvane.load(tmp_path / "model.json")


def test_default_names_are_made_unique_and_clashing_names_refused():
    soft, softer = kalvane.neo_hooke(1.0), kalvane.neo_hooke(0.5)
    model = two_spans(material=[soft, softer], prestress=None, cables=None)
    assert '"name": "neo-hooke"' in model.model_file_text()
    assert '"name": "neo-hooke-2"' in model.model_file_text()
    with pytest.raises(kalvane.Error, match='two different materials are named "steel"'):
        two_spans(material=[kalvane.linear_elastic(E, name="steel"), kalvane.neo_hooke(1.0, name="steel")])


def test_a_plain_model_saved_and_loaded_still_writes_the_same_input_txt(tmp_path):
    plain = kalvane.Model(nodes=[(0.0, 0.0, 0.0), (1.0, 0.0, 0.0)], bars=[(1, 2)], areas=[0.1],
                          material=kalvane.mooney_rivlin(0.3, 0.1), prescribed=[(1, c, 0.0) for c in (1, 2, 3)],
                          loads=[(2, 1, 0.01)], title="plain")
    plain.write(tmp_path / "first.txt")
    plain.save(tmp_path / "model.json")
    kalvane.load(tmp_path / "model.json").write(tmp_path / "second.txt")
    assert (tmp_path / "first.txt").read_bytes() == (tmp_path / "second.txt").read_bytes()
    assert kalvane.load(tmp_path / "first.txt").beyond_kalvane() == ""



def test_a_material_given_in_place_of_the_files_own_replaces_it(tmp_path):
    """An input.txt's one material, replaced on every bar, is no second material: the model is
    still input.txt's, for Model.write and kalvane's own run. A model file's material that no bar
    used is still kept."""
    for reader in (kalvane.read, kalvane.load):
        model = reader(SOURCE / "examples" / "cable_net")
        model.material = kalvane.neo_hooke(2.0)
        assert model.beyond_kalvane() == ""
        model.write(tmp_path / "input.txt")
        assert kalvane.read(tmp_path).material == kalvane.neo_hooke(2.0, name="material")
        assert kalvane.solve(model, method="lbfgs").iterations > 0

    text = (SOURCE / "examples" / "two_materials" / "model.json").read_text()
    spare = '{"name": "spare", "law": "mooney-rivlin", "c1": 300.0, "c2": 20.0}'
    (tmp_path / "model.json").write_text(text.replace('"materials": [', '"materials": [\n    ' + spare + ','))
    model = kalvane.load(tmp_path / "model.json")
    model.material = kalvane.neo_hooke(500.0, name="cord")
    names = [m["name"] for m in json.loads(model.model_file_text())["materials"]]
    assert names == ["spare", "cord"]


# ---- what input.txt and kalvane's own run cannot hold

@pytest.mark.parametrize("changes, reason", [
    ({}, "2 materials"),
    ({"material": kalvane.linear_elastic(E), "rest_lengths": None, "prestress": None, "cables": None},
     "linear elastic"),
    ({"material": kalvane.neo_hooke(C1), "prestress": None, "cables": None}, "bar 2 has a rest length"),
    ({"material": kalvane.neo_hooke(C1, weight=1.0), "rest_lengths": None, "prestress": None, "cables": None},
     "has a weight"),
], ids=["two materials", "steel", "rest length", "weight"])
def test_input_txt_and_the_lbfgs_run_refuse_and_point_to_the_path(tmp_path, changes, reason):
    model = two_spans(**changes)
    assert reason in model.beyond_kalvane()
    with pytest.raises(kalvane.Error, match=rf"input\.txt .*{reason}.*kalvane\.path\(model\)"):
        model.write(tmp_path / "input.txt")
    assert not (tmp_path / "input.txt").exists()
    with pytest.raises(kalvane.Error, match=rf"L-BFGS.*{reason}.*kalvane\.path\(model\)"):
        kalvane.solve(model, method="lbfgs")


# ---- values without physical sense

@pytest.mark.parametrize("changes, message", [
    ({"areas": [AREA, -200.0]}, r"bar 2: the area must be positive"),
    ({"areas": [0.0, 200.0]}, r"bar 1: the area must be positive"),
    ({"rest_lengths": [math.nan, -800.0]}, r"bar 2: the rest length must be positive"),
    ({"rest_lengths": [math.nan, math.inf]}, r"bar 2: the rest length must be positive"),
    ({"prestress": [math.inf, math.nan]}, r"bar 1: the prestress must be finite"),
    ({"rest_lengths": [900.0, 800.0]}, r"bar 1: a rest length and a prestress are both given"),
    ({"material": [kalvane.linear_elastic(-E, name="steel"), kalvane.neo_hooke(C1)]},
     r'material "steel": E must be positive'),
    ({"material": [kalvane.linear_elastic(E), kalvane.neo_hooke(0.0)]}, r'material "neo-hooke": c1 must be'),
    ({"material": [kalvane.linear_elastic(E), kalvane.mooney_rivlin(0.2, -0.3)]}, r'"mooney-rivlin": c1 \+ c2'),
    ({"material": [kalvane.linear_elastic(E, weight=-1.0), kalvane.neo_hooke(C1)]}, r'"linear-elastic": the weight'),
    ({"gravity": (0.0, 0.0, 0.0)}, r"gravity must be a direction"),
    ({"material": [kalvane.linear_elastic(E)]}, r"material has 1 entries for the 2 bars"),
    ({"cables": [True, 2]}, r"cables: 2 booleans"),
])
def test_values_without_physical_sense_are_refused_by_name(tmp_path, changes, message):
    with pytest.raises(kalvane.Error, match=message):
        two_spans(**changes)
    model = two_spans()
    for name, value in changes.items():
        setattr(model, name, value)
    with pytest.raises(kalvane.Error, match=message):
        model.save(tmp_path / "model.json")
    assert not (tmp_path / "model.json").exists()


@needs_path
def test_a_prestress_the_law_cannot_give_is_refused_naming_the_bar():
    with pytest.raises(kalvane.Error, match=r"bar 1: a prestress of -3000 cannot be carried by a cable"):
        kalvane.path(two_spans(prestress=[-T, math.nan]))


# ---- the path on such models, against closed forms

@needs_path
def test_prestress_by_force_and_by_rest_length_give_their_laws_forces(tmp_path):
    found = kalvane.path(two_spans())
    assert found.status == 0, found.summary
    r = found.result
    assert np.abs(r.displacements).max() == 0.0
    assert r.axial_forces[0] == pytest.approx(T, rel=1e-12)
    stretch = 1000.0 / 800.0
    assert r.stretches[1] == pytest.approx(stretch, rel=1e-12)
    assert r.axial_forces[1] == pytest.approx(200.0 * C1 * (stretch - stretch ** -2), rel=1e-12)
    table = bars_table(r, tmp_path)
    assert float(table[0]["rest_length"]) == pytest.approx(1000.0 / (1.0 + T / (E * AREA)), rel=1e-14)
    assert [row["material"] for row in table] == ["steel", "neo-hooke"]
    assert r.strains[1] == pytest.approx(stretch - 1.0, rel=1e-12) and not r.slack.any()
    # The supports carry the prestress: the reactions balance each bar's force.
    assert r.reactions[0, 0] == pytest.approx(-T, rel=1e-12) and r.reactions[1, 0] == pytest.approx(T, rel=1e-12)


@needs_path
def test_a_cable_longer_than_its_span_hangs_slack_and_carries_nothing():
    r = kalvane.path(two_spans(prestress=None, rest_lengths=[1100.0, 800.0])).result
    assert list(r.slack) == [True, False]
    assert r.axial_forces[0] == 0.0 and r.axial_forces[1] > 0.0
    assert r.strains[0] == pytest.approx(1000.0 / 1100.0 - 1.0, rel=1e-12)


@needs_path
def test_a_paths_result_travels_as_its_state_and_comes_back_the_same_bits(tmp_path):
    """Pickled (as an executor sends it), the result of a structure beyond input.txt is
    rebuilt from its free displacements: every array and file the same, without the path."""
    found = kalvane.path(two_spans(prestress=None, rest_lengths=[1100.0, 800.0]))
    travelled = pickle.loads(pickle.dumps(found.result))
    for name in ("displacements", "reactions", "residuals", "stresses", "axial_forces", "stretches", "strains"):
        assert bits(getattr(travelled, name)).tolist() == bits(getattr(found.result, name)).tolist(), name
    assert (travelled.slack == found.result.slack).all() and travelled.iterations == found.result.iterations
    assert bits([travelled.objective, travelled.allowable_gradient]).tolist() == \
        bits([found.result.objective, found.result.allowable_gradient]).tolist()
    found.result.write(tmp_path / "here")
    travelled.write(tmp_path / "there")
    for name in ("abaqusfile.inp", "autocad.scr", "output.txt", "bars.csv"):
        assert (tmp_path / "there" / name).read_bytes() == (tmp_path / "here" / name).read_bytes(), name
    with pytest.raises(kalvane.Error, match="free displacements does not fit"):
        kalvane._result._restored_path(found.result.model, (np.zeros(1), (1.0, 1.0, 1.0), 0))


@needs_path
def test_a_stiff_and_a_soft_bar_in_parallel_share_the_load_by_their_own_laws():
    """Steel and rubber side by side from fixed supports to one node that slides along x."""
    load = 40.0
    model = kalvane.Model(
        nodes=[(0.0, 0.0, 0.0), (0.0, 10.0, 0.0), (100.0, 5.0, 0.0)], bars=[(1, 3), (2, 3)], areas=[0.01, 100.0],
        material=[kalvane.linear_elastic(E), kalvane.neo_hooke(1.0)],
        prescribed=[(k, c, 0.0) for k in (1, 2) for c in (1, 2, 3)] + [(3, 2, 0.0), (3, 3, 0.0)],
        loads=[(3, 1, load)])
    r = kalvane.path(model).result
    u = r.displacements[2, 0]
    drawn = math.hypot(100.0, 5.0)
    stretch = math.hypot(100.0 + u, 5.0) / drawn
    assert r.stretches == pytest.approx([stretch, stretch], rel=1e-12)
    assert r.axial_forces[0] == pytest.approx(E * 0.01 * (stretch - 1.0), rel=1e-9)
    assert r.axial_forces[1] == pytest.approx(100.0 * (stretch - stretch ** -2), rel=1e-9)
    # Each bar's stress by its own law: the force over the area for steel, the true stress
    # (the force over the incompressible bar's current area A / stretch) for rubber.
    assert r.stresses[0] == pytest.approx(r.axial_forces[0] / 0.01, rel=1e-12)
    assert r.stresses[1] == pytest.approx(r.axial_forces[1] * stretch / 100.0, rel=1e-12)
    # Statics at the free node: the bars' x components carry the load.
    assert (r.axial_forces * (100.0 + u) / (stretch * drawn)).sum() == pytest.approx(load, rel=1e-9)
    assert r.axial_forces[0] > r.axial_forces[1] > 0.0


@needs_path
def test_the_materials_weight_is_staged_as_dead_load():
    """A steel rod hanging from its top: its lower node carries half its weight."""
    weight, length = 7.85e-5, 2000.0
    model = kalvane.Model(nodes=[(0.0, 0.0, 0.0), (0.0, 0.0, -length)], bars=[(1, 2)], areas=[AREA],
                          material=kalvane.linear_elastic(E, weight=weight),
                          prescribed=[(1, c, 0.0) for c in (1, 2, 3)] + [(2, 1, 0.0), (2, 2, 0.0)])
    found = kalvane.path(model)
    half = weight * AREA * length / 2.0
    assert found.result.axial_forces[0] == pytest.approx(half, rel=1e-12)
    assert found.result.displacements[1, 2] == pytest.approx(-half / (E * AREA) * length, rel=1e-9)
    assert found.result.reactions[0, 2] == pytest.approx(2.0 * half, rel=1e-12)


@needs_path
def test_the_example_with_two_materials_loads_and_solves_by_path(tmp_path):
    example = SOURCE / "examples" / "two_materials" / "model.json"
    model = kalvane.load(example)
    assert {m.name for m in model.material} == {"steel", "rubber"}
    assert "kalvane.path" in _refusal(model)
    found = kalvane.path(model)
    assert found.status in (0, 3), found.summary
    table = bars_table(found.result, tmp_path / "found")
    assert [float(row["axial_force"]) for row in table] == list(found.result.axial_forces)
    assert (found.result.axial_forces[[i for i, m in enumerate(model.material) if m.name == "steel"]] > 0.0).all()
    model.save(tmp_path / "model.json")
    assert kalvane.load(tmp_path / "model.json").model_file_text() == (tmp_path / "model.json").read_text()


def _refusal(model):
    with pytest.raises(kalvane.Error) as refused:
        kalvane.solve(model, method="lbfgs")
    return str(refused.value)


@needs_path
def test_a_cable_going_slack_is_an_event_naming_it_at_its_load_factor():
    """A cable 1 mm short of its 1000 mm span, in line with a steel bar ten times as stiff,
    pushed back toward the cable's support: the cable's strain passes zero where the push
    takes the bar's 1 mm, 20 kN of the 30 kN, two thirds of the live stage."""
    model = kalvane.Model(
        nodes=[(0.0, 0.0, 0.0), (1000.0, 0.0, 0.0), (2000.0, 0.0, 0.0)], bars=[(1, 2), (2, 3)], areas=[10.0, 100.0],
        material=kalvane.linear_elastic(2e5),
        prescribed=[(k, c, 0.0) for k in (1, 3) for c in (1, 2, 3)] + [(2, 2, 0.0), (2, 3, 0.0)],
        rest_lengths=[999.0, math.nan], cables=[True, False], loads=[(2, 1, -30000.0)])
    found = kalvane.path(model)
    slack = [e for e in found.events if e.kind == "slack"]
    assert len(slack) == 1
    assert slack[0].bar == 1
    assert slack[0].stage == found.curve.stage[-1]
    assert slack[0].load_factor == pytest.approx(2.0 / 3.0, abs=1e-8)
    assert list(found.result.slack) == [True, False]
    row = found.curve.kind.index("slack")
    assert found.curve.bar[row] == 1 and found.curve.load_factor[row] == slack[0].load_factor
    assert "Cable 1 went slack at load factor 0.666667" in found.summary
