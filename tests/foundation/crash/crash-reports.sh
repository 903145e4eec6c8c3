#!/usr/bin/env bash
# Crashes a program on purpose in every way and checks the report each
# crash appends beside it: every section, the crashing function with its
# source line, its parameters and locals, and the globals.
set -u
crash_me=$1
reporter=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$crash_me" "$work/crash_me"
report="$work/crash_me.RPT"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

check() {  # how, exception name, the function that crashed
  local how=$1 name=$2 function=$3
  : >"$report"
  (timeout 60 "$work/crash_me" "$reporter" "$how" >/dev/null 2>&1) 2>/dev/null
  local code=$?
  [ $code -ge 128 ] && [ $code -ne 137 ] || fail "$how: ended with $code, not by its signal"
  for section in "=====" "Exception code: " "Fault address:  " "Registers:" "RIP:" \
    "Call stack:" "Local Variables And Parameters" "Global Variables"; do
    grep -qF "$section" "$report" || fail "$how: no \"$section\" in the report"
  done
  grep -q "Exception code: [0-9A-F]\{8\} $name" "$report" || fail "$how: not named $name"
  grep -q "$function(.*CrashMe.cpp line [0-9]" "$report" ||
    fail "$how: no $function with its source line"
  grep -qF "Global 'g_crashCount' int = 7" "$report" || fail "$how: the globals are missing"
}

check null ACCESS_VIOLATION CrashByNullPointer
grep -qF "Local 'local' const int" "$report" || fail "null: the locals are missing"
grep -qF "Parameter 'depth' int" "$report" || fail "null: the parameters are missing"
check divide INT_DIVIDE_BY_ZERO CrashByDivision
check abort ABORT CrashByAbort
check throw ABORT CrashByException
grep -qF "Uncaught exception: " "$report" && grep -qF "nobody catches this" "$report" ||
  fail "throw: the exception's text is missing"
check thread ACCESS_VIOLATION CrashByNullPointer

grep -qF "Profile: /home/learner/.config/Cadenzor" "$report" || fail "the profile is not named"
grep -q "^Version: [0-9][0-9]*\.[0-9][0-9]*\.[0-9][0-9]*$" "$report" || fail "the version is not named"

# A fatal signal another process sends is told as such, not as a fault.
: >"$report"
coproc WAITER { exec "$work/crash_me" "$reporter" wait 2>/dev/null; }
read -r -t 30 ready <&"${WAITER[0]}" || fail "wait: crash_me did not start"
kill -SEGV "$WAITER_PID"
wait "$WAITER_PID" 2>/dev/null
grep -q "Sent by process [0-9][0-9]* with kill" "$report" || fail "wait: the sender is not named"

# Reports accumulate.
: >"$report"
(timeout 60 "$work/crash_me" "$reporter" null >/dev/null 2>&1) 2>/dev/null
(timeout 60 "$work/crash_me" "$reporter" divide >/dev/null 2>&1) 2>/dev/null
[ "$(grep -c "^Exception code: " "$report")" -eq 2 ] || fail "the second report did not append"

# Without its reporter the handler still writes the short report.
: >"$report"
(timeout 60 "$work/crash_me" "$work/missing-reporter" null >/dev/null 2>&1) 2>/dev/null
grep -q "ACCESS_VIOLATION" "$report" || fail "no short report without the reporter"

if [ $failures -ne 0 ]; then
  echo "--- last report:"; cat "$report"; exit 1
fi
echo "crash reports complete"
