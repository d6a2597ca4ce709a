"""Reference features of any point set: formeval.evaluate and its result."""
from __future__ import annotations

import math
from typing import Any, Dict, List, Optional, Sequence, Tuple

import numpy as np
import numpy.typing as npt

from . import _arrays, _core

Triple = Tuple[Optional[float], Optional[float], Optional[float]]

_DIMENSION: Dict[str, int] = dict(_core.FEATURES)
#: The features `evaluate` takes.
FEATURES: Tuple[str, ...] = tuple(_DIMENSION)
#: The methods `evaluate` takes (formreport's and the pointset library's names
#: of them are taken too).
METHODS: Tuple[str, ...] = tuple(names[0] for names in _core.CRITERIA)
_FEATURE: Dict[str, int] = {name: index for index, name in enumerate(FEATURES)}
_CRITERION: Dict[str, int] = {name: index
                              for index, names in enumerate(_core.CRITERIA) for name in names}
_LEAST_SQUARES = METHODS[0]


def _one_of(names: Tuple[str, ...]) -> str:
    return ", ".join(f'"{name}"' for name in names)


def _field(name: str, kind: Any, doc: str) -> property:
    """A read-only attribute read from the compiled result's `name`, with its
    type and documentation (kind is the getter's return annotation)."""

    def get(self: Any) -> Any:
        return getattr(self._core, name)

    get.__annotations__ = {"return": kind}
    get.__doc__ = doc
    return property(get, doc=doc)


class _Parameters:
    """The ISO form parameters of a result's deviations, which every result of
    the package has."""

    __slots__ = ("_core", "_left_out")

    def __init__(self, core: Any, left_out: Sequence[str] = ()) -> None:
        self._core = core
        self._left_out = list(left_out)  # the note of masked points left out

    t = _field("t", float, "Peak to valley of the deviations: p + v, the form error.")
    p = _field("p", float, "Highest deviation (0 when none is positive).")
    v = _field("v", float, "Depth of the lowest deviation.")
    q = _field("q", float, "Root mean square of the deviations.")


class Reference(_Parameters):
    """A reference feature of points, evaluated by `evaluate`.

    Lengths are in the unit of the coordinates. Deviations are normal to the
    feature: n.(p - point) for lines and planes, |p - centre| - radius for
    circles and spheres, distance from the axis - radius for cylinders, and
    for cones the distance across the surface, (rho - radius - h tan(angle))
    cos(angle), rho and h the point's distance from the axis and its place
    along it from `point`. Absent quantities (the radius of a line, z of a
    circle, the angle of anything but a cone, the bounds of a least-squares
    fit) are None.
    """

    __slots__ = ()

    feature = _field("feature", str,
                     '"line", "plane", "circle", "sphere", "cylinder" or "cone".')
    method = _field("method", str,
                    '"least squares", "minimum zone", "minimum circumscribed" or "maximum '
                    'inscribed".')
    point = _field("point", Triple,
                   "(x, y, z): a circle's or sphere's centre; for a line, plane, cylinder or "
                   "cone the foot of the points' centroid on it (on its axis); z is None for a "
                   "line or circle.")

    @property
    def centre(self) -> Optional[Triple]:
        """A circle's or sphere's centre (x, y, z; z None for a circle); None
        for other features."""
        if self._core.feature not in ("circle", "sphere"):
            return None
        return self._core.point

    direction = _field("direction", Triple,
                       "Unit direction of a line or of a cylinder's or cone's axis (a cone's "
                       "the way it widens), unit normal of a plane; Nones for circles and "
                       "spheres.")
    radius = _field("radius", Optional[float],
                    "Radius of a circle, sphere or cylinder, a cone's radius at `point` (half "
                    "its diameter there); None for lines and planes.")
    angle = _field("angle", Optional[float],
                   "A cone's half apex angle in radians (0 to pi/2): its radius grows by "
                   "tan(angle) a unit along `direction`; twice it, in degrees, is the row's "
                   "``apex_angle_degrees``. None for other features.")
    error = _field("t", float, "The form error t.")
    deviations = _field("deviations", Optional[npt.NDArray[np.float64]],
                        "Each point's deviation, in the order of `points`; None when evaluated "
                        "with ``deviations=False``.")

    @property
    def certified(self) -> Optional[bool]:
        """Whether the bounds on the optimum agree to 1e-9 relative; None for
        least squares."""
        if self._core.method == _LEAST_SQUARES:
            return None
        return self._core.certified

    lower_bound = _field("lower_bound", Optional[float],
                         "Lower bound on the optimum of the criterion (zone width t, or radius); "
                         "None for least squares.")
    upper_bound = _field("upper_bound", Optional[float],
                         "Upper bound on the optimum; None for least squares.")

    @property
    def not_certified_because(self) -> Optional[str]:
        """Why the bounds do not agree; None when certified."""
        if self._core.method == _LEAST_SQUARES or not self._core.why:
            return None
        return self._core.why

    largest_gap_degrees = _field("largest_gap_degrees", Optional[float],
                                 "Circles: the largest angle between neighbouring points about "
                                 "the minimum-zone centre, in degrees (below 180: all round); "
                                 "None for other features. Computed when first asked for, without "
                                 "the GIL.")
    arc = _field("arc", Optional[bool],
                 "Circumscribed and inscribed circles: whether the points leave a gap of 180 "
                 "degrees or more, so that no circle holds them all round; None otherwise.")

    @property
    def notes(self) -> List[str]:
        """What to know before trusting the result: masked points left out, an
        arc, a certificate not reached."""
        notes = list(self._left_out)
        if self._core.arc:
            notes.append("arc: the points do not go all round")
        if self.certified is False:
            notes.append("not certified: " + self._core.why)
        return notes

    points = _field("points", npt.NDArray[np.float64],
                    "The points evaluated: the caller's own array when it was a float64 array "
                    "taken as it is, else its converted copy (without the masked rows of a "
                    "masked array).")

    def to_dict(self, tolerance: Optional[float] = None,
                unit: Optional[str] = None) -> Dict[str, Any]:
        """The row ``formreport results --json`` gives for this reference.

        Parameters
        ----------
        tolerance : float, optional
            The tolerance on the form error: fills ``tolerance`` and ``pass``.
            A finite number of at least 0, as formreport takes it (ValueError
            otherwise).
        unit : str, optional
            The coordinates' unit, as formreport's ``--unit`` names it.

        Returns
        -------
        dict
            The same keys, in the same order, as formreport's row for a point
            file holding these points, and the same values, but for what only
            a file has: ``file`` and ``line`` are None, ``job`` is 1.

        Examples
        --------
        >>> import formeval
        >>> row = formeval.evaluate([[0, 0], [1, 1], [2, 0]], "line", "least squares").to_dict(
        ...     tolerance=1, unit="mm")
        >>> row["shape"], row["method"], row["pass"], row["unit"]
        ('line', 'least squares', True, 'mm')
        """
        if tolerance is not None:
            tolerance = _arrays.real(tolerance, "the tolerance")
            # formreport refuses these: no row judges against them.
            if not (math.isfinite(tolerance) and tolerance >= 0):
                raise ValueError(f"the tolerance is a finite number of at least 0, not {tolerance}")
        if unit is not None:
            unit = _arrays.text(unit, "the unit")
        return self._core.to_dict(tolerance, unit)

    def __repr__(self) -> str:
        return f"<formeval.Reference {self.method} {self.feature} t={self.t}>"


def evaluate(points: npt.ArrayLike, feature: str, method: str, *, deviations: bool = True,
             certificate: bool = True, budget: int = 100000) -> Reference:
    """The reference feature of the points by the method.

    Parameters
    ----------
    points : array_like
        An n x 2 array (line, circle) or n x 3 array (plane, sphere,
        cylinder, cone) of any real dtype. A float64 array whose rows hold their
        coordinates side by side (C order, or rows of a wider array) is taken
        as it is; anything else is converted once. The coordinates are
        copied before the computation, so an array another thread changes
        meanwhile gives the result of the coordinates as copied. The rows of
        a masked array that hold a masked coordinate are left out, and the
        notes say how many.
    feature : str
        "line", "plane", "circle", "sphere", "cylinder" or "cone"
        (`FEATURES`).
    method : str
        "least squares", "minimum zone", "minimum circumscribed" or "maximum
        inscribed" (`METHODS`; the last two for circles, spheres and
        cylinders; a cone by the first two). formreport's names ("minimum circumscribing", "maximum
        inscribing") and the pointset library's ("circumscribed",
        "inscribed") are taken too.
    deviations : bool, default True
        Keep each point's deviation.
    certificate : bool, default True
        Prove bounds on the optimum of the criterion.
    budget : int, default 100000
        Most cells the global search examines, from 0 (none) to 10**15.

    Returns
    -------
    Reference
        The feature, its form parameters, the deviations and the certificate.

    Raises
    ------
    TypeError
        For points that are not real numbers.
    ValueError
        For another shape, an unknown feature or method, a budget out of its
        range, and for points the method cannot evaluate, with the reason
        (too few points, a coordinate not finite, points that determine no
        feature).

    Notes
    -----
    The computation runs without the GIL, so threads evaluate in parallel.
    A masked array's masked rows are left out: the deviations are those of
    ``points[~np.ma.getmaskarray(points).any(axis=1)]``, in its order.

    Examples
    --------
    >>> import formeval
    >>> square = [[1, 0], [0, 1], [-1, 0], [0, -1]]
    >>> mz = formeval.evaluate(square, "circle", "minimum zone")
    >>> mz.centre, mz.radius, mz.t, mz.certified
    ((0.0, 0.0, None), 1.0, 0.0, True)
    """
    index = _FEATURE.get(_arrays.text(feature, "the feature"))
    if index is None:
        raise ValueError(f'unknown feature "{feature}"; one of {_one_of(FEATURES)}')
    criterion = _CRITERION.get(_arrays.text(method, "the method"))
    if criterion is None:
        raise ValueError(f'unknown method "{method}"; one of {_one_of(METHODS)}')
    given = _arrays.points(points, _DIMENSION[feature], f"a {feature}")
    cells = _arrays.budget(budget)
    return Reference(_core.evaluate(given.array, index, criterion, bool(deviations),
                                    bool(certificate), cells), given.notes)
