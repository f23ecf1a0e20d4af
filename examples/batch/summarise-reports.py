#!/usr/bin/env python3
"""Sums up the run reports of `zkl-labeller auto --report` (docs/batch.md).

    summarise-reports.py [--json] REPORT.json...

Prints one line of totals, then one line for each failed run with its error. The counts are
those of the runs that succeeded (a failed run writes no sheet); the seconds are those of
every run. With --json the totals are one JSON object instead. Exit status 1 when a run
failed or a report cannot be read.
"""
import json
import sys

COUNTS = ["areas", "labels", "freePlaces", "sideLabels", "dimensions", "probes"]


def summarise(paths):
    totals = {"sheets": 0, "annotated": 0, "failed": 0, **{key: 0 for key in COUNTS},
              "messages": 0, "seconds": 0.0}
    failures = []
    for path in paths:
        try:
            with open(path, encoding="utf-8") as file:
                report = json.load(file)
        except (OSError, ValueError) as error:
            failures.append(f"{path}: cannot be read: {error}")
            totals["sheets"] += 1
            totals["failed"] += 1
            continue
        totals["sheets"] += 1
        totals["seconds"] += report["seconds"]
        if report["exitStatus"] != 0:
            totals["failed"] += 1
            failures.append(f"{report['sheet']} (exit {report['exitStatus']}): {report['error']}")
            continue
        totals["annotated"] += 1
        for key in COUNTS:
            totals[key] += report[key]
        totals["messages"] += len(report["messages"])
    totals["seconds"] = round(totals["seconds"], 3)
    return totals, failures


def main(arguments):
    as_json = "--json" in arguments
    paths = [argument for argument in arguments if argument != "--json"]
    if not paths:
        print("usage: " + __doc__.strip().splitlines()[2].strip(), file=sys.stderr)
        return 2
    totals, failures = summarise(paths)
    if as_json:
        print(json.dumps({**totals, "failures": failures}, indent=2))
    else:
        print(f"{totals['sheets']} sheets: {totals['annotated']} annotated, {totals['failed']} failed; "
              f"{totals['areas']} areas, {totals['labels']} labels ({totals['freePlaces']} at a free place), "
              f"{totals['sideLabels']} side labels, {totals['dimensions']} dimensions, "
              f"{totals['probes']} probes, {totals['messages']} messages, {totals['seconds']} s")
        for failure in failures:
            print(f"failed: {failure}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
