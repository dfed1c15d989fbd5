"""cmake --install --prefix P puts the module under P, in the folder the interpreter itself
looks in for packages under P, and nowhere else; with the prefix ~/.local (the user base)
in the user's site packages, where the interpreter finds it unaided."""

import os
import pathlib
import subprocess

from packaging_support import clean_environment, run_elsewhere, run_here

BUILD = pathlib.Path(os.environ["KALVANE_BUILD_DIR"])
CMAKE = os.environ.get("KALVANE_CMAKE", "cmake")
SYSTEM_PYTHON = "/usr/bin/python3"


def install(prefix, env):
    """The module's files installed under `prefix`, as cmake --install lists them."""
    done = subprocess.run([CMAKE, "--install", str(BUILD), "--prefix", str(prefix), "--component", "python"],
                          env=env, capture_output=True, text=True)
    assert done.returncode == 0, done.stdout + done.stderr
    return [pathlib.Path(line) for line in (BUILD / "install_manifest_python.txt").read_text().splitlines()]


def package_folder(files):
    inits = [f for f in files if f.name == "__init__.py"]
    assert len(inits) == 1
    return inits[0].parent


def site_folders(prefix, env, *, user=False):
    """Where the interpreter looks for packages under `prefix` (or in its user site)."""
    ask = "site.getusersitepackages()" if user else f"site.getsitepackages([{str(prefix)!r}])"
    done = subprocess.run([SYSTEM_PYTHON, "-c", f"import site; print(repr({ask}))"], env=env,
                          capture_output=True, text=True, check=True)
    folders = eval(done.stdout)
    return {pathlib.Path(f) for f in ([folders] if isinstance(folders, str) else folders)}


def test_install_under_a_prefix_stays_under_it_and_imports_from_there(tmp_path):
    prefix = tmp_path / "prefix"
    env = clean_environment()
    files = install(prefix, env)
    assert files and all(f.resolve().is_relative_to(prefix.resolve()) for f in files), files
    assert all(f.is_file() for f in files)
    package = package_folder(files)
    assert {p.name for p in package.iterdir()} >= {"py.typed", "_core.pyi", "_run.py"}
    assert package.parent in site_folders(prefix, env)

    elsewhere = tmp_path / "elsewhere"
    elsewhere.mkdir()
    there = run_elsewhere(SYSTEM_PYTHON, elsewhere, clean_environment(PYTHONPATH=str(package.parent)))
    assert pathlib.Path(there.pop("file")).parent == package
    here = run_here()
    here.pop("file")
    assert there == here


def test_install_into_the_user_base_lands_in_the_user_site(tmp_path):
    user_base = tmp_path / "user"
    env = clean_environment(PYTHONUSERBASE=str(user_base))
    files = install(user_base, env)
    package = package_folder(files)
    assert package.parent in site_folders(user_base, env, user=True)
    there = run_elsewhere(SYSTEM_PYTHON, tmp_path, env)
    assert pathlib.Path(there["file"]).parent == package
