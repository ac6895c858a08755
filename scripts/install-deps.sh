#!/bin/sh
# Installs the Debian packages that a make target needs and that this machine
# lacks. Each package is checked with dpkg; only the missing ones are fetched.
#
#   scripts/install-deps.sh build      compiler, CMake, Qt 6 Widgets and its Wayland plugin, a font
#   scripts/install-deps.sh bench      the above, Google Benchmark, and Xvfb with the X11 headers for timing the start-up
#   scripts/install-deps.sh fuzz       the above and clang with its fuzzer runtime
#   scripts/install-deps.sh images     the build set and icotool, for drawing the images anew (make images-check)
#   scripts/install-deps.sh screen     Xvfb, screenshot tools and the accessibility bus, for looking at and closing the window
#   scripts/install-deps.sh package    Debian's packaging tools and checkers, and what the package's tests use (Xvfb, headless weston)
#   scripts/install-deps.sh format     clang-format, for laying out the C++ files (make format, make format-check)
#   scripts/install-deps.sh lint       shellcheck, pyflakes, git (which lists the scripts) and dpkg-dev, for make lint
#   scripts/install-deps.sh fresh      mmdebstrap and git, for checking a commit on a fresh Debian (make fresh-check)
#   scripts/install-deps.sh windows    MinGW-w64, Ninja and dpkg-source for building Qt and the program for Windows,
#                                      NSIS and zip for the installer and the portable zip, osslsigncode and openssl
#                                      to sign them, Wine with Xvfb and xdotool to test them
#   scripts/install-deps.sh arm64      the arm64 cross compiler, Qt 6 for arm64, qemu to run it, and what
#                                      dpkg-buildpackage -a arm64 needs (make test-arm64, make package-arm64)
#   scripts/install-deps.sh web        Debian 13's emscripten and Qt tools for building the web version, and for
#                                      testing it Chromium, WebKitGTK and Firefox ESR with Selenium, Xvfb, nginx and
#                                      Apache; off Debian 13, mmdebstrap, which makes a Debian 13 system for that
#                                      (scripts/web-run.sh), where this installs the rest
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
# shellcheck source=lib/web.sh
. "$top/scripts/lib/web.sh"

build="cmake g++ make pkg-config qt6-base-dev qt6-wayland fonts-dejavu-core"
# What scripts/close-with-esci.py needs to find and press "Esci".
window_closing="python3-gi gir1.2-atspi-2.0 at-spi2-core dbus-daemon"
packages=$build
for set in "$@"; do
    case $set in
        build) ;;
        bench) packages="$packages libbenchmark-dev xvfb xauth x11-utils libx11-dev libxdamage-dev" ;;
        fuzz) packages="$packages clang libclang-rt-dev" ;;
        images) packages="$packages icoutils" ;;
        screen) packages="$packages xvfb xauth imagemagick x11-utils $window_closing" ;;
        package) packages="$packages build-essential debhelper dpkg-dev lintian appstream desktop-file-utils autopkgtest xvfb xauth weston $window_closing" ;;
        format) packages="$packages clang-format" ;;
        lint) packages="$packages shellcheck pyflakes3 git dpkg-dev" ;;
        fresh) packages="$packages mmdebstrap debian-archive-keyring git" ;;
        windows) packages="$packages g++-mingw-w64-x86-64-posix ninja-build dpkg-dev debian-archive-keyring perl nsis zip unzip osslsigncode openssl wine wine64 xvfb xauth xdotool xclip imagemagick x11-utils" ;;
        arm64) packages="$packages crossbuild-essential-arm64 qt6-base-dev:arm64 qemu-user build-essential debhelper dpkg-dev lintian" ;;
        web)
            if [ -z "$web_system" ]; then
                packages="$packages emscripten qt6-base-dev-tools ninja-build dpkg-dev debian-archive-keyring zopfli
                    chromium chromium-driver webkit2gtk-driver firefox-esr python3-selenium python3-websocket
                    xvfb xauth nginx apache2 zip git"
            else
                packages="$packages mmdebstrap debian-archive-keyring"
            fi
            ;;
        release) packages="$packages git xz-utils binutils locales reprotest diffoscope-minimal python3-debian unzip" ;;
        *) usage "SET..., where SET is one of those named in $0" ;;
    esac
done

if ! command -v dpkg >/dev/null 2>&1 || ! command -v apt-get >/dev/null 2>&1; then
    fail "this system has no dpkg/apt-get, so nothing can be installed automatically.
Install these Debian package equivalents by hand, then run make again:
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
[ -z "$missing" ] && exit 0

step "installing$missing"
if [ "$(id -u)" -eq 0 ]; then
    sudo=""
elif command -v sudo >/dev/null 2>&1; then
    sudo="sudo"
else
    fail "not root and no sudo; install these packages as root:$missing"
fi
for p in $missing; do
    case $p in
        *:*)
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
# shellcheck disable=SC2086 # one argument a package
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing || status=$?
[ -z "$no_services" ] || $sudo rm -f "$policy"
exit "$status"
