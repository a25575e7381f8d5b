#!/usr/bin/env bash
# Shared set-up of ./run and ./test: installs the Debian packages that are
# missing, then configures (once) and builds incrementally into build/.
# Usage: scripts/setup.sh [ninja target...]
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

packages=(
  cmake ninja-build g++ pkg-config ccache
  qt6-base-dev qt6-multimedia-dev qt6-translations-l10n libjpeg62-turbo-dev libsqlite3-dev fonts-liberation fonts-dejavu-core fonts-wqy-microhei
  libgstreamer1.0-dev gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  libgtest-dev libgmock-dev libbenchmark-dev libgif-dev
  xvfb xauth xdotool xclip imagemagick poppler-utils desktop-file-utils python3 groff-base
  time xdg-utils
  dpkg-dev file lintian appstream
)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}" >&2
  sudo=()
  [[ $(id -u) -eq 0 ]] || sudo=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
fi

build="$root/build"
if [[ ! -f "$build/build.ninja" ]]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >&2
fi
cmake --build "$build" ${1:+--target "$@"} >&2
