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
