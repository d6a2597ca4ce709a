"""What the package takes and refuses as formreport does: masked points left
out, arcs refused by the closed profile's analysis, budgets out of range,
arrays changed by another thread during a call, and formeval's console notes
one an item."""
import math
import os
import subprocess
import sys
import textwrap

import numpy as np
import pytest

import formeval
from formeval import _programs


def noisy_circle(n=60, phase=0.0):
    t = 2 * math.pi * np.arange(n) / n
    r = 5 + 0.01 * np.cos(3 * t + phase) + 0.004 * np.sin(7 * t + 2 * phase)
    return np.column_stack([1 + r * np.cos(t), -2 + r * np.sin(t)])


def noisy_line(n=40):
    s = np.arange(n, dtype=float)
    return np.column_stack([s, 0.5 + 0.2 * s + 0.003 * np.sin(2.7 * s)])


def noisy_plane(n=30):
    side = int(math.sqrt(n))
    i, j = np.meshgrid(np.arange(float(side)), np.arange(float(n // side)), indexing="ij")
    x, y = i.ravel() * 3, j.ravel() * 2
    return np.column_stack([x, y, 1 + 0.1 * x - 0.2 * y + 0.002 * np.sin(x * y + 1)])


def noisy_sphere(n=80):
    k = np.arange(n)
    z = 1 - 2 * (k + 0.5) / n
    t = 2.399963 * k
    r = 12.5 + 0.003 * np.sin(2.7 * k)
    w = np.sqrt(1 - z * z)
    return np.column_stack([r * w * np.cos(t), r * w * np.sin(t), r * z])


def numbers(result):
    """What a result of any function says in numbers, for comparing two."""
    if isinstance(result, formeval.Reference):
        return (result.t, result.radius, result.point, tuple(result.deviations))
    if isinstance(result, formeval.ProgramResult):
        return (result.error, result.t, result.centre, result.radius, result.intercept,
                result.slope_x, tuple(result.deviations))
    return tuple(np.concatenate([np.ravel(np.asarray(v, dtype=float))
                                 for k, v in sorted(vars(result).items())
                                 if k not in ("notes", "resampled")]))


SPECTRAL = {"harmonics", "harmonic_spectrum", "gaussian_filter", "band_pass_filter"}

# Every function that takes points: (name, points, call).
CALLS = [
    ("evaluate line", noisy_line, lambda p: formeval.evaluate(p, "line", "minimum zone")),
    ("evaluate plane", noisy_plane, lambda p: formeval.evaluate(p, "plane", "minimum zone")),
    ("evaluate sphere", noisy_sphere, lambda p: formeval.evaluate(p, "sphere", "least squares")),
] + [(f"evaluate circle {m}", noisy_circle, lambda p, m=m: formeval.evaluate(p, "circle", m))
     for m in formeval.METHODS] + [
    ("straightness", noisy_line, lambda p: formeval.straightness(p)),
    ("flatness", noisy_plane, lambda p: formeval.flatness(p)),
    ("sphere", noisy_sphere, lambda p: formeval.sphere(p)),
] + [(f"circle {m}", noisy_circle, lambda p, m=m: formeval.circle(p, m))
     for m in ("least squares", "minimum zone", "peak", "valley")] + [
    ("harmonics", noisy_circle, lambda p: formeval.harmonics(p, (1, -2), 5)),
    ("harmonic_spectrum", noisy_circle,
     lambda p: formeval.harmonic_spectrum(p, (1, -2), 5, last=10)),
    ("gaussian_filter", noisy_circle, lambda p: formeval.gaussian_filter(p, (1, -2), 5, 15)),
    ("band_pass_filter", noisy_circle,
     lambda p: formeval.band_pass_filter(p, (1, -2), 5, 2, 15)),
]
NAMES = [c[0] for c in CALLS]


def needs(name):
    if name.split()[0] in SPECTRAL and not formeval.spectral():
        pytest.skip("built without FFTW")
    if name.startswith("evaluate circle minimum circumscribed") and \
            not formeval.exact_references():
        pytest.skip("built without CGAL and GLPK")


@pytest.mark.parametrize("name,make,call", CALLS, ids=NAMES)
def test_masked_rows_are_left_out_and_noted(name, make, call):
    needs(name)
    good = make()
    # An outlier far off every feature, one of its coordinates masked.
    outlier = good[7] * 3 + 40
    data = np.vstack([good[:7], outlier, good[7:]])
    mask = np.zeros(data.shape, dtype=bool)
    mask[7, 1] = True
    got = call(np.ma.masked_array(data, mask))
    assert numbers(got) == numbers(call(good))
    n = len(data)
    assert got.notes[0] == (f"masked points left out: 1 of the {n} given (rows with a masked "
                            f"coordinate); the result is of the other {n - 1}")
    # A masked array with nothing masked is its data, without a note.
    plain = call(np.ma.masked_array(good, np.zeros(good.shape, dtype=bool)))
    assert numbers(plain) == numbers(call(good)) and "masked" not in " ".join(plain.notes)


def test_open_filter_leaves_masked_entries_out_and_masks_them():
    s = np.linspace(0, 20, 41)
    v = 0.3 + 0.05 * s + 0.01 * np.sin(3 * s)
    v_out = v.copy()
    v_out[10] = 100.0
    s_masked = np.ma.masked_array(s, s == s[30])
    got = formeval.open_filter(s_masked, np.ma.masked_array(v_out, s == s[10]), 4)
    kept = np.ones(s.size, dtype=bool)
    kept[[10, 30]] = False
    assert isinstance(got, np.ma.MaskedArray) and got.shape == s.shape
    assert list(np.flatnonzero(np.ma.getmaskarray(got))) == [10, 30]
    assert np.array_equal(got.compressed(), formeval.open_filter(s[kept], v[kept], 4))
    # Nothing masked: a plain array, as from plain inputs.
    same = formeval.open_filter(np.ma.masked_array(s), v, 4)
    assert not isinstance(same, np.ma.MaskedArray)
    assert np.array_equal(same, formeval.open_filter(s, v, 4))


def arc_points(degrees, n=40):
    t = np.radians(degrees) * np.arange(n) / (n - 1)
    return np.column_stack([5 * np.cos(t), 5 * np.sin(t)])


# The closed profile's analysis of points that do not go all round about the
# centre (an arc, or a whole circle about a centre outside it) is refused,
# in formreport's words, naming the filter of open profiles.
@pytest.mark.parametrize("name", sorted(SPECTRAL), ids=sorted(SPECTRAL))
@pytest.mark.parametrize("points,centre,span", [
    (arc_points(10), (0, 0), 10),
    (arc_points(180), (0, 0), 180),
    (noisy_circle(), (31, -2), 19),
], ids=["10-degree arc", "half circle", "centre outside the profile"])
def test_the_closed_profiles_analysis_refuses_an_arc(name, points, centre, span):
    needs(name)
    fixed = {"harmonics": lambda p: formeval.harmonics(p, centre, 5),
             "harmonic_spectrum": lambda p: formeval.harmonic_spectrum(p, centre, 5, last=3),
             "gaussian_filter": lambda p: formeval.gaussian_filter(p, centre, 5, 15),
             "band_pass_filter": lambda p: formeval.band_pass_filter(p, centre, 5, 2, 15)}
    with pytest.raises(ValueError) as refused:
        fixed[name](points)
    assert str(refused.value) == (f"an arc of {span}\u00b0 is no closed profile: filter an "
                                  "open profile along its length with open_filter")


@pytest.mark.parametrize("gap", [20, 29], ids=["gap of 20 degrees", "gap of 29 degrees"])
def test_a_profile_with_a_gap_under_30_degrees_is_closed(gap):
    if not formeval.spectral():
        pytest.skip("built without FFTW")
    # 1-degree steps but for one gap: under 30 degrees it is still all round.
    points = arc_points(360 - gap, 361 - gap)
    h = formeval.harmonics(points, (0, 0), 5)
    assert h.resampled and h.amplitude[0] == pytest.approx(0, abs=1e-12)


@pytest.mark.parametrize("budget", [-1, -10**6, 10**15 + 1, 2**70],
                         ids=["-1", "-1e6", "1e15 + 1", "2 to the 70th"])
def test_budgets_out_of_range_raise_value_error(budget):
    with pytest.raises(ValueError) as refused:
        formeval.evaluate(noisy_circle(), "circle", "maximum inscribed", budget=budget)
    assert str(refused.value) == ("the budget is a whole number of cells from 0 to "
                                  f"1000000000000000, not {budget}")


@pytest.mark.parametrize("budget", [float("nan"), 100.0, "100"], ids=["NaN", "100.0", "text"])
def test_budgets_not_integers_raise_type_error(budget):
    with pytest.raises(TypeError, match="^the budget must be an integer"):
        formeval.evaluate(noisy_circle(), "circle", "minimum zone", budget=budget)


def test_the_budgets_bounds_are_taken():
    p = noisy_circle()
    assert formeval.evaluate(p, "circle", "minimum zone", budget=10**15).certified
    assert formeval.evaluate(p, "circle", "minimum zone", budget=0).t > 0


# A thread changes the array between two states while the main thread calls
# the function on it: every result is that of one of the states (the
# computations once read the array while it changed, and gave results of
# neither or corrupted the heap). Run apart, so that a crash fails the test
# rather than ending pytest.
THREADED = textwrap.dedent("""
    import sys, threading, time
    import numpy as np
    import test_inputs as t

    name = sys.argv[1]
    make, call = {c[0]: c[1:] for c in t.CALLS}[name]
    # Enough points for calls long enough to meet the other thread's changes.
    first = make(2000)
    # The same feature with other noise: every coordinate differs.
    second = first + 0.002 * np.sin(np.arange(first.size) * 1.3).reshape(first.shape)
    expected = {t.numbers(call(first)), t.numbers(call(second))}
    points = first.copy()
    # Written through memoryviews: each change whole under the GIL (numpy
    # lets it go while it copies a large array).
    into = memoryview(points).cast("B")
    states = [memoryview(second).cast("B"), memoryview(first).cast("B")]
    stop = False

    def change():
        while not stop:
            for state in states:
                into[:] = state

    sys.setswitchinterval(1e-4)
    changer = threading.Thread(target=change)
    changer.start()
    # 200 calls, or as many as half a second holds (at least 5).
    wrong, calls, end = 0, 0, time.perf_counter() + 0.5
    while calls < 200 and (calls < 5 or time.perf_counter() < end):
        wrong += t.numbers(call(points)) not in expected
        calls += 1
    stop = True
    changer.join()
    print(wrong, "of", calls, "results of neither state")
    sys.exit(1 if wrong else 0)
""")


@pytest.mark.parametrize("name", NAMES, ids=NAMES)
def test_an_array_changed_by_another_thread_gives_the_result_of_a_state(name):
    needs(name)
    here = os.path.dirname(os.path.abspath(__file__))
    env = dict(os.environ, PYTHONPATH=os.pathsep.join(
        [here] + [p for p in os.environ.get("PYTHONPATH", "").split(os.pathsep) if p]))
    run = subprocess.run([sys.executable, "-c", THREADED, name], env=env, capture_output=True,
                         text=True, timeout=60)
    assert run.returncode == 0, (run.returncode, run.stdout, run.stderr[-2000:])


def arc12(degrees, n):
    t = np.radians(degrees) * np.arange(n) / (n - 1)
    return np.column_stack([25 * np.cos(t), 25 * np.sin(t)])


OCTAGON = np.array([[10, 0], [7, 7], [0, 10], [-7, 7], [-10, 0], [-7, -7], [0, -10], [7.1, -7]],
                   dtype=float)


# formeval's console as notes: no control byte, one message an item, a
# message said again and again given once with its count.
@pytest.mark.parametrize("call,first", [
    (lambda: formeval.circle(arc12(0.01, 4), "least squares"),
     ["Coefficient matrix is singular (999 times)",
      "The centre did not settle within 1000 stages; the evaluation goes on from the last stage"]),
    (lambda: formeval.circle(arc12(2, 12), "minimum zone"),
     ["ntri=21", "Continue?Y/N", "No answer at the console: the run stops as on N"]),
    (lambda: formeval.circle(OCTAGON, "valley", 1000),
     ["Coefficient matrix is singular", "ntri=21", "Continue?Y/N",
      "No answer at the console: the run stops as on N"]),
], ids=["singular 999 times", "exchange stopped at its prompt", "singular then stopped"])
def test_notes_are_one_message_an_item_without_control_bytes(call, first):
    got = call()
    assert got.notes[:len(first)] == first
    assert not got.fitted
    for note in got.notes:
        assert note.isprintable() and note == note.strip() and "  " not in note, repr(note)
        assert note.count("Coefficient matrix is singular") <= 1, note
    assert len(set(got.notes)) == len(got.notes)


@pytest.mark.parametrize("said,notes", [
    (["Coefficient matrix is singularCoefficient matrix is singularThe fit of stage 1 met"],
     ["Coefficient matrix is singular (2 times)", "The fit of stage 1 met"]),
    (["Continue?Y/N\a\a\a\a\a", "\a", "  ", "1\t0.5\t\t2"], ["Continue?Y/N", "1 0.5 2"]),
    (["a", "b", "a", "a"], ["a (3 times)", "b"]),
    ([], []),
], ids=["run together", "bells and tabs", "repeated apart", "nothing"])
def test_console_lines_as_notes(said, notes):
    assert _programs.tidied(said) == notes


# formreport refuses these tolerances; a row judged against one would claim a
# verdict against nothing (NaN and infinity once came out as a tolerance of
# None that failed or passed).
@pytest.mark.parametrize("tolerance", [-1, -1e-300, float("nan"), float("inf")],
                         ids=["-1", "just below 0", "NaN", "infinity"])
def test_tolerances_formreport_refuses_raise_value_error(tolerance):
    with pytest.raises(ValueError, match="^the tolerance is a finite number of at least 0, not "):
        formeval.evaluate(noisy_circle(), "circle", "minimum zone").to_dict(tolerance=tolerance)


# An array of no rows (numpy gives it strides of 0) has too few points, not
# the wrong layout.
@pytest.mark.parametrize("feature,columns,least", [("circle", 2, 3), ("plane", 3, 3)])
def test_no_points_are_too_few(feature, columns, least):
    with pytest.raises(ValueError,
                       match=f"^too few points for a {feature}: 0, at least {least} needed$"):
        formeval.evaluate(np.zeros((0, columns)), feature, "least squares")
