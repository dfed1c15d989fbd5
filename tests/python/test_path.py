"""kalvane.path against kalvane-path itself, on the shallow two-bar truss that kalvane's own
run carries past its supports."""

import os
import pickle
import pathlib
import subprocess

import pytest

import kalvane
from conftest import SOURCE

HAS_PATH = hasattr(kalvane._core, "path")


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


@pytest.mark.skipif(not HAS_PATH, reason="this build has no kalvane-path library")
def test_path_gives_what_kalvane_path_gives(tmp_path):
    model = shallow_truss()
    found = kalvane.path(model)
    assert found.status == 0, found.summary
    assert found.curve["load_factor"][-1] == pytest.approx(1.0)
    apex = [line for line in found.files["output.txt"].splitlines() if line.startswith("    2 ")][0]
    assert float(apex.split()[3]) == pytest.approx(-1.97, rel=0.01)

    model.write(tmp_path)
    program = os.environ.get("KALVANE_PATH_EXE", str(SOURCE / "build" / "kalvane-path"))
    done = subprocess.run([program], cwd=tmp_path, capture_output=True, text=True)
    assert done.returncode == found.status
    assert "Equilibrium written" in found.summary
    for name, text in found.files.items():
        assert (tmp_path / "path" / name).read_text() == text, name
    # kalvane's own run of the same model settles on the inverted shape; the path does not.
    assert kalvane.solve(model, method="lbfgs").displacements[1, 2] < -200.0

    found.write(tmp_path / "again")
    assert sorted(p.name for p in (tmp_path / "again").iterdir()) == sorted(found.files)


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
    assert (tmp_path / "there" / "output.txt").read_text() == kalvane.path(model).files["output.txt"]

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
