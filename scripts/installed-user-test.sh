#!/usr/bin/env bash
# Installs the program as root into a prefix of root's, then runs the window test of an
# installed copy as an ordinary user: every language offered, the skins load, the
# format editor writes the user's own catalogue, the settings land in the user's config
# folder. Needs root (to install and to switch users).
#
#   scripts/installed-user-test.sh [BUILD_DIR]    (default build-release)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-release}
user=sleevit-tester

if [ "$(id -u)" -ne 0 ]; then
  echo "installed-user test: skipped (needs root to install and to switch users)"
  exit 0
fi
id "$user" >/dev/null 2>&1 || useradd --system --no-create-home --shell /usr/sbin/nologin "$user"

work=$(mktemp -d /tmp/sleevit-installed.XXXXXX)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
prefix="$work/prefix"
home="$work/home"
cmake --install "$build" --prefix "$prefix" >/dev/null
# The test program is copied where the user can run it: the build tree may lie in a
# folder closed to others.
install -m 755 "$build/tests/test_gui" "$work/test_gui"
mkdir -p "$home" "$work/run"
chown "$user" "$home" "$work/run"
chmod 700 "$work/run"
echo "prefix $prefix, owned by $(stat -c %U "$prefix"), data $(stat -c %A "$prefix/share/sleevit")"

runuser -u "$user" -- env -i PATH=/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=offscreen \
  SLEEVIT_INSTALLED_PREFIX="$prefix" \
  "$work/test_gui" --gtest_filter='InstalledAsUser.*' --gtest_brief=0
echo "user copy: $(find "$home" -type f | sed "s|$home|~|" | sort | tr '\n' ' ')"

# The installed program itself starts for the user and stays up until stopped.
set +e
runuser -u "$user" -- env -i PATH=/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=offscreen \
  timeout 4 "$prefix/bin/sleevit" 2>"$work/sleevit.err"
status=$?
set -e
if [ "$status" -ne 124 ]; then
  cat "$work/sleevit.err"
  echo "installed-user test: the installed sleevit ended with status $status"
  exit 1
fi
echo "installed sleevit ran for 4 s as $user until stopped"
