#!/usr/bin/env bash
# Runs a Windows program under Wine in a real X server of its own (Xvfb).
#   in_xvfb.sh PREFIX PROGRAM.exe [ARGS...]
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../e2e/xvfb_lib.sh"
start_xvfb
"$here/run.sh" "$@"
