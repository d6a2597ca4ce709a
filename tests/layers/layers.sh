#!/usr/bin/env bash
# Layers.LinkOnlyDownward: every symbol of formeval that a folder's library
# needs is defined in that library or in the libraries below it, the ones it
# declares (formeval_library ... USES) and theirs in turn. A call upward or
# sideways, which would make a cycle of libraries, fails here by name.
#
#   layers.sh NM LIST
#
# LIST holds a line per folder: the folder, its library, the folders it uses.
set -euo pipefail
nm=$1
list=$2

declare -A library uses
folders=()
while read -r folder path rest; do
    library[$folder]=$path
    uses[$folder]=$rest
    folders+=("$folder")
done <"$list"

# The folder and every folder below it.
below() {
    local seen=" $1 " todo=("$1") f u
    while ((${#todo[@]})); do
        f=${todo[0]}
        todo=("${todo[@]:1}")
        for u in ${uses[$f]}; do
            [[ $seen == *" $u "* ]] && continue
            seen+="$u "
            todo+=("$u")
        done
    done
    echo "$seen"
}

# formeval's symbols (mangled) that a library defines, or needs from outside
# its own objects.
symbols() {
    "$nm" -g "$@" | awk 'NF >= 2 {print $NF}' | grep '8formeval' | sort -u || true
}

status=0
for folder in "${folders[@]}"; do
    needed=$(symbols -u "${library[$folder]}")
    available=$(for f in $(below "$folder"); do symbols --defined-only "${library[$f]}"; done |
        sort -u)
    missing=$(comm -23 <(echo "$needed" | grep -v '^$' || true) <(echo "$available"))
    echo "formeval_$folder -> ${uses[$folder]:-nothing}"
    if [[ -n $missing ]]; then
        status=1
        echo "  needs what no library below it defines:"
        echo "$missing" | c++filt | sed 's/^/    /'
    fi
done
exit $status
