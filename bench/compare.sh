#!/usr/bin/env bash
# Runs quillo-bench and the sqlite3 shell on the same generated catalogue with the
# same SQL, and prints each figure beside the shell's and their ratio.
# Usage: bench/compare.sh [build-dir] [books]
set -euo pipefail
build=${1:-build}
books=${2:-100000}
bench="$build/bench/quillo-bench"
[ -x "$bench" ] || { echo "build first: $bench is missing" >&2; exit 1; }
if ! command -v sqlite3 >/dev/null; then
  if [ "$(id -u)" -eq 0 ]; then apt-get install -y -q --no-install-recommends sqlite3 >/dev/null
  else sudo apt-get install -y -q --no-install-recommends sqlite3 >/dev/null; fi
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$bench" --db "$work/bench.db" --books "$books" --emit-sql "$work/sql"
"$bench" --db "$work/bench.db" --books "$books" --csv "$work/quillo.csv" > "$work/ours.tsv"
# The shell imports UTF-8; the file is the one Quillo exported.
iconv -f CP932 -t UTF-8 "$work/quillo.csv" > "$work/sql/import-utf8.csv"

# The shell runs the scripts in the same order on the untouched catalogue, so each
# script meets the table in the state the store met it in.
cp "$work/bench.db.pristine" "$work/shell.db"
now() { date +%s%N; }
: > "$work/shell.tsv"
for figure in open_query_all filter_all_text_fields search_walk_100 append_apply renumber; do
  start=$(now)
  sqlite3 "$work/shell.db" < "$work/sql/$figure.sql" > /dev/null
  end=$(now)
  printf '%s_ms\t%s\n' "$figure" "$(( (end - start) / 100000 ))e-1" >> "$work/shell.tsv"
done
cp "$work/bench.db.pristine" "$work/shell-export.db"
rm -f "$work/shell-import.db"
for run in "export_csv shell-export.db" "import_apply_csv shell-import.db"; do
  set -- $run
  [ "$1" = import_apply_csv ] && sqlite3 "$work/shell-import.db" "create table quillo (ID INTEGER PRIMARY KEY, Title TEXT, Writer TEXT, Publisher TEXT, PubDate DATE, BuyDate DATE, SubTitle TEXT, Kind TEXT, Translator TEXT, Memo TEXT, Writer2 TEXT, Writer3 TEXT, Writer4 TEXT, Writer5 TEXT)"
  start=$(now)
  sqlite3 "$work/$2" < "$work/sql/$1.sql" > /dev/null
  end=$(now)
  printf '%s_ms\t%s\n' "$1" "$(( (end - start) / 100000 ))e-1" >> "$work/shell.tsv"
done

printf '%-28s %12s %12s %8s\n' figure quillo sqlite3 ratio
while IFS=$'\t' read -r name ours; do
  shell=$(awk -F'\t' -v n="$name" '$1 == n { print $2 }' "$work/shell.tsv")
  if [ -n "$shell" ]; then
    awk -v n="$name" -v a="$ours" -v b="$shell" \
      'BEGIN { printf "%-28s %12.1f %12.1f %8.2f\n", n, a, b + 0, (b > 0 ? a / b : 0) }'
  else
    printf '%-28s %12s %12s %8s\n' "$name" "$ours" - -
  fi
done < "$work/ours.tsv"
