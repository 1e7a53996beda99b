#!/usr/bin/env bash
# End-to-end test: installing again over a folder that holds every file the
# program writes keeps each of them byte for byte; only the program and its
# help page are replaced.
#
# Usage: e2e_reinstall.sh BUILD_DIR DATAFILE_TOOL
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init "$@"

# Every file the program may leave in its folder.
readonly kept_files=(
  kxinit.ene kxpwfl.ene kxplst.ene
  kxinit.end kxpwfl.end kxplst.end
  kxinit-backup-20261209-231500.ene kxpwfl-backup-20261209-231500.ene kxplst-backup-20261209-231500.ene
  kxpwfl-pending.ene kxplst-pending.ene
  vellamar.lock vellamar.ini kxplst.vault
)

begin "install into a fresh folder"
install_app

begin "fill the folder with every file the program writes"
for file in "${kept_files[@]}"; do
  head -c 333 /dev/urandom >"$app/$file"
done
chmod 600 "$app"/kx*
(cd "$app" && sha256sum "${kept_files[@]}") >"$tmp/before.sha256"
stat -c '%n %a %i' "${kept_files[@]/#/$app/}" >"$tmp/before.stat"

begin "install again over it"
install_app
(cd "$app" && sha256sum --quiet -c "$tmp/before.sha256") || fail "a file changed when installing again"
stat -c '%n %a %i' "${kept_files[@]/#/$app/}" >"$tmp/after.stat"
diff -u "$tmp/before.stat" "$tmp/after.stat" || fail "a file was replaced or its mode changed"
grep -q "Keeping the existing start-up record" "$tmp/install.log" || fail "the install did not say it kept the start-up record"

step="done"
say "PASSED"
