#!/usr/bin/env bash
# Puts the Japanese source font of the page build into webui/.fonts (or VLM_PAGE_FONTS_DIR), unpacked from
# Debian's package rather than installed: fontconfig must not see it, so that a machine without CJK fonts
# stays one and the page's own fonts are what shows. Idempotent.
set -euo pipefail
dir=${VLM_PAGE_FONTS_DIR:-$(cd "$(dirname "$0")/.." && pwd)/.fonts}
font=$dir/ipagp.ttf
[ -s "$font" ] && exit 0
mkdir -p "$dir"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A machine whose package lists were never fetched knows no package to download: fetch them once.
(cd "$work" && { apt-get download -q fonts-ipafont-gothic >/dev/null 2>&1 ||
  { apt-get update -q >/dev/null && apt-get download -q fonts-ipafont-gothic >/dev/null; }; })
dpkg-deb -x "$work"/fonts-ipafont-gothic_*.deb "$work/x"
cp "$(find "$work/x" -name ipagp.ttf | head -1)" "$font.part"
mv "$font.part" "$font"
echo "fetch-fonts: $font"
