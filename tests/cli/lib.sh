# Shared by the kvpack command tests: a scratch folder and small assertions.
set -uo pipefail
KVPACK=${1:?usage: TEST.sh KVPACK}
WORK=$(mktemp -d "${TMPDIR:-/tmp}/kvcli.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
FAILURES=0
PHOTOS=/usr/share/backgrounds/mate/nature

fail() { echo "FAIL: $*"; FAILURES=$((FAILURES + 1)); }
check() { local what=$1; shift; "$@" || fail "$what"; }
finish() { [ "$FAILURES" -eq 0 ] && echo "all passed" || { echo "$FAILURES failed"; exit 1; }; }

# expect_failure NAME EXPECTED-TEXT ARGS...: kvpack must exit non-zero with one line on
# stderr that contains EXPECTED-TEXT, and leave no file in $WORK/out.
expect_failure() {
  local name=$1 text=$2; shift 2
  rm -rf "$WORK/out" && mkdir -p "$WORK/out"
  "$KVPACK" "$@" >"$WORK/stdout" 2>"$WORK/stderr"
  local rc=$?
  [ $rc -ne 0 ] || fail "$name: exit status 0"
  [ "$(wc -l <"$WORK/stderr")" -eq 1 ] || fail "$name: stderr is not one line: $(cat "$WORK/stderr")"
  grep -qF -- "$text" "$WORK/stderr" || fail "$name: stderr lacks '$text': $(cat "$WORK/stderr")"
  [ -z "$(ls -A "$WORK/out")" ] || fail "$name: left files behind: $(ls -A "$WORK/out")"
}
