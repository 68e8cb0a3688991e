#!/usr/bin/env bash
# The package against Debian's checkers: lintian reports no error and no
# warning beyond those kept in lintian-kept.txt (each with its reason); the
# desktop entry passes desktop-file-validate; the AppStream metadata passes
# appstreamcli, on its own and together with the desktop entry and icons of
# the unpacked tree.
#
# Usage: lint-package.sh BUILD_DIR SOURCE_DIR VERSION
set -euo pipefail
export LC_ALL=C.UTF-8
build=$1 source=$2 version=$3
here=$(cd "$(dirname "$0")" && pwd)
. "$here/package-lib.sh"

deb=$(zentra_deb "$build" "$source" "$version")
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Findings on standard output; lintian run as root says so on standard error.
set +e
lintian --tag-display-limit 0 --display-info "$deb" >"$tmp/lintian" 2>"$tmp/lintian.err"
status=$?
set -e
cat "$tmp/lintian"
grep -v 'running with root privileges' "$tmp/lintian.err" >&2 || true
((status <= 1)) || fail "lintian could not check the package (exit status $status)"
kept=$(sed 's/#.*//' "$here/lintian-kept.txt" | awk 'NF { print $1 }')
while read -r level _ tag _; do
    tag=${tag%:}
    case $level in
    E:) fail "lintian error: $tag" ;;
    W:) grep -qx -- "$tag" <<<"$kept" || fail "lintian warning not kept in lintian-kept.txt: $tag" ;;
    esac
done <"$tmp/lintian"

root=$tmp/root
dpkg -x "$deb" "$root"
for desktop in "$root"/usr/share/applications/*.desktop; do
    desktop-file-validate "$desktop" || fail "desktop-file-validate $(basename "$desktop")"
done
# --no-net: the home page is not fetched.
for metainfo in "$root"/usr/share/metainfo/*.xml; do
    appstreamcli validate --no-net --explain "$metainfo" || fail "appstreamcli validate $(basename "$metainfo")"
done
appstreamcli validate-tree --no-net --explain "$root" || fail "appstreamcli validate-tree"

if ((failures)); then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "lint checks passed"
