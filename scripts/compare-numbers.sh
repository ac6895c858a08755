#!/bin/sh
# Compares the output of two builds of tools/numbers (see its main.cpp), line
# by line. Every shown number must be the same: any difference is listed
# (the first few) and fails the comparison. The intermediate values after
# the '|' are only counted, one count for each, since they are never shown
# and two C libraries may round them differently; with --exact (two builds
# on the same C library) a difference in them fails the comparison too.
#
#   scripts/compare-numbers.sh [--exact] REFERENCE OTHER [NAME]
set -eu
# shellcheck source=lib/common.sh
. "$(dirname "$0")/lib/common.sh"

exact=0
if [ "${1:-}" = "--exact" ]; then
    exact=1
    shift
fi
if [ $# -lt 2 ] || [ $# -gt 3 ]; then usage "[--exact] REFERENCE OTHER [NAME]"; fi
reference=$1
other=$2
name=${3:-$other}

if [ "$(wc -l <"$reference")" -ne "$(wc -l <"$other")" ] || [ "$(wc -l <"$reference")" -lt 2 ]; then
    fail "$reference and $name do not hold the same number of pairs"
fi
paste -d '\t' "$reference" "$other" | awk -F '\t' -v name="$name" -v exact="$exact" '
    {
        # A Windows program ends its lines with CR LF.
        sub(/\r$/, "", $1); sub(/\r$/, "", $2)
        split($1, a, " [|] "); split($2, b, " [|] ")
        if (a[1] != b[1]) {
            shown++
            if (shown <= 5) { print "  reference: " a[1]; print "  " name ": " b[1] }
        }
        n = split(a[2], x, " "); split(b[2], y, " ")
        for (i = 1; i <= n; i++) if (x[i] != y[i]) { last[i]++; hidden++ }
    }
    END {
        printf "compare-numbers: %d pairs, %d with a different shown number", NR, shown
        printf "; differences in the hidden intermediate values C, d, Z, A: %d, %d, %d, %d\n", \
            last[1], last[2], last[3], last[4]
        exit shown > 0 || (exact && hidden > 0)
    }'
