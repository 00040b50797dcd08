#!/usr/bin/env bash
# Formats every tracked C++ file (*.h, *.cpp) by the .clang-format at the root.
#   format.sh           formats them in place
#   format.sh --check   changes nothing; fails, naming each file that is not formatted
set -euo pipefail
cd "$(dirname "$0")/.."
case "${1:-}" in
  "") check=0 ;;
  --check) check=1 ;;
  *) echo "usage: $0 [--check]" >&2; exit 2 ;;
esac
bash scripts/setup.sh

mapfile -t files < <(git ls-files -- '*.h' '*.cpp')
((${#files[@]})) || { echo "format: no tracked C++ file" >&2; exit 1; }

if [ "$check" = 0 ]; then
  clang-format -i --style=file "${files[@]}"
  echo "format: ${#files[@]} files formatted"
  exit 0
fi

# One file at a time, so that each is named, with its first departure from the style.
unformatted=()
for file in "${files[@]}"; do
  clang-format --dry-run -Werror --ferror-limit=1 --style=file "$file" || unformatted+=("$file")
done
if ((${#unformatted[@]})); then
  echo "format: ${#unformatted[@]} of ${#files[@]} files are not formatted" \
    "(bash scripts/format.sh formats them):" >&2
  printf '  %s\n' "${unformatted[@]}" >&2
  exit 1
fi
echo "format: all ${#files[@]} files formatted"
