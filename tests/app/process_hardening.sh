#!/usr/bin/env bash
# The program as seen by another process of the same user: both run as the
# user nobody when started as root (root may read any process), each
# otherwise as the user who runs the test. See hardening_probe.cpp.
#
# Usage: process_hardening.sh PROGRAM PROBE STARTUP_RECORD
set -euo pipefail
program=$1 probe=$2 record=$3
work=$(mktemp -d "${TMPDIR:-/tmp}/vellamar-hardening.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/app" "$work/home" "$work/cwd"
cp "$program" "$probe" "$record" "$work/app/"
chmod 755 "$work" "$work/app"
chmod 700 "$work/home"
run=()
if (($(id -u) == 0)); then
  command -v setpriv >/dev/null || { echo "setpriv is not installed" >&2; exit 1; }
  chown -R nobody "$work/app" "$work/home" "$work/cwd"
  run=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi
cd "$work/cwd"
"${run[@]}" env HOME="$work/home" TMPDIR="$work/home" XDG_RUNTIME_DIR="$work/home" QT_QPA_PLATFORM=offscreen \
  bash -c 'ulimit -c unlimited 2>/dev/null || true; exec "$0" "$1"' \
  "$work/app/$(basename "$probe")" "$work/app/$(basename "$program")"
