#!/usr/bin/env bash
# Runs a Windows program under Wine in a real X server of its own (Xvfb).
#   in_xvfb.sh PREFIX PROGRAM.exe [ARGS...]
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../e2e/xvfb_lib.sh"
start_xvfb
# Wine keeps the screen it met first while its server runs: a fresh server meets this one.
"$here/prefix.sh" "$1" stop >/dev/null
"$here/run.sh" "$@"
