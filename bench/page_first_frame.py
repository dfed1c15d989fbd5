#!/usr/bin/env python3
"""Size and time to the first frame of kalvane-view's page, in headless Chromium (software
WebGL), as docs/kalvane-view.md gives them. Not a test; never run by CI.

    kalvane-generate net 1000000 --iterations 300 && kalvane && kalvane-view --html
    /usr/bin/python3 bench/page_first_frame.py kalvane.html [--runs 3]
"""
import argparse
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "browser"))
import chromium  # noqa: E402

STAGES = """JSON.stringify([performance.getEntriesByType('navigation')[0].domInteractive,
  ...['kalvane-decoded', 'kalvane-built'].map((name) => performance.getEntriesByName(name)[0].startTime)])"""


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("page")
    parser.add_argument("--runs", type=int, default=3)
    args = parser.parse_args()
    print(f"{args.page}: {os.path.getsize(args.page) / 1e6:.1f} MB")
    for run in range(args.runs):
        with chromium.Browser() as browser:  # a fresh browser each time: no cache
            browser.open(args.page, timeout=600)
            parsed, decoded, built = map(float, browser.evaluate(STAGES).strip("[]").split(","))
            first = float(browser.attribute("data-first-frame-ms"))
            print(f"run {run + 1}: first frame {first / 1000:.2f} s (file read {parsed / 1000:.2f}, data decoded "
                  f"{(decoded - parsed) / 1000:.2f}, buffers built {(built - decoded) / 1000:.2f}, "
                  f"drawn {(first - built) / 1000:.2f})")
    return 0


if __name__ == "__main__":
    sys.exit(main())
