#!/usr/bin/env bash
# End-to-end test of everyday use on a real X display: Return and Escape in
# the program's own dialogs (Options from its number boxes, the generator),
# the generator's settings kept across a restart, the row menu's edit and
# delete, the enlarged window, and locks the user did not ask for (idle,
# and the screen lock announced on a private session bus) that return to
# the unlock dialog instead of ending the program. Screenshots are kept in
# E2E_SHOTS_DIR.
#
# Usage: e2e_everyday_use.sh BUILD_DIR DATAFILE_TOOL
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init "$@"
readonly standin="$build_dir/tests/e2e/screensaver_standin"
[[ -x $standin ]] || { echo "e2e: $standin is not built" >&2; exit 1; }
for command in xclip dbus-daemon; do
  command -v "$command" >/dev/null || { echo "e2e: '$command' is not installed" >&2; exit 1; }
done

readonly options_title="Options"
readonly generator_title="Password Generator"
readonly question_title="Delete This Listing"
readonly client_height=206 status_height=22
readonly grid_left=8 grid_top=40 header_height=20 row_height=18

bus_pid=""
# finish reads the script's status from $?: hand it on.
trap 'status=$?; set +e; stop_process "$bus_pid"; (exit "$status"); finish' EXIT

clipboard() {
  xclip -o -selection clipboard 2>/dev/null || true
}

# Waits until the clipboard holds a text of `length` characters; prints it.
wait_for_copied_length() {
  local length=$1 now=""
  for _ in $(seq $((window_timeout * 10))); do
    now=$(clipboard)
    ((${#now} == length)) && { printf '%s' "$now"; return 0; }
    sleep 0.1
  done
  fail "the clipboard holds \"$now\", expected $length characters"
}

# Waits until vellamar.ini holds the line `line`.
wait_for_ini_line() {
  for _ in $(seq $((window_timeout * 10))); do
    grep -qx -- "$1" "$app/vellamar.ini" 2>/dev/null && return 0
    sleep 0.1
  done
  fail "vellamar.ini does not hold \"$1\": $(cat "$app/vellamar.ini" 2>/dev/null)"
}

# Right-clicks listing `row` (from 1) of the grid and waits for the row menu.
open_row_menu() {
  local row=$1 id size menu_height before
  id=$(activate_window "$list_title")
  size=$(xdotool getwindowgeometry "$id" | sed -n 's/^ *Geometry: *//p')
  menu_height=$((${size#*x} - client_height - status_height))
  ((menu_height > 0 && menu_height < 60)) || fail "unexpected list window size $size"
  before=$(program_window_count)
  xdotool mousemove --window "$id" --sync $((grid_left + 120)) \
    $((menu_height + grid_top + header_height + (row - 1) * row_height + row_height / 2)) 2>>"$tmp/xdotool.log"
  xdotool click 1 click 3
  for _ in $(seq 50); do
    (($(program_window_count) > before)) && return 0
    sleep 0.1
  done
  fail "the right-click on row $row opened no menu"
}

# Waits until the list window is gone and the unlock dialog is back, with
# the program still running.
expect_unlock_dialog_again() {
  local seconds=$1
  for _ in $(seq $((seconds * 10))); do
    program_running || fail "the program ended instead of locking"
    [[ -z $(visible_window "$list_title") && -n $(visible_window "$unlock_title") ]] && return 0
    sleep 0.1
  done
  fail "the unlock dialog did not come back within ${seconds}s"
}

begin "install into a fresh folder"
install_app
start_display

begin "first run: set up, add three listings"
start_program
set_up_password "$password"
add_listings "www.example.com" "alice" "pw1" "Mail program" "bob" "pw2" "Games" "carol" "pw3"

begin "Options: Return in the idle box applies, Escape cancels"
choose_from_menu t o
options_id=$(activate_window "$options_title")
shoot options "$options_id"
# From the clipboard box to the idle box.
press Tab ctrl+a
type_text "1"
press Return
expect_window_gone "$options_title"
wait_for_ini_line "IdleLockMinutes=1"
choose_from_menu t o
activate_window "$options_title" >/dev/null
press ctrl+a
type_text "99"
press Escape
expect_window_gone "$options_title"
grep -q "ClipboardClearSeconds=99" "$app/vellamar.ini" && fail "Escape in Options applied the clipboard delay"

begin "the generator: Return copies and closes, Escape closes, the length is kept"
choose_from_menu t g
activate_window "$generator_title" >/dev/null
# The length box has the focus.
press ctrl+a
type_text "12"
shoot generator "$(activate_window "$generator_title")"
press Return
expect_window_gone "$generator_title"
wait_for_copied_length 12 >/dev/null
wait_for_ini_line "Length=12"
choose_from_menu t g
activate_window "$generator_title" >/dev/null
press Escape
expect_window_gone "$generator_title"

begin "the row menu: delete asks with No the default, then deletes"
open_row_menu 3
# The last entry: "Delete This Listing...".
press Up Return
activate_window "$question_title" >/dev/null
press Return
expect_window_gone "$question_title"
open_row_menu 3
press Up Return
activate_window "$question_title" >/dev/null
press alt+y
expect_window_gone "$question_title"

begin "the row menu: edit opens the change dialog on that listing"
open_row_menu 2
# "Edit This Listing...", above Delete.
press Up Up Return
activate_window "$edit_title" >/dev/null
# From the web site box past the user name box to the password box.
press Tab Tab ctrl+a
type_text "pw2new"
press Tab space
expect_window_gone "$edit_title"

begin "the enlarged window"
list_id=$(activate_window "$list_title")
xdotool windowsize --sync "$list_id" 900 500 2>>"$tmp/xdotool.log" || true
shoot list-enlarged "$list_id"

begin "Lock/Close says goodbye and ends"
lock_and_close
expect_plain kxplst.ene "$password" "$(record www.example.com alice pw1)$(record "Mail program" bob pw2new)"
grep -qx "Length=12" "$app/vellamar.ini" || fail "the generator's length was not kept"

begin "second run: the generator opens with the kept settings"
start_program
unlock
choose_from_menu t g
activate_window "$generator_title" >/dev/null
xclip -selection clipboard -i /dev/null
press Return
expect_window_gone "$generator_title"
wait_for_copied_length 12 >/dev/null

begin "second run: left alone for the idle time, the list locks and the unlock dialog comes back"
expect_unlock_dialog_again 90
shoot idle-locked "$(activate_window "$unlock_title")"
[[ -z $(clipboard) ]] || fail "the clipboard still holds the generated password after the lock"
unlock
lock_and_close

begin "third run: a screen lock on the session bus locks the list"
bus_address=$(dbus-daemon --session --print-address=1 --fork --print-pid=3 3>"$tmp/bus.pid")
bus_pid=$(cat "$tmp/bus.pid")
start_program DBUS_SESSION_BUS_ADDRESS="$bus_address"
unlock
# The desktop's screen saver turns on: only its owner of the name counts.
"$standin" "$bus_address" || fail "the stand-in screen saver could not announce itself"
expect_unlock_dialog_again 10
unlock
lock_and_close
expect_plain kxplst.ene "$password" "$(record www.example.com alice pw1)$(record "Mail program" bob pw2new)"

step="done"
say "PASSED"
