"""The uncertainty of a reference feature's quantities: formeval.uncertainty
and its result."""
from __future__ import annotations

import math
from typing import (Any, Dict, Iterable, Iterator, List, NamedTuple, Optional, Sequence,
                    SupportsFloat, SupportsIndex, Tuple, Union)

import numpy as np
import numpy.typing as npt

from . import _arrays, _core
from ._references import _CRITERION, _DIMENSION, _FEATURE, FEATURES, METHODS, Reference, _field
from ._references import _one_of

#: Where a contribution acts, as formreport's --contribution names it.
ACTS: Tuple[str, ...] = tuple(_core.ACTS)
#: The distributions of a contribution ("uniform" is taken for "rectangular").
DISTRIBUTIONS: Tuple[str, ...] = tuple(_core.DISTRIBUTIONS)
_ACTS = {name: index for index, name in enumerate(ACTS)}
_DISTRIBUTION = {name: index for index, name in enumerate(DISTRIBUTIONS)}
_DISTRIBUTION["uniform"] = _DISTRIBUTION["rectangular"]

_MAX_TRIALS = 10**7
_MAX_SEED = 2**64 - 1
_MAX_THREADS = 1024

#: A contribution of the model: where it acts, its distribution, its value and
#: its name; or its text in formreport's --contribution form.
ContributionLike = Union[str, Tuple[str, str, float], Tuple[str, str, float, str]]


class Contribution(NamedTuple):
    """A contribution of the input model, as evaluated."""

    name: str
    acts: str
    distribution: str
    value: float
    u: float


class UncertaintyRow:
    """The uncertainty of one quantity of a reference feature.

    `value`, `u`, `k`, `U`, `low` and `high` are the estimate a statement
    quotes: today the Monte Carlo's own (y its average, u(y) the standard
    deviation of the trials, [low, high] the probabilistically symmetric
    coverage interval, U the distance from y to its farther end, k = U/u(y));
    `bias` is the Monte Carlo average less the measured value. The ``gum_``
    fields are the GUM law of propagation's (y the measured value), None when
    evaluated with ``gum=False``. Lengths are in the unit of the coordinates,
    angles in radians.
    """

    __slots__ = ("_core",)

    def __init__(self, core: Any) -> None:
        self._core = core

    quantity = _field("quantity", str, 'The quantity: "radius", "centre_x", "t" ...')
    length = _field("length", bool,
                    "Whether the quantity is a length (in the coordinates' unit); False for "
                    "directions, slopes and angles.")
    angle = _field("angle", bool,
                   "Whether the quantity is an angle, in radians (a cone's apex_angle).")
    measured = _field("measured", float, "The quantity of the points as given.")
    value = _field("value", float, "y: the Monte Carlo average.")
    u = _field("u", float, "u(y): the standard deviation of the trials' values.")
    k = _field("k", float, "The coverage factor U / u(y) (0 when u(y) is 0).")
    U = _field("U", float,
               "The expanded uncertainty: the distance from y to the farther end of the "
               "symmetric coverage interval.")
    low = _field("low", Optional[float],
                 "The probabilistically symmetric coverage interval's lower end; None when the "
                 "trials give no interval.")
    high = _field("high", Optional[float], "Its upper end; None when there is no interval.")
    shortest_low = _field("shortest_low", Optional[float],
                          "The shortest coverage interval's lower end; None without one.")
    shortest_high = _field("shortest_high", Optional[float],
                           "The shortest coverage interval's upper end; None without one.")
    trials = _field("trials", int, "The trials that gave a feature.")
    converged = _field("converged", bool,
                       "Adaptive: u(y), y and the interval stable to the digits asked; fixed "
                       "trials: stable within their 10 batches.")
    needed = _field("needed", Optional[int],
                    "Fixed trials that did not converge: about how many would; None otherwise.")
    delta = _field("delta", float, "The numerical tolerance of u(y) at the digits asked.")
    bias = _field("bias", float, "The Monte Carlo average less the measured value.")
    corrected = _field("corrected", bool,
                       "Whether the quoted estimate is corrected for the bias (where it "
                       "exceeds a tenth of u(y)).")
    estimate = _field("estimate", str,
                      "Which estimate `value` is: 'monte carlo average' or 'bias-corrected'.")
    correction = _field("correction", float,
                        "The bias correction: value = measured - correction (0 when not "
                        "corrected).")
    correction_u = _field("correction_u", float,
                          "The standard uncertainty of the correction (0 when not corrected).")
    mc_low = _field("mc_low", Optional[float],
                    "The Monte Carlo's own probabilistically symmetric interval's lower end.")
    mc_high = _field("mc_high", Optional[float], "Its upper end.")
    gum_u = _field("gum_u", Optional[float], "u_c(y) by the GUM law of propagation.")
    gum_k = _field("gum_k", Optional[float], "The GUM coverage factor (a Gaussian's).")
    gum_U = _field("gum_U", Optional[float], "The GUM expanded uncertainty k u_c(y).")
    gum_low = _field("gum_low", Optional[float], "measured - gum_U.")
    gum_high = _field("gum_high", Optional[float], "measured + gum_U.")
    validated = _field("validated", Optional[bool],
                       "Whether the GUM interval agrees with the Monte Carlo one within delta "
                       "at both ends.")
    d_low = _field("d_low", Optional[float], "|measured - gum_U - low| of the validation.")
    d_high = _field("d_high", Optional[float], "|measured + gum_U - high| of the validation.")
    budget = _field("budget", Optional[List[float]],
                    "Each contribution's part u_i(y) of u_c(y), in the model's order.")
    sensitivity = _field("sensitivity", Optional[List[float]],
                         "Each contribution's sensitivity c_i = u_i(y) / u(x_i).")
    values = _field("values", npt.NDArray[np.float64],
                    "The trials' values, in trial order (the failed trials left out).")

    def to_dict(self, unit: Optional[str] = None) -> Dict[str, Any]:
        """The row's fields by name.

        Parameters
        ----------
        unit : str, optional
            The coordinates' unit, given to a length as its ``unit`` (an
            angle's is ``"rad"``).

        Returns
        -------
        dict
            ``quantity``, ``measured``, the quoted estimate (``value``,
            ``u``, ``k``, ``U``, ``low``, ``high``), ``shortest_low``,
            ``shortest_high``, ``trials``, ``converged``, ``delta``,
            ``bias``, ``corrected``, ``estimate``, ``correction``,
            ``correction_u``, ``mc_low``, ``mc_high``, the ``gum_`` fields, ``validated``,
            ``d_low``, ``d_high`` and ``unit``; None where there is no value.
        """
        if unit is not None:
            unit = _arrays.text(unit, "the unit")
        row = {name: getattr(self, name) for name in _ROW}
        row["unit"] = unit if self.length else "rad" if self.angle else None
        return row

    def __repr__(self) -> str:
        return f"<formeval.UncertaintyRow {self.quantity} {self.value} ± {self.U}>"


_ROW = ("quantity", "measured", "value", "u", "k", "U", "low", "high", "shortest_low",
        "shortest_high", "trials", "converged", "delta", "bias", "corrected", "estimate",
        "correction", "correction_u", "mc_low", "mc_high", "gum_u", "gum_k",
        "gum_U", "gum_low", "gum_high", "validated", "d_low", "d_high")


class Uncertainty:
    """The uncertainty of every quantity of a reference feature, evaluated by
    `uncertainty`: the measured reference, the trials' counts, and one row a
    quantity (``result["radius"]``, or all in `rows`)."""

    __slots__ = ("_core", "_reference", "_rows", "_contributions", "_coverage", "_seed")

    def __init__(self, core: Any, notes: Sequence[str], model: Sequence[Tuple[int, int, float, str]],
                 coverage: float, seed: int) -> None:
        self._core = core
        self._reference = Reference(core.reference, notes)
        self._rows = tuple(UncertaintyRow(row) for row in core.rows)
        self._contributions = tuple(
            Contribution(name, ACTS[acts], DISTRIBUTIONS[distribution], value, u)
            for (acts, distribution, value, name), u in zip(model, core.input_u))
        self._coverage = coverage
        self._seed = seed

    @property
    def reference(self) -> Reference:
        """The reference feature of the points as given, certified (without
        deviations)."""
        return self._reference

    @property
    def rows(self) -> Tuple[UncertaintyRow, ...]:
        """One row a quantity, in formreport's order."""
        return self._rows

    @property
    def quantities(self) -> Tuple[str, ...]:
        """The quantities' names, in the rows' order."""
        return tuple(row.quantity for row in self._rows)

    def __getitem__(self, quantity: str) -> UncertaintyRow:
        for row in self._rows:
            if row.quantity == quantity:
                return row
        raise KeyError(f'no quantity "{quantity}"; one of {_one_of(self.quantities)}')

    def __iter__(self) -> Iterator[UncertaintyRow]:
        return iter(self._rows)

    def __len__(self) -> int:
        return len(self._rows)

    @property
    def contributions(self) -> Tuple[Contribution, ...]:
        """The input model in the budget's order: ``noise`` first, then
        `model`; each with its standard uncertainty u."""
        return self._contributions

    @property
    def coverage(self) -> float:
        """The coverage probability."""
        return self._coverage

    @property
    def seed(self) -> int:
        """The random stream."""
        return self._seed

    trials = _field("trials", int, "The trials run (M).")
    failed = _field("failed", int, "Trials whose points gave no feature, left out.")
    uncertified = _field("uncertified", Optional[int],
                         "Trials whose result was not certified; None for least squares or "
                         "``certify=False``.")
    adaptive = _field("adaptive", bool, "Whether the adaptive procedure ran.")
    batch = _field("batch", Optional[int], "Trials a batch of the adaptive procedure.")
    batches = _field("batches", Optional[int], "Batches of the adaptive procedure.")
    converged = _field("converged", bool, "Whether every quantity converged.")
    digits = _field("digits", int, "The significant digits of u(y) that set delta.")
    gum_evaluations = _field("gum_evaluations", int,
                             "The evaluations of the GUM sensitivities.")
    gum_failure = _field("gum_failure", Optional[str],
                         "Why there is no GUM result, when one was asked for; else None.")

    @property
    def notes(self) -> List[str]:
        """Masked points left out, and the measured reference's notes."""
        return self._reference.notes

    def to_dict(self, unit: Optional[str] = None) -> Dict[str, Any]:
        """The evaluation as formreport's ``uncertainty --json`` gives one,
        with Python's names.

        Parameters
        ----------
        unit : str, optional
            The coordinates' unit, as formreport's ``--unit`` names it.

        Returns
        -------
        dict
            ``feature``, ``method``, ``points``, ``reference_certified``,
            ``trials``, ``adaptive``, ``digits``, ``batch``, ``batches``,
            ``converged``, ``failed_trials``, ``uncertified_trials``,
            ``gum_evaluations``, ``gum_failure``, ``coverage_probability``,
            ``seed``, ``unit``, the ``contributions`` (each a dict of
            `Contribution`'s fields) and the ``rows`` (`UncertaintyRow.to_dict`).
        """
        if unit is not None:
            unit = _arrays.text(unit, "the unit")
        return {
            "feature": self._reference.feature, "method": self._reference.method,
            "points": int(self._reference.points.shape[0]),
            "reference_certified": self._reference.certified, "trials": self.trials,
            "adaptive": self.adaptive, "digits": self.digits, "batch": self.batch,
            "batches": self.batches, "converged": self.converged, "failed_trials": self.failed,
            "uncertified_trials": self.uncertified, "gum_evaluations": self.gum_evaluations,
            "gum_failure": self.gum_failure, "coverage_probability": self._coverage,
            "seed": self._seed, "unit": unit,
            "contributions": [c._asdict() for c in self._contributions],
            "rows": [row.to_dict(unit) for row in self._rows],
        }

    def __repr__(self) -> str:
        return (f"<formeval.Uncertainty {self._reference.method} {self._reference.feature}, "
                f"{self.trials} trials>")


def _whole(value: SupportsIndex, what: str, low: int, high: int) -> int:
    number = _arrays.integer(value, what)
    if not low <= number <= high:
        raise ValueError(f"{what} is a whole number from {low} to {high}, not {number}")
    return number


def _width(value: SupportsFloat, what: str) -> float:
    width = _arrays.real(value, what)
    if not (math.isfinite(width) and width >= 0):
        raise ValueError(f"{what} must be a finite number of at least 0, not {width}")
    return width


def _contribution(given: Any, unit: Optional[str]) -> Tuple[int, int, float, str]:
    """(acts, distribution, width, name) by index, of a contribution's text
    or tuple."""
    if isinstance(given, str):
        return _core.contribution(given, unit)
    if not isinstance(given, tuple) or len(given) not in (3, 4):
        raise TypeError("a contribution is a text 'ACTS DISTRIBUTION VALUE [NAME]' or a tuple "
                        f"(acts, distribution, value[, name]), not {given!r}")
    acts = _ACTS.get(_arrays.text(given[0], "where a contribution acts"))
    if acts is None:
        raise ValueError(f'"{given[0]}" is not where a contribution acts: one of '
                         f"{_one_of(ACTS)}")
    distribution = _DISTRIBUTION.get(_arrays.text(given[1], "a contribution's distribution"))
    if distribution is None:
        raise ValueError(f'"{given[1]}" is not a distribution: one of '
                         f'{_one_of(DISTRIBUTIONS)} ("uniform" for "rectangular")')
    width = _width(given[2], f"the value of the contribution {given[0]}")
    name = _arrays.text(given[3], "a contribution's name") if len(given) == 4 else given[0]
    return acts, distribution, width, name


def _coverage(value: SupportsFloat) -> Tuple[float, int]:
    """The coverage probability and its basis points."""
    probability = _arrays.real(value, "the coverage")
    points = round(probability * 10000) if math.isfinite(probability) else -1
    if not 0 < points < 10000 or abs(points - probability * 10000) > 1e-6:
        raise ValueError("the coverage is a probability above 0 and below 1 in whole basis "
                         f"points (0.95 for 95 %), not {probability}")
    return probability, points


def uncertainty(points: npt.ArrayLike, feature: str, method: str, *,
                noise: Optional[float] = None, model: Optional[Iterable[ContributionLike]] = (),
                unit: Optional[str] = None, trials: int = 100000, adaptive: Optional[int] = None,
                max_trials: int = 1000000, seed: int = 1, coverage: float = 0.95,
                threads: int = 0, gum: bool = True, certify: bool = True) -> Uncertainty:
    """The measurement uncertainty of every quantity of the reference feature.

    Monte Carlo (JCGM 101): each trial moves the points as the input model
    draws it and evaluates the reference again; beside it the GUM law of
    propagation (JCGM 100), its budget and its validation against the Monte
    Carlo interval. The numbers are formreport ``uncertainty``'s for the same
    points, model, trials and seed, to the last bit, on any number of threads.

    Parameters
    ----------
    points : array_like
        An n x 2 (line, circle) or n x 3 array (plane, sphere, cylinder,
        cone), as `evaluate` takes it; masked rows are left out.
    feature : str
        "line", "plane", "circle", "sphere", "cylinder" or "cone"
        (`FEATURES`).
    method : str
        The reference's method, as `evaluate` takes it (`METHODS`).
    noise : float, optional
        Gaussian noise of this standard deviation on every coordinate of
        every point, in the coordinates' unit (formreport's ``--sigma``): the
        contribution "noise", first in the budget.
    model : iterable, optional
        More contributions (or one text), in the budget's order, each as formreport's
        ``--contribution`` text, ``"normal gaussian 0.1um probe"`` (where it
        acts, the distribution, the value with or without a unit, a name),
        or as a tuple ``(acts, distribution, value[, name])`` with the value
        a number: a length in the coordinates' unit, a scale error relative,
        a squareness error in radians. `ACTS` and `DISTRIBUTIONS` name the
        choices; a gaussian's value is its standard deviation, the others'
        their half-width.
    unit : str, optional
        The coordinates' unit (mm, um, in ...), which a text's value with a
        length unit is converted to; without it such a value is refused.
    trials : int, default 100000
        Monte Carlo trials M, 1 to 10**7 (enough for the coverage interval:
        at least 1 / (1 - coverage)).
    adaptive : int, optional
        Instead of `trials`: the adaptive procedure (JCGM 101 7.9) to this
        many significant digits (1 to 4) of every u(y).
    max_trials : int, default 1000000
        Most trials the adaptive procedure runs, 1 to 10**7.
    seed : int, default 1
        The random stream, 0 to 2**64 - 1.
    coverage : float, default 0.95
        The coverage probability, above 0 and below 1, in whole basis points.
    threads : int, default 0
        Threads for the trials and the GUM sensitivities, 0 (every core) to
        1024; the numbers do not depend on it.
    gum : bool, default True
        Add the GUM result, the budget and the validation.
    certify : bool, default True
        Certify every trial's result (the measured reference always is).

    Returns
    -------
    Uncertainty
        The measured reference, the counts and one `UncertaintyRow` a
        quantity.

    Raises
    ------
    TypeError
        For arguments of the wrong kind.
    ValueError
        For an unknown feature, method, place, distribution or unit, a
        negative or non-finite noise or value, no contribution, numbers out
        of their ranges, and with the uncertainty library's reason for what
        it cannot evaluate (too few trials for the coverage interval, points
        that give no feature, no contribution of nonzero width, one along z
        for points in the plane).

    Notes
    -----
    The trials run without the GIL, on threads of their own.

    Examples
    --------
    >>> import numpy as np, formeval
    >>> t = np.linspace(0, 2 * np.pi, 36, endpoint=False)
    >>> ring = np.column_stack([10 * np.cos(t), 10 * np.sin(t)])
    >>> u = formeval.uncertainty(ring, "circle", "least squares", model=[("offset-x",
    ...     "gaussian", 0.001)], trials=2000, gum=False)
    >>> u.trials, u["radius"].u < 1e-12, round(u["centre_x"].u / 0.001, 1)
    (2000, True, 1.0)
    """
    index = _FEATURE.get(_arrays.text(feature, "the feature"))
    if index is None:
        raise ValueError(f'unknown feature "{feature}"; one of {_one_of(FEATURES)}')
    criterion = _CRITERION.get(_arrays.text(method, "the method"))
    if criterion is None:
        raise ValueError(f'unknown method "{method}"; one of {_one_of(METHODS)}')
    if unit is not None:
        unit = _arrays.text(unit, "the unit")
    given: List[Tuple[int, int, float, str]] = []
    if noise is not None:
        given.append((_ACTS["coordinates"], _DISTRIBUTION["gaussian"],
                      _width(noise, "the noise (a standard deviation)"), "noise"))
    if model is None:
        model = ()
    elif isinstance(model, str):
        model = [model]  # one contribution
    given.extend(_contribution(c, unit) for c in model)
    if not given:
        raise ValueError("give the input model: noise= or model=")
    digits = 0 if adaptive is None else _whole(adaptive, "the adaptive procedure's digits", 1, 4)
    count = _whole(trials, "the number of trials", 1, _MAX_TRIALS)
    most = _whole(max_trials, "the most trials", 1, _MAX_TRIALS)
    stream = _whole(seed, "the seed", 0, _MAX_SEED)
    probability, basis = _coverage(coverage)
    workers = _whole(threads, "the number of threads", 0, _MAX_THREADS)
    array = _arrays.points(points, _DIMENSION[feature], f"a {feature}")
    core = _core.uncertainty(array.array, index, criterion, given, count, digits, most, basis,
                             stream, workers, bool(gum), bool(certify))
    return Uncertainty(core, array.notes, given, probability, stream)
