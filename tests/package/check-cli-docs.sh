#!/usr/bin/env bash
# Every command and verb zentra-cli knows is in its manual page and its bash
# completion: a new command (or verb) fails here until both name it.
#
# Usage: check-cli-docs.sh ZENTRA_CLI SOURCE_DIR
set -euo pipefail
export LC_ALL=C.UTF-8
cli=$1 source=$2
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# The commands and verbs, from the usage zentra-cli prints: one line per
# registered command, alternatives separated by " | ".
usage=$("$cli" 2>&1 >/dev/null || true)
declare -A verbs=()
commands=()
while IFS= read -r line; do
    [[ $line =~ ^\ \ ([a-z][a-z-]*)(.*)$ ]] || continue
    command=${BASH_REMATCH[1]}
    [[ " ${commands[*]} " == *" $command "* ]] || commands+=("$command")
    rest=$line
    while [[ -n $rest ]]; do
        alternative=${rest%% | *}
        [[ $alternative == "$rest" ]] && rest="" || rest=${rest#* | }
        read -r -a words <<<"$alternative"
        candidate=${words[0]-}
        [[ $candidate == "$command" ]] && candidate=${words[1]-}
        IFS='|' read -r -a names <<<"$candidate"
        for v in "${names[@]}"; do
            [[ $v =~ ^[a-z][a-z-]*$ ]] && verbs[$command]+=" $v"
        done
    done
done < <(sed -n '/^commands:/,$p' <<<"$usage")
((${#commands[@]} > 10)) || fail "read only ${#commands[@]} commands from the usage: $usage"

# The completion's answers for "zentra-cli <TAB>" and "zentra-cli COMMAND <TAB>".
. "$source/share/bash-completion/zentra-cli"
complete_words() {
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _zentra_cli
    printf '%s\n' "${COMPREPLY[@]}"
}
offered=$(complete_words zentra-cli "")
for command in "${commands[@]}"; do
    grep -qx -- "$command" <<<"$offered" || fail "the completion does not offer the command $command"
    if [[ -n ${verbs[$command]-} ]]; then
        offered_verbs=$(complete_words zentra-cli "$command" "")
        for v in ${verbs[$command]}; do
            grep -qx -- "$v" <<<"$offered_verbs" || fail "the completion does not offer $command $v"
        done
    fi
done

# The manual page's command entries: the line after each .TP of COMMANDS, as
# words (fonts and escapes dropped, split at spaces, commas and bars).
entries=$(awk '/^\.SH COMMANDS/ { on = 1; next } /^\.SH/ { on = 0 } on && tag { print; tag = 0 } on && /^\.TP/ { tag = 1 }' \
    "$source/share/man/zentra-cli.1.in" | sed -E 's/\\f[BIRP]//g; s/\\-/-/g; s/^\.[A-Z]+ //; s/["|,]/ /g')
documented() { # documented COMMAND [VERB]: one entry names both
    while IFS= read -r entry; do
        read -r -a words <<<"$entry"
        local has_command=0 has_verb=$(($# < 2))
        for w in "${words[@]}"; do
            [[ $w == "$1" ]] && has_command=1
            [[ $# -ge 2 && $w == "$2" ]] && has_verb=1
        done
        ((has_command && has_verb)) && return 0
    done <<<"$entries"
    return 1
}
for command in "${commands[@]}"; do
    documented "$command" || fail "the manual page has no entry for $command"
    for v in ${verbs[$command]-}; do
        documented "$command" "$v" || fail "the manual page has no entry for $command $v"
    done
done

if ((failures)); then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "${#commands[@]} commands in the manual page and the completion"
