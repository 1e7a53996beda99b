#!/usr/bin/env bash
# End-to-end test: runs the installed program under strace through a first
# run, an unlock with a new listing, and a change of the master password,
# and checks that it never creates a plain ".end" file and that nothing it
# writes into its folder holds a password or a listing in clear.
#
# Usage: e2e_no_plain_on_disk.sh BUILD_DIR DATAFILE_TOOL
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init "$@"
command -v strace >/dev/null || { echo "e2e: 'strace' is not installed" >&2; exit 1; }

readonly new_password="Zq7NewMaster"
# Texts that must never reach the folder in clear: both master passwords
# and every value of every listing.
readonly secrets=("$password" "$new_password" "www.tracedsite.org" "traceduser" "Tr4cedPw"
                  "www.second.net" "seconduser" "S3condPw")

# Starts the program under strace; every file and write call, with the
# paths of their descriptors, goes into a log per run.
start_traced() {
  program_wrapper=(strace -f -y -qq -s 1000000 -o "$tmp/strace-run$((run + 1)).log"
    -e trace=open,openat,creat,rename,renameat,renameat2,link,linkat,write,pwrite64,writev)
  start_program
  program_wrapper=()
}

# Fails when a traced run created, renamed or linked any ".end" file, or
# wrote a secret into a file of the folder.
check_trace() {
  local log="$tmp/strace-run$run.log" secret
  [[ -s $log ]] || fail "no trace was written"
  if grep -E '(open|openat|creat|rename|renameat|renameat2|link|linkat)\(' "$log" | grep -F '.end"'; then
    fail "a plain .end file was opened, created or renamed"
  fi
  # Writes whose descriptor is a file in the program's folder.
  grep -E "^[0-9]+ +(write|pwrite64|writev)\([0-9]+<${app//./\\.}/" "$log" >"$tmp/folder-writes.log" || true
  [[ -s $tmp/folder-writes.log ]] || fail "the trace shows no write into the folder at all"
  for secret in "${secrets[@]}"; do
    if grep -qF -- "$secret" "$tmp/folder-writes.log"; then
      grep -F -- "$secret" "$tmp/folder-writes.log" | cut -c1-300 >&2
      fail "\"$secret\" was written into the folder in clear"
    fi
  done
  say "trace of run $run: $(wc -l <"$tmp/folder-writes.log") writes into the folder, none in clear"
}

begin "install into a fresh folder"
install_app
start_display

begin "first run under strace: set up, add a listing, Lock/Close"
start_traced
set_up_password "$password"
activate_window "$list_title" >/dev/null
press space
fill_in_add "www.tracedsite.org" "traceduser" "Tr4cedPw"
lock_and_close
check_trace
expect_plain kxplst.ene "$password" "$(record www.tracedsite.org traceduser Tr4cedPw)"
expect_only_data_files

begin "second run under strace: unlock, add, Lock/Close"
start_traced
unlock
activate_window "$list_title" >/dev/null
press space
fill_in_add "www.second.net" "seconduser" "S3condPw"
lock_and_close
check_trace
expect_plain kxplst.ene "$password" \
  "$(record www.tracedsite.org traceduser Tr4cedPw)$(record www.second.net seconduser S3condPw)"
expect_only_data_files

begin "third run under strace: change the master password, Lock/Close"
start_traced
unlock
change_master_password "$password" "$new_password"
expect_plain kxpwfl.ene "$password_file_key" "$new_password"
lock_and_close
check_trace
expect_plain kxplst.ene "$new_password" \
  "$(record www.tracedsite.org traceduser Tr4cedPw)$(record www.second.net seconduser S3condPw)"
expect_only_data_files

step="done"
say "PASSED"
