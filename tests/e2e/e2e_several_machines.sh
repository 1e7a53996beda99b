#!/usr/bin/env bash
# End-to-end test: a strongly protected list kept in a folder that a file-sync
# tool shares with a laptop. While the list is open, the sync tool puts the
# laptop's version in place the way such tools do (a temporary file in the
# folder, renamed over the list): the program merges it in and says so, and
# the laptop's listing survives Lock/Close beside the ones typed here. A
# version that arrives while a dialog is open is merged once it closes; one
# written in place over the list is merged by Lock/Close. A conflict copy
# that the sync tool left beside the list is offered at unlock, merged and
# moved to a backup name.
# Then the laptop's version comes sealed under a master password changed on
# the laptop: the program asks for that password (a wrong one is refused),
# merges both lists, and the list goes on under the laptop's password. One
# whose password the user does not give is kept as a conflict copy.
#
# Usage: e2e_several_machines.sh BUILD_DIR DATAFILE_TOOL
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init "$@"

readonly desk_password="Desk4-amber-kettle-orbit"
readonly laptop_password="Lap7Changed"
readonly merged_title="List Merged"
readonly other_version_title="Another Version of Your List"
readonly conflict_title="Conflict Copy Found"
# Each listing as listvault prints it: site, user name, password.
readonly desk_listing=$'www.desk.example\tdeskuser\tD3skPw'
readonly second_listing=$'mail.desk.example\tmailuser\tM41lPw'
readonly laptop_listing=$'shop.laptop.example\tlapuser\tL4pPw'
readonly third_listing=$'bank.desk.example\tbankuser\tB4nkPw'
readonly laptop_second_listing=$'news.laptop.example\tnewsuser\tN3wsPw'
readonly typed_listing=$'forum.desk.example\tforumuser\tF0rumPw'
readonly laptop_third_listing=$'maps.laptop.example\tmapsuser\tM4psPw'
readonly in_place_listing=$'wiki.laptop.example\twikiuser\tW1kiPw'
readonly conflict_listing=$'chat.laptop.example\tchatuser\tCh4tPw'
readonly laptop_kept_listing=$'game.laptop.example\tgameuser\tG4mePw'
readonly again_password="Lap9Again"

# Adds a listing typed as a tab-separated line.
add_listing() {
  local site user pw
  IFS=$'\t' read -r site user pw <<<"$1"
  activate_window "$list_title" >/dev/null
  # The list opens with Add focused.
  press space
  fill_in_add "$site" "$user" "$pw"
}

# Writes to `out` the laptop's version: the list as it is on disk with
# `listing` added, sealed with the same key or, given `new_password`, under
# that one (the list on disk opens with `old_password`, the desk's unless
# given).
make_laptop_version() {
  local out=$1 listing=$2 new_password=${3:-} old_password=${4:-$desk_password} site user pw
  IFS=$'\t' read -r site user pw <<<"$listing"
  "$tool" addlisting "$app/kxplst.vault" "$old_password" "$out" "$site" "$user" "$pw" \
    ${new_password:+"$new_password"} || fail "could not make the laptop's version"
  chmod 600 "$out"
}

# The laptop's version (see make_laptop_version) arrives as a sync tool
# delivers a file: written under a temporary name in the folder, then
# renamed over the list in one step.
laptop_version_arrives() {
  local temporary="$app/.syncthing.kxplst.vault.tmp"
  make_laptop_version "$temporary" "$@"
  mv -f "$temporary" "$app/kxplst.vault"
  say "the laptop's version is in place"
}

# Waits for the message that another version was merged in and answers it.
answer_merged() {
  local id
  id=$(activate_window "$merged_title")
  press Return
  wait_window_closed "$id" "$merged_title"
}

# Waits until the window `id` (called `title`) is no longer shown: several
# windows of one title follow one another.
wait_window_closed() {
  local id=$1 title=$2
  for _ in $(seq $((window_timeout * 10))); do
    xdotool search --onlyvisible --name "$(title_pattern "$title")" 2>>"$tmp/xdotool.log" | grep -qx "$id" || return 0
    sleep 0.1
  done
  fail "\"$title\" is still open"
}

# Fails unless the vault opened with `pw` holds exactly these listings, in
# this order.
expect_listings() {
  local pw=$1 actual expected
  shift
  actual=$("$tool" listvault "$app/kxplst.vault" "$pw") || fail "the vault does not open with \"$pw\""
  expected=$(printf '%s\n' "$@")
  if [[ $actual != "$expected" ]]; then
    say "the vault holds:" >&2
    printf '%s\n' "$actual" >&2
    say "expected:" >&2
    printf '%s\n' "$expected" >&2
    fail "the vault does not hold the listings of both machines"
  fi
}

# Nothing beside the list (and the backup of a merged conflict copy, once
# there is one): no conflict copy, no temporary file left.
kept_backup=""
expect_vault_only() {
  local listing expected="help.html kxinit.ene ${kept_backup:+$kept_backup }kxplst.vault vellamar "
  listing=$(cd "$app" && ls -A | LC_ALL=C sort | tr '\n' ' ')
  [[ $listing == "$expected" ]] || fail "unexpected folder contents: $listing"
}

begin "install into a fresh folder"
install_app
start_display

begin "first start on the desk: strong protection, one listing"
start_program
choose_protection strong
activate_window "$strong_setup_title" >/dev/null
type_text "$desk_password"
press Tab
type_text "$desk_password"
press Return
activate_window "$list_title" >/dev/null
expect_window_gone "$strong_setup_title"
add_listing "$desk_listing"
lock_and_close
expect_listings "$desk_password" "$desk_listing"

begin "the laptop's version replaces the list while it is open: merged, and the message says so"
start_program
unlock "$desk_password"
add_listing "$second_listing"
laptop_version_arrives "$laptop_listing"
answer_merged
lock_and_close
expect_listings "$desk_password" "$desk_listing" "$second_listing" "$laptop_listing"
expect_vault_only

begin "the laptop's version arrives while a dialog is open: merged once it closes"
start_program
unlock "$desk_password"
activate_window "$list_title" >/dev/null
press space
activate_window "$add_title" >/dev/null
laptop_version_arrives "$laptop_third_listing"
# Longer than the program waits for the folder to settle: the open dialog
# holds the merge back.
sleep 3
[[ -z $(visible_window "$merged_title") ]] || fail "merged while the dialog was open"
IFS=$'\t' read -r typed_site typed_user typed_pw <<<"$typed_listing"
fill_in_add "$typed_site" "$typed_user" "$typed_pw"
answer_merged
lock_and_close
expect_listings "$desk_password" "$desk_listing" "$second_listing" "$laptop_listing" "$typed_listing" \
  "$laptop_third_listing"
expect_vault_only

begin "the laptop's version written in place over the list, as a network share does: merged by Lock/Close"
start_program
unlock "$desk_password"
make_laptop_version "$tmp/laptop.vault" "$in_place_listing"
# The same file, its bytes replaced: no name in the folder changes, so
# only the check before the save sees it.
cat "$tmp/laptop.vault" >"$app/kxplst.vault"
activate_window "$list_title" >/dev/null
press alt+l
answer_merged
answer_bye
expect_listings "$desk_password" "$desk_listing" "$second_listing" "$laptop_listing" "$typed_listing" \
  "$laptop_third_listing" "$in_place_listing"
expect_vault_only

begin "a conflict copy the sync tool left is offered at unlock, merged and kept as a backup"
conflict_copy="$app/kxplst.sync-conflict-20261210-101500-ABCDEFG.vault"
make_laptop_version "$conflict_copy" "$conflict_listing"
cp "$conflict_copy" "$tmp/conflict-copy.vault"
start_program
# The question comes over the list as soon as it opens, and keeps the
# keyboard; the password window goes once the list has opened.
activate_window "$unlock_title" >/dev/null
type_text "$desk_password"
press Tab space
activate_window "$conflict_title" >/dev/null
# Yes is the default.
press Return
answer_merged
expect_window_gone "$unlock_title"
lock_and_close
expect_listings "$desk_password" "$desk_listing" "$second_listing" "$laptop_listing" "$typed_listing" \
  "$laptop_third_listing" "$in_place_listing" "$conflict_listing"
[[ ! -e $conflict_copy ]] || fail "the conflict copy is still there"
backups=("$app"/kxplst-backup-*.vault)
if ((${#backups[@]} != 1)) || [[ ! -f ${backups[0]} ]]; then
  fail "the conflict copy was not kept as one backup"
fi
[[ ${backups[0]##*/} =~ ^kxplst-backup-[0-9]{8}-[0-9]{6}\.vault$ ]] || fail "the backup is named ${backups[0]##*/}"
cmp -s "${backups[0]}" "$tmp/conflict-copy.vault" || fail "the backup is not the conflict copy as it was"
kept_backup=${backups[0]##*/}
expect_vault_only

begin "the laptop's version comes under a password changed there: asked for, merged under it"
start_program
unlock "$desk_password"
add_listing "$third_listing"
laptop_version_arrives "$laptop_second_listing" "$laptop_password"
prompt_id=$(activate_window "$other_version_title")
# The desk's password does not open it: refused, and asked again.
type_text "$desk_password"
press Return
wait_window_closed "$prompt_id" "$other_version_title"
refusal_id=$(activate_window "$other_version_title")
[[ $refusal_id != "$prompt_id" ]] || fail "the refusal did not come"
press Return
wait_window_closed "$refusal_id" "$other_version_title"
prompt_id=$(activate_window "$other_version_title")
type_text "$laptop_password"
press Return
wait_window_closed "$prompt_id" "$other_version_title"
answer_merged
lock_and_close
expect_listings "$laptop_password" "$desk_listing" "$second_listing" "$laptop_listing" "$typed_listing" \
  "$laptop_third_listing" "$in_place_listing" "$conflict_listing" "$third_listing" "$laptop_second_listing"
"$tool" listvault "$app/kxplst.vault" "$desk_password" >/dev/null 2>&1 \
  && fail "the desk's old password still opens the list"
expect_vault_only

begin "the next start opens the list with the laptop's password; a version under yet another one is kept aside"
start_program
unlock "$laptop_password"
laptop_version_arrives "$laptop_kept_listing" "$again_password" "$laptop_password"
activate_window "$other_version_title" >/dev/null
# Escape cancels: that version is kept as a conflict copy, and the message
# names it.
press Escape
answer_merged
lock_and_close
expect_listings "$laptop_password" "$desk_listing" "$second_listing" "$laptop_listing" "$typed_listing" \
  "$laptop_third_listing" "$in_place_listing" "$conflict_listing" "$third_listing" "$laptop_second_listing"
conflict_copies=("$app"/kxplst-conflict-*.vault)
if ((${#conflict_copies[@]} != 1)) || [[ ! -f ${conflict_copies[0]} ]]; then
  fail "not one conflict copy was kept"
fi
[[ ${conflict_copies[0]##*/} =~ ^kxplst-conflict-[0-9]{8}-[0-9]{6}\.vault$ ]] \
  || fail "the conflict copy is named ${conflict_copies[0]##*/}"
[[ $("$tool" listvault "${conflict_copies[0]}" "$again_password" | tail -n 1) == "$laptop_kept_listing" ]] \
  || fail "the conflict copy is not the laptop's version"

step="done"
say "PASSED"
