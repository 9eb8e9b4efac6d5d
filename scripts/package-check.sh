#!/usr/bin/env bash
# Builds the Debian packages (scripts/package.sh), checks them with lintian, installs them with
# dpkg into this machine, uses them from /usr the way a user and a host program do, purges them
# and checks that nothing is left behind. Needs root (or sudo); CI runs it (scripts/ci-full.sh).
#   scripts/package-check.sh [extra cmake options for package.sh...]
set -euo pipefail
cd "$(dirname "$0")/.."
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
packages=(lintian desktop-file-utils pkg-config bash-completion)
scripts/install-packages.sh "${packages[@]}"

scripts/package.sh "$@"
debs=(build/lorvantic_*.deb build/liblorvantic-dev_*.deb) # package.sh keeps one version of each
echo "== lintian ${debs[*]}"
lintian --fail-on error --tag-display-limit 0 "${debs[@]}"

work=$(mktemp -d)
snapshot() {
  find /usr /etc /var/lib -xdev \( -path /var/lib/dpkg -o -path /var/lib/apt \) -prune -o -print \
    | sort >"$1"
}
purge() { $sudo dpkg --purge liblorvantic-dev lorvantic >/dev/null 2>&1; }
trap 'purge; rm -rf "$work"' EXIT
purge
snapshot "$work/before"
$sudo dpkg -i "${debs[@]}" >/dev/null
echo "== installed: $(dpkg-query -W -f='${Package} ${Version}, ' lorvantic liblorvantic-dev)"

fail() {
  echo "package check: $*" >&2
  exit 1
}
stray=$(dpkg -L lorvantic liblorvantic-dev | grep -Ev '^/(\.|usr)?$' | grep -v '^/usr/' || true)
[ -z "$stray" ] || fail "files outside /usr: $stray"
! dpkg -L lorvantic liblorvantic-dev | grep -q '^/usr/local' || fail "files in /usr/local"
[ "$(command -v kavenor)" = /usr/bin/kavenor ] || fail "kavenor is not /usr/bin/kavenor"
[ "$(kavenor --version)" = "kavenor $(dpkg-query -W -f='${Version}' lorvantic)" ] || fail "kavenor --version: $(kavenor --version)"
desktop-file-validate /usr/share/applications/kavenor.desktop
# The menu entry's command opens the connection dialog, which stays until closed.
exec_line=$(sed -n 's/^Exec=//p' /usr/share/applications/kavenor.desktop)
{ [ "$exec_line" = kavenor ] && [ -f /usr/share/icons/hicolor/scalable/apps/kavenor.svg ]; } || fail "desktop entry: $exec_line"
status=0
QT_QPA_PLATFORM=offscreen timeout 3 kavenor 2>/dev/null || status=$?
[ "$status" -eq 124 ] || fail "kavenor without arguments ended with $status instead of showing the dialog"

# The README's sample report, from a folder far from the source tree: the bundled server must
# come from /usr/share/lorvantic.
grep -q "^sample	/usr/share/lorvantic/servers/" <<<"$(cd "$work" && env -u LORVANTIC_SERVER_PATH kavenor servers)" ||
  fail "the bundled servers are not found in /usr/share/lorvantic/servers"
(cd "$work" && kavenor report cubes --server sample --index --output report.html && grep -q '</html>' report.html) ||
  fail "the sample report failed"

# Completion offers server names, those with blanks, & and | too.
mkdir "$work/servers"
cp samples/servers/sample.json "$work/servers/My & Server|2.json"
offered=$(LORVANTIC_SERVER_PATH="$work/servers" bash -c '
  source /usr/share/bash-completion/bash_completion
  source /usr/share/bash-completion/completions/kavenor
  COMP_WORDS=(kavenor report cubes --server "") COMP_CWORD=4 COMP_LINE="kavenor report cubes --server " COMP_POINT=30
  _kavenor kavenor
  printf "%s\n" "${COMPREPLY[@]}"')
{ grep -qx 'My & Server|2' <<<"$offered" && grep -qx sample <<<"$offered"; } ||
  fail "completion offers no server names: $offered"

# The test hosts, built against the installed headers and library: find_package (C++ and C)
# and pkg-config (C, C++).
cmake -S tests/automation/host -B "$work/host" -G Ninja >/dev/null
cmake --build "$work/host" >/dev/null
"$work/host/host" && "$work/host/chost"
read -ra flags <<<"$(pkg-config --cflags --libs lorvantic)"
cc -std=c11 -Wall -Wextra -Wpedantic -Werror -DLORVANTIC_CHOST_LINKED tests/automation/chost.c "${flags[@]}" \
  -o "$work/chost-pc"
"$work/chost-pc"
c++ -std=c++20 -fPIC tests/automation/host/host.cpp "${flags[@]}" -o "$work/host-pc"
"$work/host-pc"

purge
snapshot "$work/after"
left=$(comm -13 "$work/before" "$work/after")
[ -z "$left" ] || fail "left behind after dpkg --purge: $left"
echo "== packages built, installed, used and purged without a trace"
