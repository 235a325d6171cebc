#!/bin/bash
# Runs the README's test command, ./tools/test.sh, on a fresh Debian 13
# (trixie) as root and exits with its status: a minimal root made anew in
# the folder given (default /tmp/frostrun-trixie), what Xvfb and the tests
# need mounted (and unmounted whatever happens), the files git lists copied
# in as they are on disk. The root with tools/install-deps.sh's packages is
# kept as a tarball in /var/cache/frostrun (its name holds that list's
# hash) and reused for a week; delete it to start afresh. Debootstrap uses
# the Debian mirror of this machine's apt sources. Needs root.
set -euo pipefail

root=${1:-/tmp/frostrun-trixie}
top=$(cd "$(dirname "$0")/.." && pwd)
key=$(sha256sum "$top/tools/install-deps.sh" | cut -c1-12)
cache=/var/cache/frostrun/trixie-$key.tar.zst
marker=.frostrun-debian13-root

if [ "$(id -u)" -ne 0 ]; then
    exec sudo "$0" "$@"
fi
for tool in debootstrap zstd; do
    if ! command -v "$tool" >/dev/null; then
        apt-get update -q
        DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$tool"
    fi
done

# The first Debian archive among the apt sources (one-line and deb822 forms).
mirror=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources \
    2>/dev/null | grep -Eo '(https?|ftp)://[^ ]*/debian/?( |$)' | head -n 1 | tr -d ' ') || true
mirror=${mirror:-http://deb.debian.org/debian}

# Only a folder that is empty or that this script made is emptied.
mkdir -p "$root"
root=$(cd "$root" && pwd)
if [ -n "$(ls -A "$root")" ] && [ ! -e "$root/$marker" ]; then
    echo "$root is not empty and was not made by this script" >&2
    exit 2
fi

mounts=(proc sys dev dev/pts dev/shm tmp)
unmount() {
    local i
    for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
        if mountpoint -q "$root/${mounts[i]}"; then
            umount "$root/${mounts[i]}" || umount -l "$root/${mounts[i]}"
        fi
    done
}
trap unmount EXIT
unmount
if grep -q " $root/" /proc/mounts; then
    echo "something is still mounted under $root" >&2
    exit 2
fi
find "$root" -mindepth 1 -maxdepth 1 -exec rm -rf --one-file-system {} +

fresh=""
if [ -f "$cache" ] && [ -n "$(find "$cache" -mtime -7)" ]; then
    echo "Debian 13 root from $cache"
    tar -I zstd -xf "$cache" -C "$root"
else
    echo "Debian 13 root from $mirror"
    debootstrap --variant=minbase trixie "$root" "$mirror"
    # No services start in the root; dpkg skips its fsyncs (a throw-away root).
    printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
    chmod +x "$root/usr/sbin/policy-rc.d"
    echo force-unsafe-io >"$root/etc/dpkg/dpkg.cfg.d/unsafe-io"
    fresh=yes
fi
touch "$root/$marker"
cp /etc/resolv.conf "$root/etc/resolv.conf"

# The working tree, as git lists it (files deleted but not yet committed
# are left out).
mkdir "$root/frostrun"
git -C "$top" ls-files -z --cached --others --exclude-standard |
    (cd "$top" && xargs -0 sh -c 'for f; do [ -e "$f" ] || [ -L "$f" ] && printf "%s\0" "$f"; done' -) |
    tar -C "$top" --null -T - -cf - | tar -C "$root/frostrun" -xf -
# Its history too, at the checked-out commit, so that the package test can
# take the tree (uncommitted edits included) with git as it does here.
git clone -q --no-checkout "$top" "$root/frostrun-git"
mv "$root/frostrun-git/.git" "$root/frostrun/.git"
rmdir "$root/frostrun-git"
git -C "$root/frostrun" update-ref --no-deref HEAD "$(git -C "$top" rev-parse HEAD)"
git -C "$root/frostrun" reset -q

mount -t proc proc "$root/proc"
mount -t sysfs sys "$root/sys"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
mount -t tmpfs -o mode=1777 shm "$root/dev/shm"
mount -t tmpfs -o mode=1777 tmp "$root/tmp"

in_root() {
    chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM="${TERM:-dumb}" \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        sh -c "cd /frostrun && $1"
}

# A new root gets the packages now, then is kept (without the checkout).
if [ -n "$fresh" ]; then
    in_root "./tools/install-deps.sh --tests && apt-get clean"
    mkdir -p "$(dirname "$cache")"
    rm -f /var/cache/frostrun/trixie-*.tar.zst
    tar -I "zstd -T0" --exclude=./frostrun --exclude="./$marker" --exclude="./proc/*" \
        --exclude="./sys/*" --exclude="./dev/*" --exclude="./tmp/*" -cf "$cache.new" -C "$root" . && mv "$cache.new" "$cache"
fi

status=0
in_root ./tools/test.sh || status=$?
echo "Debian 13: the test command exited with status $status"
exit "$status"
