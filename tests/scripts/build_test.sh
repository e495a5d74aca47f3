#!/usr/bin/env bash
# build_test.sh SCRIPT: a build folder made for another source folder, after the tree was
# copied or moved, is made afresh keeping only user data; one made for its own is kept.
set -eEuo pipefail
script=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
trap 'echo "FAILED: line $LINENO"' ERR
failures=0
check() { # check WHAT COMMAND...
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}

tree=$work/tree
mkdir -p "$tree/scripts" "$tree/sub"
cp "$script" "$tree/scripts/build"
for project in "$tree" "$tree/sub"; do
  cat >"$project/CMakeLists.txt" <<'END'
cmake_minimum_required(VERSION 3.25)
project(t NONE)
add_custom_target(stamp ALL COMMAND ${CMAKE_COMMAND} -E touch stamp)
END
done
build() { (cd "$1" && scripts/build "${@:2}" 2>"$work/said" >/dev/null); }
made_for() { sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$1/CMakeCache.txt"; }

build "$tree" b
build "$tree" b-sub --source sub
mkdir -p "$tree/b/bin" "$tree/b/findings" "$tree/b-sub/corpus"
echo settings >"$tree/b/bin/vantrel.ini"
echo crash >"$tree/b/findings/crash-1"
echo input >"$tree/b-sub/corpus/input-1"
touch "$tree/b/bin/old-program"

# Built again in place: nothing is made afresh.
build "$tree" b
check "a build folder in place is kept" [ -e "$tree/b/bin/old-program" ]
check "a build folder in place says nothing" [ ! -s "$work/said" ]

# A copy, the original still there, and then the original moved: each builds afresh.
fresh() { # fresh TREE
  local other=$1 case
  for case in "b" "b-sub --source sub"; do
    # shellcheck disable=SC2086
    check "$other $case builds" build "$other" $case
    check "$other $case says it is made afresh" grep -q "^build: ${case%% *} was made for $tree" "$work/said"
  done
  check "$other: the cache names the new path" [ "$(made_for "$other/b")" = "$(cd "$other" && pwd -P)" ]
  check "$other: the subfolder's cache names it" [ "$(made_for "$other/b-sub")" = "$(cd "$other/sub" && pwd -P)" ]
  check "$other: built" [ -e "$other/b/stamp" ]
  check "$other: the old build's files are gone" [ ! -e "$other/b/bin/old-program" ]
  check "$other: the settings stay" grep -q settings "$other/b/bin/vantrel.ini"
  check "$other: the findings stay" grep -q crash "$other/b/findings/crash-1"
  check "$other: the corpus stays" grep -q input "$other/b-sub/corpus/input-1"
  check "$other: nothing is left beside" [ -z "$(find "$other" -maxdepth 1 -name '*-kept.*')" ]
}
cp -a "$tree" "$work/copy"
fresh "$work/copy"
mv "$tree" "$work/moved"
fresh "$work/moved"

[ "$failures" -eq 0 ] || { echo "$failures failed"; exit 1; }
