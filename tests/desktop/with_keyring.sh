#!/bin/sh
# Runs a test program in a D-Bus session of its own with an unlocked GNOME
# keyring (a Secret Service) in a temporary home, so that the desktop's secret
# store is exercised for real; VANTREL_EXPECT_KEYRING tells the test that it
# must work.
set -eu
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export HOME="$home" XDG_DATA_HOME="$home/.local/share" VANTREL_EXPECT_KEYRING=1
dbus-run-session -- sh -c \
  'printf %s vantrel-test | gnome-keyring-daemon --unlock --components=secrets >/dev/null &&
   exec "$@"' sh "$@"
