#!/bin/sh
# Lints the machinery around the program: every shell script, the sourced
# files in scripts/lib too, through shellcheck, with no finding at any
# severity, and the Python scripts and modules through pyflakes. A finding
# may be silenced only by a directive that says why, after a '#' on its own
# line.
#
# The shell scripts are the files git knows (outside a git checkout, every
# file but the build folders') whose first line names sh or bash, and the
# files in scripts/lib; the Python ones those that name python3, and the
# modules in scripts/lib.
#
#   scripts/lint.sh
set -eu
# shellcheck source=lib/common.sh
. "$(dirname "$0")/lib/common.sh"

if [ $# -ne 0 ]; then usage ""; fi
cd "$top"
lists=$(mktemp -d)
trap 'rm -rf "$lists"' EXIT
tracked() {
    git ls-files 2>/dev/null || find . \( -name '.git' -o -name 'build*' \) -prune -o -type f -print | sed 's|^\./||'
}
tracked | while read -r file; do
    [ -f "$file" ] || continue
    case $file in
        scripts/lib/*.sh)
            echo "$file" >>"$lists/shell"
            continue
            ;;
        scripts/lib/*.py)
            echo "$file" >>"$lists/python"
            continue
            ;;
    esac
    case $(head -n 1 "$file") in
        '#!'*/sh | '#!'*/bash | '#!'*' sh' | '#!'*' bash') echo "$file" >>"$lists/shell" ;;
        '#!'*python3*) echo "$file" >>"$lists/python" ;;
    esac
done
[ -s "$lists/shell" ] || fail "found no shell script"
[ -s "$lists/python" ] || fail "found no Python script"

bare=$(xargs -d '\n' grep -n '^ *# shellcheck disable=' <"$lists/shell" | grep -v 'disable=[A-Z0-9,]* # ' || true)
[ -z "$bare" ] || fail "shellcheck directives without a reason: $bare"
xargs -d '\n' shellcheck --severity=style <"$lists/shell"
step "shellcheck: $(wc -l <"$lists/shell") shell scripts, nothing to report"
xargs -d '\n' pyflakes3 <"$lists/python"
step "pyflakes: $(wc -l <"$lists/python") Python files, nothing to report"
