"""What the install tests share: an environment without the build's own package on the path,
and a small run in a separate interpreter, outside the source tree."""

import contextlib
import io
import json
import os
import subprocess

# A single bar pulled along its axis; the run prints where the package came from and what it gave.
RUN = """
import json, kalvane
bar = kalvane.Model(nodes=[(0.0, 0.0, 0.0), (1.0, 0.0, 0.0)], bars=[(1, 2)], areas=[0.01],
                    material=kalvane.neo_hooke(10.0),
                    prescribed=[(1, 1, 0.0), (1, 2, 0.0), (1, 3, 0.0), (2, 2, 0.0), (2, 3, 0.0)],
                    loads=[(2, 1, 0.05)])
result = kalvane.solve(bar, method="lbfgs")
print(json.dumps({"file": kalvane.__file__, "version": kalvane.__version__,
                  "stretch": result.stretches[0].hex(), "iterations": int(result.iterations)}))
"""


def clean_environment(**changes):
    """This process's environment less the build's package path, with `changes`."""
    env = {k: v for k, v in os.environ.items() if k not in ("PYTHONPATH", "PYTHONUSERBASE")}
    env.update(changes)
    return env


def run_elsewhere(python, folder, env):
    """RUN by `python` in `folder`; its printed facts."""
    done = subprocess.run([str(python), "-c", RUN], cwd=folder, env=env, capture_output=True, text=True)
    assert done.returncode == 0, done.stderr
    return json.loads(done.stdout)


def run_here():
    """RUN's facts from the build's own package, for comparison."""
    out = io.StringIO()
    with contextlib.redirect_stdout(out):
        exec(RUN, {})
    return json.loads(out.getvalue())
