#!/usr/bin/env bash
# Runs a Windows program under Wine in the build's own throwaway prefix, quietly.
#   run.sh PREFIX PROGRAM.exe [ARGS...]
prefix=$1
shift
. "$(dirname "$0")/env.sh" "$prefix"
exec wine "$@"
