#!/usr/bin/env bash
# Builds the Debian package from a Release build folder and checks it as a
# packager would: lintian (no error or warning), the desktop entry, the AppStream
# metainfo (pedantic), the manual page (mandoc's lint), and the hardening of the
# binary the package ships.
#   package.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=${1:?build folder}
source=${2:?source folder}
for tool in cpack lintian desktop-file-validate appstreamcli hardening-check dpkg-deb mandoc; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (scripts/install-deps.sh installs it)"; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
check() {  # check NAME COMMAND...: runs COMMAND, which must succeed and print nothing
  local name=$1; shift
  if "$@" >"$work/out" 2>&1 && [ ! -s "$work/out" ]; then
    echo "ok: $name"
  else
    echo "FAIL: $name"; sed 's/^/    /' "$work/out"; failed=1
  fi
}

(cd "$build" && cpack -G DEB -B "$work/deb" >"$work/cpack.log" 2>&1) ||
  { cat "$work/cpack.log"; echo "FAIL: cpack"; exit 1; }
deb=$(ls "$work"/deb/*.deb)
dpkg-deb -x "$deb" "$work/root"

# No error or warning tag; informational ones (I:) are allowed. Lintian's remark
# about running as root is not about the package.
lint() {
  local status=0
  lintian --fail-on error,warning "$1" >"$work/lintian.log" 2>&1 || status=$?
  grep -v "running with root privileges is not recommended" "$work/lintian.log" | grep -E '^[EW]:'
  [ "$status" -eq 0 ] || { echo "lintian exited with $status"; cat "$work/lintian.log"; }
}
check "lintian" lint "$deb"
check "desktop entry" desktop-file-validate "$work/root/usr/share/applications/org.tarpon_hex.tarpon_hex.desktop"
# Valid with no remark at all, pedantic and informational ones included.
appstream() {
  local status=0
  appstreamcli validate --pedantic --no-net --explain "$1" >"$work/appstream.log" 2>&1 || status=$?
  if [ "$status" -ne 0 ] || grep -qE '^[EWIP]:' "$work/appstream.log"; then cat "$work/appstream.log"; fi
}
check "AppStream metainfo" appstream "$work/root/usr/share/metainfo/org.tarpon_hex.tarpon_hex.metainfo.xml"
# The manual page: no remark from mandoc's lint, style ones included.
check "manual page" mandoc -T lint "$source/data/tarpon-hex.1"
# Control-flow protection is not asked for: Debian 12's C start-up files carry no
# IBT/SHSTK note, so no program linked on it has one.
check "hardening" bash -c 'hardening-check --quiet --nocfprotection "$1"' _ "$work/root/usr/bin/tarpon-hex"
[ "$failed" -eq 0 ] && echo "PASS" || exit 1
