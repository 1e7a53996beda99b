# shellcheck shell=bash disable=SC2034 # the constants are used by the scripts that source this
# Shared by the end-to-end scripts: a fresh install folder, a virtual X
# server with a window manager, driving the installed program like a user
# and checking the data files it leaves beside itself.
#
# Source it, then call `e2e_init "$@"` with BUILD_DIR DATAFILE_TOOL.
# E2E_KEEP=1 keeps the test folder (screenshots included) after a pass too.
# On failure the test folder is kept and a screenshot, the window list, the
# program's output and the folder listing are printed.

readonly password="e2eSecret"
readonly wrong_password="notTheOne"
readonly startup_key="hmut58qkze"
readonly password_file_key="sx8peu3"
readonly protect_title="Protect Your Password List"
readonly setup_title="Enter your new password.."
readonly strong_setup_title="Set Up Strong Protection"
readonly unlock_title="Enter Password"
readonly list_title="Your Password List"
readonly wrong_title="Sorry"
readonly bye_title="Sorry to see you go."
readonly intruder_title="So couldn't get in huh."
readonly add_title="Add A Listing"
readonly which_edit_title="Which Listing?"
readonly edit_title="Edit A Listing"
readonly which_delete_title="Which listing?"
readonly change_password_title="Password Change"
readonly oops_title="Oops"
readonly about_title="About Vellamar V1.0"
readonly window_timeout=20
readonly exit_timeout=20

step="preparing"
xvfb_pid=""
wm_pid=""
app_pid=""
run=0
display=""
tmp=""
app=""
# A command the program is started under, such as strace (empty: none).
program_wrapper=()

e2e_init() {
  if (($# != 2)); then
    echo "usage: $0 BUILD_DIR DATAFILE_TOOL" >&2
    exit 2
  fi
  build_dir=$1
  tool=$2
  local command
  for command in Xvfb xdpyinfo openbox xdotool xprop import convert identify cmake; do
    command -v "$command" >/dev/null || { echo "e2e: '$command' is not installed" >&2; exit 1; }
  done
  tmp=$(mktemp -d "${TMPDIR:-/tmp}/vellamar-e2e.XXXXXX")
  app="$tmp/app"
  trap finish EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
}

say() { printf 'e2e: %s\n' "$*"; }

begin() {
  step=$1
  say "--- $step"
}

fail() {
  printf 'e2e: FAILED in step "%s": %s\n' "$step" "$*" >&2
  exit 1
}

stop_process() {
  local pid=$1
  [[ -n $pid ]] || return 0
  kill -0 "$pid" 2>/dev/null || return 0
  kill -TERM "$pid" 2>/dev/null || true
  for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

finish() {
  local status=$?
  set +e
  if ((status != 0)); then
    if [[ -n $display && -n $xvfb_pid ]] && kill -0 "$xvfb_pid" 2>/dev/null; then
      local shot="$tmp/failure-screen.png"
      if DISPLAY=$display timeout 15 import -window root "$shot" 2>/dev/null; then
        say "screenshot of the failure: $shot" >&2
      fi
      say "windows on the screen:" >&2
      DISPLAY=$display xdotool search --onlyvisible --name '.' 2>/dev/null | while read -r id; do
        printf '  %s "%s"\n' "$id" "$(DISPLAY=$display xdotool getwindowname "$id" 2>/dev/null)" >&2
      done
    fi
    if [[ -s $tmp/xdotool.log ]]; then
      say "xdotool reported:" >&2
      sed 's/^/  | /' "$tmp/xdotool.log" >&2
    fi
    for log in "$tmp"/vellamar-run*.log "$tmp"/xdg-open*.log; do
      [[ -s $log ]] || continue
      say "output of ${log##*/}:" >&2
      sed 's/^/  | /' "$log" >&2
    done
    if [[ -d $app ]]; then
      say "installed folder:" >&2
      ls -la "$app" >&2
    fi
  fi
  # The program was started by this script; it and the X server go together.
  stop_process "$app_pid"
  stop_process "$wm_pid"
  stop_process "$xvfb_pid"
  if ((status == 0)) && [[ -z ${E2E_KEEP:-} ]]; then
    rm -rf "$tmp"
  elif ((status == 0)); then
    say "kept the test folder (E2E_KEEP): $tmp"
  else
    say "kept the test folder: $tmp" >&2
  fi
  exit "$status"
}

# ---- Files ----------------------------------------------------------------

install_app() {
  env -u DESTDIR cmake --install "$build_dir" --prefix "$app" >"$tmp/install.log" 2>&1 \
    || { cat "$tmp/install.log" >&2; fail "cmake --install failed"; }
  [[ -x $app/vellamar ]] || fail "vellamar was not installed"
  [[ -f $app/help.html ]] || fail "help.html was not installed"
}

# Fails unless the file exists and holds exactly `size` bytes.
expect_size() {
  local file=$1 size=$2 actual
  [[ -f $app/$file ]] || fail "$file is missing"
  actual=$(stat -c %s "$app/$file")
  ((actual == size)) || fail "$file holds $actual bytes, expected $size"
}

expect_absent() {
  local file
  for file; do
    [[ ! -e $app/$file ]] || fail "$file exists but should not"
  done
}

# The program replaces a file by writing a new one, so a new inode shows
# that it was written again.
inode_of() {
  stat -c %i "$app/$1"
}

expect_mode_600() {
  local file mode
  for file; do
    mode=$(stat -c %a "$app/$file")
    [[ $mode == 600 ]] || fail "$file has mode $mode, expected 600"
  done
}

# Fails unless `file` deciphered under `key` is exactly the bytes of `plain`.
expect_plain() {
  local file=$1 key=$2 plain=$3
  local actual="$tmp/actual.bin" expected="$tmp/expected.bin"
  "$tool" decipher "$app/$file" "$key" >"$actual" || fail "could not decipher $file"
  printf '%s' "$plain" >"$expected"
  if ! cmp -s "$actual" "$expected"; then
    say "plain $file:" >&2
    od -c "$actual" >&2
    say "expected:" >&2
    od -c "$expected" >&2
    fail "$file does not hold the expected plain bytes"
  fi
}

# One listing as the list file stores it: fixed-width, space-padded fields.
record() {
  printf '%-75s%-20s%-15s' "$1" "$2" "$3"
}

# No plain file and nothing else unexpected: only the program, its help and
# the three data files belong in the folder, and the lock file while the
# program runs.
expect_only_data_files() {
  local listing expected="help.html kxinit.ene kxplst.ene kxpwfl.ene vellamar "
  program_running && expected="help.html kxinit.ene kxplst.ene kxpwfl.ene vellamar vellamar.lock "
  listing=$(cd "$app" && ls -A | LC_ALL=C sort | tr '\n' ' ')
  [[ $listing == "$expected" ]] || fail "unexpected folder contents: $listing"
}

# ---- Display --------------------------------------------------------------

# Starts Xvfb on a free display and waits until it takes connections.
# -noreset: without it the server resets whenever its last client leaves,
# and a client connecting in that moment (the window manager right after a
# probe, or right after an earlier test's clients went) is dropped.
start_x_server() {
  local display_file="$tmp/display"
  : >"$display_file"
  # -displayfd picks a free display number and reports it when ready.
  Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp 3>"$display_file" \
    >"$tmp/xvfb.log" 2>&1 &
  xvfb_pid=$!
  # The number ends with a line feed, written once the server is set up.
  for _ in $(seq 200); do
    [[ $(tail -c 1 "$display_file" 2>/dev/null | od -An -c | tr -d ' ') == '\n' ]] && break
    kill -0 "$xvfb_pid" 2>/dev/null || { cat "$tmp/xvfb.log" >&2; fail "Xvfb did not start"; }
    sleep 0.05
  done
  display=":$(tr -dc '0-9' <"$display_file")"
  [[ $display != ":" ]] || fail "Xvfb did not report its display"
  export DISPLAY=$display
  # Ready once a client really gets through.
  for _ in $(seq 200); do
    xdpyinfo >/dev/null 2>&1 && return 0
    kill -0 "$xvfb_pid" 2>/dev/null || { cat "$tmp/xvfb.log" >&2; fail "Xvfb ended on $display"; }
    sleep 0.05
  done
  fail "Xvfb on $display took no connection"
}

# Starts openbox and waits until it manages the screen; true once it does.
start_window_manager() {
  openbox --sm-disable >>"$tmp/openbox.log" 2>&1 &
  wm_pid=$!
  # Ready once it announces itself on the root window.
  for _ in $(seq 200); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
    kill -0 "$wm_pid" 2>/dev/null || { wait "$wm_pid" 2>/dev/null; wm_pid=""; return 1; }
    sleep 0.05
  done
  return 1
}

start_display() {
  start_x_server
  say "X display $DISPLAY"

  # Keep the window manager's settings and caches inside the test folder.
  export XDG_CONFIG_HOME="$tmp/xdg-config" XDG_CACHE_HOME="$tmp/xdg-cache" XDG_RUNTIME_DIR="$tmp/xdg-runtime"
  mkdir -p "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME"
  mkdir -m 700 -p "$XDG_RUNTIME_DIR"
  start_window_manager && return 0
  cat "$tmp/openbox.log" >&2
  fail "openbox did not start on $DISPLAY"
}

# Saves a picture of the screen region of window `id` (with `extra` pixels
# below it for a pop-up) as `name`.png, and fails if it is blank.
shoot() {
  local name=$1 id=$2 extra=${3:-0} x y w h colours geometry WINDOW X Y WIDTH HEIGHT SCREEN
  geometry=$(xdotool getwindowgeometry --shell "$id" 2>>"$tmp/xdotool.log") \
    || fail "no geometry for the window of $name ($id)"
  eval "$geometry"
  x=$((X > 30 ? X - 30 : 0)); y=$((Y > 40 ? Y - 40 : 0))
  w=$((WIDTH + 60)); h=$((HEIGHT + 60 + extra))
  sleep 0.5 # let the window finish drawing
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$tmp/$name.png" || fail "could not take a screenshot"
  colours=$(convert "$tmp/$name.png" -format %k info:)
  ((colours > 8)) || fail "$name looks blank ($colours colours)"
  say "screenshot $name.png: $(identify -format %wx%h "$tmp/$name.png"), $colours colours"
  if [[ -n ${E2E_SHOTS_DIR:-} ]]; then
    mkdir -p "$E2E_SHOTS_DIR"
    cp "$tmp/$name.png" "$E2E_SHOTS_DIR/"
  fi
}

# ---- Program --------------------------------------------------------------

# Starts the installed program; NAME=VALUE arguments go into its environment.
start_program() {
  run=$((run + 1))
  [[ -z $app_pid ]] || fail "the previous run is still going"
  # A caller may have chosen the offscreen platform; this test needs real
  # X windows.
  # Pixel positions assume the default style, font and scale: keep a
  # caller's desktop settings out.
  (cd "$tmp" && exec env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY -u QT_STYLE_OVERRIDE \
    -u QT_QPA_PLATFORMTHEME -u QT_SCALE_FACTOR -u QT_FONT_DPI -u QT_SCREEN_SCALE_FACTORS \
    -u QT_AUTO_SCREEN_SCALE_FACTOR -u XDG_CURRENT_DESKTOP QT_QPA_PLATFORM=xcb "$@" \
    "${program_wrapper[@]}" "$app/vellamar") >"$tmp/vellamar-run$run.log" 2>&1 &
  app_pid=$!
  say "started run $run (pid $app_pid)"
}

program_running() {
  [[ -n $app_pid ]] && kill -0 "$app_pid" 2>/dev/null
}

# An anchored pattern for xdotool that matches `title` literally.
title_pattern() {
  printf '^%s$' "$(printf '%s' "$1" | sed 's/[].[*^$?+(){}|]/\\&/g')"
}

# Prints the id of the visible window titled exactly `title`.
visible_window() {
  local pattern found errors="$tmp/xdotool-search.err"
  pattern=$(title_pattern "$1")
  # An X error (a window going away mid-search) says nothing: search again.
  for _ in 1 2 3 4 5; do
    found=$(xdotool search --onlyvisible --name "$pattern" 2>"$errors" | head -n 1) || true
    if [[ -n $found || ! -s $errors ]]; then
      printf '%s' "$found"
      return 0
    fi
    cat "$errors" >>"$tmp/xdotool.log"
    sleep 0.1
  done
}

# Waits for the window titled `title`, gives it the keyboard and prints its id.
activate_window() {
  local title=$1 pattern id="" deadline=$((SECONDS + window_timeout))
  pattern=$(title_pattern "$title")
  # xdotool gives up on an X error, as when another window goes away while
  # it searches, so one failed search is not the end of the wait.
  while [[ -z $id ]]; do
    id=$(timeout 5 xdotool search --sync --onlyvisible --name "$pattern" 2>>"$tmp/xdotool.log" \
      | head -n 1) || true
    [[ -n $id ]] && break
    program_running || fail "the program ended before \"$title\" appeared"
    ((SECONDS < deadline)) || fail "no window \"$title\" within ${window_timeout}s"
    sleep 0.1
  done
  give_keyboard "$id" "$title"
  printf '%s\n' "$id"
}

# Gives the keyboard to window `id` (called `title` in messages) and returns
# once it really has it: keys typed before would go to another window.
give_keyboard() {
  local id=$1 title=$2 deadline=$((SECONDS + window_timeout))
  until [[ $(xdotool getwindowfocus 2>>"$tmp/xdotool.log") == "$id" \
           || $(xdotool getactivewindow 2>>"$tmp/xdotool.log") == "$id" ]]; do
    program_running || fail "the program ended while \"$title\" was being activated"
    ((SECONDS < deadline)) || fail "could not give the keyboard to \"$title\""
    timeout 5 xdotool windowactivate --sync "$id" >/dev/null 2>>"$tmp/xdotool.log" \
      || timeout 5 xdotool windowfocus --sync "$id" >/dev/null 2>>"$tmp/xdotool.log" \
      || sleep 0.1
  done
}

expect_window_gone() {
  local title=$1
  for _ in $(seq $((window_timeout * 10))); do
    [[ -z $(visible_window "$title") ]] && return 0
    sleep 0.1
  done
  fail "\"$title\" is still open"
}

type_text() {
  xdotool type --delay 40 -- "$1"
}

press() {
  xdotool key --delay 60 "$@"
}

# Waits for the program to end; fails if it shows `forbidden_title` first.
expect_exit() {
  local wanted=$1 forbidden_title=${2:-} status
  for _ in $(seq $((exit_timeout * 10))); do
    program_running || break
    if [[ -n $forbidden_title && -n $(visible_window "$forbidden_title") ]]; then
      fail "\"$forbidden_title\" appeared"
    fi
    sleep 0.1
  done
  program_running && fail "the program did not end within ${exit_timeout}s"
  status=0
  wait "$app_pid" || status=$?
  app_pid=""
  ((status == wanted)) || fail "the program ended with status $status, expected $wanted"
  say "the program ended with status $status"
}

# Answers the "Bye.." box that closing the list shows, then the program ends.
answer_bye() {
  activate_window "$bye_title" >/dev/null
  press Return
  expect_exit 0
}

# First run: answers the question of how to protect the new list with
# `strong` (Return: the default) or `scrambled` (Tab to it, then Return).
choose_protection() {
  activate_window "$protect_title" >/dev/null
  case $1 in
    strong) press Return ;;
    scrambled) press Tab Return ;;
    *) fail "choose_protection: unknown choice '$1'" ;;
  esac
  expect_window_gone "$protect_title"
}

# First run in the scrambled format: chooses it, enters `pw` twice in the
# set-up window and waits for the list.
set_up_password() {
  local pw=$1
  choose_protection scrambled
  activate_window "$setup_title" >/dev/null
  type_text "$pw"
  press Tab
  type_text "$pw"
  # Tab to OK and press it.
  press Tab space
  activate_window "$list_title" >/dev/null
  expect_window_gone "$setup_title"
}

# Types the master password (or `pw`) into the unlock window and waits for
# the list.
unlock() {
  local pw=${1:-$password}
  activate_window "$unlock_title" >/dev/null
  type_text "$pw"
  press Tab space
  activate_window "$list_title" >/dev/null
  expect_window_gone "$unlock_title"
}

# Number of visible windows the program shows, its menus' pop-ups included.
program_window_count() {
  xdotool search --onlyvisible --pid "$app_pid" 2>>"$tmp/xdotool.log" | wc -l
}

# Opens the list's menu with Alt+`menu_key`, then chooses `item_key`.
# The item key only counts once the pop-up is on the screen.
choose_from_menu() {
  local menu_key=$1 item_key=$2 before
  activate_window "$list_title" >/dev/null
  before=$(program_window_count)
  press "alt+$menu_key"
  for _ in $(seq $((window_timeout * 10))); do
    (($(program_window_count) > before)) && break
    sleep 0.1
  done
  (($(program_window_count) > before)) || fail "Alt+$menu_key opened no menu"
  press "$item_key"
}

# Fills in the open "Add A Listing" dialog and presses its Add button.
fill_in_add() {
  activate_window "$add_title" >/dev/null
  type_text "$1"
  press Tab
  type_text "$2"
  press Tab
  type_text "$3"
  press Tab space
  expect_window_gone "$add_title"
}

# Adds listings from the list window's Buttons menu, one site, user name
# and password after another.
add_listings() {
  (($# % 3 == 0)) || fail "add_listings: give site, user name and password for each listing"
  while (($#)); do
    choose_from_menu b a
    fill_in_add "$1" "$2" "$3"
    shift 3
  done
}

# Answers an open "which listing" question with `number` and presses OK.
choose_listing() {
  local title=$1 number=$2
  activate_window "$title" >/dev/null
  type_text "$number"
  press Tab space
  expect_window_gone "$title"
}

# Changes the master password from the list's "Change Password" button,
# from `old` to `new`, and waits for the dialog to close.
change_master_password() {
  local old=$1 new=$2
  activate_window "$list_title" >/dev/null
  # From Add: Edit, Delete, Lock/Close, Change Password.
  press Tab Tab Tab Tab space
  activate_window "$change_password_title" >/dev/null
  type_text "$old"
  press Tab
  type_text "$new"
  press Tab
  type_text "$new"
  press Tab space
  expect_window_gone "$change_password_title"
}

# Closes the list with Alt+L and answers its goodbye; the program ends.
lock_and_close() {
  activate_window "$list_title" >/dev/null
  press alt+l
  answer_bye
}
