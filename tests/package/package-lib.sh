# Shared by the package tests: the .deb of a build folder.

# zentra_deb BUILD SOURCE VERSION: prints the path of the package of this
# build, made with cpack into BUILD/package-test when it is missing or older
# than anything that goes into it.
zentra_deb() {
    local build=$1 source=$2 version=$3
    local out=$build/package-test
    local deb=$out/zentra_${version}_amd64.deb
    if [[ ! -f $deb || -n $(find "$build/bin" "$build/share" "$source/share" "$build/CPackConfig.cmake" \
        -newer "$deb" -print -quit) ]]; then
        rm -rf "$out"
        mkdir -p "$out"
        if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$out" >"$out/cpack.log" 2>&1; then
            cat "$out/cpack.log" >&2
            return 1
        fi
    fi
    [[ -f $deb ]] || { echo "cpack made no $deb" >&2; return 1; }
    echo "$deb"
}

failures=0
# fail MESSAGE: records a failed check and goes on with the others.
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
