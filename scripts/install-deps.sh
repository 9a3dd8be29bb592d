#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Velmora needs.
# Idempotent: packages already present are left alone.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive

packages=(
  build-essential cmake ninja-build pkg-config git
  libgtest-dev libgmock-dev libbenchmark-dev
  nlohmann-json3-dev libstb-dev
  libgtk-3-dev libwebkit2gtk-4.1-dev
  librtaudio-dev librtmidi-dev libasound2-dev libjack-jackd2-dev
  jackd2 xvfb xauth dbus-x11 at-spi2-core x11-utils openbox
  nodejs npm chromium
  python3-gi python3-gi-cairo python3-fonttools fonts-dejavu-core python3-mido
  clang-14 libclang-rt-14-dev lld
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
# Node may come with the machine rather than from Debian; keep that one.
if command -v node >/dev/null && command -v npm >/dev/null; then
  missing=("${missing[@]/nodejs}"); missing=("${missing[@]/npm}")
fi
filtered=()
for p in "${missing[@]}"; do [ -n "$p" ] && filtered+=("$p"); done

if [ ${#filtered[@]} -gt 0 ]; then
  echo "install-deps: installing ${filtered[*]}"
  apt-get update -q
  # jackd2 asks about real-time priority; answer it up front.
  echo "jackd2 jackd/tweak_rt_limits boolean false" | debconf-set-selections
  apt-get install -y -q --no-install-recommends "${filtered[@]}"
else
  echo "install-deps: all packages present"
fi

# The editor page's Japanese font: unpacked into the page build's own folder, never installed, so that
# fontconfig keeps seeing no CJK font and the page's tests show what its inlined fonts draw.
bash "$(dirname "$0")/../webui/scripts/fetch-fonts.sh"
