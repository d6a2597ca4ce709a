"""formeval.uncertainty: its rows against formreport's `uncertainty --json`
for the same points, model and seed, to the last bit; the rows against the
trials' own values and a closed-form case; the argument errors with their
messages. FORMEVAL_FORMREPORT names the formreport to compare with."""
import json
import math
import os
import subprocess

import numpy as np
import pytest

import formeval
from gilcheck import assert_runs_without_the_gil

FORMREPORT = os.environ.get("FORMEVAL_FORMREPORT", "")


def ring(n=90):
    """A circle of radius 25 about (40, -12) with lobes no circle fits."""
    t = 2 * math.pi * np.arange(n) / n
    r = 25 + 0.003 * np.sin(5 * t) + 0.001 * np.cos(11 * t)
    return np.column_stack([40 + r * np.cos(t), -12 + r * np.sin(t)])


def tilted_plane():
    i, j = np.meshgrid(np.arange(8.0), np.arange(6.0), indexing="ij")
    x, y = (i * 5).ravel(), (j * 4).ravel()
    z = 2 + 0.01 * x - 0.02 * y + 0.002 * np.sin(x * y + 1)
    return np.column_stack([x, y, z])


def wavy_line(n=40):
    s = np.arange(n, dtype=float)
    return np.column_stack([s, 0.5 * s + 0.002 * np.sin(2.7 * s)])


def lobed_cone():
    """Rings of 24 points at heights 0 to 15 of a cone of half angle 0.1,
    lobed across its surface."""
    rows = []
    for k in range(4):
        for i in range(24):
            t = 2 * math.pi * i / 24
            r = 20 + 5 * k * math.tan(0.1) + 0.002 * math.cos(3 * t + k)
            rows.append([r * math.cos(t), r * math.sin(t), 5.0 * k])
    return np.array(rows)


# Each case: the points, the feature, Python's method and keywords, formreport's
# criterion and options for the same model and settings.
CASES = [
    ("circle by minimum zone", ring, "circle", "minimum zone",
     dict(noise=0.0005, model=["normal gaussian 0.1um probe"], unit="mm", trials=2000, seed=7,
          threads=1),
     ["--criterion", "minimum-zone", "--unit", "mm", "--sigma", "0.0005", "--contribution",
      "normal gaussian 0.1um probe", "--trials", "2000", "--seed", "7", "--threads", "2"]),
    ("plane by least squares", tilted_plane, "plane", "least squares",
     dict(model=[("z", "gaussian", 0.0002), ("scale", "rectangular", 2e-6, "scale error")],
          trials=1500, seed=3, coverage=0.9),
     ["--criterion", "least-squares", "--sigma-z", "0.0002", "--contribution",
      "scale rectangular 2ppm scale error", "--trials", "1500", "--seed", "3", "--coverage",
      "90"]),
    ("line by minimum zone, adaptive, no GUM, uncertified trials", wavy_line, "line",
     "minimum zone",
     dict(model=("coordinates uniform 0.001",), adaptive=1, gum=False, certify=False, seed=11),
     ["--criterion", "minimum-zone", "--uniform", "0.001", "--adaptive", "1", "--no-gum",
      "--no-certify", "--seed", "11"]),
    ("cone by minimum zone", lobed_cone, "cone", "minimum zone",
     dict(noise=0.0005, model=["normal gaussian 0.2um probe"], unit="mm", trials=300, seed=2),
     ["--criterion", "minimum-zone", "--unit", "mm", "--sigma", "0.0005", "--contribution",
      "normal gaussian 0.2um probe", "--trials", "300", "--seed", "2"]),
]


def formreport_uncertainty(path, feature, options):
    if not FORMREPORT:
        pytest.skip("FORMEVAL_FORMREPORT not set")
    out = subprocess.run([FORMREPORT, "uncertainty", str(path), "--feature", feature, "--json",
                          "--quiet", *options], capture_output=True, text=True)
    assert out.returncode == 0, out.stderr
    return json.loads(out.stdout)


def write_points(path, points):
    with open(path, "w") as f:
        for row in points:
            f.write(",".join(repr(float(x)) for x in row) + "\n")


# formreport's Monte Carlo row and GUM row of a quantity, field by field, as
# the Python row gives them.
MONTE_CARLO = {"value": "value", "u": "u", "k": "k", "U": "U", "low": "low", "high": "high",
               "shortest_low": "shortest_low", "shortest_high": "shortest_high",
               "trials": "trials", "converged": "converged", "gum_u": "gum_u",
               "measured": "measured", "delta": "delta", "bias": "bias",
               "estimate": "estimate", "correction": "correction",
               "correction_u": "correction_u", "mc_low": "mc_low", "mc_high": "mc_high"}
GUM = {"value": "measured", "u": "gum_u", "k": "gum_k", "U": "gum_U", "low": "gum_low",
       "high": "gum_high", "gum_u": "gum_u", "measured": "measured", "delta": "delta",
       "validated": "validated", "d_low": "d_low", "d_high": "d_high"}


@pytest.mark.parametrize("name,make,feature,method,keywords,options", CASES,
                         ids=[c[0] for c in CASES])
def test_rows_are_formreports_json_rows(tmp_path, name, make, feature, method, keywords,
                                        options):
    points = make()
    path = tmp_path / "points.csv"
    write_points(path, points)
    document = formreport_uncertainty(path, feature, options)
    got = formeval.uncertainty(points, feature, method, **keywords)

    evaluation = document["evaluations"][0]
    mine = got.to_dict(unit=keywords.get("unit"))
    for key in ("feature", "points", "reference_certified", "trials", "adaptive", "digits",
                "batch", "batches", "converged", "failed_trials", "uncertified_trials",
                "gum_evaluations", "gum_failure"):
        assert mine[key] == evaluation[key], key
    assert mine["coverage_probability"] == document["coverage_probability"]
    assert mine["seed"] == document["seed"]
    # formreport names its --sigma ... contributions after the option.
    assert [(c["acts"], c["distribution"], c["value"], c["u"]) for c in mine["contributions"]] \
        == [(c["acts"], c["distribution"], c["value"], c["u"])
            for c in evaluation["contributions"]]
    assert [(b["quantity"], b["sensitivity"], b["u_i"]) for b in evaluation["budget"]] == \
        [(row.quantity, c, u) for row in got if row.budget is not None
         for c, u in zip(row.sensitivity, row.budget)]

    rows = document["rows"]
    methods = ["monte carlo", "gum"] if keywords.get("gum", True) else ["monte carlo"]
    assert [(r["quantity"], r["method"]) for r in rows] == \
        [(q, m) for q in got.quantities for m in methods]
    for theirs in rows:
        row = got[theirs["quantity"]]
        fields = MONTE_CARLO if theirs["method"] == "monte carlo" else GUM
        for key, attribute in fields.items():
            assert getattr(row, attribute) == theirs[key], (row.quantity, theirs["method"], key)
        assert row.to_dict(keywords.get("unit"))["unit"] == (
            theirs["unit"] if theirs["unit"] != "same unit as the coordinates" else None)
        assert row.angle == (theirs["unit"] == "rad") and not (row.angle and row.length)
        if not keywords.get("gum", True):
            assert row.gum_u is None and row.validated is None and row.budget is None
    assert len(rows) == len(methods) * len(got)


@pytest.mark.parametrize("name,make,feature,method,keywords,options", CASES,
                         ids=[c[0] for c in CASES])
def test_rows_agree_with_the_trials_values(name, make, feature, method, keywords, options):
    got = formeval.uncertainty(make(), feature, method, **keywords)
    assert got.failed == 0
    for row in got:
        values = np.sort(row.values)
        assert values.size == row.trials == got.trials
        scale = max(abs(row.measured), 1.0)
        assert row.bias == pytest.approx(values.mean() - row.measured, abs=1e-12 * scale)
        if row.corrected:
            continue  # the quoted estimate is no longer the trials' own
        assert row.shortest_high - row.shortest_low <= row.high - row.low + 1e-15
        assert row.value == pytest.approx(values.mean(), abs=1e-12 * scale)
        assert row.u == pytest.approx(values.std(ddof=1), rel=1e-9, abs=1e-15)
        # The symmetric interval holds the coverage between its ends, with
        # at most (1 - p)/2 of the trials below and above it; U reaches it.
        p = got.coverage
        assert values[0] <= row.low <= row.high <= values[-1]
        assert np.mean(values < row.low) <= (1 - p) / 2 + 1e-12
        assert np.mean(values > row.high) <= (1 - p) / 2 + 1e-12
        assert row.U == pytest.approx(max(row.value - row.low, row.high - row.value),
                                      rel=1e-12)
        assert row.k == pytest.approx(row.U / row.u, rel=1e-12)


def test_a_translation_moves_the_centre_alone():
    """An offset along x of standard deviation s moves the least-squares
    centre by exactly the offset: u(centre_x) is s, the radius does not move,
    and the GUM budget has the sensitivity 1."""
    s = 0.001
    got = formeval.uncertainty(ring(36), "circle", "least squares",
                               model=[("offset-x", "gaussian", s, "table")], trials=4000, seed=5)
    x, radius = got["centre_x"], got["radius"]
    assert x.u == pytest.approx(s, rel=0.05)
    assert x.gum_u == pytest.approx(s, rel=1e-6)
    assert x.sensitivity == pytest.approx([1.0], rel=1e-6)
    assert x.budget == pytest.approx([s], rel=1e-6)
    assert radius.u < 1e-12 and abs(radius.bias) < 1e-12
    assert x.values.dtype == np.float64 and x.values.shape == (4000,)
    assert got.contributions == (formeval.Contribution("table", "offset-x", "gaussian", s, s),)
    assert got.reference.method == "least squares" and got.reference.certified is None


def test_the_seed_picks_the_stream_and_threads_do_not_matter():
    points = ring()
    one = formeval.uncertainty(points, "circle", "minimum zone", noise=0.0005, trials=500,
                               seed=2, threads=1, gum=False)
    two = formeval.uncertainty(points, "circle", "minimum zone", noise=0.0005, trials=500,
                               seed=2, threads=3, gum=False)
    other = formeval.uncertainty(points, "circle", "minimum zone", noise=0.0005, trials=500,
                                 seed=3, gum=False)
    assert np.array_equal(one["t"].values, two["t"].values)
    assert one["t"].to_dict() == two["t"].to_dict()
    assert not np.array_equal(one["t"].values, other["t"].values)


def test_the_reference_and_the_counts():
    got = formeval.uncertainty(ring(), "circle", "minimum zone", noise=0.0002, trials=300)
    mz = formeval.evaluate(ring(), "circle", "minimum zone")
    assert got.reference.centre == mz.centre and got.reference.t == mz.t
    assert got.reference.certified is True and got.reference.deviations is None
    assert (got.trials, got.failed, got.uncertified, got.adaptive) == (300, 0, 0, False)
    assert got.quantities == ("centre_x", "centre_y", "radius", "diameter", "t", "q")
    assert got["t"].measured == mz.t
    assert repr(got) == "<formeval.Uncertainty minimum zone circle, 300 trials>"
    with pytest.raises(KeyError, match='no quantity "slope"; one of "centre_x", '):
        got["slope"]


# Arguments refused, with the message the caller sees.
ERRORS = [
    ("unknown feature", dict(feature="ellipse"), ValueError,
     'unknown feature "ellipse"; one of "line", "plane", "circle", "sphere", "cylinder", '
     '"cone"'),
    ("unknown method", dict(method="best fit"), ValueError,
     'unknown method "best fit"; one of "least squares", "minimum zone"'),
    ("negative noise", dict(noise=-0.001), ValueError,
     "the noise (a standard deviation) must be a finite number of at least 0, not -0.001"),
    ("noise not finite", dict(noise=math.inf), ValueError,
     "the noise (a standard deviation) must be a finite number of at least 0, not inf"),
    ("no model", dict(noise=None), ValueError, "give the input model: noise= or model="),
    ("model None", dict(noise=None, model=None), ValueError,
     "give the input model: noise= or model="),
    ("too few trials", dict(trials=10), ValueError,
     "10 trials are too few for a 95 % coverage interval"),
    ("no trials", dict(trials=0), ValueError,
     "the number of trials is a whole number from 1 to 10000000, not 0"),
    ("too many trials", dict(trials=10**7 + 1), ValueError,
     "the number of trials is a whole number from 1 to 10000000, not 10000001"),
    ("trials more than the most", dict(trials=2000, max_trials=1000), ValueError,
     "2000 trials are more than the 1000 allowed"),
    ("coverage in percent", dict(coverage=95), ValueError,
     "the coverage is a probability above 0 and below 1 in whole basis points (0.95 for 95 %), "
     "not 95.0"),
    ("coverage finer than a basis point", dict(coverage=0.95001), ValueError,
     "the coverage is a probability above 0"),
    ("negative seed", dict(seed=-1), ValueError,
     "the seed is a whole number from 0 to 18446744073709551615, not -1"),
    ("adaptive digits", dict(adaptive=5), ValueError,
     "the adaptive procedure's digits is a whole number from 1 to 4, not 5"),
    ("negative threads", dict(threads=-1), ValueError,
     "the number of threads is a whole number from 0 to 1024, not -1"),
    ("contribution text", dict(model=["normal gaussian"]), ValueError,
     "'normal gaussian' is not a contribution: give where it acts, its distribution and its "
     "value"),
    ("contribution place", dict(model=["radial gaussian 1"]), ValueError,
     "'radial' is not where a contribution acts: coordinates, x, y, z, normal, scale"),
    ("contribution unit without the data's", dict(model=["normal gaussian 1um"]), ValueError,
     "'1um' names a unit: give the data's length unit as unit= (nm, um, mm, cm, m, in or uin)"),
    ("contribution unit of another kind", dict(model=["scale gaussian 1um"], unit="mm"),
     ValueError, "'um' in '1um' is not a unit of relative that formreport knows"),
    ("contribution negative", dict(model=["x gaussian -1"]), ValueError,
     "'-1' is negative: give a width of at least 0"),
    ("tuple place", dict(model=[("radial", "gaussian", 1.0)]), ValueError,
     '"radial" is not where a contribution acts: one of "coordinates", "x", "y", "z", "normal"'),
    ("tuple distribution", dict(model=[("x", "normal", 1.0)]), ValueError,
     '"normal" is not a distribution: one of "gaussian", "rectangular", "triangular", '
     '"arcsine" ("uniform" for "rectangular")'),
    ("tuple negative", dict(model=[("x", "gaussian", -2.0)]), ValueError,
     "the value of the contribution x must be a finite number of at least 0, not -2.0"),
    ("z of a circle", dict(model=[("z", "gaussian", 1.0)]), ValueError,
     "the contribution 'z' acts along z, which points in the plane do not have"),
    ("every width zero", dict(noise=0.0), ValueError,
     "no contribution of a width above 0: nothing is uncertain"),
    ("too few points", dict(points=[[0.0, 0.0], [1.0, 0.0]]), ValueError,
     "too few points for a circle: 2, at least 3 needed"),
    ("points on a line", dict(points=[[0.0, 0.0], [1.0, 0.0], [2.0, 0.0]]), ValueError,
     "the points lie on one line, which determines no circle"),
    ("contribution a list", dict(model=[["x", "gaussian", 1.0]]), TypeError,
     "a contribution is a text 'ACTS DISTRIBUTION VALUE [NAME]' or a tuple"),
    ("noise text", dict(noise="1"), TypeError,
     "the noise (a standard deviation) must be a real number, not str"),
    ("trials a float", dict(trials=1000.0), TypeError,
     "the number of trials must be an integer, not float"),
    ("unit a number", dict(unit=1), TypeError, "the unit must be text, not int"),
]


@pytest.mark.parametrize("name,change,error,message", ERRORS, ids=[e[0] for e in ERRORS])
def test_bad_arguments_raise_with_the_message(name, change, error, message):
    arguments = dict(points=ring(), feature="circle", method="least squares", noise=0.001,
                     trials=1000)
    arguments.update(change)
    with pytest.raises(error) as raised:
        formeval.uncertainty(**arguments)
    assert message in str(raised.value)


def test_the_gil_is_released_while_the_trials_run():
    """Another thread keeps running Python while one runs the trials."""
    assert_runs_without_the_gil(
        lambda: formeval.uncertainty(ring(400), "circle", "minimum zone", noise=0.0005,
                                     trials=20000, threads=1, gum=False))
