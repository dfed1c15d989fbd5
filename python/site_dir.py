"""Prints the folder, relative to the installation prefix given as the argument, where this
interpreter looks for packages installed under that prefix: its user site when the prefix is
its user base (~/.local), else its default scheme's (lib/python3.X/dist-packages on Debian,
lib/python3.X/site-packages in a virtual environment and most elsewhere)."""

import os
import site
import sys
import sysconfig


def relative(scheme):
    paths = sysconfig.get_paths(scheme)
    return os.path.relpath(paths["platlib"], paths["data"])


def main(prefix):
    default = getattr(sysconfig, "get_default_scheme", lambda: "posix_prefix")()
    scheme = default
    if os.path.realpath(prefix) == os.path.realpath(site.getuserbase()):
        scheme = getattr(sysconfig, "get_preferred_scheme", lambda kind: "posix_user")("user")
    print(relative(scheme))


if __name__ == "__main__":
    main(sys.argv[1])
