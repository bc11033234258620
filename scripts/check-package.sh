#!/usr/bin/env bash
# Checks a built Quillo package: the files it holds, and that its tools run from
# a scratch root they were unpacked into (dpkg -x, nothing installed).
# Usage: scripts/check-package.sh quillo_VERSION_ARCH.deb
set -euo pipefail
deb=$1
listing=$(dpkg-deb -c "$deb" | awk '{ print $6 }')
expected=(
  ./usr/bin/quillo
  ./usr/bin/quillo-csv
  ./usr/bin/quillo-report
  ./usr/share/applications/quillo.desktop
  ./usr/share/metainfo/io.github.quillo.Quillo.metainfo.xml
  ./usr/share/icons/hicolor/scalable/apps/quillo.svg
  ./usr/share/quillo/help/index.html
  ./usr/share/doc/quillo/copyright
  ./usr/share/doc/quillo/changelog.gz
  ./usr/share/man/man1/quillo.1.gz
  ./usr/share/man/man1/quillo-csv.1.gz
  ./usr/share/man/man1/quillo-report.1.gz
)
for file in "${expected[@]}"; do
  grep -qx -- "$file" <<<"$listing" || { echo "missing from the package: $file" >&2; exit 1; }
done
if grep -E 'tst_|bench|fuzz' <<<"$listing"; then
  echo "test or benchmark files in the package" >&2
  exit 1
fi

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"
help=$("$root/usr/bin/quillo-csv" --help)
grep -q "import" <<<"$help" || { echo "quillo-csv --help printed no usage" >&2; exit 1; }
"$root/usr/bin/quillo-report" --help | grep -q "PDF" || { echo "quillo-report --help failed" >&2; exit 1; }
version=$(dpkg-deb -f "$deb" Version)
# The readings need MeCab's library (found by dpkg-shlibdeps) and its dictionary; the
# statistics need Qt Charts (found likewise).
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libmecab2 mecab-ipadic-utf8 libqt6charts6 enamdict skkdic-extra kanjidic; do
  grep -q "$needed" <<<"$depends" || { echo "the package does not depend on $needed" >&2; exit 1; }
done
for tool in quillo quillo-csv quillo-report; do
  [ "$(env -u DISPLAY "$root/usr/bin/$tool" --version)" = "Quillo $version" ] ||
    { echo "$tool --version does not print $version" >&2; exit 1; }
done
zcat "$root/usr/share/man/man1/quillo-csv.1.gz" | grep -q 'separator' ||
  { echo "the manual page of quillo-csv lacks its options" >&2; exit 1; }
echo "package ok: $(basename "$deb"), ${#expected[@]} expected files, tools run from $root"
