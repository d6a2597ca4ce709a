#!/usr/bin/env python3
"""Writes the type stub of the compiled module formeval._core from the
signatures pybind11 gives its functions, methods and properties, so that the
stub always says what the module takes and returns.

    stubgen.py MODULE_FILE STUB_FILE
"""
import importlib
import os
import re
import sys

HEADER = '''"""The compiled computations of the package formeval (private: use formeval).

Written by python/stubgen.py from the module when it was built."""
from typing import Any, Dict, List, Optional, Tuple

import numpy
import numpy.typing
'''

# pybind11's names of types, as a type checker knows them.
TYPES = [
    (re.compile(r"\b(formeval\.)?_core\."), ""),
    (re.compile(r"numpy\.ndarray\[(numpy\.\w+)\]"), r"numpy.typing.NDArray[\1]"),
]


def load(path):
    """The compiled module, imported by its own name from its own folder."""
    sys.path.insert(0, os.path.dirname(os.path.abspath(path)))
    try:
        return importlib.import_module("_core")
    finally:
        sys.path.pop(0)


def typed(text):
    for pattern, replacement in TYPES:
        text = pattern.sub(replacement, text)
    return text


def signature(function):
    """The parameters and the result of a pybind11 function, from the first
    line of its docstring: "name(a: int, b: float = 1.0) -> str"."""
    first = (function.__doc__ or "").split("\n", 1)[0]
    match = re.fullmatch(r"\w*\((.*)\) -> (.+)", first)
    if not match:
        raise SystemExit(f"stubgen: no signature in the docstring of {function!r}: {first!r}")
    parameters, result = (typed(part) for part in match.groups())
    parameters = re.sub(r"^self: \w+", "self", parameters)
    return parameters, result


def summary(function):
    """The docstring's first line after the signature, if any."""
    lines = [line.strip() for line in (function.__doc__ or "").split("\n")[1:] if line.strip()]
    return lines[0] if lines else ""


def function_stub(name, function, indent=""):
    parameters, result = signature(function)
    text = summary(function)
    body = f'\n{indent}    """{text}"""' if text else " ..."
    return f"{indent}def {name}({parameters}) -> {result}:{body}\n"


def class_stub(name, kind):
    lines = [f"class {name}:\n"]
    for member, value in sorted(vars(kind).items()):
        if member.startswith("_"):
            continue
        if isinstance(value, property):
            _, result = signature(value.fget)
            lines.append(f"    @property\n    def {member}(self) -> {result}: ...\n")
        else:
            lines.append(function_stub(member, value, "    "))
    return "".join(lines)


def stub(module):
    constants, classes, functions = [], [], []
    for name, value in sorted(vars(module).items()):
        if name.startswith("_"):
            continue
        if isinstance(value, type):
            classes.append(class_stub(name, value))
        elif callable(value):
            functions.append(function_stub(name, value))
        else:
            constants.append(f"{name}: {type(value).__name__}\n")
    return "\n".join([HEADER, "".join(constants), *classes, "".join(functions)])


def main():
    if len(sys.argv) != 3:
        raise SystemExit(__doc__)
    text = stub(load(sys.argv[1]))
    with open(sys.argv[2], "w") as out:
        out.write(text)


if __name__ == "__main__":
    main()
