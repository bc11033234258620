#!/usr/bin/env bash
# Retakes docs/report-page1.png: page 1 of the sample catalogue's printed list
# (portrait A4, default columns), made by quillo-report and drawn at 150 dpi,
# and the same books with every column on JIS B5.
set -euo pipefail
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/src/csv/quillo-csv" import samples/books-sample.csv --db "$work/book.db"
: > "$work/quillo.Ini"
"$build/src/print/quillo-report" "$work/list.pdf" --db "$work/book.db" --settings "$work/quillo.Ini"
pdftoppm -r 150 -f 1 -l 1 -png -singlefile "$work/list.pdf" docs/report-page1
# And docs/report-b5-all-columns.png: the same books, every column, JIS B5.
printf '[FieldVisible]\r\n' > "$work/all.Ini"
for key in ID Title Writer Publish PubDate BuyDate SubTitle Kind Translator Memo Writer2 Writer3 Writer4 Writer5; do
    printf '%s=1\r\n' "$key" >> "$work/all.Ini"
done
"$build/src/print/quillo-report" "$work/b5.pdf" --db "$work/book.db" --settings "$work/all.Ini" --paper B5
pdftoppm -r 150 -f 1 -l 1 -png -singlefile "$work/b5.pdf" docs/report-b5-all-columns
