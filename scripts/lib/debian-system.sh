# shellcheck shell=sh
# How a script enters a Debian system kept in a folder (a chroot); sourced
# after common.sh. Entering needs root.

# debian_system_private ARGUMENT...: runs this script again with the
# ARGUMENTs in a mount and PID namespace of its own, unless it already runs
# in one, so that what it mounts, and any process left in the system, go
# away when it ends.
debian_system_private() {
    if [ -z "${TERVALO_NAMESPACE:-}" ]; then
        TERVALO_NAMESPACE=1 exec unshare --mount --pid --fork --kill-child --propagation private "$0" "$@"
    fi
    # The first process of a PID namespace is spared the signals it does not
    # catch, so these would not stop it otherwise.
    trap 'exit 130' INT
    trap 'exit 143' TERM
}

# debian_system_run ROOT FOLDER [NAME=VALUE...] COMMAND [ARGUMENT...]: runs
# COMMAND as root in the Debian system in the folder ROOT, in its FOLDER, in
# a clean environment: nothing of this machine's but a path, a home, the
# locale, the current folder (PWD, as a shell's cd sets it) and the
# NAME=VALUEs. The first call, after debian_system_private, makes the
# system's root a mount point and gives it /proc, /sys and /dev (with a
# /dev/pts and /dev/shm of its own) and this machine's name servers.
debian_system_run() {
    if ! mountpoint -q "$1/proc"; then
        # The system's root a mount point of its own (with what is already
        # mounted in it), as on a machine, so that a namespace made inside
        # it (a Debian system within a fresh one) can make its mounts
        # private.
        mount --rbind "$1" "$1"
        mount -t proc proc "$1/proc"
        mount -t sysfs sysfs "$1/sys"
        mount --bind /dev "$1/dev"
        mount -t devpts -o newinstance,ptmxmode=0666,mode=620 devpts "$1/dev/pts"
        mount -t tmpfs -o mode=1777 shm "$1/dev/shm"
        # Replaced in one step: tests run side by side enter the same
        # system at once.
        resolv=$(mktemp "$1/etc/resolv.conf.XXXXXX")
        cat /etc/resolv.conf >"$resolv"
        chmod 644 "$resolv"
        mv -f "$resolv" "$1/etc/resolv.conf"
    fi
    root=$1
    folder=$2
    shift 2
    chroot "$root" /usr/bin/env -i -C "$folder" PWD="$folder" \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 "$@"
}
