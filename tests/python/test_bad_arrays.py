"""Bad arrays and bad arguments are refused as kalvane.Error with a message naming the
entry, the argument, the load case or the combination, before anything runs or is written;
and a file's silent readings come back as warnings."""

import math
import re

import numpy as np
import pytest

import kalvane
from conftest import SOURCE


def good():
    return dict(nodes=[(0.0, 0.0, 0.0), (1.0, 0.0, 0.0), (1.0, 1.0, 0.0)], bars=[(1, 2), (2, 3)], areas=[0.01, 0.02],
                material=kalvane.neo_hooke(10.0),
                prescribed=[(1, 1, 0.0), (1, 2, 0.0), (1, 3, 0.0), (2, 3, 0.0), (3, 3, 0.0), (3, 1, 0.0)],
                loads=[(2, 1, 0.05), (3, 2, 0.01)])


def changed(**fields):
    arrays = good()
    arrays.update(fields)
    return arrays


BAD = [
    pytest.param(changed(bars=[(1, 2), (2, 0)]), r"bars\[1\] \(bar 2\): the second node 0 is outside 1\.\.3",
                 id="bar naming node 0"),
    pytest.param(changed(bars=[(1, 2), (2, 4)]), r"bars\[1\] \(bar 2\): the second node 4 is outside 1\.\.3",
                 id="bar naming a node beyond the count"),
    pytest.param(changed(nodes=[(0.0, 0.0, 0.0), (1.0, math.nan, 0.0), (1.0, 1.0, 0.0)]),
                 r"nodes\[1\] \(node 2\): the y coordinate is nan, not a finite number", id="NaN coordinate"),
    pytest.param(changed(loads=[(2, 1, 0.05), (3, 4, 0.01)]), r"loads\[1\] \(node 3\): the component 4 is outside 1\.\.3",
                 id="load component 4"),
    pytest.param(changed(prescribed=[(1, 1, 0.0), (4, 2, 0.0)]), r"prescribed\[1\]: the node number 4 is outside 1\.\.3",
                 id="prescribed node beyond the count"),
    pytest.param(changed(areas=[0.01]), r"areas has 1 entries for the 2 bars", id="fewer areas than bars"),
    pytest.param(changed(bars=[(1, 2.5)], areas=[0.01]), r"bars\[0\] \(bar 1\): the second node 2\.5 is not a whole",
                 id="bar node that is not a whole number"),
    pytest.param(changed(nodes=[(0.0, 0.0), (1.0, 0.0)]), r"nodes: a table of 3 real numbers a row is expected",
                 id="two coordinates a node"),
    pytest.param(changed(areas=[0.01, math.inf]), r"areas\[1\] \(bar 2\): the area is inf", id="infinite area"),
    # Texts and flags, which numpy reads as numbers, are no engineer's numbers.
    pytest.param(changed(areas=["0.01", "0.02"]), r"areas: real numbers are expected, not '0\.01'", id="areas as text"),
    pytest.param(changed(areas=[True, True]), r"areas: real numbers are expected, not True", id="areas as flags"),
    pytest.param(changed(loads=[(2, 1, True)]), r"loads: real numbers are expected, not True", id="load of True"),
    pytest.param(changed(loads=[(True, 1, 0.05)]), r"loads: real numbers are expected, not True", id="load on node True"),
    pytest.param(changed(areas=[0.01, None]), r"areas: real numbers are expected, not None", id="area left out"),
    pytest.param(changed(loads=[(2, 1, None)]), r"loads: real numbers are expected, not None", id="load left out"),
    pytest.param(changed(title=b"bytes"), r"title: a text is expected, not b'bytes'", id="title as bytes"),
    pytest.param(changed(title="a\ud800b"), r"title: a text UTF-8 can write is expected, not 'a\\ud800b'",
                 id="title with a lone surrogate"),
]


@pytest.mark.parametrize("arrays, message", BAD)
def test_a_bad_array_is_refused_naming_its_entry(arrays, message):
    with pytest.raises(kalvane.Error, match=message):
        kalvane.Model(**arrays)


def test_a_model_spoiled_after_it_was_built_is_refused_and_nothing_is_written(tmp_path):
    spoilers = [("bars", np.array([(1, 2), (0, 3)]), r"bars\[1\] \(bar 2\): the first node 0"),
                ("nodes", np.array([(0.0, 0.0, 0.0), (1.0, 0.0, math.nan), (1.0, 1.0, 0.0)]), r"node 2\): the z"),
                ("loads_at", np.array([(2, 1), (3, 4)]), r"loads\[1\] \(node 3\): the component 4"),
                ("prescribed_values", np.zeros(5), r"prescribed_values has 5 entries for the 6 rows")]
    for name, value, message in spoilers:
        model = kalvane.Model(**good())
        setattr(model, name, value)
        for act in (lambda: model.write(tmp_path / "input.txt"), lambda: kalvane.solve(model),
                    lambda: kalvane.solve_many([kalvane.Model(**good()), model])):
            with pytest.raises(kalvane.Error, match=message):
                act()
        assert list(tmp_path.iterdir()) == []


def study_cases():
    loads = np.zeros((3, 3))
    loads[1, 0] = 0.05
    return {"Q": loads, "W": 0.5 * loads}


HAS_PATH = hasattr(kalvane._core, "follow")
needs_path = pytest.mark.skipif(not HAS_PATH, reason="this build has no kalvane-path library")
BAD_ARGUMENTS = [
    pytest.param(lambda m: kalvane.solve_many([m, "text"]), r"^models\[1\]: a kalvane\.Model is expected, not str 'text'",
                 id="text among the models"),
    pytest.param(lambda m: kalvane.solve_many(m), r"^models: a list of kalvane\.Model", id="one model for a list"),
    pytest.param(lambda m: kalvane.solve("input.txt"), r"^model: a kalvane\.Model is expected", id="a name for a model"),
    pytest.param(lambda m: kalvane.solve(m, threads="4"), r"^threads: a whole number", id="threads as text"),
    pytest.param(lambda m: kalvane.solve_many([m], workers=0), r"^workers: a whole number from 1 to 2147483647",
                 id="no workers"),
    pytest.param(lambda m: kalvane.solve(m, threads=2**31), r"^threads: a whole number from 0 to 2147483647 is expected, not int",
                 id="threads beyond 32 bits"),
    pytest.param(lambda m: kalvane.solve(m, method="lbfgs", threads=2**31 - 1),
                 r"^threads: at most 1024 threads an evaluation, as the program takes OMP_NUM_THREADS, not 2147483647",
                 id="threads past any machine's"),
    pytest.param(lambda m: kalvane.solve_combinations(m, study_cases(), {"1.5Q": {"Q": math.nan}}),
                 r"^combination '1\.5Q': the factor of load case 'Q' is nan", id="NaN factor"),
    pytest.param(lambda m: kalvane.solve_combinations(m, study_cases(), {"Q+W": {"Q": 1.0, "W": "1.5"}}),
                 r"^combination 'Q\+W': the factor of load case 'W' is '1\.5'", id="factor as text"),
    pytest.param(lambda m: kalvane.solve_combinations(m, {"B": np.full((3, 3), 1e300)}, {"ULS": {"B": 1e10}}),
                 r"^combination 'ULS': the combined load overflowed: its x component at node 1 is inf",
                 id="factored case past a double", marks=pytest.mark.filterwarnings("error")),
    pytest.param(lambda m: kalvane.solve_combinations(m, {"B": np.full((3, 3), 1e308), "C": np.full((3, 3), 1e308)},
                                                      {"B+C": {"B": 1.0, "C": 1.0}}),
                 r"^combination 'B\+C': the combined load overflowed", id="sum past a double",
                 marks=pytest.mark.filterwarnings("error")),
    pytest.param(lambda m: kalvane.solve_combinations(m, study_cases(), {"Q+S": {"Q": 1.0, "S": 1.0}}),
                 r"^combination 'Q\+S' names the load case 'S', which is not among \['Q', 'W'\]", id="unknown case"),
    pytest.param(lambda m: kalvane.solve_combinations(m, {**study_cases(), "S": np.zeros((2, 3))}, {"Q": {"Q": 1.0}}),
                 r"^load case 'S': 3 rows \(one per node\) of 3 components are expected, not an array of shape \(2, 3\)",
                 id="case with a row too few"),
    pytest.param(lambda m: kalvane.solve_combinations(m, {"S": np.zeros(9)}, {"S": {"S": 1.0}}),
                 r"^load case 'S': a table of 3 real numbers a row is expected", id="flat case"),
    pytest.param(lambda m: kalvane.solve_combinations(m, {"S": np.full((3, 3), math.inf)}, {"S": {"S": 1.0}}),
                 r"^load case 'S': the x component of node 1 is inf", id="infinite case"),
    pytest.param(lambda m: kalvane.solve_combinations(m, study_cases(), {"Q": 1.0}),
                 r"^combination 'Q': a dict of factors by load case is expected", id="factor for a combination"),
    pytest.param(lambda m: kalvane.self_weight(m, "7850"), r"^density: a finite number is expected", id="density text"),
    pytest.param(lambda m: kalvane.self_weight(m, -100.0),
                 r"^density: the mass per unit volume must be zero or positive and finite, not float -100\.0",
                 id="negative density"),
    pytest.param(lambda m: kalvane.self_weight(m, 7850.0, gravity=(0.0, -9.81)), r"^gravity: three finite",
                 id="two gravity components"),
    pytest.param(lambda m: kalvane.neo_hooke("soft"), r"^c1: a real number is expected, not 'soft'", id="c1 as text"),
    pytest.param(lambda m: kalvane.neo_hooke("2.0"), r"^c1: a real number is expected, not '2\.0'", id="c1 as a number's text"),
    pytest.param(lambda m: kalvane.neo_hooke(2.0, weight=True), r"^weight: a real number is expected, not True",
                 id="weight as a flag"),
    pytest.param(lambda m: kalvane.Model(**changed(settings=kalvane.Settings(memory="5"))),
                 r"^settings: memory '5' is not a number", id="setting as text"),
    # Numbers no double holds, which Python and numpy would raise as errors of their own.
    pytest.param(lambda m: kalvane.Model(**changed(settings=kalvane.Settings(memory=math.nan))),
                 r"^settings: memory float nan is not a whole number in the 32-bit range", id="memory of NaN"),
    pytest.param(lambda m: kalvane.Model(**changed(settings=kalvane.Settings(max_iterations=math.inf))),
                 r"^settings: max_iterations float inf is not a whole number", id="infinite iterations"),
    pytest.param(lambda m: kalvane.Model(**changed(settings=kalvane.Settings(sigma=10**400))),
                 r"^settings: sigma is int 10{56}\.\.\., not a finite number", id="sigma past a double"),
    pytest.param(lambda m: kalvane.Model(**changed(areas=[0.01, 10**400])),
                 r"^areas: real numbers are expected, not int 10{56}\.\.\., which no double holds", id="area past a double"),
    pytest.param(lambda m: kalvane.Model(**changed(gravity=(0, 0, -10**400))),
                 r"^gravity: real numbers are expected, not int -10{55}\.\.\., which no double holds",
                 id="gravity past a double"),
    pytest.param(lambda m: kalvane.neo_hooke(10**400), r"^c1: a real number is expected, not int 10{56}\.\.\., which no",
                 id="c1 past a double"),
    pytest.param(lambda m: kalvane.self_weight(m, 10**400), r"^density: a finite number is expected, not int 10{56}",
                 id="density past a double"),
    pytest.param(lambda m: kalvane.solve_combinations(m, study_cases(), {"Q": {"Q": 10**400}}),
                 r"^combination 'Q': the factor of load case 'Q' is 10{400}, not a finite number", id="factor past a double"),
    pytest.param(lambda m: kalvane.read(5), r"^path: a file or folder name is expected", id="read of a number"),
    pytest.param(lambda m: m.write(None), r"^path: a file or folder name is expected, not None", id="write nowhere"),
    pytest.param(lambda m: kalvane.solve(m).to_csv(2.5), r"^folder: a file or folder name is expected, not 2\.5",
                 id="results into a number"),
    pytest.param(lambda m: kalvane.point_loads(m.nodes, [(1, 1, 1.0)]), r"^model: a kalvane\.Model is expected",
                 id="point loads on an array"),
    pytest.param(lambda m: kalvane.path(m, loading="sideways"), r'^loading: "staged" or "together" is expected, '
                 r"not str 'sideways'", id="unknown loading", marks=needs_path),
    pytest.param(lambda m: kalvane.path(m, loading=np.array(["staged", "together"])),
                 r'^loading: "staged" or "together" is expected, not ndarray', id="loading as an array", marks=needs_path),
    pytest.param(lambda m: kalvane.path(m, watch=(4, 1)), r"^watch: the node 4 is outside 1\.\.3", id="watch node 4",
                 marks=needs_path),
    pytest.param(lambda m: kalvane.path(m, watch=(2, 0)), r"^watch \(node 2\): the component 0 is outside 1\.\.3",
                 id="watch component 0", marks=needs_path),
    pytest.param(lambda m: kalvane.path(m, watch=2), r"^watch: a \(node, component\) pair is expected",
                 id="watch of a node alone", marks=needs_path),
]


@pytest.mark.parametrize("act, message", BAD_ARGUMENTS)
def test_a_bad_argument_is_a_kalvane_error_naming_it(act, message):
    with pytest.raises(kalvane.Error) as raised:
        act(kalvane.Model(**good()))
    assert raised.value.name in ("DATA_ERROR", "INDEX_ERROR")
    assert raised.value.message == raised.value.message.strip()
    assert "--" not in raised.value.message, "a Python caller is told of command-line options"
    assert re.search(message, raised.value.message), raised.value.message


@needs_path
def test_the_path_names_a_model_of_arrays_by_its_name_not_by_a_file_it_never_had():
    model = kalvane.Model(**changed(nodes=[(0.0, 0.0, 0.0), (0.0, 0.0, 0.0), (1.0, 1.0, 0.0)]))
    for run in (lambda: kalvane.path(model), lambda: kalvane.solve(model, method="lbfgs")):
        with pytest.raises(kalvane.Error, match=r"^MODEL_ERROR : model: bar 1 has zero length"):
            run()


def test_a_fault_in_one_of_many_models_names_its_place():
    spoiled = kalvane.Model(**good())
    spoiled.areas = np.array([0.01, math.nan])
    with pytest.raises(kalvane.Error, match=r"^DATA_ERROR : models\[2\]: areas\[1\] \(bar 2\): the area is nan"):
        kalvane.solve_many([kalvane.Model(**good()), kalvane.Model(**good()), spoiled])


SILENT_READINGS = {"-2 000.0": ("-2", -2.0, "grouped by a blank"), "500,0": ("500", 500.0, "',0' is glued")}


@pytest.mark.parametrize("written", SILENT_READINGS)
def test_read_returns_what_the_reader_takes_in_silence_and_strict_refuses_it(tmp_path, written):
    taken, value, warning = SILENT_READINGS[written]
    text = (SOURCE / "examples" / "single_bar" / "input.txt").read_text()
    assert "2     1          0.05\n" in text
    (tmp_path / "input.txt").write_text(text.replace("2     1          0.05\n", f"2     1          {written}\n"))

    model = kalvane.read(tmp_path)
    assert model.load_values.tolist() == [value]
    assert len(model.warnings) == 1
    assert model.warnings[0].startswith(f"{tmp_path / 'input.txt'}:26:") and warning in model.warnings[0]
    with pytest.raises(kalvane.Error, match=warning) as raised:
        kalvane.read(tmp_path, strict=True)
    assert "strict" in raised.value.message

    clean = kalvane.read(SOURCE / "examples" / "single_bar", strict=True)
    assert clean.warnings == [] and kalvane.Model(**good()).warnings == []


def test_a_file_that_is_not_utf8_is_warned_of_and_refused_as_any_other(tmp_path):
    text = (SOURCE / "examples" / "single_bar" / "input.txt").read_bytes()
    (tmp_path / "glued").mkdir()
    (tmp_path / "glued" / "input.txt").write_bytes(text.replace(b"2     1          0.05\n", b"2     1          500,0\xb5\n"))
    model = kalvane.read(tmp_path / "glued")
    assert model.load_values.tolist() == [500.0] and "',0\ufffd' is glued" in model.warnings[0]

    (tmp_path / "bad").mkdir()
    (tmp_path / "bad" / "input.txt").write_bytes(text.replace(b"1    1      2      0.01", b"1    1      2      \xb50.01"))
    with pytest.raises(kalvane.Error, match="\ufffd"):
        kalvane.read(tmp_path / "bad")


def test_a_file_name_given_as_bytes_is_taken_as_its_text(tmp_path):
    model = kalvane.Model(**good())
    folder = tmp_path / "run"
    folder.mkdir()
    model.write(bytes(folder))
    assert kalvane.read(bytes(folder)).load_values.tolist() == model.load_values.tolist()
    model.save(bytes(folder))
    assert kalvane.load(bytes(folder)).model_file_text() == model.model_file_text()
    kalvane.solve(model, method="lbfgs").to_csv(bytes(folder))
    assert (folder / "nodes.csv").is_file()


def test_a_place_that_cannot_be_written_is_a_kalvane_error_naming_it(tmp_path):
    result = kalvane.solve(kalvane.Model(**good()), method="lbfgs")
    blocker = tmp_path / "a file"
    blocker.write_text("")
    # A file where a folder must go, a folder where a file must go: the programs' NAME_ERROR.
    for act in (lambda: result.write(blocker), lambda: result.to_csv(blocker), lambda: result.to_csv(blocker / "run"),
                lambda: result.to_json(tmp_path / "missing" / "run.json"), lambda: result.to_json(tmp_path)):
        with pytest.raises(kalvane.Error) as raised:
            act()
        assert raised.value.name == "NAME_ERROR" and str(tmp_path) in raised.value.message, raised.value
