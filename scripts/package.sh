#!/usr/bin/env bash
# Builds the shipped program and packs dist/Quillmate-<version>.zip: the stripped win32
# Quillmate.exe, README.md and the support page support.md side by side, the layout the about
# box's link expects. Prints the archive's path and SHA-256. The same sources give the same bytes:
# every entry has one fixed time and the entries go in in one order.
set -eu
. "$(dirname "$0")/lib.sh"

version=$(sed -n 's/^project(Quillmate VERSION \([0-9.]*\).*/\1/p' "$QM_ROOT/CMakeLists.txt")
[ -n "$version" ] || { echo "package: no version in CMakeLists.txt" >&2; exit 1; }
command -v zip >/dev/null || { echo "package: zip is missing (scripts/install-deps.sh)" >&2; exit 1; }

qm_build_tree win32 >"$QM_BUILD/package-win32.log" 2>&1 ||
    { tail -n 40 "$QM_BUILD/package-win32.log"; exit 1; }

dist=$QM_ROOT/dist
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
i686-w64-mingw32-strip -o "$stage/Quillmate.exe" "$QM_BUILD/win32/Quillmate.exe"
cp "$QM_ROOT/README.md" "$stage/README.md"
cp "$QM_ROOT/docs/support.md" "$stage/support.md"
touch -d '2000-01-01 00:00:00 UTC' "$stage"/*

mkdir -p "$dist"
archive=$dist/Quillmate-$version.zip
rm -f "$archive"
(cd "$stage" && TZ=UTC zip -q -X -D "$archive" Quillmate.exe README.md support.md)
echo "$archive"
sha256sum "$archive" | cut -d' ' -f1
