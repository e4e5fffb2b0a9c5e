#!/usr/bin/env bash
# Runs the Windows test programs of a bin folder, each within its time limit
# and once more if it fails, as `make test` does:
#   [SUITE_TIME_FACTOR=N] tools/run-suites.sh BIN_DIR [SUITE...]
# The gtest suites write RESULTS_DIR/SUITE.xml (default BIN_DIR/../test-results);
# a failed first try's XML and each try's output are kept under RESULTS_DIR/tries.
# resource_check is judged by its exit code alone. Programs start through $WINE
# when it is set (under tools/with-wine.sh), directly otherwise (Git Bash on
# Windows). Exits 1 at the end if any suite failed or left no XML.
set -uo pipefail

[ $# -ge 1 ] && [ -d "$1" ] || { echo "usage: $0 BIN_DIR [SUITE...]" >&2; exit 2; }
bin=$(cd "$1" && pwd)
shift
results=${RESULTS_DIR:-$bin/../test-results}
mkdir -p "$results/tries"
results=$(cd "$results" && pwd)

# Seconds per try: the TIMEOUTs of tests/CMakeLists.txt and tests/e2e/CMakeLists.txt,
# and ctest's default (1500) where those set none; each times SUITE_TIME_FACTOR
# (a whole number, default 1). Those limits are sized for Wine here; on a
# desktop that refuses the foreground each start of the program waits its
# full time, and a suite killed by its limit leaves no XML.
factor=${SUITE_TIME_FACTOR:-1}
[[ $factor =~ ^[1-9][0-9]*$ ]] || { echo "run-suites: SUITE_TIME_FACTOR must be a whole number, not '$factor'" >&2; exit 2; }
declare -A limit=([unit_tests]=1500 [win_tests]=1500 [program_tests]=1500
                  [e2e_tests]=240 [fault_tests]=600 [resource_check]=1500)
for suite in "${!limit[@]}"; do limit[$suite]=$((limit[$suite] * factor)); done
suites=("$@")
[ ${#suites[@]} -gt 0 ] || suites=(unit_tests win_tests program_tests e2e_tests fault_tests resource_check)

# A path as the test program reads it: Git Bash's /d/a/... is D:/a/... to a
# Windows program, Wine's Z: drive is the Unix root.
native_path() {
  if [ -n "${WINE:-}" ]; then echo "Z:$1"
  elif command -v cygpath >/dev/null 2>&1; then cygpath -m "$1"
  else echo "$1"; fi
}
# Keeps /ENGLISH and the like as they are when Git Bash starts a Windows program.
export MSYS_NO_PATHCONV=1
launcher=()
[ -n "${WINE:-}" ] && launcher=("$WINE")
# GNU timeout (Git Bash has it; Windows' own timeout.exe is another program).
timed=()
if timeout --version >/dev/null 2>&1; then timed=(timeout -k 10)
else echo "run-suites: no GNU timeout here; the suites run without a time limit" >&2; fi

# One try of SUITE; its output goes to a file, which is then shown: a pipe
# can be held open by Wine's own processes long after the program ended.
try_suite() {
  local suite=$1 try=$2 log=$results/tries/$1-$2.log
  local args=()
  [ "$suite" = resource_check ] || args=("--gtest_output=xml:$(native_path "$results/$suite.xml")")
  rm -f "$results/$suite.xml"
  echo "=== $suite (try $try, limit ${limit[$suite]} s)"
  local cmd=()
  [ ${#timed[@]} -eq 0 ] || cmd=("${timed[@]}" "${limit[$suite]}")
  cmd+=("${launcher[@]}" "./$suite.exe" "${args[@]}")
  local status=0
  (cd "$bin" && "${cmd[@]}") >"$log" 2>&1 || status=$?
  cat "$log"
  if [ $status -eq 124 ]; then
    echo "=== $suite: over its time limit of ${limit[$suite]} s"
  elif [ $status -ne 0 ]; then
    echo "=== $suite: exit code $status"
  elif [ "$suite" != resource_check ] && [ ! -s "$results/$suite.xml" ]; then
    echo "=== $suite: exit code 0 but no $suite.xml"
    status=1
  fi
  return $status
}

failed=()
summary=()
for suite in "${suites[@]}"; do
  if [ -z "${limit[$suite]:-}" ]; then
    summary+=("$suite: not a suite"); failed+=("$suite"); continue
  fi
  if [ ! -f "$bin/$suite.exe" ]; then
    summary+=("$suite: FAILED, $bin/$suite.exe is missing"); failed+=("$suite"); continue
  fi
  if try_suite "$suite" 1; then
    summary+=("$suite: passed")
    continue
  fi
  [ -f "$results/$suite.xml" ] && mv "$results/$suite.xml" "$results/tries/$suite-1.xml"
  if try_suite "$suite" 2; then
    summary+=("$suite: passed on the second try")
  else
    summary+=("$suite: FAILED twice"); failed+=("$suite")
  fi
done

echo "=== suites (results in $results)"
printf '  %s\n' "${summary[@]}"
[ ${#failed[@]} -eq 0 ]
