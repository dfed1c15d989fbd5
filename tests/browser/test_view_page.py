"""Browser tests of kalvane-view's page: each case solves a model with kalvane (or kalvane-path), writes the page
with kalvane-view --html and opens it from a file URL in headless Chromium.

    test_view_page.py CASE --kalvane EXE --view EXE --path EXE --examples DIR

Exits 0 when the case passes, 1 when it fails, 77 (ctest's skip) when there is no Chromium."""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile

import chromium

TENSION, COMPRESSION = (33, 102, 172), (178, 24, 43)


def solve(args, folder, example, title=None):
    """kalvane and kalvane-view --html on a bundled example in `folder`; the page's path."""
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(args.examples, example, "input.txt"), encoding="utf-8") as f:
        text = f.read()
    if title is not None:
        text = title + "\n" + text.split("\n", 1)[1]
    with open(os.path.join(folder, "input.txt"), "w", encoding="utf-8") as f:
        f.write(text)
    subprocess.run([args.kalvane], cwd=folder, check=True)
    subprocess.run([args.view, "--html"], cwd=folder, check=True, stdout=subprocess.DEVNULL)
    return os.path.join(folder, "kalvane.html")


def report_stresses(folder):
    with open(os.path.join(folder, "output.txt"), encoding="utf-8") as f:
        table = f.read().rsplit("Stress", 1)[1]
    return [float(value) for value in re.findall(r"^\s*\d+\s+(\S+)\s*$", table, re.M)]


def input_counts(folder):
    """Node and bar counts: the first value after the third and fourth marker lines."""
    with open(os.path.join(folder, "input.txt"), encoding="utf-8") as f:
        sections = re.split(r"^:.*$", f.read(), flags=re.M)
    return int(sections[3].split()[0]), int(sections[4].split()[0])


def colour_pixels(browser):
    """Pixels of the 3-D view that have the hue of tension and of compression, overlays hidden."""
    browser.evaluate("for (const id of ['controls', 'legend', 'pick']) document.getElementById(id).style.visibility = 'hidden';"
                     "document.getElementById('show-loads').click(); document.getElementById('show-supports').click(); true")
    browser.wait_for("new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(() => done(true))))")
    _, _, rows = browser.screenshot()
    tension = compression = 0
    for row in rows:
        for i in range(0, len(row), 3):
            r, g, b = row[i], row[i + 1], row[i + 2]
            tension += b > r + 40 and b > g + 20
            compression += r > g + 40 and r > b + 40 and b + 10 >= g
    return tension, compression


def no_network(browser, page):
    """Every request the page made is the page itself or a blob of its own."""
    url = "file://" + os.path.abspath(page)
    strays = [u for u in browser.requests() if u != url and not u.startswith("blob:null/")]
    assert not strays, f"the page asked for {strays}"


def check_example(args, work, example, wants_compression):
    """The page of a bundled example: its state, picking, its colours, and no network."""
    with chromium.Browser() as browser:
        folder = os.path.join(work, example)
        page = solve(args, folder, example)
        browser.open(page)
        nodes, bars = input_counts(folder)
        assert browser.attribute("data-nodes") == str(nodes), browser.attribute("data-nodes")
        assert browser.attribute("data-bars") == str(bars), browser.attribute("data-bars")
        stresses = report_stresses(folder)
        assert len(stresses) == bars
        assert float(browser.attribute("data-stress-min")) == min(stresses)
        assert float(browser.attribute("data-stress-max")) == max(stresses)

        # Hovering over a bar names it; over a held node, its reaction.
        for bar in (1, bars // 2 + 1, bars):
            point = browser.evaluate(f"kalvane.barPoint({bar})")
            browser.move_mouse(point["x"], point["y"])
            browser.wait_for(f"document.documentElement.dataset.picked === 'bar {bar}'", 15)
            text = browser.evaluate("document.getElementById('pick').textContent")
            assert text.startswith(f"bar {bar}\n") and "axial force" in text and "stretch" in text, text
        point = browser.evaluate("kalvane.nodePoint(1)")
        browser.move_mouse(point["x"], point["y"])
        browser.wait_for("document.documentElement.dataset.picked === 'node 1'", 15)
        assert "reaction X" in browser.evaluate("document.getElementById('pick').textContent")

        # The slider runs from 1 to ten times the automatic factor.
        auto = browser.evaluate("JSON.parse(document.getElementById('kalvane-meta').textContent).auto_magnification")
        for position, wanted in (("0", 1.0), ("1000", max(1.0, 10 * auto))):
            browser.evaluate("(() => { const slider = document.getElementById('magnify'); slider.value = '%s';"
                             " slider.dispatchEvent(new Event('input')); return true; })()" % position)
            browser.wait_for(f"Math.abs(document.documentElement.dataset.magnification - {wanted}) <= 1e-12 * {wanted}", 15)

        tension, compression = colour_pixels(browser)
        assert tension > 50, f"{example}: {tension} pixels of tension"
        assert (compression > 50) == wants_compression, f"{example}: {compression} pixels of compression"
        no_network(browser, page)
        assert not browser.dialogs()


def check_escaping(args, work):
    """A title that tries to end the data's script element and start its own stays text."""
    title = "</script><script>alert(1)</script> \"double\" 'single' <!-- <b>bold</b> & \u2028 end"
    with chromium.Browser() as browser:
        plain = solve(args, os.path.join(work, "plain"), "single_bar")
        browser.open(plain)
        scripts = browser.evaluate("document.scripts.length")  # those left once the data blocks are read
        hostile = solve(args, os.path.join(work, "hostile"), "single_bar", title)
        with open(hostile, encoding="utf-8") as f:
            html = f.read()
        assert "<script>alert(1)" not in html and "<b>bold" not in html
        browser.events.clear()
        browser.open(hostile)
        assert browser.evaluate("document.title") == title
        assert browser.evaluate("document.getElementById('title').textContent") == title
        assert browser.evaluate("document.scripts.length") == scripts
        assert browser.evaluate("document.getElementsByTagName('b').length") == 0
        assert not browser.dialogs(), browser.dialogs()
        no_network(browser, hostile)


PATH_CSV = """stage,load_factor,displacement node 13 Z<img src=x onerror=alert(2)>,largest_displacement,total_potential,smallest_pivot,negative_pivots,kind
1,0,0,0,0,1,0,regular
1,0.25,-0.05,0.05,-1,0.8,0,regular
1,0.5,-0.11,0.11,-2,0.4,0,regular
1,0.62,-0.2,0.2,-3,0,0,limit
1,0.55,-0.35,0.35,-3.5,-0.2,1,regular
1,0.58,-0.5,0.5,-4,0,1,bifurcation
1,1,-0.8,0.8,-6,0.5,0,regular
"""


def check_path(args, work):
    """kalvane-path's folder: the curve beside the view, its limit and bifurcation marked."""
    folder = os.path.join(work, "path")
    os.makedirs(folder)
    with open(os.path.join(folder, "path.csv"), "w", encoding="utf-8") as f:
        f.write(PATH_CSV)
    page = solve(args, folder, "cable_net")
    with chromium.Browser(1300, 700) as browser:
        browser.open(page)
        assert browser.attribute("data-path-points") == "7"
        assert browser.evaluate("getComputedStyle(document.getElementById('curve')).display") != "none"
        assert browser.evaluate("document.querySelectorAll('#curve-plot .limit').length") == 1
        assert browser.evaluate("document.querySelectorAll('#curve-plot .bifurcation').length") == 1
        assert browser.evaluate("document.querySelectorAll('#curve-plot .regular').length") == 5
        # The three segments that touch a point with a negative pivot are dashed.
        assert browser.evaluate("document.querySelectorAll('#curve-plot .unstable').length") == 3
        label = browser.evaluate("Array.from(document.querySelectorAll('#curve-plot text')).map((t) => t.textContent)")
        assert "displacement node 13 Z<img src=x onerror=alert(2)>" in label and "load factor" in label
        assert browser.evaluate("document.getElementsByTagName('img').length") == 0
        assert not browser.dialogs()

        # Staged loading: stage 1 (prescribed displacements, no load) is grey, on the zero line.
        with open(os.path.join(folder, "path.csv"), "w", encoding="utf-8") as f:
            f.write(PATH_CSV.split("\n", 1)[0] + "\n1,0,0,0,0,1,0,regular\n1,1,-0.1,0.1,0,1,0,regular\n"
                    "2,0,-0.1,0.1,0,1,0,regular\n2,1,-0.3,0.3,-1,1,0,regular\n")
        subprocess.run([args.view, "--html"], cwd=folder, check=True, stdout=subprocess.DEVNULL)
        browser.open(page)
        assert browser.evaluate("document.querySelectorAll('#curve-plot .preload').length") == 1
        heights = browser.evaluate("Array.from(document.querySelectorAll('#curve-plot .regular')).map((c) => c.getAttribute('cy'))")
        assert heights[0] == heights[1] == heights[2] != heights[3], heights


def check_two_materials(args, work):
    """A model file solved by kalvane-path: the page lists its materials, colours by axial
    force, and a picked bar reports its own material, force and state."""
    folder = os.path.join(work, "two_materials")
    os.makedirs(folder)
    shutil.copy(os.path.join(args.examples, "two_materials", "model.json"), folder)
    subprocess.run([args.path], cwd=folder, check=True, stdout=subprocess.DEVNULL)
    run = os.path.join(folder, "path")
    said = subprocess.run([args.view, "--html", "--dir", run], check=True, capture_output=True, text=True).stdout
    assert said.startswith("read " + os.path.join(run, "model.json") + "\n"), said
    page = os.path.join(run, "kalvane.html")
    with chromium.Browser() as browser:
        browser.open(page)
        items = browser.evaluate("Array.from(document.querySelectorAll('#legend-materials li')).map((li) => li.textContent)")
        assert len(items) == 2, items
        assert items[0].startswith("steel: linear elastic, E = 1.6e+08"), items
        assert items[1].startswith("rubber: Neo-Hooke, c1 = 1000"), items
        assert browser.evaluate("document.getElementById('legend-heading').textContent").startswith("axial force"), \
            "the legend names the force"
        # Bar 1 is a steel edge cable (taut), bar 16 a rubber cord.
        for bar, material, state in ((1, "steel", "taut"), (16, "rubber", "tension")):
            point = browser.evaluate(f"kalvane.barPoint({bar})")
            browser.move_mouse(point["x"], point["y"])
            browser.wait_for(f"document.documentElement.dataset.picked === 'bar {bar}'", 15)
            text = browser.evaluate("document.getElementById('pick').textContent")
            assert f"\nmaterial {material} (" in text, text
            force = float(re.search(r"axial force (\S+)", text).group(1))
            assert force > 0 and f"state {state}" in text, text
        no_network(browser, page)
        assert not browser.dialogs()


# The shallow two-bar truss (steel in N and mm) loaded past its snap-through: a limit point,
# then a jump to the inverted shape.
SNAPPING_TRUSS = """Shallow two-bar truss
: settings
0.9 20 1E-6 0.0 10000 5
: material
1 70000.0
: nodes
3
node x y z
1 0 0 0
2 2000 0 100
3 4000 0 0
: bars
2
bar n1 n2 area
1 1 2 1000
2 2 3 1000
: prescribed displacements
7
node c v
1 1 0
1 2 0
1 3 0
2 2 0
3 1 0
3 2 0
3 3 0
: loads
1
node c v
2 3 -12000
"""


def page_state(browser):
    """The state shown, the apex on the screen, the label and the event passed."""
    return (int(browser.attribute("data-state")), browser.evaluate("kalvane.nodePoint(2)"),
            browser.evaluate("document.getElementById('state-label').textContent"),
            browser.evaluate("document.getElementById('state-event').textContent"))


def pick_node(browser, node):
    """The pick panel's text for a node of the shape shown."""
    point = browser.evaluate(f"kalvane.nodePoint({node})")
    browser.move_mouse(point["x"], point["y"])
    browser.wait_for(f"document.documentElement.dataset.picked === 'node {node}'", 15)
    return browser.evaluate("document.getElementById('pick').textContent")


def slide_to(browser, index):
    browser.evaluate("(() => { const s = document.getElementById('state'); s.value = '%d';"
                     " s.dispatchEvent(new Event('input')); return true; })()" % index)
    browser.wait_for(f"document.documentElement.dataset.state === '{index}'", 15)


def check_states(args, work):
    """kalvane-path's states played: the slider moves the drawn shape, the curve's marker
    follows, a click on the curve shows its state, the events are named as they are passed,
    play runs to the end, and #state=N opens at state N."""
    folder = os.path.join(work, "truss")
    os.makedirs(folder)
    with open(os.path.join(folder, "input.txt"), "w", encoding="utf-8") as f:
        f.write(SNAPPING_TRUSS)
    subprocess.run([args.path], cwd=folder, stdout=subprocess.DEVNULL)  # exit 3: past a snap-through
    run = os.path.join(folder, "path")
    subprocess.run([args.view, "--html", "--dir", run], check=True, stdout=subprocess.DEVNULL)
    with open(os.path.join(run, "path.csv"), encoding="utf-8") as f:
        rows = [line.split(",") for line in f.read().splitlines()[1:]]
    limit = next(i for i, r in enumerate(rows) if r[7] == "limit")
    page = os.path.join(run, "kalvane.html")
    with chromium.Browser(1300, 700) as browser:
        browser.open(page)
        count = browser.evaluate("kalvane.animation.count")
        assert count == len(rows), (count, len(rows))
        # It opens on the report's state, the last, past the limit point and the jump.
        state, apex, label, event = page_state(browser)
        assert state == count - 1 and label.startswith(f"state {count} of {count}"), label
        assert event.startswith("passed: jump at 0.84"), event
        assert "reaction X" in pick_node(browser, 3)
        assert pick_node(browser, 2).endswith("\nload 0, 0, -12000")
        # The start: the apex at its drawn place, nothing passed yet.
        slide_to(browser, 0)
        _, start, label, event = page_state(browser)
        assert label.endswith("load factor 0") and event == "", (label, event)
        # A held node's reaction is the report's, at full load: the unloaded state shows none of it.
        reaction = pick_node(browser, 3)
        assert "reaction X" not in reaction and "report's state only" in reaction, reaction
        # The load a node carries is the state's share of the model's: none yet.
        load = pick_node(browser, 2)
        assert "\nload 0, 0, 0 at this state (the model's 0, 0, -12000)" in load, load
        assert abs(start["y"] - apex["y"]) > 20, (start, apex)  # the inverted truss is drawn far below
        # Just past the limit point, it is named.
        slide_to(browser, limit)
        _, at_limit, _, event = page_state(browser)
        assert event.startswith("passed: limit point at 0.84"), event
        assert at_limit["y"] > start["y"], (at_limit, start)  # lower on the screen: the apex went down
        # The curve's marker stands on the state's point; a click on the first point shows it.
        marker = browser.evaluate("(() => { const c = document.querySelector('#curve-plot .current');"
                                  " return [c.getAttribute('cx'), c.getAttribute('cy')]; })()")
        limit_marker = browser.evaluate("(() => { const l = document.querySelector('#curve-plot .limit');"
                                        " return l.getAttribute('d'); })()")
        assert limit_marker.startswith(f"M{marker[0]} "), (marker, limit_marker)
        point = browser.evaluate("kalvane.curvePoint(0)")
        browser.evaluate("(() => { document.getElementById('curve-plot').dispatchEvent(new MouseEvent('click',"
                         " {clientX: %r, clientY: %r, bubbles: true})); return true; })()" % (point["x"], point["y"]))
        browser.wait_for("document.documentElement.dataset.state === '0'", 15)
        # Play runs through every state to the last and stops there.
        browser.evaluate("document.getElementById('play').click(), true")
        browser.wait_for(f"document.documentElement.dataset.state === '{count - 1}' &&"
                         " document.documentElement.dataset.playing === 'false'", 30)
        no_network(browser, page)
        assert not browser.dialogs()
        # A link to state 3 opens there.
        browser.open(page + "#state=3")
        browser.wait_for("document.documentElement.dataset.state === '2'", 15)


def check_slack(args, work):
    """The saddle net, some of whose cables go slack: the legend names slack cables, and a
    picked cable says whether it is slack or taut, as bars.csv does."""
    folder = os.path.join(work, "saddle")
    os.makedirs(folder)
    shutil.copy(os.path.join(args.examples, "saddle_net", "model.json"), folder)
    subprocess.run([args.path], cwd=folder, stdout=subprocess.DEVNULL)
    run = os.path.join(folder, "path")
    subprocess.run([args.view, "--html", "--dir", run], check=True, stdout=subprocess.DEVNULL)
    with open(os.path.join(run, "bars.csv"), encoding="utf-8") as f:
        states = [line.rsplit(",", 1)[1] for line in f.read().splitlines()[1:]]
    slack, taut = states.index("slack") + 1, states.index("taut") + 1
    page = os.path.join(run, "kalvane.html")
    with chromium.Browser(1300, 700) as browser:
        browser.open(page)
        assert not browser.evaluate("document.getElementById('legend-slack').hidden")
        for bar, state in ((slack, "slack"), (taut, "taut")):
            point = browser.evaluate(f"kalvane.barPoint({bar})")
            browser.move_mouse(point["x"], point["y"])
            browser.wait_for(f"document.documentElement.dataset.picked === 'bar {bar}'", 15)
            text = browser.evaluate("document.getElementById('pick').textContent")
            assert f"\nstate {state}" in text, text
        assert not browser.dialogs()


CASES = {
    # space_truss has bars in tension and in compression, cable_net only in tension.
    "space_truss": lambda args, work: check_example(args, work, "space_truss", True),
    "cable_net": lambda args, work: check_example(args, work, "cable_net", False),
    "escaping": check_escaping,
    "path": check_path,
    "two_materials": check_two_materials,
    "states": check_states,
    "slack": check_slack,
}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("case", choices=sorted(CASES))
    parser.add_argument("--kalvane", required=True)
    parser.add_argument("--view", required=True)
    parser.add_argument("--path", required=True, help="kalvane-path, for the model-file case")
    parser.add_argument("--examples", required=True)
    args = parser.parse_args()
    args.kalvane, args.view, args.path, args.examples = map(os.path.abspath, (args.kalvane, args.view, args.path, args.examples))
    if chromium.find_chromium() is None:
        print("chromium is not installed (scripts/setup installs it): skipped")
        return chromium.SKIP
    work = tempfile.mkdtemp(prefix="kalvane-page-")
    try:
        CASES[args.case](args, work)
    except (AssertionError, RuntimeError, TimeoutError, subprocess.CalledProcessError) as failure:
        print(f"{args.case}: FAILED: {failure!r}", file=sys.stderr)
        raise
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print(f"{args.case}: passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
