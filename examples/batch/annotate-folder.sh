#!/usr/bin/env bash
# Annotates every sheet (*.json) of a folder with `zkl-labeller auto`, as many runs at a time
# as there are cores, through GNU parallel. Each sheet's annotated copy and its run report
# go to the output folder: OUT/NAME.json and OUT/NAME.report.json; parallel's job log
# (one line a run, with its exit status) goes to OUT/jobs.log.
#
#   annotate-folder.sh SHEETS OUT [PARALLEL OPTION...]
#
# Options after the two folders go to parallel as they are: `-j 4` caps the runs a host
# does at a time, `--sshloginfile hosts.txt` spreads the runs over the hosts listed there
# (":" for this one). Every host must see both folders and the program under the same
# paths, as on a shared file system; the folders are made absolute here for that reason.
#
# ZKL_LABELLER names the program (default: zkl-labeller on the PATH); ZKL_CONFIG names one
# configuration for every sheet (default: ZKL_Labeller.ini beside each sheet).
#
# Exit status: 0 when every sheet was annotated, 1 when a run failed or left no report,
# 2 for a bad command line. A failed run writes no sheet, only its report, which says why;
# examples/batch/summarise-reports.py sums the reports up.
set -euo pipefail

if [ $# -lt 2 ]; then
    echo "usage: $0 SHEETS OUT [PARALLEL OPTION...]" >&2
    exit 2
fi
sheets=$1
out=$2
shift 2
if [ ! -d "$sheets" ]; then
    echo "$0: the sheet folder '$sheets' does not exist" >&2
    exit 2
fi
mkdir -p "$out"
sheets=$(cd "$sheets" && pwd)
out=$(cd "$out" && pwd)
if [ "$sheets" = "$out" ]; then
    # The reports are JSON too: a second run would take them for sheets.
    echo "$0: the output folder must not be the sheet folder" >&2
    exit 2
fi

program=${ZKL_LABELLER:-zkl-labeller}
case $program in
    */*) program=$(cd "$(dirname "$program")" && pwd)/$(basename "$program") ;;
esac
config=()
if [ -n "${ZKL_CONFIG:-}" ]; then
    config=(--config "$(cd "$(dirname "$ZKL_CONFIG")" && pwd)/$(basename "$ZKL_CONFIG")")
fi

status=0
# parallel's exit status is the number of failed runs; a run killed before it could write
# its report (out of memory, a lost host) is found by the check after it.
find "$sheets" -maxdepth 1 -type f -name '*.json' -print0 | LC_ALL=C sort -z |
    parallel --null --quote --joblog "$out/jobs.log" "$@" \
        "$program" auto {} -o "$out/{/.}.json" --report "$out/{/.}.report.json" -q "${config[@]}" ||
    status=1

while IFS= read -r -d '' sheet; do
    if [ ! -f "$out/$(basename "$sheet" .json).report.json" ]; then
        echo "$0: no report for '$sheet'" >&2
        status=1
    fi
done < <(find "$sheets" -maxdepth 1 -type f -name '*.json' -print0)
exit $status
