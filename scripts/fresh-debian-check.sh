#!/bin/sh
# Checks a commit the way a newcomer meets it: a clean clone on a fresh,
# minimal Debian system (debootstrap's minbase, in a chroot), where only
# "make" is installed by hand, as the README says; then the check command
# runs as root in a clean environment.
#
#   scripts/fresh-debian-check.sh SUITE [REF [COMMAND]]
#
# SUITE is bookworm (Debian 12) or trixie (Debian 13); REF a commit of this
# repository (HEAD by default); COMMAND runs in the clone (sh .ci/run by
# default). Run as root. The pristine system is made once and kept as
# FRESH_DIR/SUITE.tar (build-fresh/ by default; delete it to fetch a newer
# one); every run unpacks it anew into FRESH_DIR/SUITE-run, which stays for a
# look until the next run. Everything runs in a mount and PID namespace of its
# own, so the mounts and any process left inside go away with the script.
set -eu
# shellcheck source=lib/common.sh
. "$(dirname "$0")/lib/common.sh"

mirror=http://deb.debian.org/debian
security=http://deb.debian.org/debian-security
path=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin

if [ $# -lt 1 ] || [ $# -gt 3 ]; then
    usage "bookworm|trixie [REF [COMMAND]]"
fi
suite=$1
ref=${2:-HEAD}
command=${3:-sh .ci/run}
case $suite in
    bookworm|trixie) ;;
    *) usage "bookworm|trixie [REF [COMMAND]]" ;;
esac
if [ "$(id -u)" -ne 0 ]; then
    fail "debootstrap, mount and chroot need root"
fi
for tool in debootstrap git tar unshare; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        fail "$tool is missing (scripts/install-deps.sh fresh installs it)"
    fi
done

if [ -z "${FRESH_NAMESPACE:-}" ]; then
    FRESH_NAMESPACE=1 exec unshare --mount --pid --fork --kill-child --propagation private "$0" "$@"
fi

repo=$top
commit=$(git -C "$repo" rev-parse --verify "$ref^{commit}")
cache=$(mkdir -p "${FRESH_DIR:-$repo/build-fresh}" && cd "${FRESH_DIR:-$repo/build-fresh}" && pwd)
pristine=$cache/$suite.tar
root=$cache/$suite-run

# mounts_under FOLDER: the mount points at FOLDER and below it, one a line.
mounts_under() {
    awk -v top="$1" '$5 == top || index($5, top "/") == 1 { print $5 }' /proc/self/mountinfo
}

# remove_tree FOLDER: deletes the tree FOLDER, never what is mounted inside
# it: its mounts go first, and rm stays on the tree's own file system in any
# case.
remove_tree() {
    [ -e "$1" ] || return 0
    mounts_under "$1" | sort -r | while read -r mounted; do umount -l "$mounted"; done
    if [ -n "$(mounts_under "$1")" ]; then
        fail "$1 still has mounts; not deleting it"
    fi
    rm -rf --one-file-system "$1"
}

# shellcheck disable=SC2317 # called by the exit trap
unmount_all() {
    for point in dev/shm dev/pts dev sys proc; do
        if mountpoint -q "$root/$point"; then
            umount -l "$root/$point"
        fi
    done
}

# in_chroot COMMAND_LINE: runs COMMAND_LINE in the chroot as root, in a clean
# environment: nothing of this machine's, only a path, a home, a locale and
# CI=true.
in_chroot() {
    chroot "$root" /usr/bin/env -i PATH="$path" HOME=/root CI=true LANG=C.UTF-8 sh -c "$1"
}

if [ ! -f "$pristine" ]; then
    step "making a minimal $suite system"
    started=$(date +%s)
    remove_tree "$cache/$suite-bootstrap"
    debootstrap --variant=minbase "$suite" "$cache/$suite-bootstrap" "$mirror"
    # The suite's own main, updates and security archives, as an installed
    # system has them.
    rm -f "$cache/$suite-bootstrap/etc/apt/sources.list"
    cat >"$cache/$suite-bootstrap/etc/apt/sources.list.d/debian.sources" <<EOF
Types: deb
URIs: $mirror
Suites: $suite $suite-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb
URIs: $security
Suites: $suite-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
    tar -C "$cache/$suite-bootstrap" --numeric-owner -cf "$pristine.part" .
    mv "$pristine.part" "$pristine"
    remove_tree "$cache/$suite-bootstrap"
    step "$suite system made in $(($(date +%s) - started)) s"
fi

started=$(date +%s)
trap unmount_all EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
remove_tree "$root"
mkdir "$root"
tar -C "$root" --numeric-owner -xf "$pristine"
rm -f "$root/etc/resolv.conf"
cp /etc/resolv.conf "$root/etc/resolv.conf"

# A clean clone made outside: the fresh system gets no git.
git clone -q --no-checkout "$repo" "$root/root/tervalo"
git -C "$root/root/tervalo" fetch -q origin "$commit"
git -C "$root/root/tervalo" -c advice.detachedHead=false checkout -q "$commit"

mount -t proc proc "$root/proc"
mount -t sysfs sysfs "$root/sys"
mount --bind /dev "$root/dev"
mount -t devpts -o newinstance,ptmxmode=0666,mode=620 devpts "$root/dev/pts"
mount -t tmpfs -o mode=1777 shm "$root/dev/shm"

step "$suite, commit $(git -C "$repo" log -1 --format='%h %s' "$commit")"
step "installing make, the one step by hand"
in_chroot 'apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq make'
step "running '$command'"
status=0
in_chroot "cd /root/tervalo && $command" || status=$?
elapsed=$(($(date +%s) - started))
step "$suite, '$command' exited with $status after $((elapsed / 60)) min $((elapsed % 60)) s"
exit "$status"
