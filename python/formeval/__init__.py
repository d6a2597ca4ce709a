"""Form error evaluation for coordinate metrology over numpy arrays.

`evaluate` gives the reference feature of any number of points (line, plane,
circle, sphere, cylinder by least squares, minimum zone, minimum
circumscribed, maximum inscribed; cone by least squares and minimum zone),
each certified, with the deviations
normal to the feature. `straightness`, `flatness`, `circle` and `sphere` are the batch
program formeval's own evaluations (at most 2048 points), with the numbers it
prints. `harmonics`, `harmonic_spectrum`, `gaussian_filter`,
`band_pass_filter` and `open_filter` analyse roundness and straightness
profiles. `uncertainty` states the measurement uncertainty of every quantity
of a reference feature (Monte Carlo and the GUM). `part` evaluates a
drawing's tolerance frames (datums, orientation, location, run-out) on a
part's measured features.

The computations are compiled (the private module ``formeval._core``) and run
without the GIL.
"""
from types import FunctionType as _FunctionType

from . import _core
from ._profiles import (band_pass_filter, gaussian_filter, harmonic_spectrum, harmonics,
                        open_filter, spectral)
from ._parts import part
from ._programs import MAX_PROGRAM_POINTS, ProgramResult, circle, flatness, sphere, straightness
from ._references import FEATURES, METHODS, Reference, evaluate
from ._uncertainty import (ACTS, DISTRIBUTIONS, Contribution, Uncertainty, UncertaintyRow,
                           uncertainty)

__version__: str = _core.VERSION

__all__ = [
    "FEATURES", "METHODS", "MAX_PROGRAM_POINTS", "Reference", "ProgramResult", "evaluate",
    "straightness", "flatness", "circle", "sphere", "harmonics", "harmonic_spectrum",
    "gaussian_filter", "band_pass_filter", "open_filter", "spectral", "exact_references",
    "uncertainty", "Uncertainty", "UncertaintyRow", "Contribution", "ACTS", "DISTRIBUTIONS",
    "part",
]


def exact_references() -> bool:
    """Whether the package was built with CGAL and GLPK, and so with the
    circumscribed features and the certificates."""
    return _core.exact_references()


# The public classes and functions are the package's own, wherever they are
# defined: formeval.Reference, as help() and the documentation name them.
for _name in __all__:
    if isinstance(globals()[_name], (type, _FunctionType)):
        globals()[_name].__module__ = __name__
del _name
