#!/usr/bin/python3
"""The data formats checked with real tools: every JSON kavenor writes validates against the
schema in doc/ (python3-jsonschema), and the Markdown, rendered by cmark-gfm with its table
extension, holds the page's cells; names that Markdown or HTML would read as markup stay text.

    formats_check.py KAVENOR SOURCE_DIR
"""
import html.parser
import json
import os
import subprocess
import sys
import tempfile

import jsonschema

KAVENOR, SOURCE = sys.argv[1], sys.argv[2]
DATA = os.path.join(SOURCE, "tests", "data")
SAMPLE = os.path.join(SOURCE, "samples", "servers", "sample.json")
FOODMART = os.path.join(SOURCE, "samples", "servers", "FoodMart.xml")
HARBOR = os.path.join(DATA, "schemas", "HarborSales.asdatabase")
HOSTILE = os.path.join(DATA, "formats", "hostile.json")
ENV = dict(os.environ, SOURCE_DATE_EPOCH="1764511500", LC_ALL="C", TZ="UTC")
ENV.pop("DISPLAY", None)
failures = []


def kavenor(*args, expect=(0,)):
    run = subprocess.run([KAVENOR, *args], capture_output=True, env=ENV, timeout=120)
    if run.returncode not in expect:
        failures.append(f"kavenor {' '.join(args)}: exit {run.returncode}: {run.stderr.decode()}")
    return run.stdout.decode("utf-8")


class Cells(html.parser.HTMLParser):
    """The texts of the cells (th, td) of tables, and of emphasised paragraphs; tables drawn
    without a border (the page's header) are left out."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.cells, self.current, self.bordered = [], None, True

    def handle_starttag(self, tag, attrs):
        if tag == "table":
            self.bordered = dict(attrs).get("border", "1") != "0"
        elif tag in ("td", "th", "em") and self.bordered:
            if self.current is not None:
                self.cells.append(self.current)
            self.current = ""

    def handle_endtag(self, tag):
        if tag in ("td", "th", "em", "tr") and self.current is not None:
            self.cells.append(self.current)
            self.current = None

    def handle_data(self, data):
        if self.current is not None:
            self.current += data


def cells(markup):
    parser = Cells()
    parser.feed(markup)
    parser.close()
    return [" ".join(c.replace("\xa0", " ").split()) for c in parser.cells]


def render(markdown):
    return subprocess.run(["cmark-gfm", "-e", "table"], input=markdown.encode(), capture_output=True,
                          check=True).stdout.decode()


schema = json.load(open(os.path.join(SOURCE, "doc", "lorvantic.schema.json")))
validator = jsonschema.Draft202012Validator(schema)
servers = [SAMPLE, FOODMART, HARBOR, HOSTILE]

# Every kind of every server kind as JSON, the lists and a diff: all valid.
documents = []
for server in servers:
    for kind in ("cubes", "dimensions", "roles"):
        documents.append((f"report {kind} {server}", kavenor("report", kind, "--server", server, "--format", "json")))
    documents.append((f"list {server}", kavenor("list", "cubes", "--server", server, "--format", "json")))
documents.append(("diff", kavenor("diff", "--old", SAMPLE, "--new", os.path.join(DATA, "diff", "sample-edited.json"),
                                  "--format", "json", expect=(1,))))
# What a live server gave (recorded by tests/xmla's live test).
for kind in ("cubes", "dimensions", "roles"):
    path = os.path.join(DATA, "xmla", kind + ".json")
    documents.append((path, open(path, encoding="utf-8").read()))
for name, text in documents:
    for error in validator.iter_errors(json.loads(text)):
        failures.append(f"{name}: {error.message} at {list(error.absolute_path)}")
# The validator is no rubber stamp: a size that is not a number fails.
broken = json.loads(documents[0][1])
broken["databases"][0]["items"][0]["size"] = "700.00"
if validator.is_valid(broken):
    failures.append("a report whose size is a text passed the schema")

# The Markdown's tables hold the page's cells, in the page's order.
for server, kind, extra in [(SAMPLE, "cubes", []), (SAMPLE, "dimensions", []), (SAMPLE, "roles", []),
                            (FOODMART, "cubes", []), (HARBOR, "dimensions", []),
                            (SAMPLE, "cubes", ["--info", "Data Sources", "--info", "Measures"])]:
    page = cells(kavenor("report", kind, "--server", server, *extra))
    rendered = cells(render(kavenor("report", kind, "--server", server, "--format", "markdown", *extra)))
    if page != rendered:
        diverge = next((i for i, (a, b) in enumerate(zip(page, rendered)) if a != b), min(len(page), len(rendered)))
        failures.append(f"markdown of {kind} {os.path.basename(server)} differs from the page at cell {diverge}: "
                        f"page {page[diverge:diverge + 3]}, markdown {rendered[diverge:diverge + 3]}")

# Hostile names: every name of the JSON is a cell of the rendered Markdown, and nothing is markup.
for kind in ("cubes", "dimensions", "roles"):
    data = json.loads(kavenor("report", kind, "--server", HOSTILE, "--format", "json"))
    rendered = render(kavenor("report", kind, "--server", HOSTILE, "--format", "markdown"))
    found = set(cells(rendered))
    names = set()

    def collect(rows, dates):
        for row in rows:
            names.update(" ".join(v.split()) for k, v in row.items() if isinstance(v, str) and k not in dates)
            for section in row.get("sections", []):
                collect(section["rows"], {c["key"] for c in section["columns"] if c["type"] == "date"})

    for database in data["databases"]:
        collect(database["items"], {"lastProcessed"})
    for name in sorted(names - found):
        failures.append(f"{kind}: {name!r} is not a cell of the rendered markdown")
    for markup in ("<script", "<b>", "<i>", "<a ", "<img", "<del>", "<strong>", "<em>alert"):
        if markup in rendered:
            failures.append(f"{kind}: the rendered markdown holds markup {markup!r}")

for failure in failures:
    print("FAIL", failure)
print(f"formats: {len(failures)} failures")
sys.exit(1 if failures else 0)
