# The Debian packages that building, running and testing need, and the
# function that installs those missing. Sourced by scripts/run and
# scripts/test.

# What building and running the program needs: all that scripts/run installs.
vellamar_run_packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev libsodium-dev libzxcvbn-dev
  fonts-liberation2 fonts-dejavu-core
)
# What the tests, the benchmarks and the checks need besides: scripts/test
# installs these too.
vellamar_test_packages=(
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth openbox xdotool x11-utils imagemagick strace util-linux
  desktop-file-utils xclip clang-format ccache dbus-daemon
)

# Installs those of the given packages that are missing.
vellamar_install_deps() {
  local missing=()
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
      || missing+=("$package")
  done
  if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

# Configures source_dir into build_dir with Ninja; further arguments go to
# CMake. Options given here are set every time, so one script's build
# folder never inherits another's choices.
vellamar_configure() {
  local source_dir="$1" build_dir="$2"
  shift 2
  cmake -S "$source_dir" -B "$build_dir" -G Ninja "$@"
}
