#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what KvDokMan needs, builds it and then either starts it on the demo database
# ("run", the default) or runs the whole test suite ("test").
#   scripts/setup.sh run    install (root for apt-get), build, create the demo database, start
#   scripts/setup.sh test   install, build, run all tests, then once more under ASan/UBSan
#   scripts/setup.sh build  install and build only
set -euo pipefail
MODE="${1:-run}"
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
JOBS="$(nproc 2>/dev/null || echo 2)"

PACKAGES=(
  build-essential cmake ninja-build pkg-config python3
  qt6-base-dev qt6-base-dev-tools libsqlite3-dev libqt6sql6-sqlite libqt6sql6-odbc libqt6sql6-mysql
  qt6-webengine-dev qt6-pdf-dev libgl-dev
  mariadb-server mariadb-client odbc-mariadb unixodbc tdsodbc
  fonts-dejavu-core xauth xvfb qt6-translations-l10n
)

install_packages() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if ((${#missing[@]} == 0)); then
    echo "setup: all packages present"
    return
  fi
  echo "setup: installing ${missing[*]}"
  local SUDO=""
  if [[ $(id -u) -ne 0 ]]; then SUDO="sudo"; fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build() { # build-dir [extra cmake args...]
  local dir="$1"; shift
  cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  cmake --build "$dir" -j "$JOBS"
}

make_demo() {
  # Builds demo/kvdemo.db and demo/files/ from the text in demo/data (again only when that text or
  # the generator changed).
  "$ROOT/build/bench/gen_demo" "$ROOT/demo" --if-needed
}

install_packages
case "$MODE" in
  build)
    build "$ROOT/build"
    ;;
  run)
    build "$ROOT/build"
    make_demo
    exec "$ROOT/build/kvdokman" "/K:$ROOT/demo/KORVAN"
    ;;
  test)
    build "$ROOT/build" -DKV_WERROR=ON
    status=0
    (cd "$ROOT/build" && ctest --output-on-failure -j "$JOBS") || status=1
    echo "setup: running the tests once more under AddressSanitizer and UndefinedBehaviorSanitizer"
    build "$ROOT/build-asan" -DKV_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
    (cd "$ROOT/build-asan" && ctest --output-on-failure -j "$JOBS") || status=1
    exit $status
    ;;
  *)
    echo "usage: $0 [run|test|build]" >&2
    exit 2
    ;;
esac
