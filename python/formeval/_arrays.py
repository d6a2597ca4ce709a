"""Arguments as the compiled core takes them: float64 arrays it reads in place,
and plain numbers. What callers pass is checked and converted here, with the
messages they see; the core only refuses what it cannot read."""
from __future__ import annotations

import operator
from typing import Any, Callable, SupportsFloat, SupportsIndex, Tuple, TypeVar

import numpy as np
import numpy.typing as npt

_FLOAT64 = np.dtype(np.float64)
_REAL_KINDS = "fiu"


def _in_place(array: np.ndarray, dimension: int) -> bool:
    """Whether the core can read the rows of this n x `dimension` array where
    they lie: aligned native float64, each row's coordinates side by side, the
    rows a whole number of doubles apart (C order, or rows of a wider array)."""
    if array.dtype != _FLOAT64 or not array.flags.aligned:
        return False
    rows, columns = array.strides
    size = _FLOAT64.itemsize
    return (columns == size and rows >= 0 and rows % size == 0
            and (array.shape[0] < 2 or rows >= dimension * size))


def points(values: npt.ArrayLike, dimension: int, what: str) -> np.ndarray:
    """The points as an n x `dimension` float64 array the core reads in place:
    `values` itself when it is such an array, else its copy converted once.

    Raises TypeError for values that are not real numbers, ValueError for
    another shape (`what` names the feature: "a circle needs ...")."""
    try:
        array = np.asarray(values)
    except (TypeError, ValueError):
        raise TypeError("points must be an array of numbers (n x 2 or n x 3)") from None
    if array.dtype.kind not in _REAL_KINDS:
        raise TypeError(f"points must be real numbers, not of dtype {array.dtype}")
    if array.ndim != 2 or array.shape[1] != dimension:
        raise ValueError(f"{what} needs an n x {dimension} array of points, "
                         f"not one of shape {array.shape}")
    if _in_place(array, dimension):
        return array
    return np.require(array, np.float64, ["C_CONTIGUOUS", "ALIGNED"])


def column(values: npt.ArrayLike, what: str) -> np.ndarray:
    """A one-dimensional array of real numbers as contiguous float64.

    Raises TypeError for values that are not real numbers, ValueError for
    another shape."""
    try:
        array = np.asarray(values)
    except (TypeError, ValueError):
        raise TypeError(f"{what} must be real numbers") from None
    if array.dtype.kind not in _REAL_KINDS:
        raise TypeError(f"{what} must be real numbers")
    if array.ndim != 1:
        raise ValueError(f"{what} must be a one-dimensional array")
    return np.require(array, np.float64, ["C_CONTIGUOUS", "ALIGNED"])


def real(value: SupportsFloat, what: str) -> float:
    """A number as a float: anything Python converts with float() but text.

    Raises TypeError otherwise."""
    kind = type(value)
    if not (hasattr(kind, "__float__") or hasattr(kind, "__index__")):
        raise TypeError(f"{what} must be a real number, not {kind.__name__}")
    return float(value)


def integer(value: SupportsIndex, what: str) -> int:
    """An integer (int, a numpy integer); TypeError for anything else, a float
    included."""
    try:
        return operator.index(value)
    except TypeError:
        raise TypeError(f"{what} must be an integer, not {type(value).__name__}") from None


def text(value: str, what: str) -> str:
    """The value when it is text; TypeError otherwise."""
    if not isinstance(value, str):
        raise TypeError(f"{what} must be text, not {type(value).__name__}")
    return value


def centre(value: Any) -> Tuple[float, float]:
    """A circle's centre (x, y): any pair of real numbers."""
    try:
        x, y = value
    except (TypeError, ValueError):
        raise TypeError("the centre must be a pair of numbers (x, y)") from None
    return real(x, "the centre's x"), real(y, "the centre's y")


_Function = TypeVar("_Function", bound=Callable[..., Any])


def documented(**parts: str) -> Callable[[_Function], _Function]:
    """Fills the function's docstring in: each ``{name}`` by the part given
    for it, so that what several functions document alike is written once."""
    def fill(function: _Function) -> _Function:
        text = function.__doc__ or ""
        for name, part in parts.items():
            text = text.replace("{" + name + "}", part)
        function.__doc__ = text
        return function
    return fill
