#!/usr/bin/env bash
# End-to-end test of what the list hands to the desktop: double-clicking web
# sites in the grid, the Help page and the About window. A stand-in
# `xdg-open` first on the program's PATH records what it is given.
#
# Usage: e2e_launch.sh BUILD_DIR DATAFILE_TOOL
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init "$@"

# Grid geometry in the list window's client area, below the menu bar.
readonly client_height=206
# The status line under the client area (330 twips).
readonly status_height=22
readonly grid_left=8 grid_top=40
readonly header_height=20 row_height=18
readonly -a column_left=(0 37 203 286)
readonly -a column_width=(37 166 83 83)
# The last column runs past the grid's right edge; aim at its visible part.
readonly grid_width=353

launch_log="$tmp/xdg-open.log"
arguments_log="$tmp/xdg-open-arguments.log"

make_stand_in() {
  mkdir -p "$tmp/bin"
  cat >"$tmp/bin/xdg-open" <<EOF
#!/bin/sh
printf '%s\n' "\$#" >>'$arguments_log'
printf '%s\n' "\$1" >>'$launch_log'
EOF
  chmod +x "$tmp/bin/xdg-open"
  : >"$launch_log"
  : >"$arguments_log"
}

start_with_stand_in() {
  start_program PATH="$tmp/bin:$PATH"
}

# Double-clicks the middle of the visible part of cell (`row`, `column`);
# rows count from 1 below the header, columns from 0.
double_click_cell() {
  local row=$1 column=$2 id size height menu_height x y right
  id=$(activate_window "$list_title")
  size=$(xdotool getwindowgeometry "$id" | sed -n 's/^ *Geometry: *//p')
  height=${size#*x}
  # The window holds the menu bar, the client area and the status line.
  menu_height=$((height - client_height - status_height))
  ((menu_height > 0 && menu_height < 60)) || fail "unexpected list window size $size"
  right=$((column_left[column] + column_width[column]))
  ((right > grid_width - 4)) && right=$((grid_width - 4))
  x=$((grid_left + (column_left[column] + right) / 2))
  y=$((menu_height + grid_top + header_height + (row - 1) * row_height + row_height / 2))
  xdotool mousemove --window "$id" --sync "$x" "$y" 2>>"$tmp/xdotool.log"
  xdotool click --repeat 2 --delay 100 1
  # Later clicks must not join this one into a triple click.
  sleep 0.5
}

# Waits until the stand-in has been started `count` times in all.
wait_for_launches() {
  local count=$1
  for _ in $(seq $((window_timeout * 10))); do
    (($(wc -l <"$launch_log") >= count)) && return 0
    sleep 0.1
  done
  fail "xdg-open was started $(wc -l <"$launch_log") time(s), expected $count"
}

# Fails unless the stand-in's log holds exactly the given lines.
expect_launches() {
  local expected="$tmp/expected-launches.log"
  printf '%s\n' "$@" >"$expected"
  if ! cmp -s "$launch_log" "$expected"; then
    say "xdg-open was given:" >&2
    sed 's/^/  | /' "$launch_log" >&2
    say "expected:" >&2
    sed 's/^/  | /' "$expected" >&2
    fail "xdg-open was not given what was expected"
  fi
  grep -qvx 1 "$arguments_log" && fail "xdg-open was given other than one argument"
  return 0
}

# Fails if an "Oops" box shows up within a moment.
expect_no_oops() {
  # Watch for a while: on a loaded machine a box can be slow to appear.
  local tries
  for tries in 1 2 3 4 5 6 7 8 9 10; do
    [[ -z $(visible_window "$oops_title") ]] || fail "an \"$oops_title\" box appeared"
    sleep 0.2
  done
}

begin "install into a fresh folder"
install_app
make_stand_in
start_display

begin "first run: set the master password and add listings"
start_with_stand_in
set_up_password "$password"
add_listings "www.example.com" "alice" "pw1" "Mail program" "bob" "pw2" "WWW.Mixed.Org" "dave" "pw4" \
  "https://bank.example/login" "erin" "pw5" "http://old.example.net" "fred" "pw6"
activate_window "$list_title" >/dev/null
press alt+l
answer_bye
listings="$(record www.example.com alice pw1)$(record "Mail program" bob pw2)$(record WWW.Mixed.Org dave pw4)"
listings+="$(record https://bank.example/login erin pw5)$(record http://old.example.net fred pw6)"
expect_plain kxplst.ene "$password" "$listings"
cp "$app/kxplst.ene" "$tmp/kxplst.saved"

# Read back from the file, the cells carry the pad spaces.
begin "second run: double-click a web site"
start_with_stand_in
unlock
double_click_cell 1 1
wait_for_launches 1
expect_launches "https://www.example.com"

begin "second run: double-clicks outside the web site column"
double_click_cell 1 0
expect_no_oops
double_click_cell 1 2
expect_no_oops
double_click_cell 2 3
expect_no_oops
expect_launches "https://www.example.com"

begin "second run: double-click a site that is not a web site"
double_click_cell 2 1
activate_window "$oops_title" >/dev/null
press Return
expect_window_gone "$oops_title"
expect_launches "https://www.example.com"

begin "second run: upper-case web site"
double_click_cell 3 1
wait_for_launches 2
expect_launches "https://www.example.com" "https://WWW.Mixed.Org"

# Rows 4 and 5 lie below the grid's visible part: reached from row 3 with
# the keyboard and opened from the row menu.
begin "second run: addresses that name their scheme open as written"
activate_window "$list_title" >/dev/null
press Down Menu
# Copy Password, Copy User Name, Copy Web Site/Program, Open Web Site.
sleep 0.5
press Down Down Down Down Return
wait_for_launches 3
press Down Menu
sleep 0.5
press Down Down Down Down Return
wait_for_launches 4
expect_launches "https://www.example.com" "https://WWW.Mixed.Org" "https://bank.example/login" \
  "http://old.example.net"

begin "second run: Help > Help"
choose_from_menu h e
wait_for_launches 5
expect_launches "https://www.example.com" "https://WWW.Mixed.Org" "https://bank.example/login" \
  "http://old.example.net" "$app/help.html"

begin "second run: Help > About"
choose_from_menu h t
about_id=$(activate_window "$about_title")
import -window root "$tmp/about-screen.png" || fail "could not take a screenshot"
# The window itself must show something, not a blank area.
import -window "$about_id" "$tmp/about-window.png" || fail "could not take a picture of the About window"
colours=$(convert "$tmp/about-window.png" -format %k info:)
((colours > 1)) || fail "the About window looks blank"
say "About window: $(identify -format %wx%h "$tmp/about-window.png"), $colours colours"
# O.K. has the focus.
press space
expect_window_gone "$about_title"

begin "second run: Lock/Close"
activate_window "$list_title" >/dev/null
press alt+l
answer_bye
cmp -s "$tmp/kxplst.saved" "$app/kxplst.ene" || fail "kxplst.ene changed"
expect_launches "https://www.example.com" "https://WWW.Mixed.Org" "https://bank.example/login" \
  "http://old.example.net" "$app/help.html"
expect_only_data_files

step="done"
if [[ -s $tmp/xdotool.log ]]; then
  say "note: xdotool searched again after $(grep -c "X Error" "$tmp/xdotool.log" || true) X error(s)"
fi
say "PASSED"
