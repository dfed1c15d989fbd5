"""The module's one exception, as the program reports its errors."""

import os
from typing import Any


class Error(Exception):
    """A failure of kalvane: `name` is the error's full name (e.g. "INDEX_ERROR",
    "NLP.HALT"), `message` says what failed and where. str() gives "NAME : message", the
    program's own report line after "raised "."""

    def __init__(self, name: str, message: str):
        super().__init__(name, message)
        self.name = name
        self.message = message

    def __str__(self) -> str:
        return f"{self.name} : {self.message}"


INDEX_ERROR = "INDEX_ERROR"
DATA_ERROR = "DATA_ERROR"
NAME_ERROR = "NAME_ERROR"
USAGE_ERROR = "USAGE_ERROR"


def _shown(value: Any) -> str:
    """A value as a message names it: its type and its repr, cut short."""
    text = repr(value)
    return f"{type(value).__name__} {text if len(text) <= 60 else text[:57] + '...'}"


def path_argument(value, name: str) -> str:
    """A file or folder argument as text (bytes, as os takes them, decoded as os decodes
    them); anything else is refused naming the argument."""
    try:
        path = os.fsdecode(os.fspath(value))
    except TypeError:
        raise Error(DATA_ERROR, f"{name}: a file or folder name is expected, not {value!r}") from None
    # The programs' files are named in UTF-8: a name with bytes it cannot hold is refused here,
    # not by the compiled part as an argument of the wrong type.
    try:
        path.encode("utf-8")
    except UnicodeEncodeError:
        raise Error(DATA_ERROR, f"{name}: a file or folder name in UTF-8 is expected, not {value!r}") from None
    return path


def made_folder(folder: str) -> None:
    """Makes `folder` where it is missing; a failure (a file of that name, no permission) is
    the NAME_ERROR the programs raise for a folder they cannot make, not Python's OSError."""
    try:
        os.makedirs(folder, exist_ok=True)
    except OSError as e:
        raise Error(NAME_ERROR, f"cannot create the folder {folder}: {e.strerror}") from None


def opened_for_writing(path: str, **options: Any):
    """`path` opened to be written as text; a failure is the programs' NAME_ERROR, naming it."""
    try:
        return open(path, "w", **options)
    except OSError as e:
        raise Error(NAME_ERROR, f"{path}: {e.strerror}") from None
