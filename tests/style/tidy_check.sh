#!/usr/bin/env bash
# Runs clang-tidy with the project's .clang-tidy over every source of src/ that the build compiles
# (from its compile_commands.json), one instance per processor; any finding fails. Skipped when
# clang-tidy is not installed.
#   tidy_check.sh SOURCE-DIRECTORY BUILD-DIRECTORY
set -euo pipefail
top="${1:?usage: $0 SOURCE-DIRECTORY BUILD-DIRECTORY}"
build="${2:?usage: $0 SOURCE-DIRECTORY BUILD-DIRECTORY}"
command -v clang-tidy >/dev/null || { echo "SKIP: clang-tidy is not installed"; exit 77; }
[ -f "$build/compile_commands.json" ] || { echo "FAIL: $build/compile_commands.json is missing"; exit 1; }
top="$(cd "$top" && pwd)"
mapfile -t files < <(/usr/bin/python3 - "$build/compile_commands.json" "$top/src/" <<'PY'
import json, sys
commands, src = sys.argv[1], sys.argv[2]
for file in sorted({entry["file"] for entry in json.load(open(commands))}):
    if file.startswith(src):
        print(file)
PY
)
[ "${#files[@]}" -gt 0 ] || { echo "FAIL: no source of src/ in $build/compile_commands.json"; exit 1; }
started=$SECONDS
log="$build/clang-tidy.log"
if ! printf '%s\0' "${files[@]}" |
    xargs -0 -n 4 -P "$(nproc)" clang-tidy -p "$build" --quiet >"$log" 2>&1; then
    grep -E -A3 ': (error|warning): ' "$log" | head -n 200 || tail -n 50 "$log"
    echo "FAIL: clang-tidy found the above in ${#files[@]} sources (all of it in $log)"
    exit 1
fi
echo "clang-tidy: ${#files[@]} sources clean in $((SECONDS - started)) s"
