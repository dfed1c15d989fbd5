"""The two example scripts run and print their tables, with matplotlib and without it."""

import importlib.util
import os
import subprocess
import sys

import pytest

from conftest import SOURCE

SCRIPTS = {"load_levels.py": 10, "combinations.py": 4}  # the rows their first table has
# Runs a script with matplotlib made unimportable, as on a machine without it.
WITHOUT_MATPLOTLIB = "import runpy, sys; sys.modules['matplotlib'] = None; sys.argv = sys.argv[1:]; " \
                     "runpy.run_path(sys.argv[0], run_name='__main__')"


def run(arguments, folder):
    done = subprocess.run([sys.executable, *arguments], cwd=folder, capture_output=True, text=True,
                          env=dict(os.environ), timeout=120)
    assert done.returncode == 0, done.stderr
    return done.stdout


@pytest.mark.parametrize("script, rows", SCRIPTS.items())
def test_example_prints_its_table_without_matplotlib(script, rows, tmp_path):
    out = run(["-c", WITHOUT_MATPLOTLIB, str(SOURCE / "examples" / "python" / script)], tmp_path)
    table = out.split("\n\n")[0].splitlines()
    assert len(table) == 1 + rows and "iterations" in table[0]
    assert list(tmp_path.iterdir()) == []


@pytest.mark.skipif(importlib.util.find_spec("matplotlib") is None, reason="matplotlib is not installed")
@pytest.mark.parametrize("script", SCRIPTS)
def test_example_draws_its_plot_with_matplotlib(script, tmp_path):
    run([str(SOURCE / "examples" / "python" / script), str(tmp_path / "plot.png")], tmp_path)
    assert (tmp_path / "plot.png").read_bytes().startswith(b"\x89PNG")
