#!/bin/sh
# Installs the build into a fresh temporary prefix and checks that the program,
# its sound module, its desktop entry and metadata, the icons and the manual
# page land where the program and the desktop look for them, and that the
# program is installed byte for byte: it checks its own digest at start-up, so
# a changed RPATH or a strip would stop it.
# Usage: check_install.sh BUILD_FOLDER BUILT_PROGRAM
set -eu

build=$1
program=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null

status=0
for file in \
    bin/zefweb \
    lib/zefweb/libzefsound.so \
    share/applications/zefweb.desktop \
    share/metainfo/org.example.ZefWeb.metainfo.xml \
    share/icons/hicolor/scalable/apps/zefweb.svg \
    share/icons/hicolor/16x16/apps/zefweb.png \
    share/icons/hicolor/48x48/apps/zefweb.png \
    share/icons/hicolor/256x256/apps/zefweb.png \
    share/man/man1/zefweb.1.gz
do
    if [ ! -s "$prefix/$file" ]; then
        echo "missing after install: $file" >&2
        status=1
    fi
done
if [ ! -x "$prefix/bin/zefweb" ]; then
    echo "bin/zefweb is not executable" >&2
    status=1
elif ! cmp -s "$program" "$prefix/bin/zefweb"; then
    echo "bin/zefweb differs from the built program" >&2
    status=1
fi
exit $status
