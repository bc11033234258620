#!/usr/bin/env bash
# Writes the manual page of one program from its own --help and --version, so
# each option is described in one place only, as NAME.1.gz in the current folder.
# Japanese text has no blanks to break lines at: the page allows a break
# between any two Japanese characters and is set ragged-right, unhyphenated.
# Usage: packaging/man-page.sh PROGRAM-FILE VERSION "what it is"
set -euo pipefail
program=$1 version=$2 summary=$3
name=$(basename "$program")
PATH="$(dirname "$program"):$PATH" LANG=C.UTF-8 LC_ALL=C.UTF-8 QT_QPA_PLATFORM=offscreen \
  help2man --locale=C.UTF-8 --no-info --no-discard-stderr --version-string="$version" --name="$summary" \
  --output="$name.1.tmp" "$name"
perl -CSD -pe '
  s/^(\.TH .*)$/$1\n.ad l\n.nh/;
  my $cjk = qr/[\p{Han}\p{Hiragana}\p{Katakana}\x{3000}-\x{303F}\x{FF00}-\x{FFEF}]/;
  s/($cjk)(?=$cjk)/$1\\:/g unless /^\.\\"/;
' "$name.1.tmp" > "$name.1"
rm -f "$name.1.tmp"
gzip -9n -f "$name.1"
