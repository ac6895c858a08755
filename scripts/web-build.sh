#!/bin/sh
# Builds the web version into BUILD (build-web by default) with the CMake
# preset web, against the Qt for WebAssembly of scripts/qt-build.sh; run
# through scripts/debian13-run.sh, which gives it Debian 13. The site, the folder
# a web server serves as it is, is BUILD/site.
#
#   scripts/web-build.sh            everything, and the site zipped as a release holds it
#   scripts/web-build.sh TARGET     only TARGET (site-next: a second version of the site)
set -eu
# shellcheck source=lib/common.sh
. "$(dirname "$0")/lib/common.sh"
# shellcheck source=lib/debian13.sh
. "$top/scripts/lib/debian13.sh"
# shellcheck source=lib/qt.sh
. "$top/scripts/lib/qt.sh"

[ $# -le 1 ] || usage "[TARGET]"
qt_platform web
TERVALO_WEB_QT=$qt_prefix
export TERVALO_WEB_QT
[ -f "$TERVALO_WEB_QT/.built" ] || fail "no Qt for WebAssembly in $TERVALO_WEB_QT; make web-qt builds it"
# Qt's resource compiler stamps the built-in images with this time, not with
# the files' own, which differ from one checkout to the next.
export_source_date
cd "$top"
# A build configured against another Qt for WebAssembly (built before with
# other settings) would go on finding that one's packages: it starts afresh.
fresh=""
qt_found=$(cmake_cache_value "$top/build-web" Qt6_DIR 2>/dev/null || :)
case $qt_found in
    "" | "$TERVALO_WEB_QT"/*) ;;
    *) fresh=--fresh ;;
esac
cmake --preset web $fresh
if [ $# -eq 1 ]; then
    exec cmake --build --preset web --target "$1"
fi
cmake --build --preset web

build=$top/build-web
name=tervalo-$(cmake_cache_value "$build" CMAKE_PROJECT_VERSION)-web
rm -rf "${build:?}/$name" "$build/$name.zip"
cp -R "$build/site" "$build/$name"
chmod -R u=rwX,go=rX "$build/$name"
deterministic_zip "$build/$name"
rm -rf "${build:?}/$name"
step "the site is in $build/site, zipped as $build/$name.zip"
