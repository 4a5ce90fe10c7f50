#!/usr/bin/env bash
# Tries the README's commands as a new user would, on a bare Debian 12 root: debootstrap minbase
# with git and ca-certificates only, a clone of this repository's committed main inside it, then
# the main job (with --check, as nobody is there to close the program), the tests and the main
# job again. Reports the wall times, the download size and the disk used, whether the home
# folder gained anything, and whether the main job showed the same machine and unit state
# before and after the tests.
#
#   scripts/bare-machine-trial.sh [ROOT_DIR]     (default build/bare-trial; needs root)
#
# The root is made afresh on every run; delete it afterwards (about 3 GB).
source "$(dirname "$0")/common.sh"
trial=${1:-$BUILD/bare-trial}
root=$trial/root
report=$trial/report.txt

[ "$(id -u)" = 0 ] || die "the trial needs root (debootstrap, chroot, mounts)"
ensure_packages debootstrap

unmount_all() {
    local mount
    for mount in dev/shm dev/pts dev sys proc; do
        mountpoint -q "$root/$mount" 2>/dev/null && umount -l "$root/$mount" || true
    done
}
trap unmount_all EXIT
# The machine's own Debian mirror, as its apt sources name it (deb822 "URIs:" or a one-line
# "deb URI bookworm main"): the first that serves the main archive, not a security or other one.
debian_mirror() {
    local uri
    uri=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources 2>/dev/null |
        awk '$1 == "URIs:" {print $2} $1 == "deb" {for (i = 2; i <= NF; i++) if ($i ~ /^[a-z]+:\/\//) {print $i; break}}' |
        grep -v -E 'security|updates|backports' | grep -E '/debian/?$' | head -1)
    [ -n "$uri" ] || die "no Debian mirror in this machine's apt sources (/etc/apt/sources.list and sources.list.d)"
    echo "$uri"
}

unmount_all
rm -rf "$trial"
mkdir -p "$trial"
mirror=$(debian_mirror)
step "debootstrap --variant=minbase bookworm (plus git and ca-certificates) from $mirror"
logged debootstrap debootstrap --variant=minbase --include=git,ca-certificates bookworm "$root" "$mirror"
mount -t proc proc "$root/proc"
mount -t sysfs sys "$root/sys"
mount --bind /dev "$root/dev"
mount -t devpts devpts "$root/dev/pts"
mount -t tmpfs tmpfs "$root/dev/shm"
cp /etc/resolv.conf "$root/etc/resolv.conf"

step "cloning the committed main into the root"
git clone -q --no-local --branch main "$ROOT" "$root/root/mgx"
find "$root/root" -path "$root/root/mgx" -prune -o -print | sed "s|^$root||" | sort >"$trial/home-before.txt"
disk_before=$(du -smx "$root" | cut -f1)

# in_root NAME COMMAND: runs a shell command in the root as a new user would, timed and logged.
in_root() {
    local name=$1 command=$2 started status=0
    started=$(date +%s)
    chroot "$root" /usr/bin/env -i HOME=/root TERM=dumb PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        /bin/bash -c "cd /root/mgx && $command" >"$trial/$name.log" 2>&1 || status=$?
    echo "$name: '$command' exit status $status in $(( $(date +%s) - started )) s" | tee -a "$report"
    tail -n 4 "$trial/$name.log"
    return "$status"
}

# What the main job shows of the virtual server: the machine and the unit.
shown_state() { sed -n '/==> mgxtb status/,/==> /p' "$trial/$1.log" | grep -E '^(profile|baseboard|devices|unit|device id|faults) ' || true; }

: >"$report"
step "main job, first run (installs, builds, makes the prefix)"
in_root run-first 'scripts/run.sh --check'
step "the tests"
in_root test scripts/test.sh
step "main job after the tests"
in_root run-after 'scripts/run.sh --check'

step "report"
find "$root/root" -path "$root/root/mgx" -prune -o -print | sed "s|^$root||" | sort >"$trial/home-after.txt"
{
    grep -h 'Need to get' "$trial"/run-first.log | sed 's/^/download: /'
    echo "disk used by the trial: $(( $(du -smx "$root" | cut -f1) - disk_before )) MB beyond the bare root of $disk_before MB"
    echo "new in the home folder (outside the clone):"
    comm -13 "$trial/home-before.txt" "$trial/home-after.txt" | sed 's/^/  /'
    echo "main job before the tests:"; shown_state run-first | sed 's/^/  /'
    echo "main job after the tests:"; shown_state run-after | sed 's/^/  /'
    if [ "$(shown_state run-first)" = "$(shown_state run-after)" ]; then echo "same machine and unit state"; else echo "STATE DIFFERS"; fi
} | tee -a "$report"
