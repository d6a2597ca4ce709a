"""The analysis of roundness profiles about a circle (usually a reference's):
harmonics and the Gaussian filters; the regression filter of open profiles."""
from __future__ import annotations

from types import SimpleNamespace
from typing import Optional, Tuple

import numpy as np
import numpy.typing as npt

from . import _arrays, _core


def spectral() -> bool:
    """Whether the package was built with FFTW, and so has `harmonics`,
    `harmonic_spectrum`, `gaussian_filter` and `band_pass_filter`."""
    return _core.spectral()


# The parameters of a closed profile about a circle, as each function of one
# documents them.
_PROFILE = _arrays.documented(profile="""points : array_like
        An n x 2 array of any real dtype: the profile, all round.
    centre : (float, float)
        The circle's centre (x, y), or a circle's Reference.centre (x, y,
        None) as it stands.
    radius : float
        The circle's radius, above 0.""")


def _profile(points: npt.ArrayLike, centre: Tuple[float, float],
             radius: float) -> Tuple[_arrays.Points, Tuple[float, float], float]:
    _core.require_spectral()
    return (_arrays.points(points, 2, "a profile"), _arrays.centre(centre),
            _arrays.real(radius, "the radius"))


@_PROFILE
def harmonics(points: npt.ArrayLike, centre: Tuple[float, float],
              radius: float) -> SimpleNamespace:
    """Harmonic amplitudes of the closed profile of the points about a circle.

    Parameters
    ----------
    {profile}

    Returns
    -------
    types.SimpleNamespace
        ``amplitude``: numpy array indexed by undulations per revolution, 0
        to 50 where the points resolve them (k = 0 the mean deviation);
        ``points``: the samples used; ``resampled``: whether the points were
        interpolated to equal angles; ``notes``: masked points left out.

    Raises
    ------
    ValueError
        For a circle without a finite centre and a positive radius, points
        that are not finite, points that form an arc about the centre (no
        closed profile: `open_filter` filters an arc along its length), or a
        package built without FFTW. The profile is an arc, as formreport
        judges one, when the largest angle between neighbouring points
        exceeds both twice their median and 30 degrees.

    Examples
    --------
    >>> import numpy as np, formeval
    >>> t = np.arange(360) * np.pi / 180
    >>> r = 10 + 0.01 * np.cos(3 * t)
    >>> h = formeval.harmonics(np.column_stack([r * np.cos(t), r * np.sin(t)]), (0, 0), 10)
    >>> round(h.amplitude[3], 12), h.points, h.resampled, h.notes
    (0.01, 360, False, [])
    """
    given, at, r = _profile(points, centre, radius)
    amplitude, count, resampled = _core.harmonics(given.array, at, r)
    return SimpleNamespace(amplitude=amplitude, points=count, resampled=resampled,
                           notes=given.notes)


@_PROFILE
def gaussian_filter(points: npt.ArrayLike, centre: Tuple[float, float], radius: float,
                    cutoff: float) -> SimpleNamespace:
    """The closed profile of the points, filtered by the Gaussian profile filter.

    The profile about the circle, at equal angles, filtered by the Gaussian
    profile filter of ISO 16610-21 (50 % transmission at the cut-off).

    Parameters
    ----------
    {profile}
    cutoff : float
        The cut-off in undulations per revolution, above 0 (15, 50, 150 or
        500 are usual).

    Returns
    -------
    types.SimpleNamespace
        ``points``: the filtered profile as an n x 2 array; ``resampled``:
        whether the points were interpolated to equal angles; ``notes``:
        masked points left out.

    Raises
    ------
    ValueError
        For a cut-off not above 0, and where `harmonics` does: an arc is no
        closed profile (filter it along its length with `open_filter`).
    """
    given, at, r = _profile(points, centre, radius)
    filtered, resampled = _core.gaussian_filter(given.array, at, r,
                                                _arrays.real(cutoff, "the cut-off"))
    return SimpleNamespace(points=filtered, resampled=resampled, notes=given.notes)


@_PROFILE
def harmonic_spectrum(points: npt.ArrayLike, centre: Tuple[float, float], radius: float,
                      first: int = 1, last: Optional[int] = None) -> SimpleNamespace:
    """Harmonics of the closed profile of the points, with their phases.

    Each harmonic is amplitude * cos(upr * theta - phase), theta the angle
    about the centre counterclockwise from +x; its first crest lies at
    phase / upr.

    Parameters
    ----------
    {profile}
    first : int, default 1
        The first harmonic listed, in undulations per revolution.
    last : int, optional
        The last one; by default, and at most, half the points.

    Returns
    -------
    types.SimpleNamespace
        ``upr``: int64 array of the harmonics; ``amplitude``: half each
        harmonic's peak to valley, in the points' unit; ``phase``: radians,
        in (-pi, pi]; ``resampled``: whether the points were interpolated to
        equal angles; ``notes``: masked points left out.

    Raises
    ------
    ValueError
        Where `harmonics` does, and for first > last.
    """
    given, at, r = _profile(points, centre, radius)
    upto = None if last is None else _arrays.integer(last, "last")
    upr, amplitude, phase, resampled = _core.harmonic_spectrum(
        given.array, at, r, _arrays.integer(first, "first"), upto)
    return SimpleNamespace(upr=upr, amplitude=amplitude, phase=phase, resampled=resampled,
                           notes=given.notes)


@_PROFILE
def band_pass_filter(points: npt.ArrayLike, centre: Tuple[float, float], radius: float,
                     longwave: float, shortwave: float) -> SimpleNamespace:
    """The band of the closed profile between two cut-offs.

    The Gaussian mean line at `shortwave` less the one at `longwave`, set off
    from the circle again at equal angles.

    Parameters
    ----------
    {profile}
    longwave, shortwave : float
        The cut-offs in undulations per revolution, 0 < longwave < shortwave.

    Returns
    -------
    types.SimpleNamespace
        ``points``: the band as an n x 2 array; ``resampled``: whether the
        points were interpolated to equal angles; ``notes``: masked points
        left out.

    Raises
    ------
    ValueError
        For cut-offs not so ordered, and where `harmonics` does.
    """
    given, at, r = _profile(points, centre, radius)
    band, resampled = _core.band_pass_filter(given.array, at, r,
                                             _arrays.real(longwave, "the long-wave cut-off"),
                                             _arrays.real(shortwave, "the short-wave cut-off"))
    return SimpleNamespace(points=band, resampled=resampled, notes=given.notes)


def open_filter(position: npt.ArrayLike, value: npt.ArrayLike,
                cutoff: float) -> npt.NDArray[np.float64]:
    """The mean line of an open profile (straightness, an arc).

    `value` at `position` along the profile, filtered by the first-order
    Gaussian regression filter at the cut-off wavelength. Away from the ends
    this is the Gaussian filter of ISO 16610-21 (50 % transmission at the
    cut-off); near the ends the fitted slope keeps a sloping profile's mean
    line on it. Needs no FFTW.

    Parameters
    ----------
    position : array_like
        Positions along the profile, strictly increasing, any spacing.
    value : array_like
        The profile's value at each position. Where either is a masked
        array, the positions with a masked position or value are left out.
    cutoff : float
        The cut-off wavelength, in the positions' unit, above 0.

    Returns
    -------
    numpy.ndarray
        The mean line at each position; of masked arrays a masked array of
        their length, masked where an entry was left out.

    Raises
    ------
    TypeError
        For positions or values that are not real numbers.
    ValueError
        For arrays that are not one-dimensional, positions that are not
        finite or not increasing, sizes that differ, or a cut-off not above 0.

    Examples
    --------
    >>> import numpy as np, formeval
    >>> s = np.linspace(0, 10, 11)
    >>> np.allclose(formeval.open_filter(s, 2 + 0.5 * s, 4), 2 + 0.5 * s)
    True
    """
    position, value, kept = _arrays.paired(position, value)
    mean = _core.open_filter(_arrays.column(position, "the positions"),
                             _arrays.column(value, "the values"),
                             _arrays.real(cutoff, "the cut-off"))
    if kept is None:
        return mean
    whole = np.ma.masked_all(kept.shape, dtype=np.float64)
    whole[kept] = mean
    return whole
