#!/usr/bin/env bash
# The static checks: clang-format (.clang-format) over every tracked C and C++ file, then
# clang-tidy (.clang-tidy) over the product code with the build's compile database. Any finding
# fails the run; both checks always run.
#   scripts/lint.sh [BUILD_DIR]   (default build; setup.sh makes it with its compile database)
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
jobs=${LORVANTIC_LINT_JOBS:-2}
product=(app automation check core cube dialogs diff dimension external model report role selection settings site)
failed=()

mapfile -t formatted < <(git ls-files -- '*.cpp' '*.h' '*.c')
echo "--- clang-format: ${#formatted[@]} tracked .cpp/.h/.c files"
clang-format --dry-run -Werror "${formatted[@]}" || failed+=(clang-format)

if [ ! -f "$build/compile_commands.json" ]; then
  echo "--- clang-tidy: no $build/compile_commands.json (run scripts/setup.sh $build first)"
  failed+=(clang-tidy)
else
  # The sources of the product folders as the compile database names them; the headers they
  # include are checked with them (HeaderFilterRegex).
  folders=$(IFS='|'; echo "${product[*]}")
  echo "--- clang-tidy: the .cpp files of ${product[*]} ($jobs jobs)"
  run-clang-tidy -p "$build" -j "$jobs" -quiet "^$PWD/($folders)/.*\.cpp\$" >"$build/clang-tidy.log" 2>&1
  tidy=$?
  # The findings, without colours, progress lines and counts of warnings in headers not checked.
  sed -r 's/\x1b\[[0-9;]*m//g' "$build/clang-tidy.log" |
    grep -vE '^(clang-tidy|[0-9]+ warnings? (and [0-9]+ errors? )?generated\.|Suppressed [0-9]+ warnings|Use -header-filter)' ||
    true
  checked=$(grep -oE '[^ ]+\.cpp$' "$build/clang-tidy.log" | sed "s|^$PWD/||" | sort)
  echo "--- clang-tidy: $(echo "$checked" | grep -c .) files checked:" $checked
  [ "$tidy" -eq 0 ] || failed+=(clang-tidy)
fi

if [ ${#failed[@]} -gt 0 ]; then
  echo "--- lint failed: ${failed[*]}"
  exit 1
fi
echo "--- lint: no findings"
