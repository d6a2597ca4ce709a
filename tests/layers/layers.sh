#!/usr/bin/env bash
# Layers.LinkOnlyDownward: every library of formeval uses only libraries
# declared before it (formeval_library ... USES), and needs nothing beyond
# the ones it declares and theirs in turn: every symbol of formeval it needs
# is defined in them, and every header of formeval its folder's sources
# include is in one of their folders. A call upward or sideways, which would
# make a cycle of libraries, fails here by name.
#
#   layers.sh NM LIST SOURCE_DIR
#
# LIST holds a line per library, in the order they were declared: its name,
# its file, its folder (relative to SOURCE_DIR), the libraries it uses.
set -euo pipefail
nm=$1
list=$2
root=$3

declare -A library folder uses owner
names=()
status=0
while read -r name path dir rest; do
    for u in $rest; do
        if [[ -z ${library[$u]:-} ]]; then
            echo "formeval::$name uses $u, which is not declared before it"
            status=1
        fi
    done
    library[$name]=$path
    folder[$name]=$dir
    owner[$dir]=$name
    uses[$name]=$rest
    names+=("$name")
done <"$list"

# The library and every library below it.
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

# The headers that the sources of a folder include (quoted), as "file header
# folder": the header relative to the source tree (one named relative to its
# includer resolved), and its folder.
includes() {
    local dir=$1 files
    files=$(find "$root/$dir" -maxdepth 1 -type f \( -name '*.h' -o -name '*.cpp' \) | sort)
    [[ -n $files ]] || return 0
    # shellcheck disable=SC2086
    grep -H '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' $files |
        awk -v root="$root/" -v dir="$dir" '{
            file = substr($0, 1, index($0, ":") - 1)
            sub("^" root, "", file)
            split($0, q, "\"")
            header = q[2]
            if (header ~ /^\.\.?\//) {
                n = split(dir "/" header, part, "/")
                k = 0
                for (i = 1; i <= n; ++i) {
                    if (part[i] == "..") --k
                    else if (part[i] != "." && part[i] != "") path[++k] = part[i]
                }
                header = path[1]
                for (i = 2; i <= k; ++i) header = header "/" path[i]
            }
            folder = header
            sub("/[^/]*$", "", folder)
            print file, header, folder
        }'
}

# What each library defines, read once.
defined=$(mktemp -d)
trap 'rm -rf "$defined"' EXIT
for name in "${names[@]}"; do
    symbols --defined-only "${library[$name]}" >"$defined/$name"
done

for name in "${names[@]}"; do
    reach=$(below "$name")
    needed=$(symbols -u "${library[$name]}")
    available=$(for f in $reach; do cat "$defined/$f"; done | sort -u)
    missing=$(comm -23 <(echo "$needed" | grep -v '^$' || true) <(echo "$available"))
    strays=$(includes "${folder[$name]}" | while read -r file header dir; do
        other=${owner[$dir]:-}
        if [[ -n $other && $reach != *" $other "* ]]; then echo "$file: $header"; fi
    done)
    echo "formeval::$name -> ${uses[$name]:-nothing}"
    if [[ -n $missing ]]; then
        status=1
        echo "  needs what no library below it defines:"
        echo "$missing" | c++filt | sed 's/^/    /'
    fi
    if [[ -n $strays ]]; then
        status=1
        echo "  includes headers of libraries it does not use:"
        echo "$strays" | sed 's/^/    /'
    fi
done
exit $status
