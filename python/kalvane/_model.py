"""The model: node coordinates, bars, material, prescribed components, loads and the six
settings, held as numpy arrays and checked entry by entry before any use."""

import copy
import math
import os
from dataclasses import dataclass
from collections.abc import Sequence
from typing import Any, Optional, Union

import numpy as np
import numpy.typing as npt

from . import _core
from ._errors import DATA_ERROR, INDEX_ERROR, Error, _shown, path_argument

_INT32 = (-(2 ** 31), 2 ** 31 - 1)
_AXES = "xyz"


@dataclass(frozen=True)
class Material:
    """law is "neo-hooke" (c1), "mooney-rivlin" (c1, c2) or "linear-elastic" (E: the axial
    force is E A (l / L0 - 1) on the rest length L0). weight is the weight per unit volume of
    the unstressed bar (0: weightless); name names it in the model file and in messages ("":
    the law's name, made unique within the model)."""
    law: str
    c1: float = 0.0
    c2: float = 0.0
    E: float = 0.0
    weight: float = 0.0
    name: str = ""


def _not_a_number(value: Any) -> bool:
    """True for what Python or numpy would read as a number but no engineer gives as one: a
    text ("2"), bytes, a flag (True)."""
    return isinstance(value, (str, bytes, bool, np.bool_))


def _finite_real(value: Any) -> Optional[float]:
    """`value` as a float where it is one finite real number; None for a text, a flag, any
    other kind of thing, or a number a double cannot hold finitely (nan, inf, 10**400)."""
    if _not_a_number(value) or not isinstance(value, (int, float, np.integer, np.floating)):
        return None
    try:
        real = float(value)
    except OverflowError:
        return None
    return real if math.isfinite(real) else None


def _beyond_double(value: Any) -> Any:
    """The first entry of `value` that no double holds (a Python int past 1.8e308)."""
    for entry in np.asarray(value, dtype=object).flat:
        try:
            float(entry)
        except OverflowError:
            return entry
        except (TypeError, ValueError):
            pass
    return value


def _text_or_flag_in(value: Any) -> Optional[str]:
    """The first text or flag anywhere in `value` (a number, a list, a table or an array),
    which numpy would read as a number, in words; None where there is none."""
    if isinstance(value, np.ndarray):
        return None if value.dtype.kind in "iuf" else f"an array of {value.dtype}"
    if _not_a_number(value):
        return repr(value)
    try:
        entries = np.asarray(value, dtype=object)
    except (TypeError, ValueError):
        return None  # ragged: refused by the reading that follows, with its shape
    for entry in entries.flat:
        if _not_a_number(entry) or (isinstance(entry, np.ndarray) and entry.dtype.kind not in "iuf"):
            return repr(entry)
    return None


def _gap_in(value: Any) -> bool:
    if isinstance(value, np.ndarray):
        return value.dtype.kind == "O" and any(entry is None for entry in value.flat)
    try:
        entries = np.asarray(value, dtype=object)
    except (TypeError, ValueError):
        return False  # ragged: refused by the reading that follows, with its shape
    return any(entry is None for entry in entries.flat)


def _numbers_only(value: Any, name: str) -> None:
    """Refuses texts, flags and gaps (None) anywhere in `value`, naming the first; numpy
    would read a gap as nan and the refusal would name a nan the user never wrote."""
    found = "None" if value is None or _gap_in(value) else _text_or_flag_in(value)
    if found is not None:
        _fail(DATA_ERROR, f"{name}: real numbers are expected, not {found}")


def _constant(value: Any, name: str) -> float:
    if _not_a_number(value):
        raise Error(DATA_ERROR, f"{name}: a real number is expected, not {value!r}")
    try:
        return float(value)
    except (TypeError, ValueError):
        raise Error(DATA_ERROR, f"{name}: a real number is expected, not {value!r}") from None
    except OverflowError:
        raise Error(DATA_ERROR, f"{name}: a real number is expected, not {_shown(value)}, which no double holds") from None


def _writable_text(value: Any, name: str) -> str:
    """`value` where it is a text that UTF-8, the files' encoding, can write: not bytes, and
    no lone surrogate ('\\ud800', which Python's texts may hold)."""
    if not isinstance(value, str):
        raise Error(DATA_ERROR, f"{name}: a text is expected, not {value!r}")
    try:
        value.encode("utf-8")
    except UnicodeEncodeError as e:
        raise Error(DATA_ERROR, f"{name}: a text UTF-8 can write is expected, not {value!r} "
                                f"(a lone surrogate at {e.start})") from None
    return value


def _name(name: Any) -> str:
    return _writable_text(name, "name")


def neo_hooke(c1: float, weight: float = 0.0, name: str = "") -> Material:
    return Material("neo-hooke", _constant(c1, "c1"), weight=_constant(weight, "weight"), name=_name(name))


def mooney_rivlin(c1: float, c2: float, weight: float = 0.0, name: str = "") -> Material:
    return Material("mooney-rivlin", _constant(c1, "c1"), _constant(c2, "c2"), weight=_constant(weight, "weight"),
                    name=_name(name))


def linear_elastic(E: float, weight: float = 0.0, name: str = "") -> Material:
    """Steel as engineers give it: the axial force is E A (l / L0 - 1)."""
    return Material("linear-elastic", E=_constant(E, "E"), weight=_constant(weight, "weight"), name=_name(name))


_LAW_NUMBERS = {"neo-hooke": 1, "mooney-rivlin": 2}
_LAWS = ("neo-hooke", "mooney-rivlin", "linear-elastic")


@dataclass(frozen=True)
class Settings:
    """The settings line of input.txt, in its order."""
    sigma: float = 0.9
    line_search_steps: int = 20
    tolerance: float = 0.001
    reference: float = 0.0
    max_iterations: int = 1000
    memory: int = 5


def _fail(kind, message):
    raise Error(kind, message)


def _reals(value, name, columns=None):
    """`value` as a float64 array of shape (rows,) or (rows, columns), every entry finite."""
    _numbers_only(value, name)
    try:
        a = np.array(value, dtype=np.float64)
    except (TypeError, ValueError) as e:
        _fail(DATA_ERROR, f"{name}: real numbers are expected ({e})")
    except OverflowError:
        _fail(DATA_ERROR, f"{name}: real numbers are expected, not {_shown(_beyond_double(value))}, which no double holds")
    if a.size == 0:
        a = a.reshape((0,) if columns is None else (0, columns))
    wanted = "a list of real numbers" if columns is None else f"a table of {columns} real numbers a row"
    if a.ndim != (1 if columns is None else 2) or (columns is not None and a.shape[1] != columns):
        _fail(DATA_ERROR, f"{name}: {wanted} is expected, not an array of shape {a.shape}")
    return a


def _first_bad(mask):
    return np.unravel_index(int(np.flatnonzero(mask)[0]), mask.shape)


def _whole(values, what):
    """Whole numbers in the 32-bit range as int32; `what(index)` names the entry for messages."""
    if values.dtype.kind not in "iuf":
        _fail(DATA_ERROR, f"{what(None)}: whole numbers are expected, not {values.dtype}")
    if values.dtype.kind == "f":
        bad = ~np.isfinite(values) | (values != np.trunc(values))
        if bad.any():
            at = _first_bad(bad)
            _fail(DATA_ERROR, f"{what(at)} {values[at]!r} is not a whole number")
    bad = (values < _INT32[0]) | (values > _INT32[1])
    if bad.any():
        at = _first_bad(bad)
        _fail(DATA_ERROR, f"{what(at)} {values[at]!r} is outside the 32-bit range")
    return values.astype(np.int32)


def _in_range(values, first, last, what):
    bad = (values < first) | (values > last)
    if bad.any():
        at = _first_bad(bad)
        _fail(INDEX_ERROR, f"{what(at)} {int(values[at])} is outside {first}..{last}")


def _finite(values, what):
    bad = ~np.isfinite(values)
    if bad.any():
        at = _first_bad(bad)
        _fail(DATA_ERROR, f"{what(at)} is {values[at]!r}, not a finite number")


def _components(at, values, name, node_count):
    """Rows (node, component) and their values, checked as the reader checks its lines."""
    _numbers_only(at, f"{name}_at")
    at = np.array(at)
    if at.size == 0:
        at = at.reshape(0, 2)
    if at.ndim != 2 or at.shape[1] != 2:
        _fail(DATA_ERROR, f"{name}_at: rows of (node, component) are expected, not an array of shape {at.shape}")
    values = _reals(values, f"{name}_values")
    if len(values) != len(at):
        _fail(DATA_ERROR, f"{name}_values has {len(values)} entries for the {len(at)} rows of {name}_at")
    column = ("node number", "component")
    at = _whole(at, lambda i: f"{name}_at" if i is None else f"{name}[{i[0]}]: the {column[i[1]]}")
    _in_range(at[:, 0], 1, node_count, lambda i: f"{name}[{i[0]}]: the node number")
    _in_range(at[:, 1], 1, 3, lambda i: f"{name}[{i[0]}] (node {at[i[0], 0]}): the component")
    _finite(values, lambda i: f"{name}[{i[0]}] (node {at[i[0], 0]}, component {at[i[0], 1]}): the value")
    return at, values


def _split_rows(rows, name):
    """(node, component, value) rows into the (node, component) table and the values."""
    table = _reals(rows, name, 3)
    return table[:, :2], table[:, 2]


class Model:
    """A structure and its settings. Node and bar numbers and components are 1-based, as in
    input.txt: row k - 1 of `nodes` is node k, row b - 1 of `bars` and `areas` is bar b.

    nodes         n x 3 coordinates
    bars          B x 2 node numbers (node1, node2)
    areas         B cross-section areas (of the unstressed bar)
    material      one material for every bar (neo_hooke, mooney_rivlin, linear_elastic), or a
                  list of B, one per bar
    prescribed    rows (node, component, value): the prescribed displacements
    loads         rows (node, component, value): the point loads
    settings      Settings(...)
    rest_lengths  B rest ("cut") lengths; NaN or 0: the drawn length (None: all drawn)
    prestress     B forces each bar carries in the drawn shape, from which its rest length
                  follows by its law; NaN: none given (None: none)
    cables        B booleans, True for a cable: tension only, slack when shorter than its
                  rest length (None: all bars)
    gravity       the direction of gravity, for the materials' weight

    As in input.txt, a later row for the same node and component replaces an earlier one.
    A model with anything beyond input.txt (several materials, steel, rest lengths,
    prestress, cables, weight) is followed by kalvane.path and kept in the model file
    (save, load); kalvane's own run and input.txt refuse it."""

    warnings: list[str]

    def __init__(self, nodes: npt.ArrayLike, bars: npt.ArrayLike, areas: npt.ArrayLike,
                 material: Union[Material, Sequence[Material]], prescribed: npt.ArrayLike = (),
                 loads: npt.ArrayLike = (), settings: Settings = Settings(), title: str = "kalvane model",
                 source: str = "model", rest_lengths: Optional[npt.ArrayLike] = None,
                 prestress: Optional[npt.ArrayLike] = None, cables: Optional[npt.ArrayLike] = None,
                 gravity: tuple[float, float, float] = (0.0, 0.0, -1.0)):
        self.nodes = nodes
        self.bars = bars
        self.areas = areas
        self.material = material
        self.prescribed_at, self.prescribed_values = _split_rows(prescribed, "prescribed")
        self.loads_at, self.load_values = _split_rows(loads, "loads")
        self.settings = settings
        self.title = title
        self.source = source
        self.rest_lengths = rest_lengths
        self.prestress = prestress
        self.cables = cables
        self.gravity = gravity
        self.warnings = []
        self._checked()
        self._structure()

    # ---- checking and the compiled model

    def _checked(self):
        """Every field checked, as the arrays the core takes; stores them back normalised."""
        _writable_text(self.title, "title")
        nodes = _reals(self.nodes, "nodes", 3)
        _finite(nodes, lambda i: f"nodes[{i[0]}] (node {i[0] + 1}): the {_AXES[i[1]]} coordinate")
        n = len(nodes)
        _numbers_only(self.bars, "bars")
        bars = np.array(self.bars)
        if bars.size == 0:
            bars = bars.reshape(0, 2)
        if bars.ndim != 2 or bars.shape[1] != 2:
            _fail(DATA_ERROR, f"bars: rows of (node1, node2) are expected, not an array of shape {bars.shape}")
        end = ("first", "second")
        bars = _whole(bars, lambda i: "bars" if i is None else f"bars[{i[0]}] (bar {i[0] + 1}): the {end[i[1]]} node")
        _in_range(bars, 1, n, lambda i: f"bars[{i[0]}] (bar {i[0] + 1}): the {end[i[1]]} node")
        areas = _reals(self.areas, "areas")
        if len(areas) != len(bars):
            _fail(DATA_ERROR, f"areas has {len(areas)} entries for the {len(bars)} bars")
        _finite(areas, lambda i: f"areas[{i[0]}] (bar {i[0] + 1}): the area")
        prescribed = _components(self.prescribed_at, self.prescribed_values, "prescribed", n)
        loads = _components(self.loads_at, self.load_values, "loads", n)
        s = self.settings
        if not isinstance(s, Settings):
            _fail(DATA_ERROR, f"settings: Settings(...) is expected, not {s!r}")
        for name in ("sigma", "tolerance", "reference", "line_search_steps", "max_iterations", "memory"):
            value = getattr(s, name)
            if isinstance(value, bool) or not isinstance(value, (int, float, np.integer, np.floating)):
                _fail(DATA_ERROR, f"settings: {name} {value!r} is not a number")
        for name in ("sigma", "tolerance", "reference"):
            if _finite_real(getattr(s, name)) is None:
                _fail(DATA_ERROR, f"settings: {name} is {_shown(getattr(s, name))}, not a finite number")
        for name in ("line_search_steps", "max_iterations", "memory"):
            value = getattr(s, name)
            real = _finite_real(value)
            if real is None or real != math.trunc(real) or not _INT32[0] <= real <= _INT32[1]:
                _fail(DATA_ERROR, f"settings: {name} {_shown(value)} is not a whole number in the 32-bit range")
        self.nodes, self.bars, self.areas = nodes, bars, areas
        self.prescribed_at, self.prescribed_values = prescribed
        self.loads_at, self.load_values = loads
        return nodes, bars, areas, prescribed, loads

    def _per_bar(self, value, name, count, empty):
        """A per-bar array of `count` reals (None: `empty` everywhere)."""
        if value is None:
            return np.full(count, empty)
        a = _reals(value, name)
        if len(a) != count:
            _fail(DATA_ERROR, f"{name} has {len(a)} entries for the {count} bars")
        return a

    def _material_table(self, count):
        """The model's distinct materials as (name, law, c1, c2, E, weight), in the order they
        were read or first used, and each bar's index among them."""
        given = self.material
        if isinstance(given, Material):
            per_bar, names = [given] * count, lambda i: "material"
        else:
            if isinstance(given, (str, bytes)) or not isinstance(given, Sequence):
                _fail(DATA_ERROR, "material: a material (neo_hooke, mooney_rivlin, linear_elastic) or a list of one "
                                  f"per bar is expected, not {given!r}")
            per_bar = list(given)
            if len(per_bar) != count:
                _fail(DATA_ERROR, f"material has {len(per_bar)} entries for the {count} bars")
            names = lambda i: f"material[{i}] (bar {i + 1})"
        for i, m in enumerate(per_bar):
            if not isinstance(m, Material) or m.law not in _LAWS:
                _fail(DATA_ERROR, f"{names(i)}: neo_hooke(c1), mooney_rivlin(c1, c2) or linear_elastic(E) is "
                                  f"expected, not {m!r}")
        order = list(getattr(self, "_material_order", ()))
        spare = getattr(self, "_spare_materials", ())
        added = []  # materials in use that the model file read did not list
        for m in per_bar:
            if m not in order and m not in added:
                added.append(m)
        # The file's materials stay in its order, those no bar of the file used included, as
        # kalvane-path keeps them (its deck lists them), unless a material added in use took the
        # name. One the file gave to bars that none keeps was replaced: it goes.
        added_names = {m.name for m in added if m.name}
        distinct = [m for m in order
                    if m in per_bar or (m in spare and not (m.name and m.name in added_names))] + added
        if isinstance(given, Material) and not distinct:
            distinct = [given]
        taken = {}
        for m in distinct:
            if m.name:
                if m.name in taken:
                    _fail(DATA_ERROR, f'material: two different materials are named "{m.name}"')
                taken[m.name] = m
        table = []
        for m in distinct:
            name = m.name
            if not name:
                name, k = m.law, 2
                while name in taken:
                    name, k = f"{m.law}-{k}", k + 1
                taken[name] = m
            table.append((name, m.law, float(m.c1), float(m.c2), float(m.E), float(m.weight)))
        index = {m: i for i, m in enumerate(distinct)}
        return table, np.array([index[m] for m in per_bar], dtype=np.int32)

    def _structure(self) -> "_core.HeldStructure":
        """The companions' structure of the model, validated as every companion validates it:
        a value without physical sense raises kalvane.Error naming the bar or material."""
        nodes, bars, areas, prescribed, loads = self._checked()
        count = len(bars)
        materials, which = self._material_table(count)
        rest = self._per_bar(self.rest_lengths, "rest_lengths", count, np.nan)
        force = self._per_bar(self.prestress, "prestress", count, np.nan)
        if self.cables is None:
            cables = np.zeros(count, dtype=np.uint8)
        else:
            cables = np.array(self.cables)
            if cables.shape != (count,) or cables.dtype.kind not in "biu" or not np.isin(cables, (0, 1)).all():
                _fail(DATA_ERROR, f"cables: {count} booleans (True: a cable) are expected, not {self.cables!r}")
            cables = cables.astype(np.uint8)
        gravity = _reals(self.gravity, "gravity")
        if gravity.shape != (3,):
            _fail(DATA_ERROR, f"gravity: a direction (x, y, z) is expected, not {self.gravity!r}")
        _finite(gravity, lambda i: f"gravity: the {_AXES[i[0]]} component")
        # kalvane's record keeps one rubber material: the first, or for steel the Neo-Hooke
        # material of the same small-strain modulus, as the model file's reader makes it.
        _, law, c1, c2, E, _ = materials[0] if materials else ("", "neo-hooke", 0.0, 0.0, 0.0, 0.0)
        base = self._built(nodes, bars, areas, prescribed, loads, _LAW_NUMBERS.get(law, 1),
                           E / 3.0 if law == "linear-elastic" else c1, c2)
        return _core.build_structure(base, materials, which, rest, force, cables,
                                     tuple(float(g) for g in gravity), str(self.title), getattr(self, "_form", None))

    def _built(self, nodes, bars, areas, prescribed, loads, law, c1, c2):
        s = self.settings
        return _core.build(
            self.source, nodes, bars, areas, law, float(c1), float(c2),
            prescribed[0], prescribed[1], loads[0], loads[1],
            (float(s.sigma), int(s.line_search_steps), float(s.tolerance), float(s.reference),
             int(s.max_iterations), int(s.memory)))

    def beyond_kalvane(self) -> str:
        """The first thing kalvane's own input.txt cannot hold ("bar 3 has a rest length"),
        or "" when it holds the whole model."""
        return self._structure().beyond_kalvane()

    def _held(self, use: str = "kalvane's own run (L-BFGS)"):
        """kalvane's model record, refused with `use` named where input.txt cannot hold the model."""
        structure = self._structure()
        reason = structure.beyond_kalvane()
        if reason:
            _fail(DATA_ERROR, f"{self.source}: {use} takes only what kalvane's input.txt holds, and {reason}: "
                              "follow it with kalvane.path(model) (the model file keeps it: Model.save)")
        return structure.model()

    # ---- plain queries and copies

    @property
    def node_count(self) -> int:
        return len(self.nodes)

    @property
    def bar_count(self) -> int:
        return len(self.bars)

    def load_array(self) -> np.ndarray:
        """The loads as an n x 3 array, each component holding its last row's value."""
        self._checked()
        loads = np.zeros((self.node_count, 3))
        loads[self.loads_at[:, 0] - 1, self.loads_at[:, 1] - 1] = self.load_values
        return loads

    def copy(self) -> "Model":
        return copy.deepcopy(self)

    def with_loads(self, loads: npt.ArrayLike) -> "Model":
        """A copy whose loads are the n x 3 array `loads`: one row per component, node by node,
        leaving out the components that hold +0.0."""
        loads = _reals(loads, "loads", 3)
        if len(loads) != self.node_count:
            _fail(DATA_ERROR, f"loads has {len(loads)} rows for the {self.node_count} nodes")
        _finite(loads, lambda i: f"loads[{i[0]}] (node {i[0] + 1}): the {_AXES[i[1]]} component")
        given = (loads != 0.0) | np.signbit(loads)
        rows, columns = np.nonzero(given)
        other = self.copy()
        other.loads_at = np.stack([rows + 1, columns + 1], axis=1).astype(np.int32).reshape(-1, 2)
        other.load_values = loads[rows, columns].copy()
        return other

    # ---- input.txt

    def write(self, path: Union[str, "os.PathLike[str]"]) -> None:
        """Writes input.txt at `path` (a folder gets input.txt inside it). Every real is
        written so that the program reads back the very same bits. Nothing is written when
        the model fails its checks, or holds what input.txt cannot (then Model.save)."""
        path = path_argument(path, "path")
        held = self._held("input.txt")
        if os.path.isdir(path):
            path = os.path.join(path, "input.txt")
        held.write(_title_line(self.title), path)

    # ---- the model file

    def save(self, path: Union[str, "os.PathLike[str]"]) -> None:
        """Writes the model file at `path` (a folder gets model.json inside it): everything
        the model holds, every real read back to the same bits by load() and the companions.
        Nothing is written when the model fails its checks."""
        path = path_argument(path, "path")
        structure = self._structure()
        if os.path.isdir(path):
            path = os.path.join(path, "model.json")
        structure.save(path)

    def model_file_text(self) -> str:
        """The model file's text of the model, as save() writes it."""
        return self._structure().text()

    def __repr__(self) -> str:
        return (f"<kalvane.Model {self.node_count} nodes, {self.bar_count} bars, "
                f"{len(self.prescribed_values)} prescribed, {len(self.load_values)} loads>")


def _title_line(title):
    """One line that cannot be taken for a marker line."""
    line = " ".join(str(title).replace("\r", " ").replace("\f", " ").split("\n"))
    return " " + line if line.startswith(":") else line


def _from_arrays(a):
    """A Model of the fields a structure gives (HeldStructure.arrays())."""
    model = Model.__new__(Model)
    model.nodes, model.bars, model.areas = a["nodes"], a["bars"], a["areas"]
    materials = [Material(law, c1, c2, E, weight, name) for name, law, c1, c2, E, weight in a["materials"]]
    model._material_order = tuple(materials)
    which = a["material_of_bar"]
    used = set(which.tolist())
    model._spare_materials = tuple(m for i, m in enumerate(materials) if i not in used)
    model.material = materials[0] if len(materials) == 1 else [materials[i] for i in which]
    model.rest_lengths = a["rest_lengths"]
    model.prestress = a["prestress"]
    model.cables = a["cables"].astype(bool)
    model.gravity = tuple(a["gravity"])
    # A model file's form section (form_find's defaults) goes on with the model, unread here.
    model._form = a["form"]
    model.prescribed_at, model.prescribed_values = a["prescribed_at"], a["prescribed_values"]
    model.loads_at, model.load_values = a["loads_at"], a["load_values"]
    model.settings = Settings(*a["settings"])
    model.title = a["title"]
    model.source = a["source"]
    model.warnings = []
    return model


def _started(structure: "_core.HeldStructure") -> Model:
    """The Model of a file's structure, once it starts as every program starts its run: a bar
    naming a node that is not there, or without a length, is refused with the file's place."""
    structure.start()
    return _from_arrays(structure.arrays())


def load(path: Union[str, "os.PathLike[str]"]) -> Model:
    """The model of a model file (or of an input.txt: told apart by content, as every
    companion tells them), or of the model.json (else input.txt) in a folder. Saved again,
    a model file gives the same text: every real to the same bits."""
    path = path_argument(path, "path")
    if os.path.isdir(path):
        found = os.path.join(path, "model.json")
        path = found if os.path.exists(found) else os.path.join(path, "input.txt")
    return _started(_core.read_structure(path))


def read(path: Union[str, "os.PathLike[str]"], strict: bool = False) -> Model:
    """The model of an input.txt (or of the input.txt in a folder), read by the program's
    own reader; its errors carry the reader's messages, with line and column.
    `model.warnings` lists what the reader takes in silence (kalvane-check --lint's
    warnings: a remark that looks like a value, values glued together, ...); with
    strict=True any of them is an error."""
    path = path_argument(path, "path")
    if os.path.isdir(path):
        path = os.path.join(path, "input.txt")
    structure = _core.read_input(path)
    warnings = _core.lint(path)
    if strict and warnings:
        _fail(DATA_ERROR, f"{path}: {len(warnings)} warning(s), refused as strict=True asks:\n" + "\n".join(warnings))
    model = _started(structure)
    model.warnings = warnings
    return model


def point_loads(model: Model, rows: npt.ArrayLike) -> np.ndarray:
    """An n x 3 load array from rows (node, component, value); rows naming the same
    component add up."""
    if not isinstance(model, Model):
        _fail(DATA_ERROR, f"model: a kalvane.Model is expected, not {model!r}")
    at, values = _components(*_split_rows(rows, "loads"), "loads", model.node_count)
    loads = np.zeros((model.node_count, 3))
    np.add.at(loads, (at[:, 0] - 1, at[:, 1] - 1), values)
    return loads
