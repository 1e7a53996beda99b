#!/usr/bin/env bash
# End-to-end test of editing: adds, changes and deletes listings through the
# buttons and the Buttons menu, changes the master password, and checks the
# list and password files the installed program writes.
#
# Usage: e2e_editing.sh BUILD_DIR DATAFILE_TOOL
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init "$@"

# A different length from the first one, so the password file's size shows
# which one it holds.
readonly new_password="Fresh42pass"

begin "install into a fresh folder"
install_app
start_display

begin "first run: set the master password"
start_program
set_up_password "$password"

begin "first run: add three listings"
activate_window "$list_title" >/dev/null
# Focus starts on Add.
press space
fill_in_add "www.example.com" "alice" "pw1"
choose_from_menu b a
fill_in_add "Mail program" "bob" "pw2"
# The menu leaves the focus on Add.
activate_window "$list_title" >/dev/null
press space
fill_in_add "www.third.org" "carol" "pw3"
# Nothing is written before the list closes.
expect_size kxplst.ene 0

begin "first run: change listing 2"
activate_window "$list_title" >/dev/null
# From Add to Edit.
press Tab space
choose_listing "$which_edit_title" 2
activate_window "$edit_title" >/dev/null
# From the web site box to the user name box; replace what it holds.
press Tab ctrl+a
type_text "robert"
# Password box, then Change.
press Tab Tab space
expect_window_gone "$edit_title"

begin "first run: delete listing 1"
activate_window "$list_title" >/dev/null
# From Edit to Delete.
press Tab space
choose_listing "$which_delete_title" 1

begin "first run: Lock/Close"
activate_window "$list_title" >/dev/null
# From Delete to Lock/Close.
press Tab space
answer_bye
expect_size kxplst.ene 220
expect_plain kxplst.ene "$password" "$(record "Mail program" robert pw2)$(record www.third.org carol pw3)"
expect_plain kxpwfl.ene "$password_file_key" "$(printf '%-25s' "$password")"
expect_only_data_files
expect_mode_600 kxinit.ene kxpwfl.ene kxplst.ene
cp "$app/kxplst.ene" "$tmp/kxplst.saved"

begin "second run: the list comes back as it was saved"
start_program
unlock
list_inode=$(inode_of kxplst.ene)
activate_window "$list_title" >/dev/null
press alt+l
answer_bye
[[ $(inode_of kxplst.ene) != "$list_inode" ]] || fail "Lock/Close did not save the list"
cmp -s "$tmp/kxplst.saved" "$app/kxplst.ene" || fail "kxplst.ene changed after an unlock and a close"

begin "third run: change a listing read from the file"
start_program
unlock
choose_from_menu b e
choose_listing "$which_edit_title" 1
activate_window "$edit_title" >/dev/null
# Only the password box is replaced; the other boxes keep the file's pad
# spaces.
press Tab Tab ctrl+a
type_text "pw2b"
press Tab space
expect_window_gone "$edit_title"

begin "third run: change the master password"
# The menu left the focus on Add: Edit, Delete, Lock/Close, Change Password.
change_master_password "$password" "$new_password"
[[ -n $(visible_window "$list_title") ]] || fail "the list closed with the password change"
expect_size kxpwfl.ene ${#new_password}
expect_plain kxpwfl.ene "$password_file_key" "$new_password"
listings="$(record "Mail program" robert pw2b)$(record www.third.org carol pw3)"
expect_plain kxplst.ene "$new_password" "$listings"
expect_only_data_files
expect_mode_600 kxpwfl.ene kxplst.ene

begin "third run: Lock/Close under the new password"
activate_window "$list_title" >/dev/null
press alt+l
answer_bye
expect_plain kxplst.ene "$new_password" "$listings"
expect_plain kxpwfl.ene "$password_file_key" "$new_password"
expect_only_data_files
cp "$app/kxplst.ene" "$tmp/kxplst.saved"
cp "$app/kxpwfl.ene" "$tmp/kxpwfl.saved"

begin "fourth run: the old password is refused, the new one opens the list"
start_program
activate_window "$unlock_title" >/dev/null
type_text "$password"
press Tab space
activate_window "$wrong_title" >/dev/null
press Return
expect_window_gone "$wrong_title"
[[ -z $(visible_window "$list_title") ]] || fail "the old password opened the list"
unlock "$new_password"
activate_window "$list_title" >/dev/null
press alt+F4
answer_bye
cmp -s "$tmp/kxplst.saved" "$app/kxplst.ene" || fail "kxplst.ene changed after an unlock and a close"
cmp -s "$tmp/kxpwfl.saved" "$app/kxpwfl.ene" || fail "kxpwfl.ene changed"
expect_only_data_files

step="done"
if [[ -s $tmp/xdotool.log ]]; then
  say "note: xdotool searched again after $(grep -c "X Error" "$tmp/xdotool.log" || true) X error(s)"
fi
say "PASSED"
