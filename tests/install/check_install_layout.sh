#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks the desktop layout that the Debian package
# and a ~/.local install rely on: every file in its place and nothing else, icons of the right
# pixel size, and the desktop entry and AppStream metadata naming the files actually installed.
#   check_install_layout.sh CMAKE BUILD_DIR CONFIG APP_ID HAS_CLI
set -euo pipefail
cmake=$1 build=$2 config=$3 id=$4 has_cli=$5

prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
config_args=()
[ -n "$config" ] && config_args=(--config "$config")
"$cmake" --install "$build" --prefix "$prefix" "${config_args[@]}" >/dev/null

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# The bytes of a file from offset, as decimal numbers separated by spaces.
bytes() { od -An -tu1 -j"$2" -N"$3" "$1" | tr -s ' \n' ' ' | sed 's/^ //; s/ $//'; }

# A PNG's width and height from its IHDR chunk, the first after the 8-byte signature.
png_size() {
  local b
  read -ra b <<<"$(bytes "$1" 16 8)"
  echo "$(((b[0] << 24) | (b[1] << 16) | (b[2] << 8) | b[3]))x$(((b[4] << 24) | (b[5] << 16) | (b[6] << 8) | b[7]))"
}

# The value of key in a desktop file's [Desktop Entry] group.
desktop_value() {
  awk -F= -v key="$2" '/^\[/ { group = $0 } group == "[Desktop Entry]" && $1 == key {
    sub(/^[^=]*=/, ""); print; exit }' "$1"
}

expected=(
  bin/kelvane
  share/kelvane/Kelvane.HLP
  "share/applications/$id.desktop"
  "share/metainfo/$id.metainfo.xml"
  "share/icons/hicolor/scalable/apps/$id.svg"
  share/man/man1/kelvane.1.gz
  share/doc/kelvane/copyright
  share/doc/kelvane/changelog.gz
)
sizes=(48 64 128 256)
for size in "${sizes[@]}"; do expected+=("share/icons/hicolor/${size}x${size}/apps/$id.png"); done
if [ "$has_cli" = 1 ]; then expected+=(bin/kelvane-cli share/man/man1/kelvane-cli.1.gz); fi

for file in "${expected[@]}"; do
  [[ -f $prefix/$file && -s $prefix/$file ]] || fail "$file is not installed (or is empty)"
done
# Nothing but those: a stray library, header or test program would end up in the package too.
while IFS= read -r file; do
  found=0
  for want in "${expected[@]}"; do [ "$file" = "$want" ] && found=1 && break; done
  [ "$found" = 1 ] || fail "unexpected file installed: $file"
done < <(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | sort)

for program in bin/kelvane $([ "$has_cli" = 1 ] && echo bin/kelvane-cli); do
  [ -f "$prefix/$program" ] || continue
  [ -x "$prefix/$program" ] || fail "$program is not executable"
  [ "$(bytes "$prefix/$program" 0 4)" = "127 69 76 70" ] || fail "$program is not an ELF program"
done

for size in "${sizes[@]}"; do
  png=$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png
  [ -f "$png" ] || continue
  if [ "$(bytes "$png" 0 8)" != "137 80 78 71 13 10 26 10" ]; then
    fail "${size}x${size} icon is not a PNG"
  elif [ "$(bytes "$png" 12 4)" != "73 72 68 82" ]; then
    fail "${size}x${size} icon has no IHDR chunk first"
  else
    actual=$(png_size "$png")
    [ "$actual" = "${size}x${size}" ] || fail "${size}x${size} icon is $actual pixels"
  fi
done
svg=$prefix/share/icons/hicolor/scalable/apps/$id.svg
[ -f "$svg" ] && ! grep -q '<svg' "$svg" && fail "the scalable icon is not an SVG"
for gz in share/man/man1/kelvane.1.gz share/doc/kelvane/changelog.gz; do
  [ -f "$prefix/$gz" ] || continue
  [ "$(bytes "$prefix/$gz" 0 2)" = "31 139" ] || fail "$gz is not gzip-compressed"
done

desktop=$prefix/share/applications/$id.desktop
if [ -f "$desktop" ]; then
  exec_line=$(desktop_value "$desktop" Exec)
  program=${exec_line%% *}
  [[ -n $program && -x $prefix/bin/$program ]] ||
    fail "desktop entry's Exec ($exec_line) names no installed program"
  icon=$(desktop_value "$desktop" Icon)
  [[ -n $icon && -f $prefix/share/icons/hicolor/scalable/apps/$icon.svg ]] ||
    fail "desktop entry's Icon ($icon) names no installed icon"
  for size in "${sizes[@]}"; do
    [ -f "$prefix/share/icons/hicolor/${size}x${size}/apps/$icon.png" ] ||
      fail "desktop entry's Icon ($icon) has no ${size}x${size} picture"
  done
  [ "$(desktop_value "$desktop" Type)" = Application ] || fail "desktop entry is not of Type=Application"
fi

metainfo=$prefix/share/metainfo/$id.metainfo.xml
if [ -f "$metainfo" ]; then
  launchable=$(sed -n 's|.*<launchable type="desktop-id">\([^<]*\)</launchable>.*|\1|p' "$metainfo")
  [[ -n $launchable && -f $prefix/share/applications/$launchable ]] ||
    fail "metainfo's launchable ($launchable) names no installed desktop entry"
  component=$(sed -n 's|.*<id>\([^<]*\)</id>.*|\1|p' "$metainfo" | head -1)
  [ "$component" = "$id" ] || fail "metainfo's id is $component, not $id"
  binary=$(sed -n 's|.*<binary>\([^<]*\)</binary>.*|\1|p' "$metainfo")
  [ -z "$binary" ] || [ -x "$prefix/bin/$binary" ] || fail "metainfo provides $binary, not installed"
fi

if [ "$failures" -gt 0 ]; then
  echo "$failures problem(s) in the installed layout"
  exit 1
fi
echo "install layout: ${#expected[@]} files, all in place"
