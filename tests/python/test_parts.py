"""formeval.part: the same document as formreport's `part --json` for the
same part file, the same numbers with the points given as arrays, a value
worked by hand, and the errors with formreport's messages.
FORMEVAL_FORMREPORT names the formreport to compare with."""
import json
import math
import os
import subprocess

import numpy as np
import pytest

import formeval
from gilcheck import assert_runs_without_the_gil

FORMREPORT = os.environ.get("FORMEVAL_FORMREPORT", "")


def face(z0, slope, n=21):
    """A face z = z0 + slope x over 50 x 40."""
    x, y = np.meshgrid(np.linspace(0, 50, n), np.linspace(0, 40, n), indexing="ij")
    x, y = x.ravel(), y.ravel()
    return np.column_stack([x, y, z0 + slope * x])


def bore(lean, rings=5, each=36):
    """Rings of radius 4 about an axis from (25, 20, 2) leaning by `lean`
    in x, each across the axis."""
    d = np.array([lean, 0, 1]) / math.hypot(lean, 1)
    u = np.cross(d, [0, 1, 0])
    u /= np.linalg.norm(u)
    v = np.cross(d, u)
    t = np.repeat(np.linspace(0, 12, rings), each)
    a = np.tile(2 * math.pi * np.arange(each) / each, rings)
    return (np.array([25, 20, 2]) + t[:, None] * d + 4 * np.cos(a)[:, None] * u
            + 4 * np.sin(a)[:, None] * v)


def shape(files):
    return {
        "unit": "mm",
        "features": {
            "base": {**files["base"], "type": "plane", "outward": [0, 0, -1]},
            "top": {**files["top"], "type": "plane", "outward": [0, 0, 1]},
            "bore": {**files["bore"], "type": "cylinder", "material": "hole"},
        },
        "datums": {"A": "base"},
        "tolerances": [
            {"characteristic": "flatness", "feature": "base", "tolerance": 0.01},
            {"characteristic": "parallelism", "feature": "top", "datums": ["A"],
             "tolerance": "20um"},
            {"characteristic": "perpendicularity", "feature": "bore", "datums": ["A"],
             "tolerance": 0.02},
        ],
    }


POINTS = {"base": face(0, 0), "top": face(30, 3e-4), "bore": bore(1e-3)}


@pytest.fixture
def partfile(tmp_path):
    for name, points in POINTS.items():
        np.savetxt(tmp_path / f"{name}.csv", points, delimiter=",", header="x,y,z",
                   comments="", fmt="%.17g")
    path = tmp_path / "part.json"
    path.write_text(json.dumps(shape({n: {"file": f"{n}.csv"} for n in POINTS})))
    return path


@pytest.mark.skipif(not FORMREPORT, reason="FORMEVAL_FORMREPORT names no formreport")
def test_the_document_is_formreports(partfile):
    said = subprocess.run([FORMREPORT, "part", str(partfile), "--json"], capture_output=True,
                          text=True, check=True)
    assert formeval.part(partfile) == json.loads(said.stdout)


def test_points_given_as_arrays_give_the_same_numbers(partfile):
    given = shape({n: {"points": p} for n, p in POINTS.items()})
    assert formeval.part(given)["tolerances"] == formeval.part(partfile)["tolerances"]


def test_values_worked_by_hand(partfile):
    frames = formeval.part(partfile)["tolerances"]
    assert [f["characteristic"] for f in frames] == ["flatness", "parallelism",
                                                     "perpendicularity"]
    assert frames[0]["value"] == pytest.approx(0, abs=1e-12)
    # The top rises 3e-4 over its 50 along A's normal; the bore's axis leans
    # 1e-3 over its 12, seen along A's normal.
    assert frames[1]["value"] == pytest.approx(50 * 3e-4, rel=1e-9)
    assert frames[1]["tolerance"] == pytest.approx(0.02)
    assert frames[2]["value"] == pytest.approx(12 * 1e-3 / math.hypot(1e-3, 1), rel=1e-9)
    assert all(f["verdict"] == "within tolerance" and f["certified"] for f in frames)


@pytest.mark.parametrize("change, message", [
    (lambda p: p["tolerances"][0].update(characteristic="roundnes"),
     "tolerance 1: the characteristic is "),
    (lambda p: p["features"]["top"].update(file="missing.csv"), "missing.csv"),
    (lambda p: p["datums"].update(B="ghost"), 'datum "B": '),
])
def test_faults_are_said_as_formreport_says_them(partfile, change, message):
    given = json.loads(partfile.read_text())
    change(given)
    with pytest.raises(ValueError, match=message):
        formeval.part(given, directory=partfile.parent)


def test_points_must_be_numbers(partfile):
    given = shape({n: {"points": p} for n, p in POINTS.items()})
    given["features"]["top"]["points"] = [["a", "b", "c"]]
    with pytest.raises(TypeError, match="real numbers"):
        formeval.part(given)


def test_runs_without_the_gil():
    big = {"base": face(0, 0, 400), "top": face(30, 3e-4, 400), "bore": bore(1e-3, 40, 2000)}
    given = shape({n: {"points": p} for n, p in big.items()})
    assert_runs_without_the_gil(lambda: formeval.part(given))
