#!/usr/bin/env bash
# End-to-end test: installs the built program into a fresh folder, drives
# the installed program like a user under a virtual X server with a window
# manager, and checks the data files it leaves beside itself.
#
# Usage: e2e_test.sh BUILD_DIR DATAFILE_TOOL
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init "$@"

# ---- Scenario -------------------------------------------------------------

begin "install into a fresh folder"
install_app
expect_size kxinit.ene 25
expect_plain kxinit.ene "$startup_key" "VELLA1TKY-V1.0.1-NEWSETUP"
expect_absent kxpwfl.ene kxpwfl.end kxplst.ene kxplst.end kxinit.end

start_display

begin "first run: set the master password"
start_program
activate_window "$protect_title" >/dev/null
# The first-run marker is cleared as soon as the program starts.
expect_size kxinit.ene 25
expect_plain kxinit.ene "$startup_key" "VELLA1nty-V1.0.1-NEWSETUP"
expect_absent kxpwfl.ene kxplst.ene kxinit.end
set_up_password "$password"
expect_size kxinit.ene 25
expect_plain kxinit.ene "$startup_key" "VELLA1nty-V1.0.1-NEWSETUP"
expect_size kxpwfl.ene 25
expect_plain kxpwfl.ene "$password_file_key" "$(printf '%-25s' "$password")"
expect_size kxplst.ene 0
expect_only_data_files

begin "first run: Lock/Close button"
activate_window "$list_title" >/dev/null
# From Add: Edit, Delete, Lock/Close.
press Tab Tab Tab space
answer_bye
expect_size kxplst.ene 0
expect_only_data_files
expect_mode_600 kxinit.ene kxpwfl.ene kxplst.ene
cp "$app/kxpwfl.ene" "$tmp/kxpwfl.saved"
cp "$app/kxinit.ene" "$tmp/kxinit.saved"

begin "second run: a wrong password, then the right one"
start_program
activate_window "$unlock_title" >/dev/null
[[ -z $(visible_window "$setup_title") ]] || fail "the set-up window opened again"
type_text "$wrong_password"
press Tab space
activate_window "$wrong_title" >/dev/null
press Return
expect_window_gone "$wrong_title"
program_running || fail "the program ended after one wrong password"
[[ -z $(visible_window "$list_title") ]] || fail "a wrong password opened the list"
unlock

begin "second run: close box"
activate_window "$list_title" >/dev/null
# The window manager's close, as the title bar's close box does it.
press alt+F4
answer_bye
cmp -s "$tmp/kxpwfl.saved" "$app/kxpwfl.ene" || fail "kxpwfl.ene changed"
cmp -s "$tmp/kxinit.saved" "$app/kxinit.ene" || fail "kxinit.ene changed"
expect_size kxplst.ene 0
expect_only_data_files
expect_mode_600 kxinit.ene kxpwfl.ene kxplst.ene

begin "third run: unlock, then Alt+L"
start_program
unlock
list_inode=$(inode_of kxplst.ene)
activate_window "$list_title" >/dev/null
press alt+l
answer_bye
[[ $(inode_of kxplst.ene) != "$list_inode" ]] || fail "Lock/Close did not save the list"
cmp -s "$tmp/kxpwfl.saved" "$app/kxpwfl.ene" || fail "kxpwfl.ene changed"
expect_size kxplst.ene 0
expect_only_data_files

begin "fourth run: three wrong passwords end the program"
start_program
for attempt in 1 2 3; do
  activate_window "$unlock_title" >/dev/null
  type_text "$wrong_password$attempt"
  press Tab space
  activate_window "$wrong_title" >/dev/null
  press Return
  expect_window_gone "$wrong_title"
done
activate_window "$intruder_title" >/dev/null
press Return
expect_exit 0 "$list_title"
cmp -s "$tmp/kxpwfl.saved" "$app/kxpwfl.ene" || fail "kxpwfl.ene changed"
expect_size kxplst.ene 0
expect_only_data_files

begin "fifth run: SIGTERM while the list is open"
start_program
unlock
list_inode=$(inode_of kxplst.ene)
kill -TERM "$app_pid"
expect_exit 0 "$bye_title"
[[ $(inode_of kxplst.ene) != "$list_inode" ]] || fail "the list was not saved on SIGTERM"
expect_size kxplst.ene 0
expect_only_data_files
expect_mode_600 kxinit.ene kxpwfl.ene kxplst.ene
cmp -s "$tmp/kxpwfl.saved" "$app/kxpwfl.ene" || fail "kxpwfl.ene changed"

begin "sixth run: a second copy on the same folder is refused"
start_program
unlock
cp "$app/kxplst.ene" "$tmp/kxplst.before-second"
(cd "$tmp" && exec env -u QT_QPA_PLATFORM QT_QPA_PLATFORM=xcb "$app/vellamar") >"$tmp/vellamar-second.log" 2>&1 &
second_pid=$!
activate_window "Vellamar" >/dev/null
[[ -z $(visible_window "$unlock_title") ]] || fail "the second copy asked for the password"
press Return
second_status=0
wait "$second_pid" || second_status=$?
((second_status == 1)) || fail "the second copy ended with status $second_status, expected 1"
program_running || fail "the first copy ended"
cmp -s "$tmp/kxplst.before-second" "$app/kxplst.ene" || fail "the second copy touched the list"
activate_window "$list_title" >/dev/null
press alt+l
answer_bye
expect_only_data_files

step="done"
if [[ -s $tmp/xdotool.log ]]; then
  say "note: xdotool searched again after $(grep -c "X Error" "$tmp/xdotool.log" || true) X error(s)"
fi
say "PASSED"
