#!/usr/bin/env bash
# Runs the catalogue store and quillo-csv against the sqlite3 shell on the same
# generated catalogue with the same SQL, and prints each figure beside the
# shell's and their ratio. What each figure includes:
#
#   open_query_all_ms          opening the store and its one sorted read of every
#                              book (as the window starts) | the shell: that SELECT
#   filter_all_text_fields_ms  the filter on every text field, re-read sorted |
#                              the same SELECT
#   search_walk_100_ms         a search and 99 "next" in the store's rows | the
#                              shell's search SELECT
#   append_apply_ms            appending N books as pending rows, applying them and
#                              sorting the list in memory | N INSERTs in one
#                              transaction and the sorted SELECT
#   sort_change_in_memory_ms   the list of every book put in another order, in
#                              memory (no shell figure)
#   filter_off_ms              a filter removed: every book read again, sorted
#                              (no shell figure)
#   renumber_ms                closing the store: IDs renumbered to 1..N | the same
#                              UPDATEs in one transaction
#   export_csv_ms              the window's export (store, in-process) | the
#                              shell's .mode csv SELECT into a file
#   import_apply_csv_ms        the window's import as pending rows and their apply
#                              | .import into a temporary table, INSERT ... SELECT
#   csv_tool_export_ms/_mb     quillo-csv export as a process: wall time from
#                              start to end, peak memory | the shell's export, the
#                              same way
#   csv_tool_import_ms/_mb     quillo-csv import of that export into an empty
#                              catalogue | the shell's import, the same way
#
# The shell reads UTF-8, so it imports a UTF-8 copy of the file Quillo exported.
# Usage: bench/compare.sh [build-dir] [books] [--markdown]
# With --markdown the figures come as the table docs/performance.md shows.
set -euo pipefail
build=${1:-build}
books=${2:-100000}
markdown=${3:-}
bench="$build/bench/quillo-bench"
measure="$build/bench/quillo-measure"
tool="$build/src/csv/quillo-csv"
for program in "$bench" "$measure" "$tool"; do
  [ -x "$program" ] || { echo "build first: $program is missing" >&2; exit 1; }
done
if ! command -v sqlite3 >/dev/null; then
  if [ "$(id -u)" -eq 0 ]; then apt-get install -y -q --no-install-recommends sqlite3 >/dev/null
  else sudo apt-get install -y -q --no-install-recommends sqlite3 >/dev/null; fi
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$bench" --db "$work/bench.db" --books "$books" --emit-sql "$work/sql"
"$bench" --db "$work/bench.db" --books "$books" --csv "$work/quillo.csv" > "$work/ours.tsv"
iconv -f CP932 -t UTF-8 "$work/quillo.csv" > "$work/sql/import-utf8.csv"
create="create table quillo (ID INTEGER PRIMARY KEY, Title TEXT, Writer TEXT, Publisher TEXT,"
create+=" PubDate DATE, BuyDate DATE, SubTitle TEXT, Kind TEXT, Translator TEXT, Memo TEXT,"
create+=" Writer2 TEXT, Writer3 TEXT, Writer4 TEXT, Writer5 TEXT)"

# Prints "name_ms<TAB>ms" (and "name_mb<TAB>MB" when asked) for one measured run.
record() {
  local name=$1 with_memory=$2; shift 2
  local figures
  figures=$("$measure" "$@")
  printf '%s_ms\t%s\n' "$name" "${figures%%$'\t'*}"
  [ "$with_memory" = yes ] && printf '%s_mb\t%s\n' "$name" "${figures##*$'\t'}"
  return 0
}

# The shell runs the scripts in the same order on the untouched catalogue, so each
# script meets the table in the state the store met it in.
cp "$work/bench.db.pristine" "$work/shell.db"
: > "$work/shell.tsv"
for figure in open_query_all filter_all_text_fields search_walk_100 append_apply renumber; do
  record "$figure" no --stdin "$work/sql/$figure.sql" sqlite3 "$work/shell.db" >> "$work/shell.tsv"
done
cp "$work/bench.db.pristine" "$work/shell-export.db"
record export_csv no --stdin "$work/sql/export_csv.sql" sqlite3 "$work/shell-export.db" \
  >> "$work/shell.tsv"
rm -f "$work/shell-import.db" && sqlite3 "$work/shell-import.db" "$create"
record import_apply_csv no --stdin "$work/sql/import_apply_csv.sql" \
  sqlite3 "$work/shell-import.db" >> "$work/shell.tsv"

# The tool and the shell as whole processes, each run three times (the median
# counts), alternating so both meet the same cache.
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
for run in 1 2 3; do
  cp "$work/bench.db.pristine" "$work/tool-export.db"
  record csv_tool_export yes "$tool" export "$work/tool.csv" --db "$work/tool-export.db" \
    >> "$work/ours-tool.tsv"
  cp "$work/bench.db.pristine" "$work/shell-export.db"
  record csv_tool_export yes --stdin "$work/sql/export_csv.sql" sqlite3 "$work/shell-export.db" \
    >> "$work/shell-tool.tsv"
  rm -f "$work/tool-import.db" "$work/shell-import.db"
  sqlite3 "$work/tool-import.db" "$create"
  sqlite3 "$work/shell-import.db" "$create"
  record csv_tool_import yes "$tool" import "$work/quillo.csv" --db "$work/tool-import.db" \
    >> "$work/ours-tool.tsv"
  record csv_tool_import yes --stdin "$work/sql/import_apply_csv.sql" \
    sqlite3 "$work/shell-import.db" >> "$work/shell-tool.tsv"
done
for side in ours shell; do
  for name in csv_tool_export_ms csv_tool_export_mb csv_tool_import_ms csv_tool_import_mb; do
    printf '%s\t%s\n' "$name" \
      "$(awk -F'\t' -v n="$name" '$1 == n { print $2 }' "$work/$side-tool.tsv" | median)"
  done >> "$work/$side.tsv"
done

if [ "$markdown" = --markdown ]; then
  printf '| figure (%s books) | Quillo | sqlite3 | ratio |\n|---|---|---|---|\n' "$books"
  row='| %s | %.1f | %.1f | %.2f |\n'
  bare='| %s | %s | %s | %s |\n'
else
  printf '%-28s %12s %12s %8s   (%s books)\n' figure quillo sqlite3 ratio "$books"
  row='%-28s %12.1f %12.1f %8.2f\n'
  bare='%-28s %12s %12s %8s\n'
fi
while IFS=$'\t' read -r name ours; do
  shell=$(awk -F'\t' -v n="$name" '$1 == n { print $2 }' "$work/shell.tsv")
  if [ -n "$shell" ]; then
    awk -v n="$name" -v a="$ours" -v b="$shell" -v f="$row" \
      'BEGIN { printf f, n, a, b + 0, (b > 0 ? a / b : 0) }'
  else
    # shellcheck disable=SC2059
    printf "$bare" "$name" "$ours" - -
  fi
done < "$work/ours.tsv"
