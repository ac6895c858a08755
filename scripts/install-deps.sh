#!/bin/sh
# Installs the Debian packages that a make target needs and that this machine
# lacks. Each package is checked with dpkg; only the missing ones are fetched.
#
#   scripts/install-deps.sh build      debian/control's Build-Depends (compiler, CMake, Qt 6 Widgets, a font), Qt's Wayland plugin
#   scripts/install-deps.sh bench      the above, Google Benchmark, and Xvfb with the X11 headers for timing the start-up
#   scripts/install-deps.sh fuzz       the above and clang with its fuzzer runtime
#   scripts/install-deps.sh images     the build set and icotool, for drawing the images anew (make images-check)
#   scripts/install-deps.sh screen     Xvfb, screenshot tools and the accessibility bus, for looking at and closing the window
#   scripts/install-deps.sh package    Debian's packaging tools and checkers, and what the package's tests use (Xvfb, headless weston)
#   scripts/install-deps.sh format     clang-format, for laying out the C++ files (make format, make format-check)
#   scripts/install-deps.sh lint       shellcheck, pyflakes, git (which lists the scripts) and dpkg-dev, for make lint
#   scripts/install-deps.sh fresh      mmdebstrap and git, for checking a commit on a fresh Debian (make fresh-check)
#   scripts/install-deps.sh windows    Debian 13's MinGW-w64 and Qt tools, Ninja and dpkg-source for building Qt and
#                                      the program for Windows; off Debian 13, mmdebstrap, which makes a Debian 13
#                                      system for that (scripts/debian13-run.sh), where this installs the rest
#   scripts/install-deps.sh windows-package  NSIS and zip for the installer and the portable zip, osslsigncode and
#                                      openssl to sign them
#   scripts/install-deps.sh wine       Wine with Xvfb and xdotool to test the Windows build, osslsigncode and openssl
#                                      to test it signed
#   scripts/install-deps.sh arm64      the arm64 cross compiler, Qt 6 for arm64, qemu to run it, and what
#                                      dpkg-buildpackage -a arm64 needs (make test-arm64, make package-arm64)
#   scripts/install-deps.sh web        Debian 13's emscripten and Qt tools for building the web version, and for
#                                      testing it Chromium, WebKitGTK and Firefox ESR with Selenium, Xvfb, nginx and
#                                      Apache; off Debian 13, mmdebstrap, as for windows
#   scripts/install-deps.sh release    git and xz for the source tarball, binutils to read the built files' versions,
#                                      locales to build the release in another locale (make release, make release-check),
#                                      reprotest to build it twice, diffoscope (with python3-debian and unzip, which let
#                                      it look into the Debian and zip files) to show what differs (make release-check)
#
# A name with an architecture (qt6-base-dev:arm64) is a package of that
# architecture; dpkg is told about a foreign architecture before the first of
# its packages is installed.
set -eu
# shellcheck source=lib/common.sh
. "$(dirname "$0")/lib/common.sh"
# shellcheck source=lib/debian13.sh
. "$top/scripts/lib/debian13.sh"

# The build set is what debian/control's Build-Depends name (apt-get
# build-dep reads them; build-essential comes with them), with make and Qt's
# Wayland plugin, for the window on a Wayland desktop.
build="make qt6-wayland"
# The architectures whose Build-Depends a set needs: this machine's always.
build_deps=native
# What scripts/close-with-esci.py needs to find and press "Esci".
window_closing="python3-gi gir1.2-atspi-2.0 at-spi2-core dbus-daemon"
# in_debian13 PACKAGE...: what a set that is built in Debian 13 needs: on
# Debian 13, Debian 13's Qt tools and source, Ninja and the PACKAGEs;
# elsewhere mmdebstrap, which makes the Debian 13 system where this script,
# run again inside it, installs them (scripts/debian13-run.sh).
in_debian13() {
    if [ -n "$debian13_system" ]; then
        echo "mmdebstrap debian-archive-keyring"
    else
        echo "qt6-base-dev-tools ninja-build dpkg-dev debian-archive-keyring zip git $*"
    fi
}
packages=$build
for set in "$@"; do
    case $set in
        build) ;;
        bench) packages="$packages libbenchmark-dev xvfb xauth x11-utils libx11-dev libxdamage-dev" ;;
        fuzz) packages="$packages clang libclang-rt-dev" ;;
        images) packages="$packages icoutils" ;;
        screen) packages="$packages xvfb xauth imagemagick x11-utils $window_closing" ;;
        package) packages="$packages dpkg-dev lintian appstream desktop-file-utils autopkgtest xvfb xauth weston $window_closing" ;;
        format) packages="$packages clang-format" ;;
        lint) packages="$packages shellcheck pyflakes3 git dpkg-dev" ;;
        fresh) packages="$packages mmdebstrap debian-archive-keyring git" ;;
        windows) packages="$packages $(in_debian13 g++-mingw-w64-x86-64-posix)" ;;
        windows-package) packages="$packages nsis zip osslsigncode openssl" ;;
        wine) packages="$packages osslsigncode openssl unzip wine wine64 xvfb xauth xdotool xclip imagemagick x11-utils" ;;
        arm64)
            packages="$packages crossbuild-essential-arm64 qemu-user dpkg-dev lintian"
            build_deps="native arm64"
            ;;
        web)
            packages="$packages $(in_debian13 emscripten zopfli chromium chromium-driver webkit2gtk-driver firefox-esr \
                python3-selenium python3-websocket xvfb xauth nginx apache2)"
            ;;
        release) packages="$packages git xz-utils binutils locales reprotest diffoscope-minimal python3-debian unzip" ;;
        *) usage "SET..., where SET is one of those named in $0" ;;
    esac
done

if ! command -v dpkg >/dev/null 2>&1 || ! command -v apt-get >/dev/null 2>&1; then
    fail "this system has no dpkg/apt-get, so nothing can be installed automatically.
Install these Debian package equivalents by hand, with those that debian/control's Build-Depends name,
then run make again:
  $packages
(CMake 3.25 or newer, a C++20 compiler and Qt 6 Widgets with its Test module are what matters.)"
fi

# installed PACKAGE: whether PACKAGE is installed. Once a package is
# installed for two architectures its bare name is ambiguous to dpkg, so a
# bare name is looked up as this machine's package, or as one for every
# architecture (Architecture: all, which dpkg does not find under the
# machine's own).
native=$(dpkg --print-architecture)
installed() {
    case $1 in
        *:*) names=$1 ;;
        *) names="$1:$native $1:all" ;;
    esac
    for name in $names; do
        if [ "$(dpkg-query -W -f='${Status}' "$name" 2>/dev/null)" = "install ok installed" ]; then
            return 0
        fi
    done
    return 1
}
missing=""
for p in $packages; do
    if ! installed "$p"; then
        missing="$missing $p"
    fi
done
# build_dep_options ARCH: apt-get build-dep's and dpkg-checkbuilddeps'
# options for the Build-Depends of ARCH; an arm64 build is a cross build
# without its tests.
build_dep_options() {
    [ "$1" = native ] || echo "-a $1 -P nocheck"
}
missing_build_deps=""
for arch in $build_deps; do
    # shellcheck disable=SC2046 # the options, one word each
    if ! command -v dpkg-checkbuilddeps >/dev/null 2>&1 ||
        ! dpkg-checkbuilddeps $(build_dep_options "$arch") "$top/debian/control" 2>/dev/null; then
        missing_build_deps="$missing_build_deps $arch"
    fi
done
[ -z "$missing$missing_build_deps" ] && exit 0
missing_words=$missing
for arch in $missing_build_deps; do
    missing_words="$missing_words, the Build-Depends of debian/control for $arch"
done
step "installing${missing_words#,}"
if [ "$(id -u)" -eq 0 ]; then
    sudo=""
elif command -v sudo >/dev/null 2>&1; then
    sudo="sudo"
else
    fail "not root and no sudo; install these packages as root:$missing"
fi
for p in $missing $missing_build_deps; do
    case $p in
        native) ;;
        *:* | arm64)
            arch=${p#*:}
            if [ "$arch" != "$native" ] && ! dpkg --print-foreign-architectures | grep -qx "$arch"; then
                step "adding $arch as a foreign architecture of dpkg (dpkg --add-architecture $arch)," \
                    "so that $arch packages install beside the $native ones"
                $sudo dpkg --add-architecture "$arch"
            fi
            ;;
    esac
done
# A fresh machine may hold no package lists at all.
$sudo apt-get update -qq
# The web servers are installed for the checks, which start their own on a
# port of their own: the packages' services are not started, here or in the
# Debian 13 system (which has no init to stop them).
policy=/usr/sbin/policy-rc.d
no_services=""
case " $missing " in
    *" nginx "* | *" apache2 "*)
        if [ ! -e "$policy" ]; then
            printf '#!/bin/sh\nexit 101\n' | $sudo tee "$policy" >/dev/null
            $sudo chmod 755 "$policy"
            no_services=1
        fi
        ;;
esac
status=0
if [ -n "$missing" ]; then
    # shellcheck disable=SC2086 # one argument a package
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing || status=$?
fi
for arch in $missing_build_deps; do
    [ "$status" -eq 0 ] || break
    # shellcheck disable=SC2046 # the options, one word each
    (cd "$top" && DEBIAN_FRONTEND=noninteractive $sudo apt-get build-dep -y -qq --no-install-recommends \
        $(build_dep_options "$arch") ./) || status=$?
done
[ -z "$no_services" ] || $sudo rm -f "$policy"
exit "$status"
