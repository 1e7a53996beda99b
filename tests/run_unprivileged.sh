#!/usr/bin/env bash
# Runs a test binary as an unprivileged user, so that the read-only cases
# meet the system's own refusal too, not only the program's check of the
# mode. Run as root it switches to the user nobody; run by anyone else it
# runs the binary as it is.
#
# Usage: run_unprivileged.sh BINARY [ARGUMENTS...]
set -euo pipefail
binary=$1
shift
if (($(id -u) != 0)); then
  exec "$binary" "$@"
fi
command -v setpriv >/dev/null || { echo "setpriv is not installed" >&2; exit 1; }
# The build folder may not be readable by nobody: run a copy from a folder
# of its own.
work=$(mktemp -d "${TMPDIR:-/tmp}/vellamar-nobody.XXXXXX")
trap 'rm -rf "$work"' EXIT
cp "$binary" "$work/"
chmod 755 "$work" "$work/$(basename "$binary")"
mkdir -m 700 "$work/home" && chown nobody "$work/home"
cd "$work"
setpriv --reuid=nobody --regid=nogroup --clear-groups \
  env HOME="$work/home" TMPDIR="$work/home" XDG_RUNTIME_DIR="$work/home" QT_QPA_PLATFORM=offscreen \
  "$work/$(basename "$binary")" "$@"
