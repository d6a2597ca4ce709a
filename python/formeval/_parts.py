"""A part's tolerance frames: formeval.part."""
from __future__ import annotations

import json
import os
from typing import Any, Dict, Mapping, Optional, Union

import numpy as np

from . import _arrays, _core

PathLike = Union[str, "os.PathLike[str]"]


def part(part: Union[Mapping[str, Any], PathLike], *,
         directory: Optional[PathLike] = None) -> Dict[str, Any]:
    """The tolerance frames of a drawing evaluated on a part's measured
    features, as ``formreport part --json`` gives them.

    Parameters
    ----------
    part : dict or path
        A part file's path, or a dict of the part file's shape (keys
        ``unit``, ``features``, ``datums``, ``tolerances``; docs/formreport.md
        describes each). A feature of the dict may give its points as an
        array, ``"points": array`` (n x 3; n x 2 for a line or circle in the
        plane, n x 3 for one in space), in place of its ``"file"``.
    directory : path, optional
        Where a dict's point files lie (by default the working directory); a
        part file's lie beside it.

    Returns
    -------
    dict
        ``unit``, ``decision_rule``, ``datums`` (each as associated, with its
        certificate) and ``tolerances``: one dict a frame, in the part's order,
        with ``characteristic``, ``feature``, ``datums``, ``value``,
        ``tolerance``, ``verdict``, ``certified``, ``lower``, ``upper``,
        ``zone``, ``not_certified_because`` and ``failure`` (None where there
        is none; a frame not evaluated has value None and its failure).

    Raises
    ------
    ValueError
        For a part that is not of the part file's shape, or a point file that
        cannot be read: the message formreport gives, placed by file, line
        and column.
    TypeError
        For points that are not an array of real numbers.
    """
    if isinstance(part, Mapping):
        given: Dict[str, np.ndarray] = {}
        shape: Dict[str, Any] = dict(part)
        features = shape.get("features")
        if isinstance(features, Mapping):
            shape["features"] = {}
            for name, feature in features.items():
                if isinstance(feature, Mapping) and "points" in feature:
                    feature = dict(feature)
                    values = feature.pop("points")
                    array = np.asarray(values)
                    width = array.shape[1] if array.ndim == 2 else 3
                    given[name] = _arrays.points(values, width if width in (2, 3) else 3,
                                                 f'feature "{name}"').array
                shape["features"][name] = feature
        base = os.fspath(directory) if directory is not None else "."
        text = json.dumps(shape)
        result = _core.part(text, os.path.join(base, "<part>"), given)
    else:
        path = os.fspath(part)
        with open(path, encoding="utf-8") as f:
            text = f.read()
        result = _core.part(text, path, {})
    return json.loads(result)
