# Installs the Debian packages that building, running and testing need,
# when any is missing. Sourced by scripts/run and scripts/test.
vellamar_packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev libsodium-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-liberation2 fonts-dejavu-core
  xvfb xauth openbox xdotool x11-utils imagemagick strace util-linux
  desktop-file-utils xclip
)

vellamar_install_deps() {
  local missing=()
  for package in "${vellamar_packages[@]}"; do
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
