#!/usr/bin/env bash
# The program's libraries stand in floors, and each may include only what stands below it:
#   data, assets  ->  forms  ->  sound, program  ->  game, menu, settings  ->  main.cpp
# The screens never include one another; the one header of a screen's folder that the
# others may read is the settings record, which lives on the floor below the screens.
# Prints every include against that order and fails if there is one.
#
# usage: check_includes.sh ROOT     (the folder that holds src/)
set -uo pipefail
root=${1:?usage: check_includes.sh ROOT}
cd "$root/src" || exit 1

allowed() { # folder, included path
    local folder=$1 target=$2 used=${2%%/*}
    [ "$used" = "$folder" ] && return 0
    case "$folder:$used" in
    data:* | assets:*) return 1 ;;
    forms:data | forms:assets) return 0 ;;
    sound:forms | sound:data) return 0 ;;
    program:forms | program:data) return 0 ;;
    game:forms | game:data | game:assets | game:program) return 0 ;;
    menu:forms | menu:data | menu:assets | menu:program) return 0 ;;
    settings:forms | settings:data | settings:assets | settings:program) return 0 ;;
    esac
    [ "$target" = settings/Settings.h ] && [[ "$folder" =~ ^(game|menu)$ ]]
}

wrong=0
checked=0
while IFS= read -r file; do
    folder=${file%%/*}
    [ "$folder" = "$file" ] && continue # main.cpp may use everything
    while IFS= read -r target; do
        checked=$((checked + 1))
        allowed "$folder" "$target" && continue
        echo "src/$file includes $target, against the order of the floors"
        wrong=$((wrong + 1))
    done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([a-z]*\/[^"]*\)".*/\1/p' "$file")
done < <(find . -name '*.h' -o -name '*.cpp' | sed 's|^\./||' | sort)
echo "$checked includes of the program's own headers checked, $wrong against the order"
[ "$wrong" -eq 0 ]
