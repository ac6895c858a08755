#!/bin/sh
# Checks a commit the way a newcomer meets it: a clean clone on a fresh,
# minimal Debian system (mmdebstrap's minbase, with the release's main,
# updates and security archives, as installed), where only "make" is
# installed by hand, as the README says; then the check command runs as root
# in a clean environment.
#
#   scripts/fresh-debian-check.sh SUITE [REF [COMMAND]]
#
# SUITE is bookworm (Debian 12) or trixie (Debian 13); REF a commit of this
# repository (HEAD by default); COMMAND runs in the clone (sh .ci/run by
# default), and its exit status is the script's. Run as root. The pristine
# system is made once and kept as FRESH_DIR/SUITE.tar (build-fresh/ by
# default; delete it to fetch a newer one); every run unpacks it anew into
# FRESH_DIR/SUITE-run, which stays for a look until the next run. Nothing
# stays mounted or running after the script.
set -eu
# shellcheck source=lib/common.sh
. "$(dirname "$0")/lib/common.sh"
# shellcheck source=lib/debian-system.sh
. "$top/scripts/lib/debian-system.sh"

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
[ "$(id -u)" -eq 0 ] || fail "mmdebstrap, mount and chroot need root"
for tool in mmdebstrap git; do
    command -v "$tool" >/dev/null 2>&1 || fail "$tool is missing (scripts/install-deps.sh fresh installs it)"
done
debian_system_private "$@"

commit=$(git -C "$top" rev-parse --verify "$ref^{commit}")
cache=$(mkdir -p "${FRESH_DIR:-$top/build-fresh}" && cd "${FRESH_DIR:-$top/build-fresh}" && pwd)
pristine=$cache/$suite.tar
root=$cache/$suite-run

if [ ! -f "$pristine" ]; then
    step "making a minimal $suite system"
    # Given no mirror, mmdebstrap takes a stable release's main, updates and
    # security archives from deb.debian.org and security.debian.org.
    mmdebstrap --variant=minbase --format=tar "$suite" "$pristine.part"
    mv "$pristine.part" "$pristine"
fi

started=$(date +%s)
# rm keeps to the run folder's file system, but a mount made in it by hand,
# for a look, may be a bind of that same file system.
if grep -qs " ${root}[/ ]" /proc/self/mountinfo; then
    fail "something is mounted in $root; not deleting it"
fi
rm -rf --one-file-system "$root"
mkdir "$root"
tar -C "$root" --numeric-owner -xf "$pristine"
# A clean clone made outside: the fresh system gets no git.
git clone -q --no-checkout "$top" "$root/root/tervalo"
git -C "$root/root/tervalo" fetch -q origin "$commit"
git -C "$root/root/tervalo" -c advice.detachedHead=false checkout -q "$commit"

step "$suite, commit $(git -C "$top" log -1 --format='%h %s' "$commit")"
step "installing make, the one step by hand"
debian_system_run "$root" /root CI=true \
    sh -c 'apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq make'
step "running '$command'"
status=0
debian_system_run "$root" /root/tervalo CI=true sh -c "$command" || status=$?
elapsed=$(($(date +%s) - started))
step "$suite, '$command' exited with $status after $((elapsed / 60)) min $((elapsed % 60)) s"
exit "$status"
