#!/usr/bin/env bash
# Installs the Debian 12 packages Quillo needs to build, run and test, where any
# are missing. Needs root or sudo only when something is missing.
set -euo pipefail

packages=(g++ cmake ninja-build qt6-base-dev libqt6sql6-sqlite libsqlite3-dev libsqlitecpp-dev libicu-dev libjpeg-dev
          libqt6svg6 qt6-translations-l10n xvfb xauth fontconfig fonts-ipafont-gothic fonts-ipafont-mincho fonts-noto-cjk
          clang libclang-rt-14-dev poppler-utils libcups2-dev cups printer-driver-cups-pdf appstream desktop-file-utils
          lintian help2man dpkg-dev libmecab-dev mecab-ipadic-utf8 qt6-charts-dev libqt6opengl6-dev
          sqlite3 mecab mecab-utils enamdict skkdic-extra kanjidic libreoffice-calc-nogui)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  sudo=()
elif command -v sudo >/dev/null 2>&1; then
  sudo=(sudo)
else
  echo "These packages are missing and neither root nor sudo is available: ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
