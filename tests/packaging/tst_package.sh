#!/usr/bin/env bash
# The Debian package as a user gets it. cpack builds it from the build folder; its
# dependencies must name the Qt libraries and what Qt loads at run time; unpacked into a
# folder of its own, with the program's folder read-only, the configurator starts as an
# installed program, is ended with SIGTERM once its window is up, and must have closed as the
# operator would, its files in the user's XDG folders, owner-only, and nothing beside itself.
# Tests run as root here, where a read-only folder stops no write: the desktop entry beside
# bin/ is what keeps the files out of the program's folder.
#
# Usage: tst_package.sh BUILD_DIR CPACK VERSION; exit 77 (skipped) without the Debian tools.
set -euo pipefail

build=$1
cpack=$2
version=$3

for tool in "$cpack" dpkg-deb dpkg-shlibdeps file iconv; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is missing (scripts/test installs it)"
        exit 77
    fi
done

work=$(mktemp -d)
pid=
cleanup() {
    [ -z "$pid" ] || kill -KILL "$pid" 2>/dev/null || true
    chmod -R u+w "$work"
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Every path under a folder, one a line, sorted.
tree() {
    (cd "$1" && find . -mindepth 1 | LC_ALL=C sort)
}

mode() {
    stat -c %a "$1"
}

# --- The package and what it says of itself ---------------------------------------------------

"$cpack" -G DEB -B "$work/out" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack could not make the package"; }
debs=("$work"/out/tavix-config_*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
    fail "no single tavix-config_*.deb: ${debs[*]}"
fi
deb=${debs[0]}

field() {
    dpkg-deb -f "$deb" "$1"
}
[ "$(field Package)" = tavix-config ] || fail "package name $(field Package)"
[ "$(field Version)" = "$version" ] || fail "version $(field Version), the project's is $version"
for name in Maintainer Section Description; do
    [ -n "$(field "$name")" ] || fail "no $name"
done

depends=$(field Depends)
echo "Depends: $depends"
# The package names, without versions, alternatives split.
names=$(sed -e 's/([^)]*)//g' -e 's/|/,/g' <<<"$depends" | tr ',' '\n' | tr -d ' ')
for needed in libqt6widgets6 libqt6gui6 libqt6core6 qt6-qpa-plugins fonts-dejavu-core; do
    grep -qx -- "$needed" <<<"$names" || fail "$needed is not among the dependencies"
done

root="$work/root"
dpkg -x "$deb" "$root"
expected="./usr/bin/tavix-cli
./usr/bin/tavix-config
./usr/bin/tavix-sim
./usr/share/applications/tavix-config.desktop
./usr/share/icons/hicolor/scalable/apps/tavix-config.svg"
[ "$(cd "$root" && find . -type f | LC_ALL=C sort)" = "$expected" ] ||
    fail "the package holds: $(cd "$root" && find . -type f)"
grep -qx 'Exec=tavix-config' "$root/usr/share/applications/tavix-config.desktop" ||
    fail "the desktop entry does not start tavix-config"

chmod a-w "$root/usr/bin"
before=$(tree "$root")

# --- The unpacked configurator, started and ended --------------------------------------------

# Starts the unpacked configurator with the environment given (on top of a clean one), waits
# until it handles SIGTERM, sends it and expects the program to end by itself with status 0.
run_and_terminate() {
    local runtime="$work/runtime"
    [ -d "$runtime" ] || mkdir -m 0700 "$runtime"
    env -i PATH="$PATH" QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$runtime" "$@" \
        "$root/usr/bin/tavix-config" >"$work/program.log" 2>&1 &
    pid=$!

    # The handler is set up once the window exists, before it is shown; the close it asks for
    # runs in the event loop, after the window is up.
    local tries=0 caught=
    while :; do
        caught=$(awk '/^SigCgt:/ { print $2 }' "/proc/$pid/status" 2>/dev/null || true)
        [ -n "$caught" ] && (((0x$caught >> (15 - 1)) & 1)) && break
        kill -0 "$pid" 2>/dev/null || { cat "$work/program.log"; fail "the program ended by itself"; }
        ((++tries < 200)) || fail "the program never got ready for SIGTERM"
        sleep 0.05
    done

    kill -TERM "$pid"
    tries=0
    while kill -0 "$pid" 2>/dev/null && [ "$(awk '{ print $3 }' "/proc/$pid/stat")" != Z ]; do
        ((++tries < 200)) || fail "the program did not end within 10 s of SIGTERM"
        sleep 0.05
    done
    local status=0
    wait "$pid" || status=$?
    pid=
    [ "$status" -eq 0 ] || { cat "$work/program.log"; fail "the program ended with status $status"; }
}

# A log that holds the close's lines: the signal, and the goodbye the window's close says.
check_log() {
    local text
    [ -f "$1" ] || fail "no $1"
    text=$(iconv -f cp1251 -t utf-8 "$1") || fail "$1 is not Windows-1251"
    for line in "Получен сигнал SIGTERM: программа закрывается" "Завершение соединения..." \
        "СОМ-порт закрыт!"; do
        grep -qF -- "$line" <<<"$text" || fail "$1 lacks \"$line\": $text"
    done
}

# The program writes Log.txt at its close and TavixConfig.ini only at a connection attempt, so
# after a start and a close the settings' folder is there, owner-only, and empty.
check_folders() {
    local config=$1 state=$2
    check_log "$state/tavix/Log.txt"
    for folder in "$config/tavix" "$state/tavix"; do
        [ "$(mode "$folder")" = 700 ] || fail "$folder has mode $(mode "$folder"), not 700"
    done
    [ "$(tree "$config/tavix")" = "" ] || fail "the settings' folder holds $(tree "$config/tavix")"
    [ "$(tree "$state/tavix")" = "./Log.txt" ] || fail "the log's folder holds $(tree "$state/tavix")"
    [ "$(tree "$root")" = "$before" ] || fail "written beside the program: $(tree "$root")"
}

# XDG variables unset: everything under the home folder, each folder made owner-only.
home="$work/home"
mkdir "$home"
run_and_terminate HOME="$home"
check_folders "$home/.config" "$home/.local/state"
for folder in "$home/.config" "$home/.local" "$home/.local/state"; do
    [ "$(mode "$folder")" = 700 ] || fail "$folder has mode $(mode "$folder"), not 700"
done

# XDG variables set: there, and nothing in the home folder.
home="$work/home-xdg"
mkdir "$home"
run_and_terminate HOME="$home" XDG_CONFIG_HOME="$work/xdg/config" XDG_STATE_HOME="$work/xdg/state"
check_folders "$work/xdg/config" "$work/xdg/state"
[ "$(tree "$home")" = "" ] || fail "written in the home folder: $(tree "$home")"

echo "PASS: $deb"
