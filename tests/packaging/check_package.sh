#!/usr/bin/env bash
# Checks the Debian package the build made (cmake --build BUILD --target package): the
# files it holds, its desktop entry and AppStream data, lintian (no error; the warnings
# are those of packaging/lintian-warnings.txt), the manual pages as man renders them, and
# the programs run from the package unpacked into a scratch root.
#   check_package.sh BUILD-DIR
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath "$1")
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
app_id=$(sed -n 's/^DRAVIK_APP_ID:STRING=//p' "$build/CMakeCache.txt")
deb=$build/dravik_${version}_$(dpkg --print-architecture).deb
export LC_ALL=C.UTF-8
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "package: $*" >&2
  exit 1
}
[ -f "$deb" ] || fail "no $deb"

# Every file a user needs, at the place Debian has it.
dpkg-deb --contents "$deb" | awk '{print $NF}' | sed 's|^\./|/|' >"$work/contents"
expected=(
  /usr/bin/dravik /usr/bin/dravik-cli
  /usr/share/applications/dravik.desktop
  "/usr/share/metainfo/$app_id.metainfo.xml"
  /usr/share/icons/hicolor/scalable/apps/dravik.svg
  /usr/share/icons/hicolor/48x48/apps/dravik.png
  /usr/share/icons/hicolor/128x128/apps/dravik.png
  /usr/share/icons/hicolor/256x256/apps/dravik.png
  /usr/share/man/man1/dravik.1.gz /usr/share/man/man1/dravik-cli.1.gz
  /usr/share/bash-completion/completions/dravik-cli
  /usr/share/doc/dravik/copyright /usr/share/doc/dravik/changelog.gz
  /usr/share/dravik/dravik.htm
  /usr/share/dravik/sample-data/dravik/memo.csv
  /usr/share/dravik/sample-data/quendal/zenncode.txt
  /usr/share/dravik/sample-data/quendal/hizuke.csv
  /usr/share/dravik/sample-data/kouho/kabuka/kabuka.csv
)
for file in "${expected[@]}"; do
  grep -qxF "$file" "$work/contents" || fail "$file is not in the package"
done
grep -q '/\.complete$' "$work/contents" && fail "the build's .complete mark is in the package"
depends=$(dpkg-deb --field "$deb" Depends)
for needed in fonts-ipafont-gothic libqt6widgets6 libc6; do
  grep -q "$needed" <<<"$depends" || fail "Depends lacks $needed: $depends"
done
[ "$(dpkg-deb --field "$deb" Version)" = "$version" ] || fail "the package's version is not $version"

dpkg -x "$deb" "$work/root"
usr=$work/root/usr
for program in dravik dravik-cli; do
  file "$usr/bin/$program" | grep -q ', stripped' || fail "$program is not stripped"
done
for size in 48 128 256; do
  file "$usr/share/icons/hicolor/${size}x$size/apps/dravik.png" | grep -q "$size x $size" ||
    fail "the ${size}px icon is not $size x $size"
done

desktop-file-validate "$usr/share/applications/dravik.desktop"
appstreamcli validate --no-net "$usr/share/metainfo/$app_id.metainfo.xml" >"$work/appstream" ||
  { cat "$work/appstream"; fail "appstreamcli validate"; }
metainfo=$usr/share/metainfo/$app_id.metainfo.xml
grep -q "<release version=\"$version\" date=\"[0-9-]*\"" "$metainfo" ||
  fail "the AppStream release is not $version"
grep -q 'xml:lang="ja"' "$metainfo" || fail "the AppStream data has no Japanese"

# The manual pages render without a warning.
for page in dravik dravik-cli; do
  MANWIDTH=80 man --warnings -E UTF-8 -l "$usr/share/man/man1/$page.1.gz" >"$work/$page.txt" \
    2>"$work/$page.warnings"
  [ -s "$work/$page.warnings" ] && { cat "$work/$page.warnings"; fail "man warns on $page(1)"; }
  grep -q "Dravik $version" "$work/$page.txt" || fail "$page(1) does not carry version $version"
done

# lintian: no error, and exactly the warnings listed. Bytes outside ASCII (in the sample
# data's Japanese file name) are shown as "?", as lintian's output varies there.
lintian --tag-display-limit 0 "$deb" 2>/dev/null | LC_ALL=C sed 's/[^ -~]/?/g' | tr -s '?' \
  >"$work/lintian" || true
if grep '^E:' "$work/lintian"; then fail "lintian reports errors"; fi
grep '^W:' "$work/lintian" | LC_ALL=C sort >"$work/warnings" || true
grep -v -e '^#' -e '^$' "$source_dir/packaging/lintian-warnings.txt" >"$work/expected-warnings"
if ! diff -u "$work/expected-warnings" "$work/warnings"; then
  fail "lintian's warnings differ from packaging/lintian-warnings.txt"
fi

# The programs from the package: as a new user, without a display.
export HOME=$work/home XDG_DATA_HOME=$work/home/data XDG_CONFIG_HOME=$work/home/config
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
mkdir -p "$HOME"
cli=$usr/bin/dravik-cli
[ "$("$cli" --version | head -n 1)" = "dravik-cli $version" ] || fail "dravik-cli --version"
[ "$("$usr/bin/dravik" --version | head -n 1)" = "dravik $version" ] || fail "dravik --version"
"$cli" --help | grep -q '^usage: dravik-cli chart CODE' || fail "dravik-cli --help"
"$usr/bin/dravik" --help | grep -q '^usage: dravik ' || fail "dravik --help"
# The first chart copies the package's sample data into the new user's data root.
"$cli" chart 6154 --days 60 >"$work/chart" || fail "dravik-cli chart 6154"
grep -q '^6154見本' "$work/chart" || fail "the chart of 6154 has no title"
[ -f "$XDG_DATA_HOME/dravik/quendal/zenncode.txt" ] || fail "the sample data was not copied"
"$cli" screen | grep -q '^強気％ ' || fail "dravik-cli screen"

# The completion from the package completes the commands.
completion=$usr/share/bash-completion/completions/dravik-cli
offered=$(bash -c 'source "$0"; COMP_WORDS=(dravik-cli ch); COMP_CWORD=1; _dravik_cli;
  echo "${COMPREPLY[*]}"' "$completion")
[ "$offered" = chart ] || fail "the completion offers \"$offered\" for \"ch\""

echo "package $(basename "$deb"): ok"
