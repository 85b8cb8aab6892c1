# Shared by scripts/run and scripts/test: Debian packages and the build.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$ROOT/build"

PACKAGES=(cmake g++ make qt6-base-dev libgl-dev libbenchmark-dev
  fonts-ipafont-gothic fonts-noto-cjk fonts-liberation)

ensure_packages() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# build [--target T...]: configures $BUILD with CMAKE_OPTIONS and builds.
CMAKE_OPTIONS=()
build() {
  cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${CMAKE_OPTIONS[@]}" >/dev/null
  cmake --build "$BUILD" -j"$(nproc)" "$@"
}
