#!/usr/bin/env python3
"""The time the animated page of kalvane-view takes to change state, in headless Chromium
(software WebGL), as docs/kalvane-view.md gives it: the script's work (the buffers rewritten
in place) per state, and a frame drawn per state while stepping. Not a test; never run by CI.

    kalvane-generate net 100000 && kalvane-path && kalvane-view --html --dir path
    /usr/bin/python3 bench/page_states.py path/kalvane.html
"""
import argparse
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "browser"))
import chromium  # noqa: E402

SCRIPT = """(() => { const a = kalvane.animation, t0 = performance.now(); let n = 0;
  for (let round = 0; round < 5; ++round) for (let i = 0; i < a.count; ++i) a.show(i), ++n;
  return (performance.now() - t0) / n; })()"""
FRAMES = """new Promise((done) => { const a = kalvane.animation; let i = 0, frames = 0; const t0 = performance.now();
  function step() { a.show(i++ % a.count); if (++frames < 60) requestAnimationFrame(step); else done((performance.now() - t0) / frames); }
  requestAnimationFrame(step); })"""


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("page")
    args = parser.parse_args()
    with chromium.Browser(1300, 700) as browser:
        browser.open(args.page, timeout=600)
        count = browser.evaluate("kalvane.animation ? kalvane.animation.count : 0")
        if not count:
            print(f"{args.page}: no states (is path.states beside output.txt?)")
            return 1
        print(f"{args.page}: {os.path.getsize(args.page) / 1e6:.1f} MB, {browser.attribute('data-bars')} bars, {count} states")
        print(f"script per state change: {browser.evaluate(SCRIPT):.1f} ms")
        print(f"a state per frame, drawn: {browser.wait_for(FRAMES, 600):.0f} ms a frame")
    return 0


if __name__ == "__main__":
    sys.exit(main())
