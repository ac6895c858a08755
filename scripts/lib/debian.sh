# shellcheck shell=sh
# How the scripts read the Debian package's version and build the package;
# sourced after common.sh.

# debian_version TREE: the version of the newest entry of TREE's
# debian/changelog, whole: [EPOCH:]UPSTREAM-REVISION.
debian_version() {
    dpkg-parsechangelog -l "$1/debian/changelog" -S Version
}

# debian_file_version VERSION: the Debian VERSION without its epoch, as the
# names of the package's files give it (tervalo_UPSTREAM-REVISION.dsc).
debian_file_version() {
    echo "${1#*:}"
}

# debian_upstream_version VERSION: the upstream part of the Debian VERSION,
# without its epoch and its revision.
debian_upstream_version() {
    without_epoch=${1#*:}
    echo "${without_epoch%-*}"
}

# debian_build SOURCE ARCH [OPTION...]: runs dpkg-buildpackage in the
# unpacked source package SOURCE for the architecture ARCH, with the OPTIONs
# (-b, --post-clean, ...; none: source and binaries), unsigned and with
# JOBS jobs (-J; without JOBS, as many as the machine has cores: the
# Makefile sets it, a script run by hand may not). For this machine's
# architecture the build runs the test suite unless DEB_BUILD_OPTIONS says
# nocheck. A package for another architecture is cross-built with Debian's
# cross compilers and that architecture's libraries, and its tests are
# neither built nor run, since its programs cannot run here (make test-arm64
# runs them under an emulator). The variables of a calling make's job server
# are kept from the package's own make, which takes its jobs from -J.
debian_build() {
    (
        cd "$1" || exit
        host_arch=$2
        shift 2
        unset MAKEFLAGS MFLAGS MAKELEVEL
        if [ "$host_arch" = "$(dpkg --print-architecture)" ]; then
            dpkg-buildpackage "$@" -us -uc -J"${JOBS:-auto}"
        else
            DEB_BUILD_OPTIONS="nocheck ${DEB_BUILD_OPTIONS:-}" \
                dpkg-buildpackage -a "$host_arch" -Pnocheck "$@" -us -uc -J"${JOBS:-auto}"
        fi
    )
}

# debian_source PACKAGE VERSION FOLDER: unpacks the source of PACKAGE at
# VERSION into FOLDER and prints the unpacked tree's path. The source comes
# through a private apt sources list that names the Debian suites this
# system already takes its packages from: the system's own apt
# configuration and package lists are neither read for it nor changed.
debian_source() {
    mkdir -p "$3/apt/lists/partial" "$3/apt/parts"
    # deb-src lines for the suites apt reports ("500 <uri> <suite>/main amd64
    # Packages" followed by "release ...,o=Debian,...").
    apt-cache policy | awk '
        $2 ~ /^[a-z]+:\/\// && $3 ~ /\/main$/ { uri = $2; suite = $3; sub(/\/main$/, "", suite); next }
        /release / && /o=Debian/ && uri != "" { print uri, suite }
        { uri = "" }' | sort -u | while read -r uri suite; do
        echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $uri $suite main"
    done >"$3/apt/sources.list"
    if [ ! -s "$3/apt/sources.list" ]; then
        fail "apt names no Debian suite on this system, so the $1 source cannot be found"
    fi
    apt_folder=$3
    # apt_private ARGUMENT...: apt-get with the ARGUMENTs, reading only the
    # private sources list and package lists.
    # shellcheck disable=SC2317 # called below
    apt_private() {
        apt-get -o "Dir::Etc::SourceList=$apt_folder/apt/sources.list" \
            -o "Dir::Etc::SourceParts=$apt_folder/apt/parts" -o "Dir::State::Lists=$apt_folder/apt/lists" \
            -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache= -o APT::Sandbox::User=root "$@"
    }
    apt_private -qq update >&2
    (cd "$apt_folder" && apt_private -q source --only-source "$1=$2") >&2
    find "$3" -maxdepth 1 -type d -name "$1-*" | head -n 1
}
