#!/usr/bin/env bash
# End-to-end test of Tools -> Import... on a real X display: a CSV file with
# a header row of a known kind is picked in the file dialog, the summary
# names what comes in and what cannot, Yes adds the listings in one save,
# and the offer to remove the file (which holds every password in clear)
# removes it. A second file, already in the list, adds nothing.
# Screenshots are kept in E2E_SHOTS_DIR.
#
# Usage: e2e_import.sh BUILD_DIR DATAFILE_TOOL
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init "$@"

readonly file_dialog_title="Import From"
readonly import_title="Import"

# Picks `path` in the open file dialog: the file name box has the focus.
pick_file() {
  activate_window "$file_dialog_title" >/dev/null
  type_text "$1"
  press Return
  expect_window_gone "$file_dialog_title"
}

begin "install into a fresh folder"
install_app
start_display
csv="$tmp/export from elsewhere.csv"
printf '%s\r\n' \
  '"Group","Title","Username","Password","URL","Notes"' \
  '"Root","Bank","alice","pw,1","https://bank.example","two' \
  'lines"' \
  '"Root","Mail","bob","pw2","",""' \
  '"Root","Mail","bob","pw2","",""' \
  '"Root","Too long","carol","a password far too long","https://long.example",""' \
  >"$csv"
cp "$csv" "$tmp/again.csv"

begin "first run: set up, then Tools -> Import... a file of log-ins"
start_program
set_up_password "$password"
choose_from_menu t i
pick_file "$csv"
summary_id=$(activate_window "$import_title")
shoot import-summary "$summary_id"
# Yes, the default: import.
press Return
activate_window "$import_title" >/dev/null
shoot import-remove-offer "$(activate_window "$import_title")"
press alt+y
expect_window_gone "$import_title"
[[ ! -e $csv ]] || fail "the CSV file was not removed"
expect_plain kxplst.ene "$password" "$(record https://bank.example alice pw,1)$(record Mail bob pw2)"

begin "the same log-ins again: nothing is added, nothing is written"
before=$(inode_of kxplst.ene)
choose_from_menu t i
pick_file "$tmp/again.csv"
activate_window "$import_title" >/dev/null
press Return
expect_window_gone "$import_title"
[[ $(inode_of kxplst.ene) == "$before" ]] || fail "the list was written although nothing was added"
[[ -e $tmp/again.csv ]] || fail "the second CSV file went away"

begin "Lock/Close keeps the imported listings"
lock_and_close
expect_plain kxplst.ene "$password" "$(record https://bank.example alice pw,1)$(record Mail bob pw2)"

step="done"
say "PASSED"
