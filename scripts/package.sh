#!/usr/bin/env bash
# Builds the Debian package: installs what is missing and builds (as ./test
# does), then lets CPack make build/zefweb_VERSION_ARCH.deb from the install
# rules (packaging/CMakeLists.txt). Install it with
#   sudo apt install ./build/zefweb_*.deb
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh"
build="$root/build"
cpack --config "$build/CPackConfig.cmake" -B "$build" >&2
rm -rf "$build/_CPack_Packages"
ls "$build"/zefweb_*.deb
