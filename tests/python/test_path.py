"""kalvane.path against kalvane-path itself, on the shallow two-bar truss that kalvane's own
run carries past its supports."""

import os
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
    assert kalvane.solve(model).displacements[1, 2] < -200.0

    found.write(tmp_path / "again")
    assert sorted(p.name for p in (tmp_path / "again").iterdir()) == sorted(found.files)
