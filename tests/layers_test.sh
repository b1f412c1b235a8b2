#!/bin/sh
# Each folder of the core includes only its own headers and those of the
# layers it may use (docs/ARCHITECTURE.md); the libraries link the same way.
# Usage: layers_test.sh SRC
cd "$1" || exit 2
status=0
check() { # folder, then the folders it may include
    folder=$1
    shift
    allowed="$folder $*"
    for include in $(grep -ho '#include "[a-z]*/' "$folder"/*.h "$folder"/*.cpp 2>/dev/null |
        sed 's|#include "||; s|/||' | sort -u); do
        case " $allowed " in
        *" $include "*) ;;
        *)
            echo "$folder includes $include:"
            grep -n "#include \"$include/" "$folder"/*.h "$folder"/*.cpp
            status=1
            ;;
        esac
    done
}
check shared
check data shared
check hourly data shared
check config shared
check reports hourly data config shared
check activity hourly data config shared
check pipeline reports hourly data config shared
check cli pipeline activity reports hourly data config shared
[ "$status" = 0 ] && echo "every layer includes only the layers below it"
exit $status
