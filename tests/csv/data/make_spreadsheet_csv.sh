#!/usr/bin/env bash
# Saves the project's sample catalogue again as LibreOffice Calc does (Japanese
# locale): the files the import must read as a user's spreadsheet writes them.
# Needs LibreOffice (libreoffice-calc-nogui); run it from this folder. The files
# it writes are committed, so the tests need no spreadsheet.
set -euo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
sample=../../../samples/books-sample.csv
in="CSV:44,34,64,1,,1041"  # comma, double quote, Shift-JIS, from line 1, Japanese
calc() {  # calc SOURCE FILTER-OPTIONS TARGET
  cp "$1" "$work/book.csv"
  soffice --headless --infilter="$in" \
    --convert-to "csv:Text - txt - csv (StarCalc):$2" --outdir "$work/out" "$work/book.csv" \
    >/dev/null 2>&1
  mv "$work/out/book.csv" "$3"
}
# Shift-JIS, cells saved as their values: the empty Writer4 and Writer5 columns
# are left off every line.
calc "$sample" "44,34,64,1,,1041,false,false,false" calc-sjis.csv
# The same with the cells saved as shown: the dates come out as 8月13日.
calc "$sample" "44,34,64,1,,1041,false,false,true" calc-sjis-dates-as-shown.csv
# UTF-8, and "Unicode text" (UTF-16 little-endian with its mark, tab-separated).
calc "$sample" "44,34,76,1,,1041,false,false,false" calc-utf8.csv
calc "$sample" "9,34,65535,1,,1041,false,false,false" calc-utf16le.txt
# The same bytes big-endian, as other programs write "Unicode text".
{ printf '\xFE\xFF'; tail -c +3 calc-utf16le.txt | iconv -f UTF-16LE -t UTF-16BE; } \
  > calc-utf16be.txt
# With a heading line of the columns' labels above the books.
{ printf '%s\r\n' "書名,著者名,出版社,初版発行日,購入日,副題,分類,翻訳者,著者名２,著者名３,著者名４,著者名５" \
    | iconv -f UTF-8 -t CP932; cat "$sample"; } > "$work/headed.csv"
calc "$work/headed.csv" "44,34,64,1,,1041,false,false,false" calc-sjis-heading.csv
