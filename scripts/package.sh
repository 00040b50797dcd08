#!/usr/bin/env bash
# Builds Kelvane's Debian package in build-pkg/ and checks it: desktop-file-validate, appstreamcli
# and lintian on what it ships, then installs it, starts the installed /usr/bin/kelvane on a
# virtual display until its window shows, and removes the package again. The removal also runs
# when a step fails, so nothing stays installed.
#   PKG_BUILD_DIR   build folder (default: build-pkg)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
build_dir=${PKG_BUILD_DIR:-build-pkg}
export DEBIAN_FRONTEND=noninteractive
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

work=$(mktemp -d)
packages_before=$work/packages-before
installed=0

installed_packages() { dpkg-query -W -f='${db:Status-Status} ${Package}\n' | awk '$1 != "not-installed" { print $2 }' | sort; }

cleanup() {
  local status=$?
  if [ "$installed" = 1 ]; then
    echo "package: removing kelvane"
    "${sudo_cmd[@]}" apt-get purge -y -qq kelvane >/dev/null || status=1
    # Whatever the install pulled in as a dependency goes too: the machine ends as it began.
    local pulled
    pulled=$(comm -13 "$packages_before" <(installed_packages) | tr '\n' ' ')
    if [ -n "${pulled// /}" ]; then
      echo "package: removing the dependencies it pulled in: $pulled"
      # shellcheck disable=SC2086
      "${sudo_cmd[@]}" apt-get purge -y -qq $pulled >/dev/null || status=1
    fi
    if dpkg-query -W -f='${db:Status-Status}' kelvane 2>/dev/null | grep -qv not-installed; then
      echo "package: kelvane is still installed" >&2
      status=1
    fi
  fi
  rm -rf "$work"
  exit "$status"
}
trap cleanup EXIT

echo "== package: build =="
# Debian's own compiler and linker flags, hardening included, as a Debian build would use them.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DKELVANE_BENCH=OFF \
  -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" \
  >/dev/null
cmake --build "$build_dir" -j"$(nproc)"
rm -f "$build_dir"/kelvane_*.deb
(cd "$build_dir" && cpack -G DEB)
debs=("$build_dir"/kelvane_*_*.deb)
[[ ${#debs[@]} = 1 && -f ${debs[0]} ]] || { echo "package: expected one .deb" >&2; exit 1; }
deb=$(realpath "${debs[0]}")
echo "package: $deb"

echo "== package: check what it ships =="
dpkg-deb -x "$deb" "$work/root"
for desktop in "$work"/root/usr/share/applications/*.desktop; do
  desktop-file-validate "$desktop"
done
for metainfo in "$work"/root/usr/share/metainfo/*.metainfo.xml; do
  appstreamcli validate --no-net "$metainfo"
done
lintian --fail-on error "$deb"

echo "== package: install, start, remove =="
installed_packages >"$packages_before"
installed=1
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "$deb" >/dev/null
[ -x /usr/bin/kelvane ] || { echo "package: /usr/bin/kelvane is not installed" >&2; exit 1; }

# On the virtual display: start the installed program from a folder of its own, wait until a
# window titled Kelvane of class Kelvane (the desktop entry's StartupWMClass) is mapped, check
# that a picture of it is not blank, then end the program.
read -r -d '' show_window <<'EOF' || true
set -euo pipefail
cd "$WORK" && mkdir -p home && export HOME=$WORK/home
/usr/bin/kelvane >kelvane.log 2>&1 &
pid=$!
window=
for _ in $(seq 150); do
  kill -0 "$pid" 2>/dev/null || { echo "kelvane ended early:"; cat kelvane.log; exit 1; }
  window=$(xwininfo -root -tree | awk '/"Kelvane": \("kelvane" "Kelvane"\)/ { print $1; exit }')
  [ -n "$window" ] && xwininfo -id "$window" | grep -q 'Map State: IsViewable' && break
  window=
  sleep 0.2
done
if [ -z "$window" ]; then
  echo "no Kelvane window within 30 s"; cat kelvane.log; kill "$pid"; exit 1
fi
sleep 1  # its first frame
import -window "$window" window.png
colours=$(identify -format '%k' window.png)
kill "$pid"
wait "$pid" || true
echo "package: window $window shown, $colours colours"
[ "$colours" -ge 16 ] || { echo "the window looks blank"; exit 1; }
EOF
WORK=$work timeout 120 xvfb-run -a -s "-screen 0 1024x768x24" bash -c "$show_window"
echo "package: all checks passed"
