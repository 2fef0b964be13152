#!/usr/bin/env bash
# Checks of Quorvel as an installable desktop application, run by ctest:
#   check_install.sh desktop  <file.desktop>
#   check_install.sh metainfo <file.metainfo.xml> <project version>
#   check_install.sh layout   <build dir> <desktop file name> <metainfo file name>
# Each prints one plain line and fails by exit code; 77 means the validator is not installed.
set -uo pipefail

fail() {
    echo "FAIL: $*"
    exit 1
}

need() {
    command -v "$1" >/dev/null 2>&1 && return 0
    echo "SKIP: $1 is not installed (Debian package $2)"
    exit 77
}

check_desktop() {
    local file="$1"
    need desktop-file-validate desktop-file-utils
    # The validator prints nothing on success but may print hints without failing: show them.
    local out
    out="$(desktop-file-validate "$file" 2>&1)" || fail "desktop-file-validate $file"$'\n'"$out"
    [ -z "$out" ] || echo "$out"
    echo "PASS: desktop-file-validate $(basename "$file")"
}

check_metainfo() {
    local file="$1" version="$2"
    need appstreamcli appstream
    local out
    out="$(appstreamcli validate --no-net "$file" 2>&1)" ||
        fail "appstreamcli validate --no-net $file"$'\n'"$out"
    # A version raised in CMake but not here would ship a store entry naming the old release.
    grep -q "<release version=\"$version\"" "$file" ||
        fail "$(basename "$file") has no release $version"
    echo "PASS: appstreamcli validate --no-net $(basename "$file"), release $version"
}

# The value of a key of the [Desktop Entry] group.
desktop_key() {
    sed -n '/^\[Desktop Entry\]/,/^\[/{s/^'"$2"'=//p}' "$1" | head -n 1
}

check_layout() {
    local build="$1" desktop="$2" metainfo="$3"
    # Global: the exit trap runs after this function's locals are gone.
    prefix="$(mktemp -d "${TMPDIR:-/tmp}/quorvel-install.XXXXXX")" || fail "mktemp"
    trap 'rm -rf "$prefix"' EXIT
    local log
    log="$(cmake --install "$build" --prefix "$prefix" 2>&1)" ||
        fail "cmake --install $build --prefix $prefix"$'\n'"$log"

    local missing=()
    local path
    for path in bin/quorvel \
        "share/applications/$desktop" \
        "share/metainfo/$metainfo" \
        share/icons/hicolor/16x16/apps/quorvel.png \
        share/icons/hicolor/32x32/apps/quorvel.png \
        share/icons/hicolor/48x48/apps/quorvel.png \
        share/icons/hicolor/256x256/apps/quorvel.png \
        share/icons/hicolor/scalable/apps/quorvel.svg; do
        [ -s "$prefix/$path" ] || missing+=("$path")
    done
    [ "${#missing[@]}" -eq 0 ] || fail "not installed: ${missing[*]}"
    [ -x "$prefix/bin/quorvel" ] || fail "bin/quorvel is not executable"

    # The pieces must name each other, or the menu entry shows no icon or starts nothing.
    local exec icon
    exec="$(desktop_key "$prefix/share/applications/$desktop" Exec)"
    icon="$(desktop_key "$prefix/share/applications/$desktop" Icon)"
    [ -x "$prefix/bin/${exec%% *}" ] || fail "Exec=$exec names no installed program"
    [ -s "$prefix/share/icons/hicolor/48x48/apps/$icon.png" ] ||
        fail "Icon=$icon names no installed icon"
    grep -q "<launchable type=\"desktop-id\">$desktop</launchable>" \
        "$prefix/share/metainfo/$metainfo" || fail "$metainfo does not launch $desktop"

    echo "PASS: install layout under a temporary prefix"
}

case "${1:-}" in
desktop) check_desktop "$2" ;;
metainfo) check_metainfo "$2" "$3" ;;
layout) check_layout "$2" "$3" "$4" ;;
*)
    echo "usage: $0 desktop FILE | metainfo FILE VERSION | layout BUILD DESKTOP METAINFO" >&2
    exit 2
    ;;
esac
