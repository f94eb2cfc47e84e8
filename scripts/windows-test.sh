#!/usr/bin/env bash
# Builds the Windows control library (64-bit, and 32-bit as an artifact) and
# tests it under Wine in a fresh prefix: registration, a C++ host, a page's
# JScript through cscript, and unregistration leaving no key behind.
#
# Needs the Linux site stand-in (build/tools/vantrel-site, built by
# scripts/build.sh). WINE_TEST_KEEP=1 keeps the prefix for a look afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
started=$(date +%s)

scripts/windows-build.sh 64
scripts/windows-build.sh 32

site_bin="$root/build/tools/vantrel-site"
if [ ! -x "$site_bin" ]; then
  echo "windows-test: $site_bin is missing: run scripts/build.sh first" >&2
  exit 1
fi

wine=$(dpkg -L wine64 | grep '/wine64$' | grep -v share | head -n1)
wineserver="$(dirname "$wine")/wineserver"
export WINEPREFIX
WINEPREFIX=$(mktemp -d /tmp/vantrel-wine.XXXXXX)
export WINEDEBUG=-all WINEARCH=win64
# No Mono or Gecko installers: the tests need neither.
export WINEDLLOVERRIDES="mscoree,mshtml="
site_pid="" xvfb_pid="" work=""
cleanup() {
  [ -n "$site_pid" ] && kill "$site_pid" 2>/dev/null || true
  timeout 30 "$wineserver" -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  [ -n "$work" ] && rm -rf "$work"
  [ "${WINE_TEST_KEEP:-0}" = 1 ] || rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
w() { timeout "${WINE_TIMEOUT:-120}" nice -n 15 "$wine" "$@"; }
fail() { echo "windows-test: FAILED: $*" >&2; exit 1; }

# One X server for every Wine program of the prefix: Wine's desktop keeps
# the display it was started with.
work=$(mktemp -d)
timeout 900 Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3>"$work/display" \
  >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(cat "$work/display")"

w wineboot -i >/dev/null 2>&1 || fail "the Wine prefix could not be made"

bin="$root/build-win64/hosts/windows"
tools="$root/build-win64"
dll="Z:${bin//\//\\}\\VantrelCtl.dll"
clsid='{5B9C1E27-8A3F-4D61-9E0B-2C7F4A1D3E85}'
keys=("HKCR\\CLSID\\$clsid" 'HKCR\Vantrel.VantrelCtl'
      'HKCR\TypeLib\{31AE884E-052C-4A6C-AB24-200DF58EECFD}'
      'HKCR\Interface\{B3264911-738E-45B0-A164-1CFDF0E22784}'
      'HKCR\Interface\{DEBEA111-3805-4CF7-B21E-975A8B91A363}')

w regsvr32 /s "$dll" || fail "regsvr32 VantrelCtl.dll"
# The QuickBooks stand-in answers as QBXMLRP2.RequestProcessor with the
# sample company open.
standin="Z:${tools//\//\\}\\QBStandinRP.dll"
w regsvr32 /s "$standin" || fail "regsvr32 QBStandinRP.dll"
company="Z:${root//\//\\}\\samples\\Acme.QBW"
export VANTREL_QB_COMPANY="$company"
for key in "${keys[@]}"; do
  w reg query "$key" >/dev/null 2>&1 || fail "registration left no $key"
done

# A summary line "NAME: N checks, 0 failed" and exit status 0, or a failure.
expect_summary() {
  local name="$1" status="$2" output="${3//$'\r'/}"
  printf '%s\n' "$output"
  grep -Eq "^$name: [1-9][0-9]* checks, 0 failed\$" <<<"$output" || fail "$name: no passing summary"
  [ "$status" -eq 0 ] || fail "$name exited with $status"
}

site_log="$work/site-test.log"
timeout 600 "$site_bin" --listen 127.0.0.1:0 --site-code ABC --site-key K1 >"$site_log" 2>&1 &
site_pid=$!
for _ in $(seq 50); do grep -q '^listening on ' "$site_log" && break; sleep 0.1; done
port=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$site_log")
[ -n "$port" ] || fail "the site stand-in did not start: $(cat "$site_log")"

status=0
output=$(w "$bin/tests/vantrel-com-client-test.exe" "http://127.0.0.1:$port/" ABC K1 \
  "http://127.0.0.1:9/" "$company" 2>&1) || status=$?
expect_summary com-client-test "$status" "$output"

script="$WINEPREFIX/drive_c/control_script_test.js"
cp "$root/hosts/windows/tests/control_script_test.js" "$script"
status=0
output=$(w cscript //nologo 'C:\control_script_test.js' 2>&1) || status=$?
expect_summary control-script-test "$status" "$output"

# A whole run of the Windows wizard under an X server: the sample page, the
# sample company in the QuickBooks stand-in, the Linux site stand-in on
# loopback with a database of its own; then the Linux main job over another
# database, with the clock stopped at the same time. Both databases must hold
# the same rows.
cli_bin="$root/build/hosts/cli/vantrel"
[ -x "$cli_bin" ] || fail "$cli_bin is missing: run scripts/build.sh first"
timeout 600 "$site_bin" --listen 127.0.0.1:0 --db "$work/windows.sqlite" --site-code ACME01 \
  --site-key K3Y-5ECRET >"$work/site.log" 2>&1 &
run_site_pid=$!
for _ in $(seq 50); do grep -q '^listening on ' "$work/site.log" && break; sleep 0.1; done
run_port=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$work/site.log")
[ -n "$run_port" ] || fail "the run's site stand-in did not start"
now="12/04/2026 16:05:09"
mkdir -p "$root/build-win64/screenshots"
shot="$root/build-win64/screenshots/wizard-windows.bmp"
status=0
output=$(w "$bin/vantrel-wizard.exe" \
  --page "Z:${root//\//\\}\\samples\\page.html" --param "WGSecureServerURL=http://127.0.0.1:$run_port/" \
  --param "QBFilePath=$company" --param IncludeSalesTaxCodes=True --param SafeLines=True \
  --now "$now" --click cmdSelectAll --tick chkQBTimesheet --tick chkQBExpense \
  --click 'cmdNav(3)' --screenshot "Z:${shot//\//\\}" --quit-after-run 2>&1) || status=$?
kill "$run_site_pid" 2>/dev/null || true
printf '%s\n' "${output//$'\r'/}"
[ "$status" -eq 0 ] || fail "the Windows wizard's run exited with $status"
grep -q '^run ended: completed' <<<"${output//$'\r'/}" || fail "the Windows wizard's run did not complete"
python3 "$root/scripts/windows_test_helpers.py" bmp-to-png "$shot" "${shot%.bmp}.png" ||
  fail "the screenshot was not written"
status=0
"$cli_bin" sync --page samples/page.html --quickbooks samples/Acme.QBW --select-all \
  --select time,expense --sales-tax-codes --safe-lines --embedded-site \
  --site-db "$work/linux.sqlite" --now "$now" -q >/dev/null 2>&1 || status=$?
[ "$status" -eq 0 ] || [ "$status" -eq 3 ] || fail "the Linux main job exited with $status"
python3 "$root/scripts/windows_test_helpers.py" same-rows "$work/windows.sqlite" \
  "$work/linux.sqlite" || fail "the Windows run's site rows differ from the Linux main job's"
echo "the Windows wizard's run landed the same rows as the Linux main job"

w regsvr32 /u /s "$dll" || fail "regsvr32 /u VantrelCtl.dll"
w regsvr32 /u /s "$standin" || fail "regsvr32 /u QBStandinRP.dll"
keys+=('HKCR\QBXMLRP2.RequestProcessor' 'HKCR\CLSID\{08519D14-B02B-4149-A4E7-A018D4CEF25F}')
for key in "${keys[@]}"; do
  if w reg query "$key" >/dev/null 2>&1; then fail "regsvr32 /u left $key"; fi
done
echo "unregistered: no key left"

for artifact in build-win64/hosts/windows/VantrelCtl.dll build-win32/hosts/windows/VantrelCtl.dll; do
  [ -f "$artifact" ] || fail "$artifact was not built"
done
echo "windows-test: passed in $(($(date +%s) - started)) s"
