#!/usr/bin/env bash
# scripts/quick.sh: build rerate and either start it on the bundled demo library or run
# every test. Installs the Debian packages the build and the tests need when they are
# missing (with sudo when not run as root).
#   scripts/quick.sh demo    build, copy examples/Songs to build/demo, start the tool there
#   scripts/quick.sh test    build, run the unit, screen and end-to-end tests
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build g++ libncurses-dev libxxhash-dev libutf8proc-dev libgtest-dev
  libbenchmark-dev tmux util-linux python3 groff-base)

install_missing_packages() {
  local missing=()
  local package
  for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing missing Debian packages: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${missing[@]}"
}

configure() {
  local werror=OFF
  [ "${CI:-}" = "true" ] && werror=ON
  cmake -S . -B build -G Ninja -DRERATE_WERROR="$werror" -DBUILD_TESTING=ON -DRERATE_BENCH=ON
}

case "${1:-}" in
  demo)
    install_missing_packages
    configure
    cmake --build build --target demo  # builds the tool only, then runs it
    ;;
  test)
    install_missing_packages
    configure
    cmake --build build
    ctest --test-dir build --output-on-failure -j "$(nproc)"
    ;;
  *)
    echo "usage: scripts/quick.sh demo|test" >&2
    exit 2
    ;;
esac
