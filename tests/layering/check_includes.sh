#!/usr/bin/env bash
# Checks every include of the program's own headers against the floors of src/floors.txt:
# a file may include the headers of its own library and of the libraries its line names.
# Prints every include against that order, and every file or header no line holds, and
# fails if there is one. The list itself must keep its order: a library may name only
# libraries on lower floors.
#
# usage: check_includes.sh ROOT [FLOORS]
#   ROOT    the folder that holds src/
#   FLOORS  the list of floors (default: ROOT/src/floors.txt)
set -uo pipefail
root=${1:?usage: check_includes.sh ROOT [FLOORS]}
floors=${2:-$root/src/floors.txt}
floors=$(realpath "$floors") || exit 1
cd "$root/src" || exit 1

libraries=() # in the list's order, which decides who owns a file
declare -A floor_of sources_of uses_of
while read -r floor library sources uses _; do
    [[ "$floor" =~ ^[0-9]+$ ]] || continue
    libraries+=("$library")
    floor_of[$library]=$floor
    sources_of[$library]=$sources
    uses_of[$library]=$uses
done <"$floors"
if [ ${#libraries[@]} -eq 0 ]; then
    echo "$floors lists no library"
    exit 1
fi

wrong=0
for library in "${libraries[@]}"; do
    [ "${uses_of[$library]}" = "*" ] || [ "${uses_of[$library]}" = "-" ] && continue
    IFS=, read -ra used <<<"${uses_of[$library]}"
    for lower in "${used[@]}"; do
        if [ -z "${floor_of[$lower]:-}" ]; then
            echo "$library uses $lower, which the list does not hold"
            wrong=$((wrong + 1))
        elif [ "${floor_of[$lower]}" -ge "${floor_of[$library]}" ]; then
            echo "$library uses $lower, which is not on a lower floor"
            wrong=$((wrong + 1))
        fi
    done
done

owner() { # path under src/ -> the library that holds it, or nothing
    local library pattern patterns
    for library in "${libraries[@]}"; do
        IFS=, read -ra patterns <<<"${sources_of[$library]}"
        for pattern in "${patterns[@]}"; do
            # shellcheck disable=SC2053 # the pattern is meant to match as a pattern
            [[ "$1" == $pattern ]] && echo "$library" && return 0
        done
    done
    return 1
}

may_use() { # library, used library
    [ "$1" = "$2" ] || [ "${uses_of[$1]}" = "*" ] || [[ ",${uses_of[$1]}," == *",$2,"* ]]
}

checked=0
while IFS= read -r file; do
    if ! library=$(owner "$file"); then
        echo "src/$file is on no floor of the list"
        wrong=$((wrong + 1))
        continue
    fi
    while IFS= read -r target; do
        checked=$((checked + 1))
        if ! used=$(owner "$target"); then
            echo "src/$file includes $target, which is on no floor of the list"
            wrong=$((wrong + 1))
        elif ! may_use "$library" "$used"; then
            echo "src/$file includes $target, against the order of the floors"
            wrong=$((wrong + 1))
        fi
    done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([a-z]*\/[^"]*\)".*/\1/p' "$file")
done < <(find . -name '*.h' -o -name '*.cpp' | sed 's|^\./||' | sort)
echo "$checked includes of the program's own headers checked, $wrong against the order"
[ "$wrong" -eq 0 ]
