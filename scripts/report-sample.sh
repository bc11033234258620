#!/usr/bin/env bash
# Retakes docs/report-page1.png: page 1 of the sample catalogue's printed list
# (portrait A4, default columns), made by quillo-report and drawn at 150 dpi.
set -euo pipefail
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/src/csv/quillo-csv" import samples/books-sample.csv --db "$work/book.db"
: > "$work/quillo.Ini"
"$build/src/print/quillo-report" "$work/list.pdf" --db "$work/book.db" --settings "$work/quillo.Ini"
pdftoppm -r 150 -f 1 -l 1 -png -singlefile "$work/list.pdf" docs/report-page1
