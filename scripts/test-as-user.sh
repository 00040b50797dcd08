#!/usr/bin/env bash
# Runs the tests that need an ordinary user once more as nobody, in a build that scripts/test.sh
# has built and tested as root. Root reads and writes whatever the permission bits, so these tests
# skip as root; they carry the CTest label as_user (AS_USER in tests/CMakeLists.txt).
# With ROOT_LOG, CTest's output of the run as root, it then checks that none is missed: every
# other test that skipped as root runs as nobody too, and one that does not skip there fails the
# script, for it lacks the label and would never run in CI.
#   test-as-user.sh [ROOT_LOG]
#   BUILD_DIR   build folder (default: build)
# Does nothing, and says why, when not run as root or when nobody cannot reach the build.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$PWD/${BUILD_DIR:-build}
root_log=${1:-}

as_nobody=(setpriv --reuid=nobody --regid=nogroup --clear-groups env HOME=/tmp TMPDIR=/tmp)
if [ "$(id -u)" != 0 ]; then
  echo "as-user: not root, so every test has run as an ordinary user already"
  exit 0
fi
if ! command -v setpriv >/dev/null || ! "${as_nobody[@]}" test -r "$build/CTestTestfile.cmake"; then
  echo "as-user: nobody cannot reach $build; the tests labelled as_user are not run"
  exit 0
fi

# CTest keeps its logs in Testing/ beside the CTestTestfile.cmake it starts from. The build is
# root's, so nobody starts from one of its own that reads the build's.
work=$(mktemp -d /tmp/kelvane-as-user-XXXXXX)
trap 'rm -rf "$work"' EXIT
chown nobody:nogroup "$work"
printf 'subdirs("%s")\n' "$build" >"$work/CTestTestfile.cmake"
ctest_as_nobody() { "${as_nobody[@]}" ctest --test-dir "$work" "$@"; }

# The tests that a CTest run reported as skipped, one name a line, from its output.
skipped_in() { sed -n 's/^[[:space:]]*[0-9]\{1,\} - \(.*\) (Skipped)$/\1/p' "$1" | sort -u; }

echo "as-user: the tests labelled as_user, as nobody"
ctest_as_nobody -L as_user --no-tests=error --output-on-failure | tee "$work/labelled.log"
if [ -n "$(skipped_in "$work/labelled.log")" ]; then
  echo "as-user: these tests labelled as_user skip as nobody too:" >&2
  skipped_in "$work/labelled.log" >&2
  exit 1
fi

[ -n "$root_log" ] || exit 0
ctest --test-dir "$build" -N -L as_user | sed -n 's/^ *Test *#[0-9]*: //p' | sort -u >"$work/labelled"
skipped_in "$root_log" | comm -23 - "$work/labelled" >"$work/unlabelled"
if [ ! -s "$work/unlabelled" ]; then
  echo "as-user: every test that skipped as root is labelled as_user"
  exit 0
fi
echo "as-user: the other tests that skipped as root, as nobody: they must skip there too"
regex="^($(sed 's/[][\.*^$+?(){}|]/\\&/g' "$work/unlabelled" | paste -sd '|'))\$"
ctest_as_nobody -R "$regex" -LE as_user --output-on-failure >"$work/unlabelled.log" 2>&1 || true
skipped_in "$work/unlabelled.log" | comm -23 "$work/unlabelled" - >"$work/missed"
if [ -s "$work/missed" ]; then
  cat "$work/unlabelled.log"
  echo "as-user: these tests skip as root but run as nobody, without the label as_user;" \
    "name them in AS_USER of their kelvane_add_test:" >&2
  cat "$work/missed" >&2
  exit 1
fi
echo "as-user: all $(wc -l <"$work/unlabelled") skip as nobody too; none is missed"
