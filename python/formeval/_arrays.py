"""Arguments as the compiled core takes them: float64 arrays whose rows it
reads where they lie (it copies them before it lets the GIL go), and plain
numbers. What callers pass is checked and converted here, with the
messages they see; the core only refuses what it cannot read."""
from __future__ import annotations

import operator
from typing import (Any, Callable, List, NamedTuple, Optional, SupportsFloat, SupportsIndex,
                    Tuple, TypeVar)

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


class Points(NamedTuple):
    """Points as the core takes them, and the notes of a result of them (of
    masked points left out)."""

    array: np.ndarray
    notes: List[str]


def left_out(masked: int, given: int) -> List[str]:
    """The note of a result of points of which `masked` of `given` were
    masked and left out; none when none was."""
    if not masked:
        return []
    return [f"masked points left out: {masked} of the {given} given (rows with a masked "
            f"coordinate); the result is of the other {given - masked}"]


def _unmasked(values: npt.ArrayLike) -> Tuple[Any, int]:
    """The values without the rows of a masked array that hold a masked
    coordinate, and how many rows were dropped; other values as they are."""
    if not isinstance(values, np.ma.MaskedArray):
        return values, 0
    mask = np.ma.getmaskarray(values)
    data = values.data
    if mask.ndim != 2 or not mask.any():
        return data, 0
    dropped = mask.any(axis=1)
    return data[~dropped], int(dropped.sum())


def points(values: npt.ArrayLike, dimension: int, what: str) -> Points:
    """The points as an n x `dimension` float64 array the core reads,
    `values` itself when it is such an array, else its copy converted once;
    and the notes of the result.

    The rows of a masked array that hold a masked coordinate are left out
    (the notes say how many).

    Raises TypeError for values that are not real numbers, ValueError for
    another shape (`what` names the feature: "a circle needs ...")."""
    values, masked = _unmasked(values)
    try:
        array = np.asarray(values)
    except (TypeError, ValueError):
        raise TypeError("points must be an array of numbers (n x 2 or n x 3)") from None
    if array.dtype.kind not in _REAL_KINDS:
        raise TypeError(f"points must be real numbers, not of dtype {array.dtype}")
    if array.ndim != 2 or array.shape[1] != dimension:
        raise ValueError(f"{what} needs an n x {dimension} array of points, "
                         f"not one of shape {array.shape}")
    notes = left_out(masked, array.shape[0] + masked)
    if _in_place(array, dimension):
        return Points(array, notes)
    return Points(np.require(array, np.float64, ["C_CONTIGUOUS", "ALIGNED"]), notes)


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


def paired(first: npt.ArrayLike,
           second: npt.ArrayLike) -> Tuple[Any, Any, Optional[np.ndarray]]:
    """Two columns of one profile without the entries where either is masked,
    and which entries were kept (None when neither is a masked array with a
    masked entry of a one-dimensional column of the other's length)."""
    if not (isinstance(first, np.ma.MaskedArray) or isinstance(second, np.ma.MaskedArray)):
        return first, second, None
    a, b = np.ma.asarray(first), np.ma.asarray(second)
    if a.ndim != 1 or a.shape != b.shape:
        return a.data, b.data, None
    kept = ~(np.ma.getmaskarray(a) | np.ma.getmaskarray(b))
    if kept.all():
        return a.data, b.data, None
    return a.data[kept], b.data[kept], kept


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


#: Most cells a global search may be given: the search's work allowance,
#: 2000 distances a cell, stays a 64-bit count.
MAX_BUDGET = 10**15


def budget(value: SupportsIndex) -> int:
    """A search's budget of cells: an integer from 0 to MAX_BUDGET.

    Raises TypeError for anything but an integer, ValueError for one out of
    that range."""
    cells = integer(value, "the budget")
    if not 0 <= cells <= MAX_BUDGET:
        raise ValueError(f"the budget is a whole number of cells from 0 to {MAX_BUDGET}, "
                         f"not {cells}")
    return cells


def text(value: str, what: str) -> str:
    """The value when it is text; TypeError otherwise."""
    if not isinstance(value, str):
        raise TypeError(f"{what} must be text, not {type(value).__name__}")
    return value


def centre(value: Any) -> Tuple[float, float]:
    """A circle's centre (x, y): any pair of real numbers, or the triple
    (x, y, None) a circle's Reference.centre gives."""
    try:
        items = tuple(value)
    except TypeError:
        items = ()
    if len(items) == 3 and items[2] is None:
        items = items[:2]
    if len(items) != 2:
        raise TypeError("the centre must be a pair of numbers (x, y), or a circle's "
                        "Reference.centre (x, y, None)")
    return real(items[0], "the centre's x"), real(items[1], "the centre's y")


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
