"""The study report of a sweep of a generated model (M/M/1 over three arrival rates, one
steady-state and one terminating variable), opened in a real headless browser: it must show its
plots and reference nothing outside itself."""
import os
import re
import shutil
import subprocess
from html.parser import HTMLParser

import pytest

from conftest import exe, run
from kavrin.report import render_report

PLOT_BLUE = (0x1F, 0x77, 0xB4)  # matplotlib's first colour: estimates, intervals, histograms


class References(HTMLParser):
    """Every reference the page makes to something: attributes and CSS url()."""

    ATTRIBUTES = {"src", "href", "xlink:href", "action", "poster", "data", "srcset", "formaction"}

    def __init__(self):
        super().__init__()
        self.refs, self.tags, self.styles = [], [], []
        self._in_style = False

    def handle_starttag(self, tag, attrs):
        self.tags.append(tag)
        self._in_style = tag == "style"
        for name, value in attrs:
            if name in self.ATTRIBUTES:
                self.refs.append(value or "")
            if name == "style":
                self.styles.append(value or "")

    handle_startendtag = handle_starttag

    def handle_data(self, data):
        if self._in_style:
            self.styles.append(data)

    def handle_endtag(self, tag):
        self._in_style = False


@pytest.fixture(scope="module")
def report(tmp_path_factory):
    scratch = tmp_path_factory.mktemp("report")
    # Exit 3 is expected: at rho = 0.9 the batch means may still fail a test at max-obs.
    run(exe("simmgr"), "--quiet", "--jobs", "1", "--experiments", "all", "--precision", "0.3", "--max-obs", "600",
        "--json", scratch / "sweep.json", "--", exe("MM1_STUDYSim"), expect=(0, 3))
    import sys

    out = run(sys.executable, "-m", "kavrin", "report", scratch / "sweep.json", "-o", scratch / "sweep.html").stdout
    assert out.strip() == str(scratch / "sweep.html")
    return scratch / "sweep.html"


def test_the_report_holds_its_parts_and_references_nothing_outside_itself(report):
    text = report.read_text()
    parser = References()
    parser.feed(text)
    assert all(r.startswith("#") for r in parser.refs), [r for r in parser.refs if not r.startswith("#")]
    for css in parser.styles:
        assert "@import" not in css
        assert "url(" not in css.replace("url(#", "")
    assert not {"script", "link", "img", "iframe", "object", "embed"} & set(parser.tags)
    # One plot per variable against the swept lambda, one histogram figure for the terminating one.
    assert parser.tags.count("svg") == 3
    # The figures' ids stay apart in one page, and the same results give the same bytes again.
    ids = re.findall(r'\sid="([^"]+)"', text)
    assert len(ids) == len(set(ids)) > 3
    assert render_report(report.with_suffix(".json")) == text
    for part in ("mean_in_system", "arrivals", "rho_0.5", "rho_0.9", "Stop reason:", "Simulator messages",
                 "No simulator messages", "Provenance", "simmgr version", "median [interval]", "Lagged Fibonacci"):
        assert part in text or (part == "Simulator messages" and "No simulator messages" in text), part


def _chromium():
    for name in ("chromium", "chromium-browser"):
        if shutil.which(name):
            return shutil.which(name)
    pytest.skip("chromium is not installed (Debian: apt-get install chromium): the report was not opened in a browser")


def _browser(tmp_path, *args):
    command = [_chromium(), "--headless", "--no-sandbox", "--disable-gpu", "--hide-scrollbars", "--no-first-run",
               f"--user-data-dir={tmp_path / 'profile'}", *args]
    done = subprocess.run(command, capture_output=True, text=True, timeout=120,
                          env={**os.environ, "HOME": str(tmp_path)})
    assert done.returncode == 0, done.stderr
    return done.stdout


# Added to a copy of the report for the test: writes where the browser laid out each plot.
LAYOUT_PROBE = """<script>
document.body.setAttribute("data-plot-boxes", JSON.stringify(Array.from(document.querySelectorAll("svg"),
  s => { const r = s.getBoundingClientRect();
         return [r.left + window.scrollX, r.top + window.scrollY, r.width, r.height]; })));
</script>"""


def test_a_browser_renders_every_plot(report, tmp_path):
    import json

    from PIL import Image

    probed = tmp_path / "probed.html"
    probed.write_text(report.read_text().replace("</body>", LAYOUT_PROBE + "</body>"))
    size = "--window-size=1200,4000"
    dom = _browser(tmp_path, size, "--dump-dom", probed.as_uri())
    assert dom.count("<svg") == 3
    boxes = json.loads(re.search(r'data-plot-boxes="([^"]*)"', dom).group(1).replace("&quot;", '"'))
    shot = tmp_path / "shot.png"
    _browser(tmp_path, size, f"--screenshot={shot}", probed.as_uri())
    image = Image.open(shot).convert("RGB")
    assert len(boxes) == 3
    for left, top, width, height in boxes:
        # Laid out at a plot's size, inside the screenshot, and drawn: axes, text, and the plots'
        # blue (estimates, intervals, histogram bars) all show.
        assert width >= 300 and height >= 150 and top + height <= image.size[1], boxes
        region = image.crop((int(left), int(top), int(left + width), int(top + height)))
        pixels = list(region.getdata())
        drawn = sum(1 for p in pixels if sum(p) < 3 * 235) / len(pixels)
        blue = sum(1 for p in pixels if all(abs(c - t) <= 40 for c, t in zip(p, PLOT_BLUE)))
        assert drawn > 0.02 and blue >= 100, (left, top, drawn, blue)
