#!/bin/sh
# Builds the web version into BUILD (build-web by default) with the CMake
# preset web, against the Qt for WebAssembly of scripts/web-qt.sh; run
# through scripts/web-run.sh, which gives it Debian 13. The site, the folder
# a web server serves as it is, is BUILD/site.
#
#   scripts/web-build.sh
set -eu
# shellcheck source=lib/common.sh
. "$(dirname "$0")/lib/common.sh"

[ $# -eq 0 ] || usage ""
TERVALO_WEB_QT=$("$top/scripts/web-qt.sh" --prefix)
export TERVALO_WEB_QT
[ -f "$TERVALO_WEB_QT/.built" ] || fail "no Qt for WebAssembly in $TERVALO_WEB_QT (scripts/web-qt.sh builds it)"
cd "$top"
cmake --preset web
cmake --build --preset web
step "the site is in $top/build-web/site"
