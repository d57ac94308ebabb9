#!/bin/sh
# Checks of the desktop files, the installed tree and the .deb:
#   package_checks.sh CHECK SOURCE_DIR BUILD_DIR APP_ID
# CHECK is desktop, metainfo, manpage, icons, window, installed or deb. A missing
# tool is a failure, not a skip: these checks are the only ones that see
# the files a player's desktop reads.
set -eu

check=$1
src=$2
build=$3
app_id=$4

# Written at build time from the templates in data/ and the catalogs.
desktop=$build/$app_id.desktop
metainfo=$build/$app_id.metainfo.xml
dejavu=/usr/share/fonts/truetype/dejavu
icon_sizes="16 24 32 48 64 128 256 512"

fail() { echo "FAIL: $*" >&2; exit 1; }
need() { command -v "$1" >/dev/null 2>&1 || fail "$1 is not installed (scripts/install-deps installs it)"; }

work=$(mktemp -d "${TMPDIR:-/tmp}/zelvane-package-XXXXXX")
xvfb=
trap 'rm -rf "$work"; [ -z "$xvfb" ] || kill "$xvfb"' EXIT

# The value of KEY in the desktop entry; the project's version.
desktop_key() { sed -n "s/^$1=//p" "$desktop"; }
version=$(sed -n 's/^project(Zelvane VERSION \([0-9.]*\).*/\1/p' "$src/CMakeLists.txt")

# Width and height from a PNG's header, as "W H"; empty for anything else.
png_size() {
    # The signature, then the length and name of the IHDR chunk.
    [ "$(od -An -tx1 -N16 "$1" | tr -d ' \n')" = 89504e470d0a1a0a0000000d49484452 ] || return 0
    set -- $(od -An -tu1 -j16 -N8 "$1")
    echo "$(( ($1 << 24) + ($2 << 16) + ($3 << 8) + $4 )) $(( ($5 << 24) + ($6 << 16) + ($7 << 8) + $8 ))"
}

# Waits up to 30 s for the game, process $1, to report its renderer.
wait_for_window() {
    tries=0
    until grep -q '^\[video\]' "$work/out"; do
        kill -0 "$1" 2>/dev/null || { cat "$work/out" "$work/err" >&2; fail "the game ended before opening its window"; }
        tries=$((tries + 1))
        [ "$tries" -le 300 ] || { kill -KILL "$1"; fail "the game opened no window within 30 s"; }
        sleep 0.1
    done
}

# Starts the game like a desktop would, but with SDL's dummy drivers and a
# throw-away home, lets it run, ends it with SIGTERM and checks the outcome:
# it found all its fonts and sounds by itself, or, with "no-assets" as $2,
# it complained about them.
run_game() {
    bin=$1
    home=$work/run-home
    rm -rf "$home"
    mkdir -p "$home/data" "$home/cache" "$home/runtime"
    chmod 700 "$home/runtime"
    env -u ZELVANE_ASSET_DIR -u SNAP -u APPDIR -u ZELVANE_SCREEN -u ZELVANE_SOLVES \
        SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
        HOME="$home" XDG_DATA_HOME="$home/data" XDG_CACHE_HOME="$home/cache" XDG_RUNTIME_DIR="$home/runtime" \
        sh -c 'cd "$1" && exec "$2"' run "$home" "$bin" >"$work/out" 2>"$work/err" &
    pid=$!
    wait_for_window "$pid"
    # Fonts and sound are loaded after the renderer report; give the loop a moment.
    sleep 1.5
    kill -0 "$pid" 2>/dev/null || { cat "$work/err" >&2; fail "$bin ended on its own"; }
    kill -TERM "$pid"
    status=0
    wait "$pid" || status=$?
    cat "$work/err" >&2
    [ "$status" -eq 0 ] || fail "$bin exited with $status after SIGTERM"
    grep -q '^\[fenster\] sichere' "$work/out" || fail "$bin did not shut down in order"
    [ -f "$home/data/Zelvane/settings.dat" ] || fail "$bin saved no settings in XDG_DATA_HOME"
    if [ "${2-}" = no-assets ]; then
        grep -q '^\[audio\]' "$work/err" || fail "a game without assets printed no [audio] line"
    elif grep -E '^\[(audio|fonts)\]' "$work/err"; then
        fail "a font or a sound is missing or broken"
    fi
}

check_layout() {
    root=$1
    [ -x "$root/bin/$(desktop_key Exec)" ] || fail "the desktop entry's Exec is not installed in $root/bin"
    for name in 'de]=Orlavans Schach' 'ja]=オーラヴァンのチェス'; do
        grep -qxF "Name[$name" "$root/share/applications/$app_id.desktop" || fail "desktop entry lacks Name[$name"
    done
    # DejaVu Sans is the system's (fonts-dejavu-core), linked and not copied.
    for face in DejaVuSans.ttf DejaVuSans-Bold.ttf; do
        [ -L "$root/share/Zelvane/assets/fonts/$face" ] &&
            [ "$(readlink -f "$root/share/Zelvane/assets/fonts/$face")" = "$(readlink -f "$dejavu/$face")" ] ||
            fail "$face is no link to $dejavu/$face"
    done
    for f in Zelvane/assets/fonts/OrlavanChessCJK.ttf Zelvane/assets/audio/bgm_calm.ogg \
        Zelvane/assets/audio/sfx_click.ogg Zelvane/assets/audio/sfx_drop_14.ogg \
        metainfo/$app_id.metainfo.xml man/man6/zelvane.6.gz icons/hicolor/scalable/apps/$app_id.svg \
        $(for px in $icon_sizes; do echo "icons/hicolor/${px}x$px/apps/$app_id.png"; done); do
        [ -s "$root/share/$f" ] || fail "$f is not installed"
    done
}

case $check in
desktop)
    need desktop-file-validate
    # Any output is a warning or an error.
    out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $out"
    [ -z "$out" ] || fail "desktop-file-validate: $out"
    [ "$(desktop_key Icon)" = "$app_id" ] || fail "Icon= is not the application id"
    desktop_key Categories | grep -q '^Game;BoardGame;' || fail "not in the Game;BoardGame categories"
    ;;
metainfo)
    need appstreamcli
    appstreamcli validate --no-net --explain "$metainfo" || fail "appstreamcli found errors"
    if appstreamcli validate --no-net "$metainfo" | grep -E '^[EW]:'; then fail "appstreamcli warnings"; fi
    grep -q "<id>$app_id</id>" "$metainfo" || fail "metainfo id is not $app_id"
    grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
        fail "metainfo does not launch $app_id.desktop"
    grep -q "<release version=\"$version\"" "$metainfo" || fail "metainfo has no release $version"
    ;;
manpage)
    need man
    warnings=$(man --warnings -l "$src/data/zelvane.6" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "groff: $warnings"
    page=$(MANWIDTH=200 man -l "$src/data/zelvane.6" 2>/dev/null)
    # Every option the game lists in its --help must be documented, and the variables it reads.
    options=$("$build/zelvane" --help | grep -o -- '--[a-z]*')
    [ -n "$options" ] || fail "zelvane --help lists no options"
    for word in $options ZELVANE_ASSET_DIR ZELVANE_SCREEN ZELVANE_STATS XDG_DATA_HOME; do
        echo "$page" | grep -q -- "$word" || fail "manual page lacks $word"
    done
    ;;
icons)
    theme=$build/icons/hicolor
    for px in $icon_sizes; do
        file=$theme/${px}x$px/apps/$app_id.png
        [ -f "$file" ] || fail "missing $file"
        size=$(png_size "$file")
        [ "$size" = "$px $px" ] || fail "$file is '$size', not a $px x $px PNG"
    done
    svg=$theme/scalable/apps/$app_id.svg
    grep -q '<svg[^>]* width="256" height="256"' "$svg" || fail "$svg is not 256 x 256"
    ;;
window)
    # The window's icon as the X server holds it: 64 x 64 pixels, and the
    # soft edge of the tile in the frame's own colour (0x8a6a3a): with
    # alpha left multiplied in, it would come out nearly black.
    need Xvfb && need xprop
    Xvfb -displayfd 3 -screen 0 1280x800x24 3>"$work/display" >/dev/null 2>&1 &
    xvfb=$!
    tries=0
    until [ -s "$work/display" ]; do
        tries=$((tries + 1))
        [ "$tries" -le 100 ] || fail "Xvfb did not start"
        sleep 0.1
    done
    display=:$(head -n 1 "$work/display")
    mkdir -p "$work/data"
    DISPLAY=$display SDL_AUDIODRIVER=dummy XDG_DATA_HOME="$work/data" HOME="$work" "$build/zelvane" \
        >"$work/out" 2>"$work/err" &
    game=$!
    wait_for_window "$game"
    DISPLAY=$display xprop -name "Orlavan's Chess" -notype -f _NET_WM_ICON 32c '=$0+\n' _NET_WM_ICON \
        >"$work/icon" 2>&1 || true
    kill -TERM "$game"
    wait "$game" || true
    tr -d ' ' <"$work/icon" | sed 's/^_NET_WM_ICON=//' | tr ',' '\n' | awk '
        function far(value, want) { return value < want - 12 || value > want + 12 }
        NR == 1 { w = $1 } NR == 2 { h = $1 }
        NR > 2 && NR <= 2 + 4 * w {
            a = int($1 / 16777216); r = int($1 / 65536) % 256; g = int($1 / 256) % 256; b = $1 % 256
            if (a > 0 && a < 255) {
                edge++
                # 0x8a 0x6a 0x3a; awk knows no hexadecimal.
                if (far(r, 138) || far(g, 106) || far(b, 58)) off++
            }
        }
        END {
            if (w != 64 || h != 64) { print "window icon is " w " x " h ", not 64 x 64"; exit 1 }
            if (edge == 0) { print "window icon has no soft edge in its top rows"; exit 1 }
            if (off > 0) { print off " of " edge " edge pixels are not the frame colour"; exit 1 }
        }' || { cat "$work/icon" | head -c 400 >&2; fail "window icon"; }
    ;;
installed)
    prefix=$work/prefix
    cmake --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install failed"
    check_layout "$prefix"
    run_game "$prefix/bin/zelvane"
    # Without its assets the same binary must complain, or the check above proves
    # nothing (where no system-wide install would be found instead).
    if [ ! -d /usr/share/Zelvane/assets ]; then
        mv "$prefix/share/Zelvane" "$prefix/share/Zelvane.away"
        run_game "$prefix/bin/zelvane" no-assets 2>/dev/null
    fi
    ;;
deb)
    for tool in cpack dpkg-deb dpkg-shlibdeps lintian hardening-check; do need $tool; done
    cpack --config "$build/CPackConfig.cmake" -B "$work/cpack" >"$work/cpack.log" 2>&1 ||
        { cat "$work/cpack.log" >&2; fail "cpack failed"; }
    deb=$(ls "$work"/cpack/zelvane_"$version"_*.deb 2>/dev/null | head -n 1)
    [ -n "$deb" ] || fail "cpack made no zelvane_${version}_*.deb"
    dpkg-deb -f "$deb" Package Version Section Depends >"$work/control"
    for field in 'Package: zelvane' "Version: $version" 'Section: games'; do
        grep -qxF "$field" "$work/control" || fail "control lacks $field"
    done
    depends=$(sed -n 's/^Depends: //p' "$work/control" | tr ',' '\n' | sed 's/^ *//; s/ .*//')
    for runtime in 'libsdl2-2\.0-0' 'libsdl2-mixer-2\.0-0' libcairo2 'libpango-1\.0-0' 'libsodium[0-9]*' fonts-dejavu-core; do
        echo "$depends" | grep -qx "$runtime" || fail "Depends lacks $runtime"
    done
    dpkg-deb -x "$deb" "$work/root"
    # The font links are relative (lintian checks that) and resolve inside
    # the tree once the dependency is unpacked beside the game.
    mkdir -p "$work/root$(dirname "$dejavu")"
    ln -s "$dejavu" "$work/root$dejavu"
    check_layout "$work/root/usr"
    # Not control-flow protection: bookworm's C start files lack its marking.
    hardening-check --nocfprotection "$work/root/usr/bin/zelvane" || fail "hardening flags missing"
    run_game "$work/root/usr/bin/zelvane"
    lintian --tag-display-limit 0 "$deb" >"$work/lintian" 2>&1 || true
    if grep -E '^E:|hardening-no-|duplicate-font-file|symlink-should-be-relative' "$work/lintian"; then
        fail "lintian reports errors"
    fi
    ;;
*)
    fail "unknown check $check"
    ;;
esac
echo "package $check: ok"
