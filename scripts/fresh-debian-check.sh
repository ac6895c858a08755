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

mirror=http://deb.debian.org/debian
security=http://deb.debian.org/debian-security
path=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin

usage()
{
    echo "usage: $0 bookworm|trixie [REF [COMMAND]]" >&2
    exit 2
}

if [ $# -lt 1 ] || [ $# -gt 3 ]; then
    usage
fi
suite=$1
ref=${2:-HEAD}
command=${3:-sh .ci/run}
case $suite in
    bookworm|trixie) ;;
    *) usage ;;
esac
if [ "$(id -u)" -ne 0 ]; then
    echo "fresh-debian-check: debootstrap, mount and chroot need root" >&2
    exit 1
fi
for tool in debootstrap git tar unshare; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "fresh-debian-check: $tool is missing (scripts/install-deps.sh fresh installs it)" >&2
        exit 1
    fi
done

if [ -z "${FRESH_NAMESPACE:-}" ]; then
    FRESH_NAMESPACE=1 exec unshare --mount --pid --fork --kill-child --propagation private "$0" "$@"
fi

repo=$(git -C "$(dirname "$0")" rev-parse --show-toplevel)
commit=$(git -C "$repo" rev-parse --verify "$ref^{commit}")
cache=$(mkdir -p "${FRESH_DIR:-$repo/build-fresh}" && cd "${FRESH_DIR:-$repo/build-fresh}" && pwd)
pristine=$cache/$suite.tar
root=$cache/$suite-run

mountsUnder()
{
    awk -v top="$1" '$5 == top || index($5, top "/") == 1 { print $5 }' /proc/self/mountinfo
}

# Deletes a tree, never what is mounted inside it: its mounts go first, and
# rm stays on the tree's own file system in any case.
removeTree()
{
    [ -e "$1" ] || return 0
    mountsUnder "$1" | sort -r | while read -r mounted; do umount -l "$mounted"; done
    if [ -n "$(mountsUnder "$1")" ]; then
        echo "fresh-debian-check: $1 still has mounts; not deleting it" >&2
        exit 1
    fi
    rm -rf --one-file-system "$1"
}

# shellcheck disable=SC2317 # called by the exit trap
unmountAll()
{
    for point in dev/shm dev/pts dev sys proc; do
        if mountpoint -q "$root/$point"; then
            umount -l "$root/$point"
        fi
    done
}

# Runs a command line in the chroot as root, in a clean environment: nothing
# of this machine's, only a path, a home, a locale and CI=true.
inChroot()
{
    chroot "$root" /usr/bin/env -i PATH="$path" HOME=/root CI=true LANG=C.UTF-8 sh -c "$1"
}

if [ ! -f "$pristine" ]; then
    echo "fresh-debian-check: making a minimal $suite system"
    started=$(date +%s)
    removeTree "$cache/$suite-bootstrap"
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
    removeTree "$cache/$suite-bootstrap"
    echo "fresh-debian-check: $suite system made in $(($(date +%s) - started)) s"
fi

started=$(date +%s)
trap unmountAll EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
removeTree "$root"
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

echo "fresh-debian-check: $suite, commit $(git -C "$repo" log -1 --format='%h %s' "$commit")"
echo "fresh-debian-check: installing make, the one step by hand"
inChroot 'apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq make'
echo "fresh-debian-check: running '$command'"
status=0
inChroot "cd /root/tervalo && $command" || status=$?
elapsed=$(($(date +%s) - started))
echo "fresh-debian-check: $suite, '$command' exited with $status after $((elapsed / 60)) min $((elapsed % 60)) s"
exit "$status"
