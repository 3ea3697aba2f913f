#!/usr/bin/env bash
# Runs `odeseries solve` in the examples folder and compares what it prints, its messages and
# its exit status with an expected file: the standard output, then "[stderr]" and the messages
# when there are any, then "[exit N]".
# Usage: solve_case.sh ODESERIES EXAMPLES_DIR EXPECTED_FILE [ARGS...]
# With UPDATE=1 the expected file is written instead.
set -u
exe=$1 examples=$2 expected=$3
shift 3
actual=$(mktemp)
trap 'rm -f "$actual" "$actual.err"' EXIT
cd "$examples" || exit 2
"$exe" solve "$@" >"$actual" 2>"$actual.err"
status=$?
if [ -s "$actual.err" ]; then
  echo "[stderr]" >>"$actual"
  cat "$actual.err" >>"$actual"
fi
echo "[exit $status]" >>"$actual"
if [ "${UPDATE:-0}" = 1 ]; then
  cp "$actual" "$expected"
  exit 0
fi
diff -u "$expected" "$actual"
