#!/usr/bin/env bash
# Reads every #include "..." of the product code and fails on one that runs up a floor:
#   app/ (window, command line, the form)  ->  the form's operations (*_actions files)
#   ->  the plain engine (market/, analysis/, screening/, chart/, data/)  ->  net/  ->  tables/
# Qt headers belong to app/window alone.
set -euo pipefail
cd "$(dirname "$0")/.."

floor_of() {  # floor of a file or of an included header: 5 app, 4 actions, 3 engine, 2 net, 1 tables
    case "$1" in
        app/*) echo 5 ;;
        *_actions.cpp | *_actions.h) echo 4 ;;
        market/* | analysis/* | screening/* | chart/* | data/*) echo 3 ;;
        net/*) echo 2 ;;
        tables/*) echo 1 ;;
        *) echo 0 ;;
    esac
}

faults=0
while IFS= read -r file; do
    from=$(floor_of "$file")
    while IFS= read -r line; do
        header=${line#*\"}
        header=${header%%\"*}
        to=$(floor_of "$header")
        # A file may include its own floor and the floors below; the form's operations
        # may include app/form.h and app/platform.h, the form they operate on.
        if ((to > from)) && ! { ((from == 4)) && [[ $header == app/form.h || $header == app/platform.h ]]; }; then
            echo "$file: includes $header, a floor above it"
            faults=$((faults + 1))
        fi
    done < <(grep -E '^\s*#\s*include\s+"' "$file" || true)
    # market/ has one door: the rest of the program includes market/market.h alone.
    while IFS= read -r header; do
        echo "$file: includes $header; outside market/ only market/market.h"
        faults=$((faults + 1))
    done < <([[ $file == market/* ]] || grep -oE '^\s*#\s*include\s+"market/[^"]+"' "$file" |
        sed -E 's/.*"(.*)"/\1/' | grep -v '^market/market\.h$' || true)
    if [[ $file != app/window/* ]] && grep -qE '^\s*#\s*include\s+<Q[A-Za-z]' "$file"; then
        echo "$file: includes Qt outside app/window"
        faults=$((faults + 1))
    fi
done < <(git ls-files 'app/*' 'analysis/*' 'chart/*' 'data/*' 'screening/*' 'market/*' 'net/*' 'tables/*' | grep -E '\.(cpp|h)$')

if ((faults > 0)); then
    echo "layers: $faults include(s) run up a floor"
    exit 1
fi
echo "layers: every include runs down"
