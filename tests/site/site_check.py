#!/usr/bin/python3
"""The documentation site against expected files, the rule that only our own site is replaced,
and reproducible output.

    site_check.py KAVENOR SOURCE_DIR [--update]

The expected files (tests/data/site/*.txt: the sample server, FoodMart, an ASSL database) list every page of the site, then every marked cell of
the dimension usage and role matrices, one row per line: "usage DATABASE | CUBE | DIMENSION, ..."
and "access DATABASE | ROLE | CUBE, ...". --update writes them afresh (read the diff before you
commit it).
"""
import filecmp
import hashlib
import html.parser
import json
import os
import re
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree

KAVENOR, SOURCE = sys.argv[1], sys.argv[2]
UPDATE = "--update" in sys.argv
SERVERS = os.path.join(SOURCE, "samples", "servers")
EXPECTED = os.path.join(SOURCE, "tests", "data", "site")
ENV = dict(os.environ, SOURCE_DATE_EPOCH="1764511500", LC_ALL="C", TZ="UTC")
ENV.pop("DISPLAY", None)
failures = []


def site(server, output, expect=0):
    run = subprocess.run([KAVENOR, "site", "--server", server, "--output", output],
                         capture_output=True, env=ENV, timeout=300)
    if run.returncode != expect:
        failures.append(f"site of {server} into {output}: exit {run.returncode}, not {expect}: "
                        f"{run.stderr.decode()}")
    return run


class Matrices(html.parser.HTMLParser):
    """The tables of a database page whose caption starts with "Dimension usage" or "Role access":
    per table its column headings and, per row, the heading and the texts of the cells."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.tables, self.title, self.cell, self.text = [], None, None, None

    def handle_starttag(self, tag, attrs):
        if tag == "table":
            self.tables.append({"caption": "", "columns": [], "rows": []})
        elif tag in ("caption", "th", "td", "h1"):
            self.cell, self.text = tag, ""
        if tag == "tr" and self.tables:
            self.tables[-1]["rows"].append([])
        if tag == "a" and self.cell == "td":
            self.text += "\x00mark"

    def handle_data(self, data):
        if self.cell:
            self.text += data

    def handle_endtag(self, tag):
        if tag != self.cell:
            return
        if tag == "h1":
            self.title = self.text
        elif tag == "caption":
            self.tables[-1]["caption"] = self.text
        elif tag in ("th", "td"):
            self.tables[-1]["rows"][-1].append(self.text)
        self.cell = None


def summary(folder):
    lines = [f"page {name}" for name in sorted(os.listdir(folder))]
    for name in sorted(n for n in os.listdir(folder) if n.startswith("database-")):
        page = Matrices()
        with open(os.path.join(folder, name), encoding="utf-8") as f:
            page.feed(f.read())
        for table in page.tables:
            kind = {"Dimension usage": "usage", "Role access": "access"}.get(table["caption"].split(":")[0])
            if not kind:
                continue
            columns = table["rows"][0]
            for row in table["rows"][1:-1]:  # the last row holds the totals
                marked = [columns[i] for i, cell in enumerate(row) if "\x00mark" in cell]
                lines.append(f"{kind} {page.title} | {row[0]} | {', '.join(marked)}")
            totals = table["rows"][-1]
            lines.append(f"{kind}-totals {page.title} | {' '.join(totals[1:])}")
    return "\n".join(lines) + "\n"


def check_expected(tmp):
    harbor = os.path.join(SOURCE, "tests", "data", "schemas", "HarborSales.asdatabase")
    for server, expected in ((os.path.join(SERVERS, "sample.json"), "sample.txt"),
                             (os.path.join(SERVERS, "FoodMart.xml"), "foodmart.txt"), (harbor, "harbor.txt")):
        folder = os.path.join(tmp, expected[:-4])
        site(server, folder)
        got = summary(folder)
        path = os.path.join(EXPECTED, expected)
        if UPDATE:
            with open(path, "w", encoding="utf-8") as f:
                f.write(got)
        with open(path, encoding="utf-8") as f:
            if f.read() != got:
                failures.append(f"the site of {server} differs from {path} (--update shows how)")


def check_foodmart_usage(tmp):
    """Every dimension a cube of the schema names is marked in the cube's row (the schema's own
    dimensions as the reader names them, CUBE^NAME)."""
    rows = {}
    for line in summary(os.path.join(tmp, "foodmart")).splitlines():
        if line.startswith("usage "):
            _, cube, marked = line.split(" | ")
            rows[cube] = set(marked.split(", "))
    schema = ElementTree.parse(os.path.join(SERVERS, "FoodMart.xml")).getroot()
    for cube in schema.iter("Cube"):
        name = cube.get("name")
        wanted = {u.get("name") for u in cube.findall("DimensionUsage")}
        wanted |= {f"{name}^{d.get('name')}" for d in cube.findall("Dimension")}
        if not wanted <= rows.get(name, set()):
            failures.append(f"FoodMart cube {name}: {sorted(wanted - rows.get(name, set()))} not marked")


def check_replacing(tmp):
    sample = os.path.join(SERVERS, "sample.json")
    foreign = os.path.join(tmp, "foreign")
    os.mkdir(foreign)
    with open(os.path.join(foreign, "notes.txt"), "w") as f:
        f.write("keep me")
    run = site(sample, foreign, expect=1)
    if "foreign" not in run.stderr.decode() or os.listdir(foreign) != ["notes.txt"]:
        failures.append(f"a folder not ours was touched or not named: {run.stderr.decode()}")
    with open(os.path.join(tmp, "a-file"), "w") as f:
        f.write("x")
    site(sample, os.path.join(tmp, "a-file"), expect=1)

    ours = os.path.join(tmp, "ours")
    site(os.path.join(SERVERS, "FoodMart.xml"), ours)
    site(sample, ours + "/")  # a trailing slash names the same folder
    again = os.path.join(tmp, "again")
    site(sample, again)
    same = filecmp.dircmp(ours, again)
    if same.left_only or same.right_only or filecmp.cmpfiles(ours, again, os.listdir(again), shallow=False)[1:] != ([], []):
        failures.append("a replaced site is not the site of a fresh run (or two runs differ)")
    site(os.path.join(SERVERS, "no such server"), ours, expect=1)
    if sorted(os.listdir(ours)) != sorted(os.listdir(again)):
        failures.append("a failed run changed the site already there")
    leftovers = [n for n in os.listdir(tmp) if n.startswith(".")]
    if leftovers:
        failures.append(f"staging folders left behind: {leftovers}")


def check_file_names(tmp):
    """Page names follow doc/site.md: KIND-SLUG-HASH.html, the slug the name's ASCII letters and
    digits in lower case (every other run one '-', at most 40), the hash 12 hex digits of the
    SHA-256 of kind, database and name, each ended by NUL. Names at the edges of the ranges."""
    names = {"AZaz09": "azaz09", "@[`{/:": "", "Ab 9!z": "ab-9-z", "x" * 41: "x" * 40,
             "Ünïcode Z": "n-code-z"}
    server = {"format": "olap-server/1", "name": "Names", "databases": [{"name": "DB", "cubes": [
        {"name": n, "estimatedSize": 0, "lastProcessed": "2026-01-01T00:00:00"} for n in names]}]}
    path = os.path.join(tmp, "names.json")
    with open(path, "w", encoding="utf-8") as f:
        json.dump(server, f)
    folder = os.path.join(tmp, "names")
    site(path, folder)
    pages = set(os.listdir(folder)) if os.path.isdir(folder) else set()
    for name, slug in names.items():
        digest = hashlib.sha256(b"\0".join(p.encode() for p in ("cube", "DB", name)) + b"\0").hexdigest()
        page = f"cube-{slug + '-' if slug else ''}{digest[:12]}.html"
        if page not in pages:
            failures.append(f"no page {page} for the cube {name!r}")


# The sections of each kind of page, with the anchors links reach them by ("calculated-members"
# only on a cube that has some).
SECTIONS = {
    "database": [("cubes", "Cubes"), ("dimensions", "Shared dimensions"), ("roles", "Roles"),
                 ("dimension-usage", "Dimension usage"), ("role-access", "Role access")],
    "cube": [("dimensions", "Dimensions"), ("measures", "Measures"), ("partitions", "Partitions"),
             ("roles", "Roles")],
    "dimension": [("levels", "Levels"), ("cubes", "Cubes using it")],
    "role": [("users", "Users"), ("cubes", "Cubes it reaches")],
}


def check_sections(tmp):
    """Every page is whole, with the search box's index and script; each kind of page has its
    sections."""
    folder = os.path.join(tmp, "sample")
    for name in sorted(n for n in os.listdir(folder) if n.endswith(".html")):
        with open(os.path.join(folder, name), encoding="utf-8") as f:
            text = f.read()
        if not text.endswith("</body></html>\n"):
            failures.append(f"{name} does not end its document")
        for script in ("search-index.js", "search.js"):
            if f'<script src="{script}"></script>' not in text:
                failures.append(f"{name} does not load {script}")
        kind = name.split("-")[0]
        if kind not in SECTIONS:
            continue
        found = re.findall(r'<h2 id="([^"]*)">([^<]*)</h2>', text)
        found = [section for section in found if section[0] != "calculated-members"]
        if found != SECTIONS[kind]:
            failures.append(f"{name}: sections {found}, not {SECTIONS[kind]}")


with tempfile.TemporaryDirectory() as tmp:
    check_expected(tmp)
    check_sections(tmp)
    check_file_names(tmp)
    check_foodmart_usage(tmp)
    check_replacing(tmp)

for failure in failures:
    print("FAIL:", failure)
sys.exit(1 if failures else 0)
