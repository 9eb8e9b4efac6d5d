#!/usr/bin/python3
"""kavenor check's SARIF output as code-review tools take it.

    sarif_check.py structure|schema KAVENOR SOURCE_DIR SCHEMA_FILE

structure: what GitHub code scanning and other SARIF consumers read is there and consistent
(version, driver and rules with their help and default level, results naming a known rule with
a message, a physical location with a region for files, a logical location always) and the
results are those of the JSON output. schema: the output validates against the official SARIF
2.1.0 schema (python3-jsonschema); exit 77 (skipped) when setup has not fetched the schema.
"""
import json
import os
import subprocess
import sys

import jsonschema

MODE, KAVENOR, SOURCE, SCHEMA = sys.argv[1:5]
DATA = os.path.join(SOURCE, "tests", "data", "check")
ENV = dict(os.environ, SOURCE_DATE_EPOCH="1764511500", LC_ALL="C", TZ="UTC")
failures = []


def check(*args, cwd=None):
    run = subprocess.run([KAVENOR, "check", *args], capture_output=True, env=ENV, cwd=cwd, timeout=120)
    if run.returncode not in (0, 1):
        failures.append(f"kavenor check {' '.join(args)}: exit {run.returncode}: {run.stderr.decode()}")
        return {}
    return json.loads(run.stdout)


# FoodMart as the issue names it, an example with a relative path (as in a repository), and one
# with every rule on through a configuration.
CASES = [
    (["--server", os.path.join(SOURCE, "samples", "servers", "FoodMart.xml")], None),
    (["--server", "formula-unknown-measure.fail.json"], DATA),
    (["--server", "level-without-source.fail.xml"], DATA),
]


def expect(condition, what):
    if not condition:
        failures.append(what)


def structure(log, json_output):
    expect(log.get("version") == "2.1.0", "version is not 2.1.0")
    expect(str(log.get("$schema", "")).endswith("sarif-2.1.0.json"), "no $schema")
    expect(len(log.get("runs", [])) == 1, "not one run")
    run = log["runs"][0]
    driver = run["tool"]["driver"]
    expect(driver.get("name") == "kavenor" and driver.get("version"), "driver without name or version")
    rules = driver.get("rules", [])
    ids = [rule["id"] for rule in rules]
    expect(len(ids) >= 15 and len(set(ids)) == len(ids), "fewer than 15 rules, or ids twice")
    for rule in rules:
        for part in ("shortDescription", "fullDescription", "help"):
            expect(rule.get(part, {}).get("text"), f"rule {rule['id']} without {part}")
        expect(rule.get("defaultConfiguration", {}).get("level") in ("note", "warning", "error"),
               f"rule {rule['id']} without a default level")
    results = run.get("results", [])
    for result in results:
        where = f"result {result.get('ruleId')}"
        expect(result.get("ruleId") in ids, f"{where}: unknown rule")
        expect(ids[result.get("ruleIndex", -1)] == result.get("ruleId"), f"{where}: ruleIndex")
        expect(result.get("level") in ("note", "warning", "error"), f"{where}: level")
        expect(result.get("message", {}).get("text"), f"{where}: no message")
        location = result["locations"][0]
        physical = location.get("physicalLocation", {})
        expect(physical.get("artifactLocation", {}).get("uri"), f"{where}: no file")
        region = physical.get("region", {})
        expect(region.get("startLine", 0) >= 1 and region.get("startColumn", 0) >= 1, f"{where}: no region")
        expect(location.get("logicalLocations", [{}])[0].get("fullyQualifiedName"), f"{where}: no object path")
    # The same findings as the JSON output, in order.
    findings = json_output.get("findings", [])
    expect([(r["ruleId"], r["message"]["text"], r["locations"][0]["physicalLocation"]["region"]["startLine"])
            for r in results] == [(f["rule"], f["message"], f["line"]) for f in findings],
           "the SARIF results are not the JSON findings")


if MODE == "schema" and not os.path.exists(SCHEMA):
    print(f"SKIPPED: {SCHEMA} is not there (scripts/setup.sh fetches it from npm)")
    sys.exit(77)
schema = json.load(open(SCHEMA, encoding="utf-8")) if MODE == "schema" else None
for args, cwd in CASES:
    log = check(*args, "--format", "sarif", cwd=cwd)
    if not log:
        continue
    if MODE == "structure":
        structure(log, check(*args, "--format", "json", cwd=cwd))
        expect(log["runs"][0]["results"], f"{args}: no results")
    else:
        validator = jsonschema.validators.validator_for(schema)(schema, format_checker=jsonschema.FormatChecker())
        for error in validator.iter_errors(log):
            failures.append(f"{args}: {'/'.join(map(str, error.absolute_path))}: {error.message}")

for failure in failures:
    print("FAIL:", failure)
print(f"{MODE}: {len(CASES) - len(failures) if not failures else 0} passed, {len(failures)} failed")
sys.exit(1 if failures else 0)
