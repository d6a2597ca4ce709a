"""formeval's own evaluations: the batch program's straightness, flatness,
circle and sphere computations, with the numbers its jobs print."""
from __future__ import annotations

import re
from typing import Any, Callable, Dict, Iterable, List, Optional

import numpy as np
import numpy.typing as npt

from . import _arrays, _core
from ._references import METHODS, Triple, _field, _Parameters

#: Most points one of formeval's own evaluations takes.
MAX_PROGRAM_POINTS: int = _core.MAX_PROGRAM_POINTS

# The batch program's names of its methods, by their index in the core; the
# circles' peak and valley also by the names `evaluate` gives the same
# criteria (both lists in the order least squares, minimum zone, minimum
# circumscribed, maximum inscribed).
_LINEAR = {name: index for index, name in enumerate(_core.PROGRAM_METHODS[:2])}
_CIRCULAR = {**{name: index for index, name in enumerate(_core.PROGRAM_METHODS)},
             METHODS[2]: 2, METHODS[3]: 3}
_CIRCULAR_NAMES = (f'"{_core.PROGRAM_METHODS[0]}", "{_core.PROGRAM_METHODS[1]}", '
                   f'"{_core.PROGRAM_METHODS[2]}" ("{METHODS[2]}"), '
                   f'"{_core.PROGRAM_METHODS[3]}" ("{METHODS[3]}")')
_LINEAR_NAMES = f'"{_core.PROGRAM_METHODS[0]}", "{_core.PROGRAM_METHODS[1]}"'


# Messages of the batch program's routines that end no line of the console,
# so that the next runs into them.
_UNENDED = ("Coefficient matrix is singular",)
_CONTROL = re.compile(r"[\x00-\x1f\x7f]+")


def _lines(said: str) -> List[str]:
    """The messages in a line of the console: each unended message ends one."""
    for message in _UNENDED:
        said = said.replace(message, message + "\n")
    return said.split("\n")


def tidied(said: Iterable[str]) -> List[str]:
    """The console's lines as notes: control bytes (a prompt's bells) taken
    out, each message an item, blank ones left out, runs of blanks made one;
    a note said more than once given at its first place with the count."""
    notes: List[str] = []
    counts: Dict[str, int] = {}
    for line in said:
        for message in _lines(line):
            note = " ".join(_CONTROL.sub(" ", message).split())
            if not note:
                continue
            if note not in counts:
                notes.append(note)
                counts[note] = 0
            counts[note] += 1
    return [note if counts[note] == 1 else f"{note} ({counts[note]} times)" for note in notes]


class ProgramResult(_Parameters):
    """An evaluation by the batch program formeval's own routines.

    The numbers are those formeval prints for the same record (the job given
    by `job`). Parameters the feature does not have are None: a line
    y = intercept + slope_x x, a plane z = intercept + slope_x x + slope_y y,
    a circle's or sphere's centre and radius.
    """

    __slots__ = ()

    feature = _field("feature", str, '"line", "plane", "circle" or "sphere".')
    method = _field("method", str, '"least squares", "minimum zone", "peak" or "valley".')
    job = _field("job", int, "The job code that prints these numbers.")
    intercept = _field("intercept", Optional[float],
                       "A line's y or a plane's z at the origin; None for circles and spheres.")
    slope_x = _field("slope_x", Optional[float],
                     "A line's or plane's slope along x; None for circles and spheres.")
    slope_y = _field("slope_y", Optional[float],
                     "A plane's slope along y; None for other features.")
    centre = _field("centre", Optional[Triple],
                    "(x, y, z) of a circle or sphere, z None for a circle; None for lines and "
                    "planes.")
    radius = _field("radius", Optional[float],
                    "A circle's or sphere's radius; None for lines and planes.")
    error = _field("error", float, "The form error formeval prints.")
    fitted = _field("fitted", bool,
                    "Lines and planes: False when the fit met a singular system or its exchange "
                    "was stopped (the numbers are not a fit).")

    @property
    def notes(self) -> List[str]:
        """What formeval wrote on its console while computing (the notes of a
        result that is not a fit), one note an item: without its prompts'
        control bytes, each message formeval wrote as an item of its own, and
        a note said again and again given once with the count ("Coefficient
        matrix is singular (999 times)"). First, the note of masked points
        left out."""
        return self._left_out + tidied(self._core.notes)

    deviations = _field("deviations", npt.NDArray[np.float64],
                        "Each point's deviation as formeval measures it, in the given order "
                        "(without the rows of a masked array left out): lines along y, planes "
                        "along z (observation minus fit), circles and spheres radially.")

    def to_dict(self) -> Dict[str, Any]:
        """The row formreport's JSON gives for this job's result.

        Returns
        -------
        dict
            formreport's keys, in its order, with the numbers formeval prints;
            the comparison with the exact reference (``exact_error`` and the
            like) is None, ``job`` is 1.
        """
        return self._core.to_dict()

    def __repr__(self) -> str:
        return (f"<formeval.ProgramResult job {self.job} {self.method} {self.feature} "
                f"error={self.error}>")


def _run(function: Callable[..., _core.ProgramResult], points: npt.ArrayLike, feature: str,
         dimension: int, *arguments: Any) -> ProgramResult:
    given = _arrays.points(points, dimension, f"a {feature}")
    return ProgramResult(function(given.array, *arguments), given.notes)


# What the jobs' functions document alike.
_JOB = _arrays.documented(
    masked="""The rows of a masked
        array that hold a masked coordinate are left out, and the notes say
        how many; the coordinates are copied before the computation.""",
    returns="""Returns
    -------
    ProgramResult
        The numbers formeval prints for the record.""",
    raises="""Raises
    ------
    TypeError
        For points that are not real numbers.
    ValueError
        For another shape, an unknown method, and with formeval's reason for
        a record it refuses (too many points, too few, a coordinate not
        finite or beyond 1e100, points that determine no feature).""",
    tolerance="""tolerance : float, default 1e-6
        The record's tolerance (formeval's cri, in the unit of the
        coordinates): the solver's pivot threshold and the exchange's zero
        multiplier.""")


def _method(method: str, names: Dict[str, int], known: str) -> int:
    index = names.get(_arrays.text(method, "the method"))
    if index is None:
        raise ValueError(f'unknown method "{method}"; one of {known}')
    return index


@_JOB
def straightness(points: npt.ArrayLike, method: str = "minimum zone",
                 tolerance: float = 1e-6) -> ProgramResult:
    """formeval's job 1000: the line y = intercept + slope_x x, deviations in y.

    Parameters
    ----------
    points : array_like
        An n x 2 array of any real dtype (3 to 2048 points). {masked}
    method : str, default "minimum zone"
        "least squares" or "minimum zone".
    {tolerance}

    {returns}

    {raises}

    Examples
    --------
    >>> import formeval
    >>> line = formeval.straightness([[0, 0], [1, 0.5], [2, 0], [3, 0.5]], "least squares")
    >>> line.job, [round(x, 12) for x in (line.intercept, line.slope_x, line.t)]
    (1000, [0.1, 0.1, 0.6])
    """
    return _run(_core.straightness, points, "line", 2,
                _method(method, _LINEAR, _LINEAR_NAMES), _arrays.real(tolerance, "the tolerance"))


@_JOB
def flatness(points: npt.ArrayLike, method: str = "minimum zone",
             tolerance: float = 1e-6) -> ProgramResult:
    """formeval's job 3000: the plane z = intercept + slope_x x + slope_y y,
    deviations in z.

    Parameters
    ----------
    points : array_like
        An n x 3 array of any real dtype (4 to 2048 points). {masked}
    method : str, default "minimum zone"
        "least squares" or "minimum zone".
    {tolerance}

    {returns}

    {raises}
    """
    return _run(_core.flatness, points, "plane", 3,
                _method(method, _LINEAR, _LINEAR_NAMES), _arrays.real(tolerance, "the tolerance"))


@_JOB
def circle(points: npt.ArrayLike, method: str = "minimum zone",
           tolerance: float = 1e-6) -> ProgramResult:
    """formeval's jobs 2600, 2500, 2700 and 2800: the least-squares,
    minimum-zone, peak (minimum circumscribed) or valley (maximum inscribed)
    circle, deviations radial.

    Parameters
    ----------
    points : array_like
        An n x 2 array of any real dtype (at most 2048 points; at least 3
        by least squares, 4 otherwise). {masked}
    method : str, default "minimum zone"
        "least squares", "minimum zone", "peak" ("minimum circumscribed") or
        "valley" ("maximum inscribed").
    tolerance : float, default 1e-6
        The record's tolerance (formeval's cri, in the unit of the
        coordinates): the solver's pivot threshold, the exchange's zero
        multiplier, the peak and valley searches' stop.

    {returns}

    {raises}

    Examples
    --------
    >>> import formeval
    >>> own = formeval.circle([[1, 0], [0, 1], [-1, 0], [0, -1]], "least squares")
    >>> own.job, own.centre, own.radius
    (2600, (0.0, 0.0, None), 1.0)
    """
    return _run(_core.circle, points, "circle", 2,
                _method(method, _CIRCULAR, _CIRCULAR_NAMES),
                _arrays.real(tolerance, "the tolerance"))


@_JOB
def sphere(points: npt.ArrayLike, tolerance: float = 1e-6) -> ProgramResult:
    """formeval's job 4500: the minimum-zone sphere, deviations radial.

    Parameters
    ----------
    points : array_like
        An n x 3 array of any real dtype (5 to 2048 points). {masked}
    tolerance : float, default 1e-6
        The record's tolerance (formeval's cri, in the unit of the
        coordinates).

    {returns}

    Raises
    ------
    TypeError
        For points that are not real numbers.
    ValueError
        For another shape, and with formeval's reason for a record it
        refuses.
    """
    return _run(_core.sphere, points, "sphere", 3, _arrays.real(tolerance, "the tolerance"))
