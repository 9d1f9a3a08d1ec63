#!/usr/bin/env bash
# Fails when a C or C++ source file of the repository differs from what clang-format 14 makes of
# it under the repository's .clang-format, and names every such file. CI runs it before the tests.
# To mend a file: clang-format-14 -i FILE
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-deps.sh

tool=""
for candidate in clang-format-14 clang-format; do
  if command -v "$candidate" >/dev/null 2>&1; then
    tool="$candidate"
    break
  fi
done
if [ -z "$tool" ]; then
  echo "check-format: clang-format not found" >&2
  exit 2
fi
# Another major version lays some constructs out differently; 14 is the reference.
if ! "$tool" --version | grep -q 'version 14\.'; then
  echo "check-format: $tool is not version 14: $("$tool" --version)" >&2
  exit 2
fi

log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
git ls-files -z '*.cpp' '*.h' '*.c' | xargs -0 -r -n 40 -P 4 "$tool" --dry-run --Werror >"$log" 2>&1 || status=$?
# Each difference is reported as "file:line:column: error: ..."; list each file once.
mapfile -t bad < <(grep -E '^[^ :]+:[0-9]+:[0-9]+: error' "$log" | cut -d: -f1 | sort -u)
if [ ${#bad[@]} -gt 0 ]; then
  echo "check-format: ${#bad[@]} file(s) not formatted with $tool:" >&2
  printf '  %s\n' "${bad[@]}" >&2
  exit 1
fi
if [ "$status" -ne 0 ]; then
  # clang-format failed without naming a difference (unreadable file, bad configuration).
  cat "$log" >&2
  exit 1
fi
echo "check-format: all files formatted"
