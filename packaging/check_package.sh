#!/bin/sh
# Builds the Debian package into a temporary folder, without installing it,
# and checks it: every file the program and the desktop look for is in it
# (dpkg-deb -c), its control fields name the libraries and the run-time
# packages (dpkg-deb -I), zefweb is in it byte for byte (it checks its own
# digest), lintian reports no error, and its desktop entry and AppStream
# metadata validate.
# Usage: check_package.sh BUILD_FOLDER BUILT_PROGRAM
set -eu

build=$1
program=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if ! cpack --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    exit 1
fi
set -- "$work"/zefweb_*.deb
deb=$1
[ -f "$deb" ] || { echo "no zefweb_*.deb made" >&2; exit 1; }

status=0
fail() {
    echo "$*" >&2
    status=1
}

contents=$(dpkg-deb -c "$deb")
for file in \
    usr/bin/zefweb \
    usr/lib/zefweb/libzefsound.so \
    usr/share/applications/zefweb.desktop \
    usr/share/metainfo/org.example.ZefWeb.metainfo.xml \
    usr/share/icons/hicolor/scalable/apps/zefweb.svg \
    usr/share/icons/hicolor/16x16/apps/zefweb.png \
    usr/share/icons/hicolor/22x22/apps/zefweb.png \
    usr/share/icons/hicolor/24x24/apps/zefweb.png \
    usr/share/icons/hicolor/32x32/apps/zefweb.png \
    usr/share/icons/hicolor/48x48/apps/zefweb.png \
    usr/share/icons/hicolor/64x64/apps/zefweb.png \
    usr/share/icons/hicolor/128x128/apps/zefweb.png \
    usr/share/icons/hicolor/256x256/apps/zefweb.png \
    usr/share/man/man1/zefweb.1.gz \
    usr/share/doc/zefweb/copyright \
    usr/share/doc/zefweb/changelog.gz \
    usr/share/lintian/overrides/zefweb
do
    echo "$contents" | grep -q " \./$file\$" || fail "missing from the package: /$file"
done
echo "$contents" | grep -q '^-rwxr-xr-x root/root .* \./usr/bin/zefweb$' \
    || fail "/usr/bin/zefweb is not an executable owned by root"

control=$(dpkg-deb -f "$deb" Package Version Architecture Depends Recommends)
field() {
    echo "$control" | sed -n "s/^$1: //p"
}
[ "$(field Package)" = zefweb ] || fail "package name: $(field Package)"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "architecture: $(field Architecture)"
case $deb in
    */zefweb_"$(field Version)"_"$(field Architecture)".deb) ;;
    *) fail "file name $deb does not match the version $(field Version)" ;;
esac
for dependency in libc6 libstdc++6 libqt6core6 libqt6widgets6 libqt6multimedia6 \
                  libgstreamer1.0-0 libjpeg62-turbo fonts-liberation qt6-translations-l10n
do
    case ", $(field Depends)," in
        *", $dependency "* | *", $dependency,"*) ;;
        *) fail "Depends lacks $dependency: $(field Depends)" ;;
    esac
done
for recommended in gstreamer1.0-plugins-base gstreamer1.0-plugins-good; do
    field Recommends | grep -q "$recommended" || fail "Recommends lacks $recommended"
done
dpkg-deb -I "$deb" | grep -q '^ Description: ' || fail "no description"

dpkg-deb -x "$deb" "$work/root"
cmp -s "$program" "$work/root/usr/bin/zefweb" || fail "/usr/bin/zefweb differs from the built program"
appstreamcli validate --no-net "$work/root/usr/share/metainfo/org.example.ZefWeb.metainfo.xml" >&2 \
    || fail "the AppStream metadata does not validate"
desktop_warnings=$(desktop-file-validate "$work/root/usr/share/applications/zefweb.desktop" 2>&1)
[ -z "$desktop_warnings" ] || fail "desktop entry: $desktop_warnings"

# Warnings and notes are shown but only errors fail.
if ! lintian --fail-on error "$deb" >&2; then
    fail "lintian reports an error"
fi
exit $status
