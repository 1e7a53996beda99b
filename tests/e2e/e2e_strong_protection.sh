#!/usr/bin/env bash
# End-to-end test: turns strong protection on from the Tools menu, checks
# that no file left in the folder gives the master password or a listing
# away, unlocks the vault, changes its password, unlocks with the new one,
# turns protection off and reads the described files with their cipher.
#
# Usage: e2e_strong_protection.sh BUILD_DIR DATAFILE_TOOL
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init "$@"

readonly strong_title="Strong Protection"
readonly strong_password="Vault7-plum-cedar-lantern"
readonly newer_password="Vault8Newer"
readonly described_again="Back9Plain"
readonly secrets=("$password" "$strong_password" "$newer_password" "$described_again" "www.vaulted.org" "vaultuser" "V4ultPw"
                  "Mail program" "mailuser" "M41lPw")

# Waits for the question that the dialog `dialog_id` asks under its own
# title, gives it the keyboard and prints its id. Keys pressed before it
# has the keyboard would go to the dialog behind it.
activate_question() {
  local dialog_id=$1 pattern id
  pattern=$(title_pattern "$strong_title")
  for _ in $(seq $((window_timeout * 10))); do
    id=$(xdotool search --onlyvisible --name "$pattern" 2>>"$tmp/xdotool.log" | grep -vx "$dialog_id" | head -n 1) || true
    if [[ -n $id ]]; then
      give_keyboard "$id" "$strong_title (question)"
      printf '%s\n' "$id"
      return 0
    fi
    program_running || fail "the program ended before the question appeared"
    sleep 0.1
  done
  fail "no question over \"$strong_title\""
}

# Answers the question that dialog `dialog_id` asks with `key` (Yes by
# default), then Lock/Close.
answer_yes_and_close() {
  local question_id
  question_id=$(activate_question "$1")
  press "${2:-alt+y}"
  for _ in $(seq $((window_timeout * 10))); do
    xdotool getwindowname "$question_id" >/dev/null 2>&1 || break
    sleep 0.1
  done
  expect_window_gone "$strong_title"
  lock_and_close
}

# The Argon2id operations and memory limits in the vault's header.
vault_params() {
  od -An -t u8 -j 15 -N 16 "$app/kxplst.vault" | tr -s ' ' | sed 's/^ //; s/ $//'
}

# Fails when any file in the folder gives a secret away.
expect_nothing_revealed() {
  local file
  for file in "$app"/*; do
    [[ -f $file && $(basename "$file") != vellamar && $(basename "$file") != help.html ]] || continue
    if "$tool" reveals "$file" "${secrets[@]}" >"$tmp/reveals.txt"; then
      fail "$(cat "$tmp/reveals.txt")"
    fi
  done
}

begin "install into a fresh folder"
install_app
start_display

begin "first run: set up and add two listings"
start_program
set_up_password "$password"
activate_window "$list_title" >/dev/null
press space
fill_in_add "www.vaulted.org" "vaultuser" "V4ultPw"
activate_window "$list_title" >/dev/null
press space
fill_in_add "Mail program" "mailuser" "M41lPw"
lock_and_close
# A copy of the weakly protected list, as an earlier set-up may have kept.
cp "$app/kxplst.ene" "$app/kxplst-backup-20261209-231500.ene"

begin "second run: turn strong protection on"
start_program
unlock
choose_from_menu t s
strong_id=$(activate_window "$strong_title")
type_text "$password"
press Tab
type_text "$strong_password"
press Tab
type_text "$strong_password"
press Tab space
# Asked whether to remove the weak copy, which holds nothing the vault
# lacks: Return takes the default, yes.
answer_yes_and_close "$strong_id" Return

begin "nothing in the folder gives the password or a listing away"
listing=$(cd "$app" && ls -A | LC_ALL=C sort | tr '\n' ' ')
[[ $listing == "help.html kxinit.ene kxplst.vault vellamar " ]] || fail "unexpected folder contents: $listing"
expect_nothing_revealed
# The check itself must see what the described files give away.
"$tool" reveals "$app/help.html" "this text is not there" >/dev/null && fail "the check finds secrets everywhere"

begin "third run: unlock the vault, change its password"
start_program
unlock "$strong_password"
change_master_password "$strong_password" "$newer_password"
lock_and_close
expect_nothing_revealed

begin "a vault sealed with weak settings is sealed again at unlock"
"$tool" weakvault "$app/kxplst.vault" "$newer_password"
[[ $(vault_params) == "1 8192" ]] || fail "the weak vault has $(vault_params)"

begin "fourth run: the old password is refused, the new one opens; turn protection off"
start_program
activate_window "$unlock_title" >/dev/null
type_text "$strong_password"
press Tab space
activate_window "$wrong_title" >/dev/null
press Return
expect_window_gone "$wrong_title"
unlock "$newer_password"
[[ $(vault_params) == "6 134217728" ]] || fail "after the unlock the vault has $(vault_params)"
choose_from_menu t s
strong_id=$(activate_window "$strong_title")
# The vault's password, then a new one for the earlier format, twice.
type_text "$newer_password"
press Tab
type_text "$described_again"
press Tab
type_text "$described_again"
press Tab space
# Asked whether to give the protection up: yes.
answer_yes_and_close "$strong_id"

begin "the described files are back, under their new password"
expect_only_data_files
expect_plain kxpwfl.ene "$password_file_key" "$described_again"
expect_plain kxplst.ene "$described_again" \
  "$(record "www.vaulted.org" vaultuser V4ultPw)$(record "Mail program" mailuser M41lPw)"

step="done"
say "PASSED"
