#!/usr/bin/env bash
# Installs what the build needs from Debian's packages, only when missing:
# everything the tests need, or with "main" only what the main job (the
# command-line wizard, the stand-ins and the site) needs.
set -euo pipefail

main_job=(
  g++ cmake ninja-build pkg-config
  libpugixml-dev libxml2-dev libcurl4-openssl-dev libcpp-httplib-dev libsqlite3-dev
)
packages=(
  "${main_job[@]}"
  libgtest-dev libgmock-dev libbenchmark-dev
  locales
  # scripts/bench.sh measures a whole run's time and peak memory with it.
  time
  # The desktop wizard (Qt 6 Widgets and Test, with its OpenGL headers), the
  # library it keeps the site key in the desktop's secret store with
  # (QtKeychain), and the X server its window is tested under.
  qt6-base-dev libgl-dev qtkeychain-qt6-dev xvfb xauth
  # A Secret Service on a D-Bus session of the tests' own, for the test that
  # keeps the site key in a real keyring.
  dbus gnome-keyring
  # The fuzzers (scripts/fuzz.sh): clang, its runtime libraries with libFuzzer
  # and the sanitizers, and llvm-symbolizer for their stack traces.
  clang libclang-rt-dev llvm
)

if [ "${1:-}" = "main" ]; then packages=("${main_job[@]}"); fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -gt 0 ]; then
  echo "installing: ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi

# A locale that writes decimal commas, for the tests that prove the upload
# texts do not depend on the user's regional settings.
if [ "${1:-}" != "main" ] && ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  $SUDO sed -i 's/^# *\(de_DE.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
fi
