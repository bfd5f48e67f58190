#!/usr/bin/env bash
# The desktop program's command line: help and version print and end without
# a window system, and an unknown option is refused rather than opened as a
# brain. Usage: desktop_cli.sh VARNEX-DESKTOP
set -u
desktop=$1
fail=0
no() { echo "FAIL: $*"; fail=1; }
out=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= "$desktop" --help) || no "--help should exit 0"
grep -q '^usage: varnex-desktop' <<<"$out" || no "--help printed: $out"
out=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= "$desktop" --version) || no "--version should exit 0"
grep -q '^varnex-desktop [0-9]' <<<"$out" || no "--version printed: $out"
err=$(QT_QPA_PLATFORM=offscreen "$desktop" --bogus 2>&1 >/dev/null)
[ $? = 2 ] || no "an unknown option should exit 2"
grep -q '^varnex-desktop: --bogus: not an option of varnex-desktop$' <<<"$err" || no "unknown option said: $err"
grep -q 'Could not open file' <<<"$err" && no "an option was taken for a brain file"
exit $fail
