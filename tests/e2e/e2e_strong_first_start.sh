#!/usr/bin/env bash
# End-to-end test: a first start that takes the offered strong protection.
# Under strace: the question (Return takes the default, strong), a
# 40-character master password of several scripts in the set-up of its own,
# a listing too long for the earlier format, Lock/Close. Then a new start
# unlocks with the same password. Nothing written into the folder holds a
# secret in clear, and the earlier format's files are never written.
#
# Usage: e2e_strong_first_start.sh BUILD_DIR DATAFILE_TOOL
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init "$@"
command -v strace >/dev/null || { echo "e2e: 'strace' is not installed" >&2; exit 1; }
command -v xclip >/dev/null || { echo "e2e: 'xclip' is not installed" >&2; exit 1; }

# Forty characters: Polish, Japanese, Arabic, Greek, Cyrillic and Latin.
readonly master="Łukasz źródło 日本語 مرحبا Δελτα ключ 9ß!#%"
readonly site="www.example.com"
readonly user="jane.doe.1987@gmail.com"
readonly site_password="Correct-Horse-Battery-42"
readonly secrets=("$master" "$site" "$user" "$site_password")

(($(printf "%s" "$master" | LC_ALL=C.UTF-8 wc -m) == 40)) || fail "the master password is not 40 characters"

# The keyboard map of the virtual X server has none of these letters: the
# password comes in as a user pastes it. The clipboard is emptied after.
paste_text() {
  printf '%s' "$1" | xclip -selection clipboard -i
  press ctrl+v
}
clear_clipboard() {
  printf '' | xclip -selection clipboard -i
}

# Every file and write call of the run, with descriptor paths, each byte of
# a written buffer as \xNN so that text of any script can be searched.
start_traced() {
  program_wrapper=(strace -f -y -qq -xx -s 1000000 -o "$tmp/strace-run$((run + 1)).log"
    -e trace=open,openat,creat,rename,renameat,renameat2,link,linkat,write,pwrite64,writev)
  start_program
  program_wrapper=()
}

hex_escaped() {
  printf '%s' "$1" | od -An -tx1 | tr -d ' \n' | sed 's/../\\x&/g'
}

# Fails when the traced run wrote a secret into a file of the folder, or
# opened any file of the earlier format for writing.
check_trace() {
  local log="$tmp/strace-run$run.log" secret
  [[ -s $log ]] || fail "no trace was written"
  # -xx writes paths as \xNN too.
  grep -E '^[0-9]+ +(write|pwrite64|writev)\(' "$log" | grep -F "<$(hex_escaped "$app/")" \
    >"$tmp/folder-writes.log" || true
  [[ -s $tmp/folder-writes.log ]] || fail "the trace shows no write into the folder at all"
  for secret in "${secrets[@]}"; do
    if grep -qF -- "$(hex_escaped "$secret")" "$tmp/folder-writes.log"; then
      fail "\"$secret\" was written into the folder in clear"
    fi
  done
  # The search must find what was written: the vault's first bytes.
  grep -qF -- "$(head -c 8 "$app/kxplst.vault" | od -An -tx1 | tr -d ' \n' | sed 's/../\\x&/g')" \
    "$tmp/folder-writes.log" || fail "the vault's bytes are not among the writes: the search sees nothing"
  local name named
  for name in kxpwfl.ene kxplst.ene kxpwfl.end kxplst.end; do
    named="$(hex_escaped "/$name")\""
    if grep -E '^[0-9]+ +(open|openat|creat)\(' "$log" | grep -F -- "$named" | grep -E 'O_(WRONLY|RDWR|CREAT)' \
      || grep -E '^[0-9]+ +(rename|renameat|renameat2|link|linkat)\(' "$log" | grep -F -- "$named"; then
      fail "$name was written"
    fi
  done
  say "trace of run $run: $(wc -l <"$tmp/folder-writes.log") writes into the folder, none in clear"
}

expect_vault_only() {
  local listing expected="help.html kxinit.ene kxplst.vault vellamar "
  listing=$(cd "$app" && ls -A | LC_ALL=C sort | tr '\n' ' ')
  [[ $listing == "$expected" ]] || fail "unexpected folder contents: $listing"
  for secret in "${secrets[@]}"; do
    if grep -qF -- "$secret" "$app/kxplst.vault" "$app/kxinit.ene"; then
      fail "\"$secret\" is in the folder in clear"
    fi
  done
}

begin "install into a fresh folder"
install_app
start_display

begin "first start under strace: strong protection, a 40-character master password"
start_traced
choose_protection strong
activate_window "$strong_setup_title" >/dev/null
paste_text "$master"
press Tab
paste_text "$master"
clear_clipboard
# Return presses OK in the program's own dialogs.
press Return
activate_window "$list_title" >/dev/null
expect_window_gone "$strong_setup_title"
press space
fill_in_add "$site" "$user" "$site_password"
lock_and_close
check_trace
expect_vault_only
[[ $("$tool" listvault "$app/kxplst.vault" "$master") == "$site"$'\t'"$user"$'\t'"$site_password" ]] \
  || fail "the vault does not hold the listing as typed"

begin "second start: the same password unlocks the list"
start_program
activate_window "$unlock_title" >/dev/null
paste_text "$master"
clear_clipboard
press Tab space
activate_window "$list_title" >/dev/null
expect_window_gone "$unlock_title"
lock_and_close
expect_vault_only

step="done"
say "PASSED"
