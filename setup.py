"""The Python package formeval, built by setuptools with CMake: the Python
modules are python/formeval/, the compiled module formeval._core (and its
type stub) is the CMake target formeval_python. Metadata: pyproject.toml.

    python3 -m pip install --no-build-isolation .

configures a build of the module alone in build/temp.*/cmake (kept for the
next install) and builds it with the distribution's pybind11 for the
interpreter that installs. FORMEVAL_BUILD_DIR=DIR takes the module from the
CMake build DIR instead (brought up to date first), which must have been
configured for the same Python version.
"""
import os
import re
import shutil
import subprocess
import sysconfig
import sys
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = Path(__file__).resolve().parent
REUSED = os.environ.get("FORMEVAL_BUILD_DIR")


def version():
    """The project's version, as CMakeLists.txt declares it."""
    text = (ROOT / "CMakeLists.txt").read_text()
    return re.search(r"project\(formeval\s+VERSION\s+([0-9.]+)", text).group(1)


def run(command):
    print(" ".join(str(part) for part in command), flush=True)
    subprocess.run([str(part) for part in command], check=True)


class CMakeBuild(build_ext):
    """Builds the extension formeval._core with CMake and puts the module and
    its stub where setuptools packs them."""

    def build_extension(self, ext):
        if not shutil.which("cmake"):
            raise SystemExit("formeval: building the package needs CMake and a C++17 compiler; "
                             "scripts/deps.sh installs them from the distribution's packages")
        build = self.reused() if REUSED else self.configured()
        jobs = [] if "CMAKE_BUILD_PARALLEL_LEVEL" in os.environ else [
            "--parallel", str(self.parallel or os.cpu_count() or 1)]
        run(["cmake", "--build", build, "--target", "formeval_python", *jobs])
        built = build / "python" / "formeval"
        module = built / ("_core" + sysconfig.get_config_var("EXT_SUFFIX"))
        if not module.is_file():
            found = ", ".join(p.name for p in built.glob("_core*")) or "none"
            raise SystemExit(f"formeval: {module} was not built (found: {found}); the build "
                             f"directory {build} is configured for another Python than "
                             f"{sys.executable}")
        target = Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        self.copy_file(str(module), str(target))
        self.copy_file(str(built / "_core.pyi"), str(target.parent / "_core.pyi"))

    @staticmethod
    def reused():
        build = Path(REUSED).resolve()
        if not (build / "CMakeCache.txt").is_file():
            raise SystemExit(f"formeval: FORMEVAL_BUILD_DIR={REUSED} is no CMake build directory")
        return build

    def configured(self):
        """A build directory of the module alone, for this interpreter."""
        build = Path(self.build_temp).resolve() / "cmake"
        generator = []
        if "CMAKE_GENERATOR" not in os.environ and shutil.which("ninja") and not (
                build / "CMakeCache.txt").is_file():
            generator = ["-G", "Ninja"]
        run(["cmake", "-S", ROOT, "-B", build, *generator, "-DCMAKE_BUILD_TYPE=Release",
             f"-DPython_EXECUTABLE={sys.executable}", "-DFORMEVAL_PYTHON=ON",
             "-DFORMEVAL_REPORT=OFF", "-DFORMEVAL_TESTS=OFF", "-DFORMEVAL_BENCH=OFF"])
        return build


# setuptools stages the package in build/ (in the build directory to reuse,
# when there is one), its metadata too, leaving the rest of the tree as it was.
staging = Path(REUSED).resolve() / "python-package" if REUSED else ROOT / "build"
staging.mkdir(parents=True, exist_ok=True)
options = {"build": {"build_base": str(staging)}, "egg_info": {"egg_base": str(staging)}}

setup(
    version=version(),
    packages=["formeval"],
    package_dir={"": "python"},
    package_data={"formeval": ["py.typed"]},
    ext_modules=[Extension("formeval._core", sources=[])],
    cmdclass={"build_ext": CMakeBuild},
    options=options,
)
