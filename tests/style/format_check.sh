#!/usr/bin/env bash
# Fails when a tracked C or C++ source differs from what clang-format makes of it with the
# project's .clang-format, and names each such file. Skipped outside a git checkout.
set -euo pipefail
top="${1:?usage: $0 SOURCE-DIRECTORY}"
command -v clang-format >/dev/null || { echo "SKIP: clang-format is not installed"; exit 77; }
git -C "$top" rev-parse --is-inside-work-tree >/dev/null 2>&1 || {
    echo "SKIP: $top is not a git checkout"
    exit 77
}
cd "$top"
mapfile -d '' files < <(git ls-files -z -- '*.c' '*.cpp' '*.h')
[ "${#files[@]}" -gt 0 ] || { echo "FAIL: no tracked sources found"; exit 1; }
if ! clang-format --dry-run -Werror "${files[@]}"; then
    echo "FAIL: run clang-format -i on the files named above"
    exit 1
fi
echo "${#files[@]} sources formatted as .clang-format says"
