"""The package formeval as a package: its public names, its annotations, type
stub and documented examples, the arguments it converts before the compiled
core reads them, and the core refusing arrays it cannot read in place."""
import ast
import doctest
import importlib.metadata
import inspect
import os
import pickle
import re
import typing

import numpy as np
import pytest

import formeval
from formeval import _core

# The names of the module before it became a package, which callers use.
PUBLIC = {
    "FEATURES", "METHODS", "MAX_PROGRAM_POINTS", "Reference", "ProgramResult", "evaluate",
    "straightness", "flatness", "circle", "sphere", "harmonics", "harmonic_spectrum",
    "gaussian_filter", "band_pass_filter", "open_filter", "spectral", "exact_references",
    "uncertainty", "Uncertainty", "UncertaintyRow", "Contribution", "ACTS", "DISTRIBUTIONS",
    "part",
}
FUNCTIONS = sorted(n for n in PUBLIC if inspect.isfunction(getattr(formeval, n)))
CLASSES = [formeval.Reference, formeval.ProgramResult, formeval.Uncertainty,
           formeval.UncertaintyRow]


def test_public_names_are_those_of_the_module():
    assert {n for n in dir(formeval) if not n.startswith("_")} == PUBLIC
    assert set(formeval.__all__) == PUBLIC
    # Callers rely on these five, in this order; later features come after.
    assert formeval.FEATURES[:5] == ("line", "plane", "circle", "sphere", "cylinder")
    assert formeval.METHODS == ("least squares", "minimum zone", "minimum circumscribed",
                                "maximum inscribed")
    assert formeval.MAX_PROGRAM_POINTS == 2048


def members():
    for kind in CLASSES:
        for name, value in vars(kind).items():
            if not name.startswith("_"):
                function = value.fget if isinstance(value, property) else value
                yield f"{kind.__name__}.{name}", function


@pytest.mark.parametrize("name", FUNCTIONS + [n for n, _ in members()])
def test_every_public_callable_is_annotated_and_documented(name):
    function = dict(members()).get(name) or getattr(formeval, name)
    hints = typing.get_type_hints(function)  # resolves every annotation
    parameters = [p for p in inspect.signature(function).parameters if p != "self"]
    assert set(parameters) | {"return"} == set(hints), name
    doc = inspect.getdoc(function)
    assert doc and doc.strip(), name
    # numpydoc sections for every function that takes arguments.
    if parameters and "." not in name:
        for section in ("Parameters\n----------", "Returns\n-------"):
            assert section in doc, (name, section)
        for parameter in parameters:
            assert re.search(rf"^(\w+, )*{parameter}(, \w+)* : ", doc, re.M), (name, parameter)


def test_the_package_is_typed_and_the_core_has_its_stub():
    here = os.path.dirname(formeval.__file__)
    assert os.path.isfile(os.path.join(here, "py.typed"))
    with open(os.path.join(here, "_core.pyi")) as f:
        tree = ast.parse(f.read())
    stub = {}
    for node in tree.body:
        if isinstance(node, ast.ClassDef):
            stub[node.name] = {n.name for n in node.body if isinstance(n, ast.FunctionDef)}
        elif isinstance(node, ast.FunctionDef):
            stub[node.name] = [a.arg for a in node.args.args]
        elif isinstance(node, ast.AnnAssign):
            stub[node.target.id] = None
    public = {n: v for n, v in vars(_core).items() if not n.startswith("_")}
    assert set(stub) == set(public)
    for name, value in public.items():
        if isinstance(value, type):
            assert stub[name] == {n for n in vars(value) if not n.startswith("_")}, name
    # The parameters the package passes by position, as the stub names them.
    assert stub["evaluate"] == ["points", "feature", "criterion", "deviations", "certificate",
                                "budget"]
    assert stub["harmonic_spectrum"] == ["points", "centre", "radius", "first", "last"]
    assert stub["uncertainty"] == ["points", "feature", "criterion", "model", "trials", "digits",
                                   "maxtrials", "coverage", "seed", "threads", "gum", "certify"]


def test_version_is_the_projects():
    assert formeval.__version__ == _core.VERSION
    try:
        installed = importlib.metadata.version("formeval")
    except importlib.metadata.PackageNotFoundError:
        pytest.skip("not installed by pip")
    assert formeval.__version__ == installed


def test_public_names_are_the_packages_own():
    for name in FUNCTIONS + ["Reference", "ProgramResult", "Uncertainty", "UncertaintyRow",
                             "Contribution"]:
        assert getattr(formeval, name).__module__ == "formeval", name
    assert repr(formeval.Reference) == "<class 'formeval.Reference'>"


def test_documented_examples_hold():
    finder = doctest.DocTestFinder()
    runner = doctest.DocTestRunner(optionflags=doctest.NORMALIZE_WHITESPACE)
    spectral = {"harmonics", "harmonic_spectrum", "gaussian_filter", "band_pass_filter"}
    examples = 0
    for name in sorted(PUBLIC - (set() if formeval.spectral() else spectral)):
        for test in finder.find(getattr(formeval, name), name, module=False, globs={}):
            examples += len(test.examples)
            runner.run(test)
    assert runner.summarize(verbose=False).failed == 0
    # evaluate, to_dict, straightness, circle, harmonics, open_filter, uncertainty
    assert examples >= 19


def circle_points(n=60):
    t = 2 * np.pi * np.arange(n) / n
    r = 5 + 0.01 * np.cos(3 * t) + 0.004 * np.sin(7 * t)
    return np.column_stack([1 + r * np.cos(t), -2 + r * np.sin(t)])


def misaligned(points):
    """The same numbers at an address one byte past a double's alignment."""
    raw = bytearray(points.nbytes + 1)
    array = np.frombuffer(raw, dtype=np.float64, offset=1, count=points.size)
    array = array.reshape(points.shape)
    array[:] = points
    assert not array.flags.aligned
    return array


@pytest.mark.parametrize("make", [lambda p: pickle.loads(pickle.dumps(p)),
                                  lambda p: np.frombuffer(p.tobytes()).reshape(p.shape),
                                  lambda p: np.column_stack([p, p])[:, :2]],
                         ids=["unpickled", "from a buffer", "rows of a wider array"])
def test_float64_rows_of_any_origin_are_read_in_place(make):
    given = make(circle_points())
    assert formeval.evaluate(given, "circle", "minimum zone").points is given
    assert formeval.circle(given).radius == formeval.circle(circle_points()).radius


# Arrays the core cannot read where they lie: the package converts them once,
# to the same numbers in C order, and the result is that of those numbers.
CONVERTED = [
    ("byte-swapped", lambda p: p.astype(">f8")),
    ("misaligned", misaligned),
    ("rows reversed", lambda p: p[::-1]),
    ("every other column", lambda p: np.column_stack([p[:, 0], p[:, 0], p[:, 1]])[:, ::2]),
    ("integers", lambda p: np.round(p * 1000).astype(np.int32)),
    ("nested lists", lambda p: p.tolist()),
]


@pytest.mark.parametrize("make", [c[1] for c in CONVERTED], ids=[c[0] for c in CONVERTED])
def test_arrays_not_readable_in_place_are_converted(make):
    given = make(circle_points())
    expected = np.array(given, dtype=np.float64, order="C")
    for method in formeval.METHODS:
        got = formeval.evaluate(given, "circle", method)
        assert got.points is not given and got.points.flags.c_contiguous
        assert np.array_equal(got.points, expected)
        assert got.t == formeval.evaluate(expected, "circle", method).t, method
    own = formeval.circle(given, "least squares")
    assert own.radius == formeval.circle(expected, "least squares").radius


# What the core refuses, should it be handed an array the package would have
# converted: it reads nothing out of place.
UNREADABLE = [
    ("float32", lambda p: p.astype(np.float32)),
    ("byte-swapped", lambda p: p.astype(">f8")),
    ("misaligned", misaligned),
    ("Fortran order", np.asfortranarray),
    ("rows reversed", lambda p: p[::-1]),
    ("overlapping rows", lambda p: np.lib.stride_tricks.as_strided(p, strides=(8, 8))),
    ("three columns", lambda p: np.column_stack([p, p[:, 0]])),
    ("flat", np.ravel),
]


@pytest.mark.parametrize("make", [c[1] for c in UNREADABLE], ids=[c[0] for c in UNREADABLE])
def test_the_core_refuses_what_it_cannot_read_in_place(make):
    given = make(circle_points())
    with pytest.raises(ValueError, match="float64 array whose rows"):
        _core.evaluate(given, formeval.FEATURES.index("circle"), 0, True, True, 1000)
    with pytest.raises(ValueError, match="float64 array whose rows"):
        _core.circle(given, 0, 1e-6)
    if formeval.spectral():
        with pytest.raises(ValueError, match="float64 array whose rows"):
            _core.harmonics(given, (1, -2), 5)


@pytest.mark.parametrize("values", [np.zeros(3, dtype=np.float32), np.zeros((3, 1)),
                                    np.zeros(3).astype(">f8")],
                         ids=["float32", "two-dimensional", "byte-swapped"])
def test_the_core_refuses_columns_it_cannot_read(values):
    with pytest.raises(ValueError, match="one-dimensional float64"):
        _core.open_filter(values, np.arange(3.0), 1.0)
    with pytest.raises(ValueError, match="one-dimensional float64"):
        _core.open_filter(np.arange(3.0), values, 1.0)


# Arguments of the wrong kind: TypeError, as from the compiled module before.
WRONG = [
    ("feature not text", lambda p: formeval.evaluate(p, 2, "least squares")),
    ("method not text", lambda p: formeval.evaluate(p, "circle", None)),
    ("budget a float", lambda p: formeval.evaluate(p, "circle", "minimum zone", budget=1e5)),
    ("tolerance text", lambda p: formeval.circle(p, "least squares", "1e-6")),
    ("to_dict tolerance text", lambda p: formeval.evaluate(p, "circle", "least squares")
     .to_dict(tolerance="0.1")),
    ("to_dict unit a number", lambda p: formeval.evaluate(p, "circle", "least squares")
     .to_dict(unit=1)),
    ("centre one number", lambda p: formeval.harmonics(p, 1.0, 5)),
    ("centre a sphere's", lambda p: formeval.harmonics(p, (1.0, -2.0, 0.0), 5)),
    ("first a float", lambda p: formeval.harmonic_spectrum(p, (1, -2), 5, first=1.5)),
    ("cut-off text", lambda p: formeval.open_filter(p[:, 0], p[:, 1], "8")),
]


@pytest.mark.parametrize("call", [c[1] for c in WRONG], ids=[c[0] for c in WRONG])
def test_arguments_of_the_wrong_kind_raise_type_error(call):
    if "harmonic" in call.__code__.co_names and not formeval.spectral():
        pytest.skip("built without FFTW")
    with pytest.raises(TypeError):
        call(circle_points())


@pytest.mark.parametrize("tolerance", [-1.0, float("nan"), float("inf"), 1e300])
def test_tolerances_the_batch_program_refuses_raise_value_error(tolerance):
    with pytest.raises(ValueError, match="^the tolerance "):
        formeval.circle(circle_points(), "least squares", tolerance)
    with pytest.raises(ValueError, match="^the tolerance "):
        formeval.straightness([[0, 0], [1, 1], [2, 0]], "minimum zone", tolerance)


def test_numpy_scalars_and_aliases_are_taken():
    p = circle_points()
    got = formeval.evaluate(p, "circle", "minimum circumscribing", budget=np.int64(1000))
    assert got.method == "minimum circumscribed"
    assert formeval.evaluate(p, "circle", "inscribed").method == "maximum inscribed"
    assert formeval.circle(p, "minimum circumscribed", np.float32(1e-6)).job == 2700
    assert formeval.circle(p, "maximum inscribed").method == "valley"
    row = formeval.evaluate(p, "circle", "least squares").to_dict(tolerance=np.float64(0.1))
    assert row["tolerance"] == 0.1 and row["pass"] is True
    if formeval.spectral():
        h = formeval.harmonic_spectrum(p, np.array([1.0, -2.0]), np.float32(5),
                                       first=np.int64(2), last=np.int32(4))
        assert list(h.upr) == [2, 3, 4]
        assert h.amplitude[1] == pytest.approx(0.01, abs=1e-9)


def test_results_print_as_before():
    square = [[1, 0], [0, 1], [-1, 0], [0, -1]]
    assert repr(formeval.evaluate(square, "circle", "least squares")) == \
        "<formeval.Reference least squares circle t=0.0>"
    assert repr(formeval.circle(square, "least squares")) == \
        "<formeval.ProgramResult job 2600 least squares circle error=0.0>"


def test_notes_name_an_arc_and_a_missing_certificate():
    t = np.linspace(0, np.pi / 2, 30)
    arc = np.column_stack([np.cos(t), np.sin(t)]) * (1 + 0.001 * np.cos(5 * t))[:, None]
    outer = formeval.evaluate(arc, "circle", "minimum circumscribed")
    assert outer.arc is True
    assert 180 < outer.largest_gap_degrees < 275
    assert outer.notes[0] == "arc: the points do not go all round"
    p = circle_points(400)
    if formeval.exact_references():
        # No cell to search leaves the inscribed circle's bounds apart.
        loose = formeval.evaluate(p, "circle", "maximum inscribed", budget=0)
        assert loose.certified is False and loose.arc is False
        because = "the global search ran out of its budget of 0 cells"
        assert loose.not_certified_because == because
        assert loose.notes == ["not certified: " + because]
    ls = formeval.evaluate(p, "circle", "least squares")
    assert ls.certified is None and ls.not_certified_because is None and ls.notes == []
