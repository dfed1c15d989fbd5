"""The package as tools see it: the programs' version, a typed public surface, and a stub
that says what the compiled module really takes."""

import ast
import inspect
import os
import pathlib
import re
import subprocess

import kalvane
from conftest import PROGRAM


def test_the_version_is_the_programs_own():
    printed = subprocess.run([PROGRAM, "--version"], capture_output=True, text=True, check=True).stdout
    assert printed.split() == ["kalvane", kalvane.__version__]
    assert kalvane._core.__version__ == kalvane.__version__


def public_callables():
    for name in kalvane.__all__:
        thing = getattr(kalvane, name)
        if inspect.isfunction(thing):
            yield name, thing
        elif inspect.isclass(thing) and thing.__module__.startswith("kalvane"):
            for method_name, method in vars(thing).items():
                if inspect.isfunction(method) and (not method_name.startswith("_") or method_name == "__init__"):
                    yield f"{name}.{method_name}", method


def test_every_public_function_is_typed():
    missing = []
    for name, function in public_callables():
        signature = inspect.signature(function)
        for parameter in list(signature.parameters.values())[1 if "." in name else 0:]:
            if parameter.annotation is inspect.Parameter.empty:
                missing.append(f"{name}({parameter.name})")
        if signature.return_annotation is inspect.Signature.empty and not name.endswith("__init__"):
            missing.append(f"{name} -> ?")
    assert not missing
    assert (pathlib.Path(kalvane.__file__).parent / "py.typed").is_file()


def compiled_signatures():
    """name -> argument names, from the signature line pybind11 puts atop each docstring."""
    signatures = {}
    for name, thing in vars(kalvane._core).items():
        if name.startswith("_") or not callable(thing) or inspect.isclass(thing):
            continue
        first = thing.__doc__.splitlines()[0]
        arguments = re.match(rf"{name}\((.*)\) ->", first).group(1)
        signatures[name] = [a.split(":")[0].strip() for a in arguments.split(", ")] if arguments else []
        assert thing.__doc__.strip() != first.strip(), f"_core.{name} has no description"
    return signatures


def test_the_stub_names_what_the_compiled_module_takes():
    stub = ast.parse((pathlib.Path(kalvane.__file__).parent / "_core.pyi").read_text())
    stubbed = {node.name: [a.arg for a in node.args.args] for node in stub.body if isinstance(node, ast.FunctionDef)}
    compiled = compiled_signatures()
    assert all(not any(re.fullmatch(r"arg\d+", a) for a in arguments) for arguments in compiled.values())
    # The stub may describe kalvane.path's core where this build has none.
    assert {name: stubbed[name] for name in compiled} == compiled
    assert set(stubbed) - set(compiled) <= {"follow", "restore_path"}
    classes = {node.name for node in stub.body if isinstance(node, ast.ClassDef)}
    compiled_classes = {name for name, thing in vars(kalvane._core).items() if inspect.isclass(thing)}
    assert compiled_classes <= classes and classes - compiled_classes <= {"HeldPath"}
