#!/usr/bin/env bash
# End-to-end test of the listing window's tools on a real X display: find a
# listing, copy its password with Ctrl+C and read the real clipboard (with
# its secret mark), see it cleared after the delay set in vellamar.ini, and
# never clear what another program copied since; a password typed in the
# Add dialog never becomes the PRIMARY selection and copies only through the
# same guard; the row menu and the find
# and options dialogs; a window enlarged with xdotool that opens at that
# size next time. Screenshots of each are kept in the test folder (and in
# E2E_SHOTS_DIR when set) and must not be blank.
#
# Usage: e2e_clipboard_window.sh BUILD_DIR DATAFILE_TOOL
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init "$@"
command -v xclip >/dev/null || { echo "e2e: 'xclip' is not installed" >&2; exit 1; }

readonly find_title="Find A Listing"
readonly options_title="Options"
readonly clear_seconds=3
# The list window's client area at its described size, and the grid in it.
readonly client_width=369 client_height=206
# The status line under the client area (330 twips).
readonly status_height=22
readonly grid_left=8 grid_top=40 header_height=20 row_height=18
readonly secret_pw='Secret#1x'
readonly box_pw='Primary#2y'

clipboard_owner_pid=""
finish_clipboard_owner() {
  # Started by this script: the stand-in clipboard owner.
  stop_process "$clipboard_owner_pid"
}
# finish reads the script's status from $?: hand it on.
trap 'status=$?; set +e; finish_clipboard_owner; (exit "$status"); finish' EXIT

clipboard() {
  xclip -o -selection clipboard "$@" 2>/dev/null || true
}

primary() {
  xclip -o -selection primary 2>/dev/null || true
}

# Waits until the selection (clipboard or primary) holds exactly `text`
# ("" for empty).
wait_for_selection() {
  local selection=$1 text=$2 seconds=$3 now=""
  for _ in $(seq $((seconds * 10))); do
    now=$(xclip -o -selection "$selection" 2>/dev/null || true)
    [[ $now == "$text" ]] && return 0
    sleep 0.1
  done
  fail "the $selection selection holds \"$now\", expected \"$text\""
}
wait_for_clipboard() { wait_for_selection clipboard "$@"; }
wait_for_primary() { wait_for_selection primary "$@"; }

# Keeps the clipboard unchanged for `seconds`.
expect_clipboard_stays() {
  local text=$1 seconds=$2 now
  for _ in $(seq $((seconds * 10))); do
    now=$(clipboard)
    [[ $now == "$text" ]] || fail "the clipboard changed to \"$now\", expected \"$text\" to stay"
    sleep 0.1
  done
}

# The list window's id and the height of its menu bar.
list_geometry() {
  local id size height
  id=$(activate_window "$list_title")
  size=$(xdotool getwindowgeometry "$id" | sed -n 's/^ *Geometry: *//p')
  height=${size#*x}
  printf '%s %s %s\n' "$id" "$size" "$((height - client_height - status_height))"
}

begin "install with a short clipboard delay in vellamar.ini"
install_app
printf '[Options]\nClipboardClearSeconds=%s\n' "$clear_seconds" >"$app/vellamar.ini"
start_display

begin "first run: set the master password and add two listings"
start_program
set_up_password "$password"
activate_window "$list_title" >/dev/null
press space
fill_in_add "www.example.com" "alice" "$secret_pw"
choose_from_menu b a
fill_in_add "Mail program" "bob" "pw2"

begin "the Add dialog's password box: no PRIMARY selection, Ctrl+C through the guard"
choose_from_menu b a
activate_window "$add_title" >/dev/null
type_text "www.third.org"
# The other boxes do hand a selection to PRIMARY, as every program does.
press shift+Home
wait_for_primary "www.third.org" 5
press Tab
type_text "carol"
press Tab
type_text "$box_pw"
press End shift+Home
sleep 0.5
[[ $(primary) != "$box_pw" ]] || fail "the password box handed its text to the PRIMARY selection"
press ctrl+c
wait_for_clipboard "$box_pw" 5
targets=$(clipboard -t TARGETS)
grep -qx 'x-kde-passwordManagerHint' <<<"$targets" || fail "a copy from the password box carries no secret mark"
[[ $(primary) != "$box_pw" ]] || fail "the copy handed the password to the PRIMARY selection"
wait_for_clipboard "" $((clear_seconds + 10))
# Cancel, after the Add button.
press Tab Tab space
expect_window_gone "$add_title"

begin "find a listing with Ctrl+F, typing and Return"
activate_window "$list_title" >/dev/null
press ctrl+f
find_id=$(activate_window "$find_title")
# The first match becomes current as the letters are typed; Return closes.
type_text "EXAMPLE"
shoot find-dialog "$find_id"
press Return
expect_window_gone "$find_title"

begin "Ctrl+C copies the found listing's password, marked secret"
activate_window "$list_title" >/dev/null
press ctrl+c
wait_for_clipboard "$secret_pw" "$window_timeout"
targets=$(clipboard -t TARGETS)
grep -qx 'x-kde-passwordManagerHint' <<<"$targets" || fail "no secret mark among the targets: $(tr '\n' ' ' <<<"$targets")"
[[ $(clipboard -t x-kde-passwordManagerHint) == secret ]] || fail "the secret mark does not say \"secret\""

begin "the clipboard is cleared after the delay"
wait_for_clipboard "" $((clear_seconds + 10))

begin "what another program copied meanwhile stays"
activate_window "$list_title" >/dev/null
press ctrl+b
wait_for_clipboard "alice" "$window_timeout"
printf 'copied elsewhere' | xclip -selection clipboard -quiet >/dev/null 2>&1 &
clipboard_owner_pid=$!
wait_for_clipboard "copied elsewhere" "$window_timeout"
expect_clipboard_stays "copied elsewhere" $((clear_seconds + 2))
stop_process "$clipboard_owner_pid"
clipboard_owner_pid=""

begin "the row menu of a right-click"
read -r list_id _ menu_height < <(list_geometry)
((menu_height > 0 && menu_height < 60)) || fail "unexpected menu bar height $menu_height"
before=$(program_window_count)
xdotool mousemove --window "$list_id" --sync $((grid_left + 120)) \
  $((menu_height + grid_top + header_height + row_height / 2)) 2>>"$tmp/xdotool.log"
xdotool click 3
for _ in $(seq 50); do
  (($(program_window_count) > before)) && break
  sleep 0.1
done
(($(program_window_count) > before)) || fail "the right-click opened no menu"
shoot row-menu "$list_id" 120
# "Copy User Name", the second entry.
press Down Down Return
wait_for_clipboard "alice" "$window_timeout"

begin "the options dialog"
choose_from_menu t o
options_id=$(activate_window "$options_title")
shoot options-dialog "$options_id"
# Cancel: after the two boxes and OK.
press Tab Tab Tab space
expect_window_gone "$options_title"

begin "enlarge the list window"
read -r list_id size _ < <(list_geometry)
xdotool windowsize --sync "$list_id" 760 520 2>>"$tmp/xdotool.log" || true
for _ in $(seq 50); do
  read -r _ size _ < <(list_geometry)
  [[ $size == "760x520" ]] && break
  sleep 0.1
done
[[ $size == "760x520" ]] || fail "the list window is $size after enlarging it to 760x520"
shoot list-enlarged "$list_id"

begin "Lock/Close keeps the size and the options file"
press alt+l
answer_bye
grep -qx "ListWidthTwips=$((760 * 15))" "$app/vellamar.ini" || fail "vellamar.ini holds no window width: $(cat "$app/vellamar.ini")"
grep -qx "ClipboardClearSeconds=$clear_seconds" "$app/vellamar.ini" || fail "vellamar.ini lost the clipboard delay"
[[ -z $(clipboard) ]] || fail "the clipboard still holds something after Lock/Close"

begin "second run: opens at the remembered size"
start_program
unlock
read -r list_id size _ < <(list_geometry)
[[ $size == "760x520" ]] || fail "the list window opened at $size, not 760x520"
press ctrl+u
wait_for_clipboard "Mail program" "$window_timeout"
press alt+l
answer_bye
[[ -z $(clipboard) ]] || fail "the clipboard still holds the web site after Lock/Close"
expect_plain kxplst.ene "$password" "$(record www.example.com alice "$secret_pw")$(record "Mail program" bob pw2)"

step="done"
say "PASSED"
