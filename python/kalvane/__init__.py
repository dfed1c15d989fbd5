"""kalvane for scripted studies: models from arrays or input.txt, runs through the program's
own run path, results as numpy arrays, load cases, combinations and their envelope.

Numbering is 1-based, as in input.txt and the report: node k is row k - 1 of every per-node
array, bar b row b - 1 of every per-bar array, and components are 1 = X, 2 = Y, 3 = Z.
"""

from . import _core
from ._errors import Error
from ._model import Material, Model, Settings, linear_elastic, load, mooney_rivlin, neo_hooke, point_loads, read
from ._result import Result
from ._run import PATH_STATUS, Curve, Event, Path, PathPoint, check, path, solve, solve_many
from ._form import FORM_STATUS, Form, Unmet, form_find
from ._loads import Combinations, Envelope, solve_combinations, self_weight

__version__: str = _core.__version__
"""The version of kalvane's programs this module was built with."""

__all__ = [
    "Error", "Material", "Model", "Settings", "linear_elastic", "load", "mooney_rivlin", "neo_hooke", "point_loads",
    "read",
    "Result", "PATH_STATUS", "Curve", "Event", "Path", "PathPoint", "check", "path", "solve", "solve_many", "Combinations", "Envelope",
    "solve_combinations", "self_weight", "FORM_STATUS", "Form", "Unmet", "form_find",
]
