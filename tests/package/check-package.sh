#!/usr/bin/env bash
# The package as a shop's machine gets it: its name, control fields and file
# list; its programs run from an unpacked copy (dpkg -x into a throwaway root),
# with the data folder where a user's belongs; the updater refuses to touch the
# copy once a dpkg database lists its files, and updates it when none does.
#
# Usage: check-package.sh BUILD_DIR SOURCE_DIR VERSION
set -euo pipefail
export LC_ALL=C.UTF-8
build=$1 source=$2 version=$3
here=$(cd "$(dirname "$0")" && pwd)
. "$here/package-lib.sh"

deb=$(zentra_deb "$build" "$source" "$version")
echo "package: $deb"
[[ $(basename "$deb") == "zentra_${version}_amd64.deb" ]] || fail "named $(basename "$deb")"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Control fields.
field() { dpkg-deb --field "$deb" "$1"; }
[[ $(field Package) == zentra ]] || fail "Package: $(field Package)"
[[ $(field Version) == "$version" ]] || fail "Version: $(field Version), the build's is $version"
[[ $(field Architecture) == amd64 ]] || fail "Architecture: $(field Architecture)"
for f in Maintainer Section Priority Homepage Installed-Size Description; do
    [[ -n $(field "$f") ]] || fail "no $f"
done
# Depends: every library the programs link (dpkg-shlibdeps) and the CJK fonts.
depends=$(field Depends | tr ',' '\n' | sed 's/^ *//; s/ .*//')
for p in fonts-noto-cjk libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6 \
    libqt6network6 libqt6webenginewidgets6 libsqlite3-0 libsodium23 libtinyxml2.6.2v5 libjsoncpp25 \
    libpcre2-8-0; do
    grep -qx "$p" <<<"$depends" || fail "Depends lacks $p: $(field Depends)"
done
grep -qx cups < <(field Recommends | tr ',' '\n' | sed 's/^ *//; s/ .*//') ||
    fail "Recommends lacks cups: $(field Recommends)"
# Checked on the whole output: under pipefail a "grep -q" that stops at its
# match can make the writer die of SIGPIPE and fail the pipeline.
grep -qw md5sums <<<"$(dpkg-deb --info "$deb")" || fail "no md5sums"

# The file list: exactly the expected files (help pages may be added), owned
# by root, programs executable, everything else readable by all.
dpkg-deb --contents "$deb" >"$tmp/contents"
awk '$1 !~ /^d/ { print $6 }' "$tmp/contents" >"$tmp/all"
grep -v '^\./usr/share/zentra/help/' "$tmp/all" >"$tmp/files" || true
grep -x '\./usr/share/zentra/help/index\.html' "$tmp/all" >>"$tmp/files" || true
sort -o "$tmp/files" "$tmp/files"
if ! diff -u <(sort "$here/files.txt") "$tmp/files"; then
    fail "file list differs from tests/package/files.txt (- expected, + packaged)"
fi
while read -r mode owner _ _ _ path _; do
    [[ $owner == root/root ]] || fail "$path owned by $owner"
    case $path in
    */) want=drwxr-xr-x ;;
    ./usr/bin/*) want=-rwxr-xr-x ;;
    *) want=-rw-r--r-- ;;
    esac
    [[ $mode == "$want" ]] || fail "$path is $mode, not $want"
done <"$tmp/contents"

# The programs from an unpacked copy. Every library they need is found.
root=$tmp/root
dpkg -x "$deb" "$root"
for p in zentra zentra-cli zentra-update; do
    if grep -q 'not found' <<<"$(ldd "$root/usr/bin/$p")"; then
        fail "$p misses libraries: $(ldd "$root/usr/bin/$p" | grep 'not found' | tr '\n' ' ')"
    fi
done
cli=$root/usr/bin/zentra-cli
out=$("$cli" --version 2>&1) || true
[[ $out == "zentra-cli $version" ]] || fail "zentra-cli --version printed '${out%%$'\n'*}'"
out=$("$cli" --home "$tmp/h" init) || fail "zentra-cli --home init exited $?"
[[ $out == "$tmp/h" ]] || fail "init printed '$out'"
[[ -s $tmp/h/data/data.db && -d $tmp/h/template ]] || fail "init made no data folder in $tmp/h"
# Without --home, a user's data folder is ~/.local/share/zentra.
mkdir "$tmp/home"
out=$(env -u ZENTRA_HOME -u XDG_DATA_HOME HOME="$tmp/home" "$cli" init) || fail "zentra-cli init exited $?"
[[ $out == "$tmp/home/.local/share/zentra" && -s $tmp/home/.local/share/zentra/data/data.db ]] ||
    fail "the default data folder is '$out'"
[[ -f $root/usr/share/zentra/help/index.html ]] || fail "no help pages beside the programs"

# The updater on this copy: refused while a dpkg database lists its files as
# /var/lib/dpkg/info/zentra.list lists /usr/bin/zentra-update...
mkdir -p "$tmp/admin/info"
awk '{ print $6 }' "$tmp/contents" | sed "s|^\.|$root|; s|/$||" >"$tmp/admin/info/zentra.list"
update() {
    DPKG_ADMINDIR=$tmp/admin "$root/usr/bin/zentra-update" --batch --home "$tmp/h" \
        --base http://127.0.0.1:9/update/ --no-restart --timeout 2000
}
set +e
out=$(update)
status=$?
set -e
[[ $status == 1 && $out == "请使用系统的软件包管理器升级本软件" ]] ||
    fail "the listed copy's updater exited $status with '$out'"
[[ ! -e $tmp/h/tmp ]] || fail "the refused updater staged downloads"
# ...and it updates itself when no package lists it: here it asks the server.
echo "/usr/bin/ls" >"$tmp/admin/info/zentra.list"
set +e
out=$(update)
status=$?
set -e
[[ $status == 1 && $out == Zentra在线更新系统...* && $out == *连接服务器失败！ ]] ||
    fail "the unlisted copy's updater exited $status with '$out'"

if ((failures)); then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "package checks passed"
