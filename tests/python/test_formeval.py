"""The Python module formeval: its rows against formreport's JSON for the same
points, formeval's own evaluations against formreport's program rows, its
errors, arrays read without a copy, and the profile analysis against hand
computations. FORMEVAL_FORMREPORT names the formreport to compare with."""
import json
import math
import os
import subprocess
import tracemalloc

import numpy as np
import pytest

import formeval
from gilcheck import assert_runs_without_the_gil

FORMREPORT = os.environ.get("FORMEVAL_FORMREPORT", "")


def wobble(i):
    return 0.003 * np.sin(2.7 * i) + 0.001 * np.cos(7.1 * i)


def make_points(feature, n=None):
    """Points of each feature away from the axes, with a wobble no feature fits."""
    if feature == "line":
        s = np.arange(n or 40, dtype=float)
        d = wobble(s)
        return np.column_stack([3 + (s - d) / math.sqrt(2), -1 + (s + d) / math.sqrt(2)])
    if feature == "plane":
        i, j = np.meshgrid(np.arange(12.0), np.arange(10.0), indexing="ij")
        u = (i * 5 + 0.7 * np.sin(i * j + 1)).ravel()
        v = (j * 4 + 0.5 * np.cos(i + 2 * j)).ravel()
        w = wobble(np.arange(u.size))
        c, s = math.cos(math.pi / 6), math.sin(math.pi / 6)
        return np.column_stack([u * c + w * s, v + 7, -u * s + w * c + 2])
    if feature == "circle":
        k = np.arange(n or 90)
        t = 2 * math.pi * k / k.size
        r = 25 + wobble(k)
        return np.column_stack([40 + r * np.cos(t), -12 + r * np.sin(t)])
    if feature == "sphere":
        k = np.arange(n or 200)
        z = 1 - 2 * (k + 0.5) / k.size
        t = 2.399963 * k
        r = 12.5 + wobble(k)
        w = np.sqrt(1 - z * z)
        return np.column_stack([5 + r * w * np.cos(t), -3 + r * w * np.sin(t), 9 + r * z])
    if feature == "cone":
        return trilobe_cone(wobbled=True)
    # A cylinder along (1, 2, 2)/3 through (1, 2, 3): 8 rings of 30 points.
    a = np.array([1.0, 2.0, 2.0]) / 3
    e1 = np.array([2.0, -1.0, 0.0]) / math.sqrt(5)
    e2 = np.cross(a, e1)
    rows = []
    for ring in range(8):
        for k in range(30):
            t = 2 * math.pi * k / 30 + 0.1 * ring
            r = 6 + wobble(ring * 30 + k)
            rows.append(np.array([1, 2, 3]) + 4.0 * ring * a + r * (math.cos(t) * e1 + math.sin(t) * e2))
    return np.array(rows)


def trilobe_cone(wobbled=False):
    """A cone of radius 20 at (3, -2, 1), half angle 5.7 degrees, about the axis
    (0.36, 0.48, 0.8): six sections of 36 points 5 apart along it, each with a
    trilobe of 0.002 across the surface (`wobbled`: and a wobble no cone fits)."""
    a, d = np.array([3.0, -2.0, 1.0]), np.array([0.36, 0.48, 0.8])
    e1 = np.array([-0.8, 0.0, 0.36]) / math.hypot(0.8, 0.36)
    e2 = np.cross(d, e1)
    half = math.radians(5.7)
    rows = []
    for k in range(6):
        for i in range(36):
            t = 2 * math.pi * i / 36
            across = 0.002 * math.cos(3 * t) + (wobble(k * 36 + i) if wobbled else 0)
            h = 5.0 * k - across * math.sin(half)
            rho = 20 + 5.0 * k * math.tan(half) + across * math.cos(half)
            rows.append(a + h * d + rho * (math.cos(t) * e1 + math.sin(t) * e2))
    return np.array(rows)


def formreport_json(path, *args):
    if not FORMREPORT:
        pytest.skip("FORMEVAL_FORMREPORT not set")
    out = subprocess.run([FORMREPORT, "results", str(path), "--json", *args],
                         capture_output=True, text=True, check=True)
    document = json.loads(out.stdout)
    # A row ends with its part's verdict and decision rule, which are the
    # part's, not the reference's: without a tolerance both are null.
    for row in document["rows"]:
        assert row.pop("verdict") is None and row.pop("decision_rule") is None, row
    return document


# The features with circumscribed and inscribed references.
RADIAL = ("circle", "sphere", "cylinder")


@pytest.mark.parametrize("feature", formeval.FEATURES)
def test_rows_are_formreports_json_rows(tmp_path, feature):
    points = make_points(feature)
    path = tmp_path / f"{feature}.csv"
    with open(path, "w") as f:
        for row in points:
            f.write(",".join(repr(float(x)) for x in row) + "\n")
    rows = formreport_json(path, "--feature", feature, "--unit", "mm")["rows"]
    methods = formeval.METHODS if feature in RADIAL else formeval.METHODS[:2]
    assert len(rows) == len(methods)
    for method, row in zip(methods, rows):
        ours = formeval.evaluate(points, feature, method).to_dict(unit="mm")
        assert list(ours) == list(row), method
        # What only a file has: its name and the line of its first point.
        row.update(file=None, line=None)
        assert ours == row, method


def arc_of(degrees, n):
    t = np.radians(degrees) * np.arange(n) / (n - 1)
    return np.column_stack([25 * np.cos(t), 25 * np.sin(t)])


def program_cases():
    circle = make_points("circle", 24)
    octagon = np.array([[10, 0], [7, 7], [0, 10], [-7, 7], [-10, 0], [-7, -7], [0, -10],
                        [7.1, -7]], dtype=float)
    return [
        ("circle", 2500, circle, lambda p, m: formeval.circle(p, m)),
        # Points on which formeval's fits stop or say they are not the
        # optimum: `fitted` and the numbers still as formreport gives them.
        ("short arc", 2500, arc_of(0.01, 4), lambda p, m: formeval.circle(p, m)),
        ("arc", 2500, arc_of(2, 12), lambda p, m: formeval.circle(p, m)),
        ("octagon", 2500, octagon, lambda p, m: formeval.circle(p, m)),
        ("line", 1000, make_points("line", 30), lambda p, m: formeval.straightness(p, m)),
        ("plane", 3000, make_points("plane"), lambda p, m: formeval.flatness(p, m)),
    ]


@pytest.mark.parametrize("feature,job,points,function", program_cases(),
                         ids=lambda c: c if isinstance(c, str) else None)
def test_programs_are_formreports_program_rows(tmp_path, feature, job, points, function):
    path = tmp_path / "cir1.txt"
    with open(path, "w") as f:
        f.write(f"{job} {len(points)} 0.000001\n")
        for row in points:
            f.write(" ".join(repr(float(x)) for x in row) + "\n")
    rows = [r for r in formreport_json(path)["rows"] if r["computed_by"] == "formeval"]
    assert rows
    names = {"minimum circumscribing": "peak", "maximum inscribing": "valley"}
    for row in rows:
        ours = function(points, names.get(row["method"], row["method"])).to_dict()
        assert list(ours) == list(row)
        # formreport's row sets the job's place in the stream and compares
        # with the exact reference; the numbers formeval prints are ours.
        for key in ("centre_x", "centre_y", "centre_z", "radius", "intercept", "slope_x",
                    "slope_y", "error", "t", "p", "v", "q", "fitted", "method"):
            assert ours[key] == row[key], (row["method"], key)


def test_program_numbers_and_deviations_agree():
    points = make_points("circle", 40)
    r = formeval.circle(points, "least squares")
    centre = np.array(r.centre[:2])
    assert np.allclose(np.hypot(*(points - centre).T) - r.radius, r.deviations, atol=1e-12)
    assert r.t == pytest.approx(r.deviations.max() - r.deviations.min())
    assert r.job == 2600 and r.notes == [] and r.fitted


def test_deviations_are_recomputed_from_the_row():
    """A sphere's and a plane's row give back every deviation and the zone."""
    for feature in ("sphere", "plane"):
        points = make_points(feature)
        r = formeval.evaluate(points, feature, "minimum zone")
        if feature == "sphere":
            d = np.linalg.norm(points - np.array(r.centre), axis=1) - r.radius
        else:
            d = (points - np.array(r.point)) @ np.array(r.direction)
        assert np.allclose(d, r.deviations, atol=1e-12)
        assert r.t == pytest.approx(d.max() - d.min(), abs=1e-12)
        assert r.certified and r.lower_bound <= r.t <= r.upper_bound + 1e-15


def test_a_cone_as_built():
    """The trilobe's cone is the one built, by both methods: its axis, its
    radius at the points' centroid, half its apex angle and the zone twice the
    trilobe; the minimum zone certified."""
    points = trilobe_cone()
    for method in formeval.METHODS[:2]:
        ref = formeval.evaluate(points, "cone", method)
        assert ref.feature == "cone" and ref.centre is None
        assert ref.point == pytest.approx((7.5, 4, 11), abs=1e-12)
        assert ref.direction == pytest.approx((0.36, 0.48, 0.8), abs=1e-12)
        assert ref.radius == pytest.approx(20 + 12.5 * math.tan(math.radians(5.7)), abs=1e-12)
        assert ref.angle == pytest.approx(math.radians(5.7), abs=1e-13)
        assert ref.t == pytest.approx(0.004, abs=1e-12)
        # Across the surface: (rho - radius - h tan(angle)) cos(angle).
        w = points - np.array(ref.point)
        h = w @ np.array(ref.direction)
        rho = np.sqrt(np.einsum("ij,ij->i", w, w) - h * h)
        across = (rho - ref.radius - h * math.tan(ref.angle)) * math.cos(ref.angle)
        assert np.allclose(across, ref.deviations, atol=1e-12)
        row = ref.to_dict(unit="mm")
        assert row["apex_angle_degrees"] == pytest.approx(11.4, abs=1e-11)
        assert list(row)[-1] == "apex_angle_degrees"
    mz = formeval.evaluate(points, "cone", "minimum zone")
    assert mz.certified is True and mz.upper_bound == mz.t
    assert mz.lower_bound == pytest.approx(0.004, rel=1e-9) and mz.notes == []
    assert formeval.evaluate(make_points("circle"), "circle", "least squares").angle is None
    with pytest.raises(ValueError, match="cone"):
        formeval.evaluate(points, "cone", "minimum circumscribed")


def test_a_known_circle_by_hand():
    """Eight points alternately 0.01 outside and inside radius 10 about (3, 4)."""
    t = np.arange(8) * math.pi / 4
    r = 10 + 0.01 * (-1.0) ** np.arange(8)
    points = np.column_stack([3 + r * np.cos(t), 4 + r * np.sin(t)])
    expected = {"least squares": 10, "minimum zone": 10, "minimum circumscribed": 10.01,
                "maximum inscribed": 9.99}
    for method, radius in expected.items():
        ref = formeval.evaluate(points, "circle", method)
        assert ref.radius == pytest.approx(radius, abs=1e-12), method
        assert ref.centre[:2] == pytest.approx((3, 4), abs=1e-12)
        assert ref.largest_gap_degrees == pytest.approx(45)
        assert ref.arc in (None, False)
    own = formeval.circle(points, "valley")
    assert own.radius == pytest.approx(9.99, abs=1e-9) and own.job == 2800


ERRORS = [
    ("n x 3 for a circle", np.zeros((5, 3)), "circle", "least squares", ValueError,
     "a circle needs an n x 2 array of points, not one of shape (5, 3)"),
    ("flat array", np.zeros(6), "line", "least squares", ValueError,
     "a line needs an n x 2 array of points, not one of shape (6,)"),
    ("strings", np.array([["a", "b"], ["c", "d"]]), "line", "least squares", TypeError,
     "points must be real numbers, not of dtype <U1"),
    ("complex", np.ones((4, 2), dtype=complex), "circle", "least squares", TypeError,
     "points must be real numbers, not of dtype complex128"),
    ("too few", np.array([[0.0, 0], [1, 1]]), "circle", "least squares", ValueError, "too few"),
    ("NaN", np.array([[0.0, 0], [1, 0], [0, 1], [np.nan, 1]]), "circle", "minimum zone",
     ValueError, "finite"),
    ("collinear", np.array([[0.0, 0], [1, 1], [2, 2], [3, 3]]), "circle", "minimum zone",
     ValueError, "line"),
    ("unknown feature", np.zeros((4, 2)), "ellipse", "least squares", ValueError,
     'unknown feature "ellipse"'),
    ("unknown method", np.zeros((4, 2)), "circle", "best", ValueError, 'unknown method "best"'),
    ("inscribed line", make_points("line"), "line", "maximum inscribed", ValueError, "line"),
]


@pytest.mark.parametrize("name,points,feature,method,error,text", ERRORS,
                         ids=[e[0] for e in ERRORS])
def test_bad_input_raises_with_the_message(name, points, feature, method, error, text):
    with pytest.raises(error) as raised:
        formeval.evaluate(points, feature, method)
    assert text in str(raised.value)


def test_programs_refuse_as_formeval_does():
    circle = make_points("circle", 2049)
    with pytest.raises(ValueError, match="^2049 points exceed the limit of 2048$"):
        formeval.circle(circle)
    assert formeval.circle(circle[:2048], "least squares").job == 2600
    with pytest.raises(ValueError, match="^3 points are too few; the evaluation needs at least 4$"):
        formeval.circle(circle[:3], "minimum zone")
    with pytest.raises(ValueError, match="they determine no circle"):
        formeval.circle(np.array([[0.0, 0], [1, 1], [2, 2], [3, 3]]))
    with pytest.raises(ValueError, match='unknown method "peak"'):
        formeval.straightness(make_points("line"), "peak")


def test_contiguous_float64_is_read_in_place():
    points = make_points("plane")
    assert formeval.evaluate(points, "plane", "least squares").points is points
    # Rows of a wider array, coordinates side by side: still in place.
    wide = np.hstack([make_points("circle"), np.zeros((90, 1))])
    view = wide[:, :2]
    assert formeval.evaluate(view, "circle", "least squares").points is view
    # Other dtypes and layouts are converted once, to equal numbers.
    for other in (points.astype(np.float32), np.asfortranarray(points), points.tolist()):
        got = formeval.evaluate(other, "plane", "least squares")
        assert got.points is not other
        assert not np.shares_memory(got.points, points)
        assert got.points.dtype == np.float64 and got.points.flags.c_contiguous
    narrow = formeval.evaluate(points.astype(np.float32), "plane", "least squares")
    assert narrow.t == formeval.evaluate(points.astype(np.float32).astype(float), "plane",
                                         "least squares").t


def million_circle(dtype):
    t = np.linspace(0, 2 * math.pi, 1_000_000, endpoint=False)
    r = 25 + 0.002 * np.sin(7 * t)
    return np.column_stack([r * np.cos(t), r * np.sin(t)]).astype(dtype)


@pytest.mark.parametrize("dtype,copied", [(np.float64, False), (np.float32, True)],
                         ids=["float64", "float32"])
def test_a_million_float64_points_without_a_conversion(dtype, copied):
    points = million_circle(dtype)
    tracemalloc.start()
    r = formeval.evaluate(points, "circle", "least squares", deviations=False)
    peak = tracemalloc.get_traced_memory()[1]
    tracemalloc.stop()
    assert r.radius == pytest.approx(25, abs=1e-5)
    # numpy tells tracemalloc of its buffers: a converted copy of 16 MB would
    # show (the core's own copy of the coordinates is not numpy's).
    if copied:
        assert peak >= 16_000_000
    else:
        assert peak < 1_000_000 and r.points is points


def test_the_gil_is_released_while_computing():
    """Another thread keeps running Python while one evaluates."""
    points = million_circle(np.float64)
    assert_runs_without_the_gil(
        lambda: formeval.evaluate(points, "circle", "minimum zone", deviations=False))


def test_harmonics_and_filter_by_hand():
    if not formeval.spectral():
        pytest.skip("built without FFTW")
    t = 2 * math.pi * np.arange(720) / 720
    r = 10 + 0.01 * np.cos(3 * t) + 0.002 * np.cos(120 * t)
    points = np.column_stack([r * np.cos(t), r * np.sin(t)])
    h = formeval.harmonics(points, (0, 0), 10)
    assert h.amplitude[3] == pytest.approx(0.01, abs=1e-12)
    assert h.amplitude[0] == pytest.approx(0, abs=1e-12) and not h.resampled
    # The Gaussian filter's transmission exp(-pi (alpha k / cutoff)^2).
    alpha = math.sqrt(math.log(2) / math.pi)
    f = formeval.gaussian_filter(points, (0, 0), 10, 50)
    d = np.hypot(*f.points.T) - 10
    a = np.arctan2(f.points[:, 1], f.points[:, 0])
    expect = (0.01 * math.exp(-math.pi * (alpha * 3 / 50) ** 2) * np.cos(3 * a)
              + 0.002 * math.exp(-math.pi * (alpha * 120 / 50) ** 2) * np.cos(120 * a))
    assert len(d) == 720
    assert np.allclose(d, expect, atol=1e-12)
    with pytest.raises(ValueError, match="radius above 0"):
        formeval.harmonics(points, (0, 0), 0)
    # A circle's reference as it stands is a centre the profile functions take.
    ls = formeval.evaluate(points, "circle", "least squares")
    assert ls.centre[2] is None
    for function in (lambda c: formeval.harmonics(points, c, ls.radius).amplitude,
                     lambda c: formeval.gaussian_filter(points, c, ls.radius, 50).points):
        assert np.array_equal(function(ls.centre), function(ls.centre[:2]))


def test_harmonic_spectrum_band_pass_and_open_filter_by_hand():
    if not formeval.spectral():
        pytest.skip("built without FFTW")
    n = 720
    t = 2 * math.pi * np.arange(n) / n
    # 3 UPR crest at 0.4 rad / 3, 120 UPR chatter at phase -1, 5 UPR band content.
    dev = 0.01 * np.cos(3 * t - 0.4) + 0.002 * np.cos(120 * t + 1) + 0.001 * np.cos(40 * t)
    points = np.column_stack([(10 + dev) * np.cos(t), (10 + dev) * np.sin(t)])
    h = formeval.harmonic_spectrum(points, (0, 0), 10)
    assert h.upr[0] == 1 and h.upr[-1] == n // 2 and h.upr.dtype == np.int64
    assert h.amplitude[2] == pytest.approx(0.01, abs=1e-12)
    assert h.phase[2] == pytest.approx(0.4, abs=1e-9)
    assert h.amplitude[119] == pytest.approx(0.002, abs=1e-12)
    assert h.phase[119] == pytest.approx(-1, abs=1e-9)
    assert max(np.delete(h.amplitude, [2, 39, 119])) < 1e-12
    window = formeval.harmonic_spectrum(points, (0, 0), 10, first=100, last=130)
    assert list(window.upr) == list(range(100, 131))
    # The band 15..500 UPR: each harmonic by the difference of the transmissions.
    alpha = math.sqrt(math.log(2) / math.pi)

    def weight(k, cutoff):
        return math.exp(-math.pi * (alpha * k / cutoff) ** 2)

    b = formeval.band_pass_filter(points, (0, 0), 10, 15, 500)
    d = np.hypot(*b.points.T) - 10
    a = np.arctan2(b.points[:, 1], b.points[:, 0])
    expect = sum(amp * (weight(k, 500) - weight(k, 15)) * np.cos(k * a - ph)
                 for k, amp, ph in [(3, 0.01, 0.4), (120, 0.002, -1), (40, 0.001, 0)])
    assert np.allclose(d, expect, atol=1e-12)
    with pytest.raises(ValueError, match="long-wave cut-off"):
        formeval.band_pass_filter(points, (0, 0), 10, 500, 15)
    with pytest.raises(ValueError, match="range is empty"):
        formeval.harmonic_spectrum(points, (0, 0), 10, first=9, last=3)


def test_open_filter_keeps_a_slope_and_passes_long_waves():
    s = np.linspace(0, 100, 2001)
    slope = 0.003 * s + 1
    assert np.allclose(formeval.open_filter(s, slope, 8), slope, atol=1e-12)
    # A wave at ten times the cut-off passes at its weight, away from the ends.
    alpha = math.sqrt(math.log(2) / math.pi)
    wave = np.sin(2 * math.pi * s / 80)
    mean = formeval.open_filter(s, wave, 8)
    inner = (s > 10) & (s < 90)
    assert np.allclose(mean[inner], math.exp(-math.pi * (alpha * 8 / 80) ** 2) * wave[inner],
                       atol=1e-4)
    with pytest.raises(ValueError):
        formeval.open_filter(s[::-1], wave, 8)
    with pytest.raises(ValueError, match="one-dimensional"):
        formeval.open_filter(np.zeros((3, 2)), np.zeros(3), 8)
    with pytest.raises(TypeError):
        formeval.open_filter(["a", "b"], [1, 2], 8)
