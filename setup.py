"""Builds the wheel of the Python module: CMake builds the compiled core (only it, no tests)
for the interpreter running this, and setuptools packs it with the pure-Python package.

    pip install --no-build-isolation .     # into the active environment
    pip wheel --no-build-isolation --no-deps -w dist .

CMAKE_BUILD_PARALLEL_LEVEL sets the build's jobs (default: the machine's cores); ccache is
used where it is installed. KALVANE_CMAKE_ARGS adds options to CMake's configure."""

import os
import re
import shlex
import shutil
import subprocess
import sys
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

SOURCE = Path(__file__).resolve().parent


def project_version():
    """The version the programs print, from CMake's project()."""
    text = (SOURCE / "CMakeLists.txt").read_text(encoding="utf-8")
    return re.search(r"project\(kalvane\s+VERSION\s+([0-9.]+)", text).group(1)


class CMakeExtension(Extension):
    """An extension CMake builds: no sources for setuptools to compile."""

    def __init__(self, name, target):
        super().__init__(name, sources=[])
        self.target = target


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        build = Path(self.build_temp).resolve() / "cmake"
        build.mkdir(parents=True, exist_ok=True)
        configure = ["cmake", "-S", str(SOURCE), "-B", str(build), "-DCMAKE_BUILD_TYPE=Release",
                     "-DKALVANE_TESTS=OFF", "-DKALVANE_PYTHON=ON", f"-DPython3_EXECUTABLE={sys.executable}"]
        if shutil.which("ccache") and "CMAKE_CXX_COMPILER_LAUNCHER" not in os.environ:
            configure.append("-DCMAKE_CXX_COMPILER_LAUNCHER=ccache")
        configure += shlex.split(os.environ.get("KALVANE_CMAKE_ARGS", ""))
        jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL") or str(os.cpu_count() or 1)
        subprocess.run(configure, check=True)
        subprocess.run(["cmake", "--build", str(build), "--target", ext.target, "--parallel", jobs], check=True)
        built = sorted((build / "python" / "kalvane").glob("_core*.so"))
        if len(built) != 1:
            raise RuntimeError(f"CMake built {len(built)} compiled modules in {build / 'python' / 'kalvane'}, not one")
        destination = Path(self.get_ext_fullpath(ext.name))
        destination.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built[0], destination)


setup(
    version=project_version(),
    packages=["kalvane"],
    package_dir={"": "python"},
    package_data={"kalvane": ["py.typed", "*.pyi"]},
    ext_modules=[CMakeExtension("kalvane._core", target="kalvane_python")],
    cmdclass={"build_ext": CMakeBuild},
    # Beside CMake's build/, not inside it.
    options={"build": {"build_base": "build-wheel"}, "egg_info": {"egg_base": "build-wheel"}},
    zip_safe=False,
)
