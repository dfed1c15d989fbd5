"""kalvane.path against kalvane-path itself, on the shallow two-bar truss that kalvane's own
run carries past its supports."""

import csv
import io
import os
import pickle
import subprocess

import numpy as np
import pytest

import kalvane
from conftest import SOURCE

HAS_PATH = hasattr(kalvane._core, "follow")


def shallow_truss():
    """Steel, N and mm: half-span 2000, rise 100, A = 1000, 1 kN down at the apex."""
    return kalvane.Model(
        nodes=[(0.0, 0.0, 0.0), (2000.0, 0.0, 100.0), (4000.0, 0.0, 0.0)], bars=[(1, 2), (2, 3)],
        areas=[1000.0, 1000.0], material=kalvane.neo_hooke(70000.0),
        prescribed=[(1, c, 0.0) for c in (1, 2, 3)] + [(3, c, 0.0) for c in (1, 2, 3)] + [(2, 2, 0.0)],
        loads=[(2, 3, -1000.0)], settings=kalvane.Settings(tolerance=1e-6), title="shallow two-bar truss")


@pytest.mark.skipif(HAS_PATH, reason="this build has kalvane-path's library")
def test_path_says_plainly_that_the_build_lacks_it():
    with pytest.raises(NotImplementedError, match="kalvane-path"):
        kalvane.path(shallow_truss())


def kalvane_path_in(folder):
    program = os.environ.get("KALVANE_PATH_EXE", str(SOURCE / "build" / "kalvane-path"))
    return subprocess.run([program], cwd=folder, capture_output=True, text=True)


def path_csv_columns(text):
    rows = list(csv.reader(io.StringIO(text)))
    return {name: [row[i] for row in rows[1:]] for i, name in enumerate(rows[0])}


@pytest.mark.skipif(not HAS_PATH, reason="this build has no kalvane-path library")
def test_path_in_memory_gives_what_kalvane_path_writes(tmp_path):
    model = shallow_truss()
    found = kalvane.path(model)
    assert found.status == 0 and found.outcome == "full_load", found.summary
    assert found.events == [] and "Wrote into" not in found.summary
    assert found.curve.load_factor[-1] == 1.0 and found.curve.watch == (2, 3)
    assert not list(tmp_path.iterdir()), "nothing is written until asked"

    model.write(tmp_path)
    done = kalvane_path_in(tmp_path)
    assert done.returncode == found.status
    assert done.stdout.startswith(found.summary.split(":", 2)[0])
    # The curve's arrays are path.csv's numbers to the last bit (its shortest exact form).
    columns = path_csv_columns((tmp_path / "path" / "path.csv").read_text())
    c = found.curve
    for name, values in (("load_factor", c.load_factor), ("displacement node 2 Z", c.watched),
                         ("largest_displacement", c.largest_displacement), ("total_potential", c.total_potential),
                         ("smallest_pivot", c.smallest_pivot)):
        assert [float(v) for v in columns[name]] == list(values), name
    assert [int(v) for v in columns["stage"]] == list(c.stage)
    assert [int(v) for v in columns["negative_pivots"]] == list(c.negative_pivots)
    assert columns["kind"] == c.kind

    names = found.write(tmp_path / "again")
    assert names == ["input.txt", "abaqusfile.inp", "autocad.scr", "output.txt", "bars.csv", "path.csv", "path.svg",
                     "path.states"]
    written = sorted(p.name for p in (tmp_path / "path").iterdir())
    assert sorted(names) == written
    for name in names:
        ours, theirs = (tmp_path / "again" / name).read_bytes(), (tmp_path / "path" / name).read_bytes()
        assert ours == theirs, name
    # The result's files are the program's too; kalvane's own run of the same model settles
    # on the inverted shape, the path does not.
    found.result.write(tmp_path / "state")
    for name in ("abaqusfile.inp", "autocad.scr", "output.txt", "bars.csv"):
        assert (tmp_path / "state" / name).read_bytes() == (tmp_path / "path" / name).read_bytes(), name
    apex = [line for line in (tmp_path / "state" / "output.txt").read_text().splitlines() if line.startswith("    2 ")]
    assert float(apex[0].split()[3]) == pytest.approx(-1.97, rel=0.01)
    assert kalvane.solve(model, method="lbfgs").displacements[1, 2] < -200.0


@pytest.mark.skipif(not HAS_PATH, reason="this build has no kalvane-path library")
def test_a_model_files_material_that_no_bar_uses_is_kept_as_kalvane_path_keeps_it(tmp_path):
    """kalvane-path lists every material of the file in its deck; the module dropped those no
    bar uses, so its deck differed from the program's, and saving the model lost them."""
    text = (SOURCE / "examples" / "two_materials" / "model.json").read_text()
    text = text.replace('{"name": "rubber", "law": "neo-hooke", "c1": 1000.0, "weight": 11.0}',
                        '{"name": "rubber", "law": "neo-hooke", "c1": 1000.0, "weight": 11.0},\n'
                        '    {"name": "spare", "law": "mooney-rivlin", "c1": 300.0, "c2": 20.0}')
    assert '"spare"' in text
    (tmp_path / "model.json").write_text(text)
    model = kalvane.load(tmp_path / "model.json")
    model.save(tmp_path / "saved.json")
    assert '"spare"' in (tmp_path / "saved.json").read_text()
    kalvane.path(model).write(tmp_path / "ours")
    done = kalvane_path_in(tmp_path)
    assert done.returncode == 0, done.stdout + done.stderr
    for name in ("abaqusfile.inp", "output.txt", "bars.csv", "path.csv"):
        assert (tmp_path / "ours" / name).read_bytes() == (tmp_path / "path" / name).read_bytes(), name


@pytest.mark.skipif(not HAS_PATH, reason="this build has no kalvane-path library")
def test_writing_beside_the_model_read_never_replaces_it(tmp_path):
    """kalvane-path --out into the model's own folder makes no copy of it; a folder holding a
    model.json is refused where the copy is an input.txt, which the readers would pass over."""
    text = (SOURCE / "examples" / "single_bar" / "input.txt").read_text() + "a remark of the engineer's\n"
    (tmp_path / "input.txt").write_text(text)
    model = kalvane.read(tmp_path)
    names = kalvane.path(model).write(tmp_path)
    assert (tmp_path / "input.txt").read_text() == text
    done = subprocess.run([os.environ.get("KALVANE_PATH_EXE", str(SOURCE / "build" / "kalvane-path")),
                           "--out", str(tmp_path / "theirs")], cwd=tmp_path, capture_output=True, text=True)
    assert done.returncode == 0, done.stderr
    # As the program's files there, but for the copy of the model the folder holds already.
    assert sorted(names) == sorted(n for n in os.listdir(tmp_path / "theirs") if n != "input.txt")

    changed = model.copy()
    changed.load_values = changed.load_values * 2.0
    with pytest.raises(kalvane.Error, match="holds the model read"):
        kalvane.path(changed).write(tmp_path)
    assert (tmp_path / "input.txt").read_text() == text

    (tmp_path / "beside").mkdir()
    shallow_truss().with_loads(np.zeros((3, 3))).save(tmp_path / "beside")
    with pytest.raises(kalvane.Error, match="model.json"):
        kalvane.path(model).write(tmp_path / "beside")
    assert not (tmp_path / "beside" / "input.txt").exists()
    model.save(tmp_path / "beside")  # the same model: its input.txt beside it misleads no one
    assert "input.txt" in kalvane.path(kalvane.load(tmp_path / "beside")).write(tmp_path / "beside")


def snap_load(half_span, rise, area, c1):
    """The largest apex load the shallow truss carries on its near branch: the maximum of the
    vertical balance below, by golden-section search between the unloaded shape and the rise."""
    drawn = (half_span ** 2 + rise ** 2) ** 0.5

    def carried(w):
        length = (half_span ** 2 + (rise - w) ** 2) ** 0.5
        s = length / drawn
        return -2.0 * area * c1 * (s - s ** -2) * (rise - w) / length

    low, high = 0.0, rise
    ratio = (5 ** 0.5 - 1) / 2
    for _ in range(200):
        a, b = high - ratio * (high - low), low + ratio * (high - low)
        low, high = (low, b) if carried(a) > carried(b) else (a, high)
    return carried(0.5 * (low + high))


@pytest.mark.skipif(not HAS_PATH, reason="this build has no kalvane-path library")
def test_a_snap_through_is_told_as_events_and_a_callback_sees_every_point():
    snap = snap_load(2000.0, 100.0, 1000.0, 70000.0)
    load = 1.5 * snap
    model = shallow_truss().with_loads([(0.0, 0.0, 0.0), (0.0, 0.0, -load), (0.0, 0.0, 0.0)])
    seen = []
    found = kalvane.path(model, callback=seen.append)  # None: go on
    assert found.status == 3 and found.outcome == "full_load", found.summary
    kinds = [e.kind for e in found.events]
    assert kinds[0] == "limit" and "jump" in kinds, found.events
    limit = found.events[0]
    assert limit.bar is None and limit.stage == 1
    assert limit.load_factor == pytest.approx(snap / load, rel=1e-6)
    # The callback saw each point of the curve, in order, with every node's displacements.
    assert [p.load_factor for p in seen] == list(found.curve.load_factor)
    assert [p.negative_pivots for p in seen] == list(found.curve.negative_pivots)
    assert all(isinstance(p, kalvane.PathPoint) and p.displacements.shape == (3, 3) for p in seen)
    assert seen[-1].displacements[1, 2] == pytest.approx(found.result.displacements[1, 2], rel=1e-6)
    assert (seen[-1].displacements[[0, 2]] == 0.0).all()


@pytest.mark.skipif(not HAS_PATH, reason="this build has no kalvane-path library")
def test_a_callback_stops_the_path_and_its_exception_reaches_the_caller(tmp_path):
    model = shallow_truss()
    seen = []

    def third_is_enough(point):
        seen.append(point)
        return len(seen) < 3

    stopped = kalvane.path(model, callback=third_is_enough)
    assert len(seen) == 3 and len(stopped.curve.load_factor) == 3
    assert stopped.outcome == "stopped" and stopped.status == 2
    assert "stopped" in stopped.summary and "collapse" not in stopped.summary
    # The result is the third point's equilibrium, refined where it lies.
    assert stopped.result.displacements[1, 2] == pytest.approx(seen[2].displacements[1, 2], rel=1e-6)
    assert stopped.curve.load_factor[-1] < 1.0
    stopped.write(tmp_path)
    assert (tmp_path / "path.csv").read_text().count("\n") == 4

    calls = []

    def broken(point):
        calls.append(point.load_factor)
        if len(calls) == 2:
            raise ValueError("the callback's own fault")

    with pytest.raises(ValueError, match="the callback's own fault"):
        kalvane.path(model, callback=broken)
    assert len(calls) == 2, "the path went on after the callback raised"
    with pytest.raises(kalvane.Error, match="^DATA_ERROR : callback: a function"):
        kalvane.path(model, callback=3)


def apex_near_branch(load, half_span=2000.0, rise=100.0, area=1000.0, c1=70000.0):
    """The apex deflection w (down) of the shallow truss on its near branch: the vertical
    balance P = 2 N (rise - w) / l with the bars' Neo-Hooke force N = -A c1 (s - 1/s^2), s the
    stretch, solved by bisection between the unloaded shape and the limit point."""
    drawn = (half_span ** 2 + rise ** 2) ** 0.5

    def carried(w):
        length = (half_span ** 2 + (rise - w) ** 2) ** 0.5
        s = length / drawn
        return -2.0 * area * c1 * (s - s ** -2) * (rise - w) / length

    low, high = 0.0, rise * 0.4  # the load carried rises monotonically up to the limit point
    for _ in range(200):
        middle = 0.5 * (low + high)
        low, high = (middle, high) if carried(middle) < load else (low, middle)
    return 0.5 * (low + high)


@pytest.mark.skipif(not HAS_PATH, reason="this build has no kalvane-path library")
def test_solve_gives_the_near_branch_by_default_and_kalvanes_own_run_on_request(tmp_path):
    model = shallow_truss()
    near = kalvane.solve(model)
    assert -near.displacements[1, 2] == pytest.approx(apex_near_branch(1000.0), rel=1e-9)
    assert near.axial_forces[0] < 0.0 and near.axial_forces[0] == pytest.approx(near.axial_forces[1], rel=1e-12)
    assert (near.displacements == kalvane.path(model).result.displacements).all()
    # Side by side and through pickling, the same bits.
    many = kalvane.solve_many([model, model.with_loads(0.5 * model.load_array())], workers=2)
    assert (many[0].displacements == near.displacements).all()
    assert -many[1].displacements[1, 2] == pytest.approx(apex_near_branch(500.0), rel=1e-9)
    travelled = pickle.loads(pickle.dumps(near))
    assert (travelled.axial_forces == near.axial_forces).all()
    travelled.write(tmp_path / "there")
    near.write(tmp_path / "here")
    for name in ("abaqusfile.inp", "autocad.scr", "output.txt", "bars.csv"):
        assert (tmp_path / "there" / name).read_bytes() == (tmp_path / "here" / name).read_bytes(), name

    far = kalvane.solve(model, method="lbfgs")
    assert far.displacements[1, 2] < -200.0
    far.write(tmp_path / "lbfgs")
    model.write(tmp_path)
    program = os.environ.get("KALVANE_EXE", str(SOURCE / "build" / "kalvane"))
    subprocess.run([program], cwd=tmp_path, capture_output=True, check=False)
    for name in ("output.txt", "autocad.scr", "abaqusfile.inp"):
        assert (tmp_path / "lbfgs" / name).read_bytes() == (tmp_path / name).read_bytes(), name
    with pytest.raises(kalvane.Error, match=r'^DATA_ERROR : method: "path" or "lbfgs" is expected'):
        kalvane.solve(model, method="newton")
