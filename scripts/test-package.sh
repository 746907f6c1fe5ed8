#!/usr/bin/env bash
# Tests the Debian package on this machine: builds it from the normal build folder,
# checks it with lintian, installs it with apt-get, runs both programs from the installed
# paths as an unprivileged user, validates the desktop entry and the AppStream metadata,
# and removes the package again. Needs root (or sudo) for apt-get.
set -euo pipefail
cd "$(dirname "$0")/.."

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
if dpkg-query -W -f='${Status}' sleevit 2>/dev/null | grep -q "install ok installed"; then
  echo "A sleevit package is already installed; the package test leaves it alone and is skipped."
  exit 0
fi

work=$(mktemp -d)
chmod 755 "$work"
user=sleevit-test
made_user=no
cleanup() {
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get remove --purge -y -qq sleevit >/dev/null 2>&1 || true
  if [ "$made_user" = yes ]; then
    $sudo userdel -r "$user" >/dev/null 2>&1 || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

bash scripts/package.sh "$work" >"$work/package.log" || {
  cat "$work/package.log"
  exit 1
}
deb=$(ls "$work"/sleevit_*.deb)
echo "package: $(basename "$deb"), $(du -k "$deb" | cut -f1) KiB"

echo "-- lintian"
lintian --tag-display-limit 0 "$deb" 2>/dev/null | tee "$work/lintian.log" || true
if grep -q '^E:' "$work/lintian.log"; then
  echo "lintian found errors"
  exit 1
fi

echo "-- install"
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >"$work/apt.log" 2>&1 || {
  cat "$work/apt.log"
  exit 1
}

if ! id "$user" >/dev/null 2>&1; then
  $sudo useradd --create-home --shell /bin/bash "$user"
  made_user=yes
fi
as_user() {
  $sudo runuser -u "$user" -- env -i HOME="$(getent passwd "$user" | cut -d: -f6)" PATH=/usr/bin:/bin \
    LANG=C.UTF-8 QT_QPA_PLATFORM=offscreen "$@"
}
home=$(getent passwd "$user" | cut -d: -f6)

# Both programs find their data through the same code, so the catalogue read here is
# the one the window reads.
echo "-- sleevit-cli from /usr/bin as $user"
as_user /usr/bin/sleevit-cli --version
as_user /usr/bin/sleevit-cli formats | head -1 | grep -q '^/usr/share/sleevit/Sleevit.dat: [0-9]* formats$' || {
  echo "sleevit-cli did not read the installed catalogue"
  exit 1
}
as_user sh -c 'cd && /usr/bin/sleevit-cli print --sample -o x.pdf'
$sudo test -s "$home/x.pdf" || {
  echo "sleevit-cli print --sample -o x.pdf wrote no PDF"
  exit 1
}

echo "-- the window from /usr/bin as $user (offscreen; it must still be running after 8 s)"
status=0
as_user timeout 8 /usr/bin/sleevit >"$work/window.log" 2>&1 || status=$?
if [ "$status" -ne 124 ]; then
  cat "$work/window.log"
  echo "the window ended by itself (status $status)"
  exit 1
fi

echo "-- validators"
desktop-file-validate /usr/share/applications/sleevit.desktop
appstreamcli validate --no-net /usr/share/metainfo/org.sleevit.Sleevit.metainfo.xml
echo "== Package test passed"
