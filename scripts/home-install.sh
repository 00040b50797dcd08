#!/usr/bin/env bash
# Runs the README's "In your home folder" recipe exactly as it stands there, in a home folder of
# its own, then checks what it installed: both programs start, and the guide, the manual pages and
# the desktop entry are in place. The temporary home is removed at the end; the recipe's build
# folder stays.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

# The indented lines of the first block after the recipe's heading.
recipe=$(awk '/^\*\*In your home folder\*\*/ { found = 1; next }
              found && /^    / { print substr($0, 5); seen = 1; next }
              found && seen { exit }' README.md)
[ -n "$recipe" ] || { echo "home-install: no recipe found in README.md" >&2; exit 1; }

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
echo "home-install: the recipe, with HOME=$home:"
echo "$recipe" | sed 's/^/    /'
HOME=$home bash -euo pipefail -c "$recipe"

local_dir=$home/.local
for file in bin/kelvane bin/kelvane-cli share/kelvane/Kelvane.HLP share/man/man1/kelvane.1.gz \
  share/man/man1/kelvane-cli.1.gz share/applications/io.github.kelvane.Kelvane.desktop; do
  [ -e "$local_dir/$file" ] || { echo "home-install: $file was not installed" >&2; exit 1; }
done
"$local_dir/bin/kelvane-cli" --version
# The window stays up until it is closed: still running after two seconds means it started.
status=0
QT_QPA_PLATFORM=offscreen timeout 2 "$local_dir/bin/kelvane" || status=$?
[ "$status" = 124 ] || { echo "home-install: kelvane ended with status $status" >&2; exit 1; }
echo "home-install: the recipe installs both programs, and they start"
