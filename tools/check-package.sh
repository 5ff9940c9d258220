#!/usr/bin/env bash
# On a machine of its own (../shared/tools/fresh-debian bash tools/check-package.sh):
# builds the package, removes every build tool again, installs the package with
# apt-get as a user would, and starts the installed program offscreen.
set -euo pipefail
cd "$(dirname "$0")/.."
export DEBIAN_FRONTEND=noninteractive
deb=$(bash tools/package.sh | tail -n 1)
echo "== package: $deb ($(du -k "$deb" | cut -f1) KiB)"
dpkg-deb --field "$deb" Package Version Installed-Size Depends Recommends

# Whatever the build needed goes, so that only the package's own
# dependencies are there when the program starts.
mapfile -t built_with < <(TOLVANE_SETUP_PACKAGE=1 bash tools/setup.sh --list)
apt-get purge -y -qq "${built_with[@]}" >/dev/null
apt-get autoremove -y -qq --purge >/dev/null
apt-get install -y -qq "$deb" >/dev/null
echo "== installed files"
dpkg -L tolvane | sort
tolvane --version
tolvane --help

echo "== start offscreen for 5 seconds, then end it as the session would"
home=$(mktemp -d)
mkdir -m 700 "$home/run"
log="$home/log"
cd "$home"
HOME="$home" XDG_RUNTIME_DIR="$home/run" QT_QPA_PLATFORM=offscreen tolvane >"$log" 2>&1 &
pid=$!
sleep 5
kill -0 "$pid"                      # still running: it started without error
kill -TERM "$pid"
wait "$pid"                         # and ended cleanly when asked
cat "$log"
[ ! -s "$log" ] || { echo "the program wrote errors" >&2; exit 1; }
grep -q "パス=$home" "$home/.config/Tolvane/Tolvane.ini"
echo "== settings: $(cat "$home/.config/Tolvane/Tolvane.ini" | tr '\n' ' ')"
echo "== package check passed"
