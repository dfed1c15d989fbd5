"""pip builds a wheel from a copy of the source tree, offline, with the interpreter's own
setuptools and wheel; the wheel installs into a fresh virtual environment, where the module
imports from outside the source tree and runs as the build's own does. A full build of the
module: slow, never timed."""

import os
import pathlib
import shutil
import subprocess
import zipfile

from conftest import SOURCE
from packaging_support import clean_environment, run_elsewhere, run_here

SYSTEM_PYTHON = "/usr/bin/python3"


def source_copy(destination):
    """The source tree as a clone has it: no build folders, no version control."""
    def left_out(folder, names):
        at_top = pathlib.Path(folder).resolve() == SOURCE.resolve()
        return [n for n in names if n in ("__pycache__", ".git") or n.endswith(".egg-info") or
                (at_top and (n.startswith("build") or n in ("out", "dist")))]
    shutil.copytree(SOURCE, destination, ignore=left_out, symlinks=True)
    return destination


def test_a_wheel_built_offline_installs_into_a_fresh_environment_and_runs(tmp_path):
    source = source_copy(tmp_path / "source")
    venv = tmp_path / "venv"
    subprocess.run([SYSTEM_PYTHON, "-m", "venv", "--system-site-packages", str(venv)], check=True)
    python = venv / "bin" / "python"
    # Two jobs, and where ccache is installed its hits despite the temporary folder's name.
    env = clean_environment(CMAKE_BUILD_PARALLEL_LEVEL=os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL", "2"),
                            CCACHE_BASEDIR=str(tmp_path), PIP_DISABLE_PIP_VERSION_CHECK="1")
    offline = ["--no-build-isolation", "--no-index", "--no-cache-dir"]
    built = subprocess.run([str(python), "-m", "pip", "wheel", *offline, "--no-deps", "-w", str(tmp_path / "dist"),
                            str(source)], env=env, capture_output=True, text=True)
    assert built.returncode == 0, built.stdout[-4000:] + built.stderr[-4000:]

    wheels = list((tmp_path / "dist").glob("kalvane-*.whl"))
    assert len(wheels) == 1
    here = run_here()
    assert wheels[0].name.startswith(f"kalvane-{here['version']}-")
    names = set(zipfile.ZipFile(wheels[0]).namelist())
    for expected in ("kalvane/__init__.py", "kalvane/_run.py", "kalvane/py.typed", "kalvane/_core.pyi"):
        assert expected in names
    assert any(n.startswith("kalvane/_core.") and n.endswith(".so") for n in names)
    assert not any(n.endswith("site_dir.py") for n in names)

    # numpy comes from the system's packages, so nothing is fetched.
    installed = subprocess.run([str(python), "-m", "pip", "install", *offline, str(wheels[0])], env=env,
                               capture_output=True, text=True)
    assert installed.returncode == 0, installed.stdout[-4000:] + installed.stderr[-4000:]
    elsewhere = tmp_path / "elsewhere"
    elsewhere.mkdir()
    there = run_elsewhere(python, elsewhere, env)
    assert pathlib.Path(there.pop("file")).resolve().is_relative_to(venv.resolve())
    here.pop("file")
    assert there == here
