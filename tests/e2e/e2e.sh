#!/usr/bin/env bash
# End-to-end tests of the staged program: a copy of build/kotopa/ in a fresh temporary folder,
# started on its own Xvfb display and driven with xdotool as a user would. Each test case is
# one function below; CTest runs them one by one:
#   e2e.sh <case>
# Environment (set by tests/e2e/CMakeLists.txt): KOTOPA_STAGE (the staged program folder with
# the delivered key table and Acts), KOTOPA_X11_HELPER, KOTOPA_TOOL (kotopa-tool) and
# KOTOPA_ARTIFACTS (where screenshots go).
set -eEuo pipefail

: "${KOTOPA_STAGE:?}" "${KOTOPA_X11_HELPER:?}" "${KOTOPA_TOOL:?}" "${KOTOPA_ARTIFACTS:?}"
KOTOPA_SOUND_PROBE=${KOTOPA_SOUND_PROBE:-}
case_name=${1:?usage: e2e.sh <case>}

work=$(mktemp -d "${TMPDIR:-/tmp}/kotopa-e2e.XXXXXX")
prog="$work/kotopa"
xvfb_pid=""
app_pids=()
launch=()  # what start_program runs, when not the program in $prog

cleanup() {
    local pid
    for pid in "${app_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    chmod -R u+w "$work" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
# A command that fails outside fail() ends the case too (set -e); say which one.
trap 'echo "FAIL: line $LINENO: $BASH_COMMAND" >&2' ERR

fail() {
    echo "FAIL: $*" >&2
    [ -f "$work/app.log" ] && sed 's/^/  app: /' "$work/app.log" >&2
    exit 1
}

# --- set-up ---------------------------------------------------------------------------------

# The display, with the keyboard layout $1 (us by default, or jp for the Japanese 106-key
# keyboard) from its start. A layout set on a running Xvfb with setxkbmap does not hold: the
# server compiles the new keymap and then puts its default back. So the jp keyboard comes
# from keymap data of the test's own, the server's with the default (us) symbols being jp(106).
start_display() {
    local layout=${1:-us} xkb=()
    if [ "$layout" = jp ]; then
        local d f
        mkdir -p "$work/xkb/symbols"
        for d in /usr/share/X11/xkb/*; do
            [ "$(basename "$d")" = symbols ] || ln -sfn "$d" "$work/xkb/"
        done
        for f in /usr/share/X11/xkb/symbols/*; do
            [ "$(basename "$f")" = us ] || ln -sfn "$f" "$work/xkb/symbols/"
        done
        printf 'default partial alphanumeric_keys\nxkb_symbols "basic" {\n    include "jp(106)"\n};\n' \
            >"$work/xkb/symbols/us"
        xkb=(-xkbdir "$work/xkb")
    fi
    rm -f "$work/display"
    exec 3>"$work/display"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset "${xkb[@]}" >"$work/xvfb.log" 2>&1 8>&- &
    xvfb_pid=$!
    exec 3>&-
    local i
    for i in $(seq 100); do
        [ -s "$work/display" ] && break
        sleep 0.1
    done
    [ -s "$work/display" ] || fail "Xvfb did not start"
    export DISPLAY=":$(head -n1 "$work/display")"
    # A runtime folder of this test's own: the single-instance guard lives there.
    export XDG_RUNTIME_DIR="$work/run"
    mkdir -p -m 700 "$XDG_RUNTIME_DIR"
    unset QT_QPA_PLATFORM
    # The yen key (AE13) is a key of the jp layout alone.
    xkbcomp -w 0 "$DISPLAY" "$work/keymap.xkb" 2>/dev/null || fail "no keymap from the display"
    if grep -q 'key <AE13>' "$work/keymap.xkb"; then
        [ "$layout" = jp ] || fail "the display has a jp keyboard, not $layout"
    else
        [ "$layout" = us ] || fail "the display has a us keyboard, not $layout"
    fi
}

# The display started again with the keyboard layout $1, nothing of the program running.
restart_display() {
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    start_display "$1"
}

# The staged program as it ships, without any save/ of earlier runs.
install_program() {
    cp -r "$KOTOPA_STAGE" "$prog"
    rm -rf "$prog/save"
    [ -f "$prog/key/mykey.key" ] && [ -f "$prog/ktp/Act01.ktp" ] && [ -f "$prog/ktp/Act02.ktp" ] ||
        fail "the staged program lacks key/mykey.key, ktp/Act01.ktp or ktp/Act02.ktp"
}

# Starts a copy of the program; its pid goes to the variable named by $1. Further arguments
# are VAR=value settings of its environment.
start_program() {
    local var=$1 command=("$prog/kotopa")
    shift
    [ ${#launch[@]} -eq 0 ] || command=("${launch[@]}")
    env "$@" "${command[@]}" >>"$work/app.log" 2>&1 8>&- &
    app_pids+=($!)
    printf -v "$var" '%s' "$!"
}

# The id of the first visible window whose name matches the pattern (and pid, if given).
wait_window() {
    local pattern=$1 pid=${2:-} id=""
    local args=(search --onlyvisible --name "$pattern")
    [ -n "$pid" ] && args=(search --all --onlyvisible --pid "$pid" --name "$pattern")
    local i
    for i in $(seq 150); do
        id=$(xdotool "${args[@]}" 2>/dev/null | head -n1 || true)
        [ -n "$id" ] && break
        sleep 0.1
    done
    [ -n "$id" ] || fail "no window named '$pattern'"
    echo "$id"
}

# Waits a while ($3 tenths of a second, 50 by default) for the windows of process $2 whose
# name matches $1 to go.
wait_gone() {
    for _ in $(seq "${3:-50}"); do
        [ -z "$(xdotool search --all --onlyvisible --pid "$2" --name "$1" 2>/dev/null || true)" ] && return
        sleep 0.1
    done
}

# Waits until the process ends and fails unless it ended with status 0.
expect_exit_ok() {
    local pid=$1 what=$2 i rc=0
    for i in $(seq 150); do
        if ! kill -0 "$pid" 2>/dev/null; then
            wait "$pid" || rc=$?
            [ "$rc" = 0 ] || fail "$what ended with status $rc"
            return
        fi
        sleep 0.1
    done
    fail "$what did not end"
}

focus() {
    xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"
    sleep 0.2
}

# A click at x $2, y $3 of window $1.
click() { xdotool mousemove --window "$1" "$2" "$3" click 1; }

# The open dialog $1 given the file name $2 in its name field, which has the keyboard, and Enter.
type_file_name() {
    xdotool type --delay 20 "$2"
    xdotool key Return
}

shot() {
    mkdir -p "$KOTOPA_ARTIFACTS"
    "$KOTOPA_X11_HELPER" shot "$1" "$KOTOPA_ARTIFACTS/$case_name-$2.png" || echo "no screenshot $2" >&2
}

close_window() {
    "$KOTOPA_X11_HELPER" close "$1"
}

window_size() {
    local WIDTH HEIGHT X Y SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$1")"
    echo "${WIDTH}x${HEIGHT}"
}

# The number of the first row of the staged key table whose line matches the pattern. The
# whole file is read: a reader that stops early would end the pipe with SIGPIPE, which
# pipefail turns into a failure that depends on timing.
key_row() {
    iconv -f CP932 -t UTF-8 "$prog/key/mykey.key" | tr -d '\r' |
        awk -F= -v pattern="$1" '!found && $0 ~ pattern { print $1; found = 1 }'
}

# Shift_JIS bytes of UTF-8 text, in a file.
sjis() { printf '%s' "$1" | iconv -f UTF-8 -t CP932; }

expect_file() {
    local file=$1 expected=$2
    [ -f "$file" ] || fail "missing $file"
    cmp -s "$file" "$expected" || {
        echo "--- expected" >&2; od -c "$expected" | head -40 >&2
        echo "--- got" >&2; od -c "$file" | head -40 >&2
        fail "$file differs"
    }
}

# A path as the program stores it: Shift_JIS.
stored_path() { printf '%s' "$1" | iconv -f UTF-8 -t CP932; }

# The options as the program writes them at exit when they are untouched, then FILE/LAST
# naming the Act $1.
options_and_last() {
    printf 'NOMAL=1\r\nRANDOM=0\r\nENDEOF=1\r\nENDMILI=0\r\nENDGYOU=0\r\nVALUE=60\r\nSOUND=1\r\n'
    printf '[FILE]\r\nLAST="%s"\r\n' "$(stored_path "$prog/ktp/$1.ktp")"
}

# kotopa.ini as the program writes it at exit on a fresh folder, with the options untouched.
expected_first_ini() { printf '[PLAY]\r\n'; options_and_last Act01; }

# Half-even per-minute rate of count over whole seconds, as the program computes it.
rate() {
    awk -v n="$1" -v s="$2" 'BEGIN {
        if (s == 0) { print 0; exit }
        r = n / s * 60; f = int(r); d = r - f
        if (d > 0.5 || (d == 0.5 && f % 2 == 1)) f++
        print f
    }'
}

# The readings of the delivered Act01 as a user types them, in everyday romaji (a blank
# types the space; the particles は and へ are typed ha and he).
act01_keys=(asa kasa ashi ie kao aki eki koe hako hoshi aji kagi gogo kiku sagasu isogu
    "akai kasa" "ookii hako" "ajiga koi" "kaoga akai" "kikuga saku" "sushiga suki"
    "ekihe isogu" "gogoha iede sugosu")
act01_keycount=174  # correct keystrokes, the 24 Enters included
act01_charcount=114 # characters, the 24 Enters included

# Each spelling above types its reading of the staged Act01 without a mistype, so that a
# changed Act fails here with a clear message rather than somewhere in the play.
check_act01_spellings() {
    local readings=() line i=0
    while IFS= read -r line; do
        line=${line%$'\r'}
        i=$((i + 1))
        [ "$i" -le 5 ] || [ -z "$line" ] || readings+=("$line")
    done < <(iconv -f CP932 -t UTF-8 "$prog/ktp/Act01.ktp")
    [ "${#readings[@]}" -eq $((2 * ${#act01_keys[@]})) ] || fail "Act01 has changed: ${#readings[@]} lines"
    for i in "${!act01_keys[@]}"; do
        "$KOTOPA_TOOL" try --keys "$prog/key/mykey.key" -- "${readings[$((2 * i + 1))]}" "${act01_keys[$i]}" \
            >/dev/null || fail "'${act01_keys[$i]}' does not type '${readings[$((2 * i + 1))]}'"
    done
}

# Starts a play with Enter, waits out the countdown and types every line but the last Enter.
type_act01() {
    local wid=$1 i
    focus "$wid"
    xdotool key Return
    sleep 3.6
    shot "$wid" countdown-over
    for i in "${!act01_keys[@]}"; do
        xdotool type --delay 40 "${act01_keys[$i]}"
        sleep 0.25
        if [ "$i" -eq 16 ]; then shot "$wid" typing; fi
        if [ "$i" -lt $((${#act01_keys[@]} - 1)) ]; then xdotool key Return; fi
    done
}

# Act01 typed through in window $2 of program $1, the next Act taken from the result dialog
# and the program closed on Act02.
play_on_to_act02() {
    local app=$1 wid=$2 dialog
    type_act01 "$wid"
    dialog=$(finish_act01 "$app")
    focus "$dialog"
    xdotool key n
    wid=$(wait_window '^KotoPA  \[ Act02 \]$' "$app")
    close_window "$wid"
    expect_exit_ok "$app" "the program"
}

# The result dialog after the last Enter: its window id.
finish_act01() {
    xdotool key Return
    wait_window '^入力が終了しました$' "$1"
}

# The result dialog $2 of program $1 cancelled with "c"; waits until it has gone.
cancel_result() {
    focus "$2"
    xdotool key c
    wait_gone '^入力が終了しました$' "$1"
}

# Waits a while for window $1 to take the size $2 (WIDTHxHEIGHT); fails when it does not.
wait_size() {
    for _ in $(seq 50); do
        [ "$(window_size "$1")" = "$2" ] && return
        sleep 0.1
    done
    fail "window is $(window_size "$1"), not $2"
}

# The graph window of program $1, opened with the graph button of its main window $2
# (bt_Glaph, 25 x 25 at 464, 181): its window id.
open_graph() {
    focus "$2"
    xdotool mousemove --window "$2" 476 193 click 1
    wait_window '^グラフ$' "$1"
}

# The key panel of main window $1 slid open (bt_ViewOpen, 25 x 25 at 464, 240) and its row
# $2 opened for editing: the first row of the list view, then down to it, and Enter.
open_key_row() {
    xdotool mousemove --window "$1" 476 252 click 1
    wait_size "$1" 500x410
    xdotool mousemove --window "$1" 30 306 click 1
    sleep 0.2
    xdotool key Home
    xdotool key --repeat "$2" --delay 20 Down
    xdotool key Return
}

# record.lst and Act01.lst after one recorded play of Act01 with $1 mistypes: one line,
# "seconds chars/min mistypes". Sets seconds, cpm and kpm for the checks that follow.
check_act01_records() {
    local misses=$1 line
    line=$(tr -d '\r' <"$prog/save/record.lst")
    [[ "$line" =~ ^([0-9]+)\ ([0-9]+)\ $misses$ ]] || fail "record.lst holds '$line'"
    seconds=${BASH_REMATCH[1]}
    cpm=${BASH_REMATCH[2]}
    [ "$seconds" -ge 1 ] || fail "a play of less than a second"
    [ "$cpm" = "$(rate $act01_charcount "$seconds")" ] || fail "characters per minute $cpm"
    kpm=$(rate $act01_keycount "$seconds")
    printf '%s %s %s\r\n' "$seconds" "$cpm" "$misses" >"$work/expected.lst"
    expect_file "$prog/save/record.lst" "$work/expected.lst"
    expect_file "$prog/save/Act01.lst" "$work/expected.lst"
}

# The play log after that play ($1 mistypes, $2 the accuracy in per cent): the time stamp,
# then every line as the format fixes it.
check_act01_log() {
    head -c 14 "$prog/save/playlog.log" | grep -Eq '^[0-9]{14}$' || fail "play log time stamp"
    {
        head -c 14 "$prog/save/playlog.log"
        printf ' -----\r\n'
        sjis "■出題 標準"; printf '\r\n'
        sjis "■終了条件 ファイル末尾 "; printf '%3d\r\n' ${#act01_keys[@]}
        sjis "■Act         Act01"; printf '\r\n'
        sjis "■経過時間    "; printf '%02d:%02d\r\n' $((seconds / 60 % 60)) $((seconds % 60))
        sjis "■打鍵数 (/分) "; printf '%4d ' "$kpm"; sjis "■文字数 (/分) "; printf '%4d\r\n' "$cpm"
        sjis "■文字数       "; printf '%4d ' $act01_charcount; sjis "■タイプ数     "; printf '%4d\r\n' $act01_keycount
        sjis "■ミスタイプ   "; printf '%4d ' "$1"; sjis "■正解タイプ率  "; printf '%6.2f%%\r\n' "$2"
        sjis "☆ 最高打鍵数を [ $kpm ] 更新しました !! "; printf '\r\n'
        sjis "☆ 最高文字数を [ $cpm ] 更新しました !! "; printf '\r\n'
        printf '\r\n'
    } >"$work/expected.log"
    expect_file "$prog/save/playlog.log" "$work/expected.log"
}

# --- the cases -----------------------------------------------------------------------------

# First start on a fresh folder, close, the settings written at exit. The next start, at
# twice the scale as on a high-density screen, asks nothing and shows Act01 again; its
# window takes 1000 x 550 pixels (tests/app/hidpi_test.cpp checks that every control and
# caption is whole there).
case_start_close() {
    local app wid
    start_program app
    wid=$(wait_window '^KotoPA  \[ Act01 \]$' "$app")
    [ -d "$prog/save" ] || fail "save/ was not created"
    [ "$(window_size "$wid")" = 500x275 ] || fail "window is $(window_size "$wid"), not 500x275"
    sleep 0.3
    shot "$wid" main
    # The icon comes once the window is drawn, in the icon theme's sizes up to 128 (the
    # toolkit gives the X server none larger).
    local sizes
    sizes=$(xprop -id "$wid" _NET_WM_ICON | grep -o 'Icon ([0-9]*' | grep -o '[0-9]*$' |
        sort -n | tr '\n' ' ')
    [ "$sizes" = "16 22 24 32 48 64 128 " ] || fail "window icon sizes: '$sizes'"
    [ ! -f "$prog/save/kotopa.ini" ] || fail "settings written before exit"
    close_window "$wid"
    expect_exit_ok "$app" "the program"
    expected_first_ini >"$work/expected.ini"
    expect_file "$prog/save/kotopa.ini" "$work/expected.ini"

    start_program app QT_SCALE_FACTOR=2
    wid=$(wait_window '^KotoPA' "$app")
    [ "$(xdotool getwindowname "$wid")" = "KotoPA  [ Act01 ]" ] || fail "a question or another Act at the second start"
    [ "$(window_size "$wid")" = 1000x550 ] || fail "window is $(window_size "$wid") at scale 2, not 1000x550"
    sleep 0.3
    shot "$wid" main-scale2
    close_window "$wid"
    expect_exit_ok "$app" "the second run"
    expect_file "$prog/save/kotopa.ini" "$work/expected.ini"
}

# Shutdown or logout (SIGTERM) during a play closes the program as a click on the close box
# would: the settings are stored, the unfinished play is not recorded.
case_terminate() {
    local app wid
    start_program app
    wid=$(wait_window '^KotoPA  \[ Act01 \]$' "$app")
    focus "$wid"
    xdotool key --window "$wid" Return
    sleep 0.5
    kill -TERM "$app"
    expect_exit_ok "$app" "the program"
    expected_first_ini >"$work/expected.ini"
    expect_file "$prog/save/kotopa.ini" "$work/expected.ini"
    [ ! -f "$prog/save/record.lst" ] || fail "an unfinished play was recorded"
}

# A second copy shows "二重起動はできません." and ends; the first goes on undisturbed. The
# guard holds for the whole machine: a runtime and temporary folder of its own do not let the
# second copy in.
case_second_copy() {
    local first second wid dialog
    start_program first
    wid=$(wait_window '^KotoPA  \[ Act01 \]$' "$first")
    mkdir -m 700 "$work/other"
    start_program second XDG_RUNTIME_DIR="$work/other" TMPDIR="$work/other"
    dialog=$(wait_window '' "$second")
    sleep 0.3
    shot "$dialog" refusal
    [ -z "$(xdotool search --all --pid "$second" --name 'KotoPA  \[' 2>/dev/null || true)" ] ||
        fail "the second copy opened a main window"
    focus "$dialog"
    xdotool key --window "$dialog" Return 2>/dev/null || xdotool key Return
    expect_exit_ok "$second" "the second copy"
    kill -0 "$first" 2>/dev/null || fail "the first copy ended"
    [ ! -f "$prog/save/kotopa.ini" ] || fail "the second copy wrote settings"
    close_window "$wid"
    expect_exit_ok "$first" "the first copy"
    expected_first_ini >"$work/expected.ini"
    expect_file "$prog/save/kotopa.ini" "$work/expected.ini"
}

# Every file and folder under the folders given: kind, size, time of change and bytes. A
# file created and removed again still changes its folder's time.
snapshot() {
    local d
    for d in "$@"; do
        [ -d "$d" ] || continue
        (cd "$d" && find . -printf '%p %y %s %T@\n' | LC_ALL=C sort &&
            find . -type f -exec sha256sum {} + | LC_ALL=C sort)
    done
}

# A second copy refused beside a running one touches no file: not the user's folder of an
# installed copy, which it would otherwise fill again (an Act the user deleted stays deleted),
# and not the folder of a portable copy, which it would otherwise probe.
case_refused_copy() {
    local first second wid dialog kind
    export XDG_DATA_HOME="$work/data"
    for kind in installed portable; do
        rm -rf "$prog" "$XDG_DATA_HOME"
        install_program
        [ "$kind" = portable ] || : >"$prog/kotopa.installed"
        start_program first
        wid=$(wait_window '^KotoPA  \[ Act01 \]$' "$first")
        if [ "$kind" = installed ]; then
            [ -f "$XDG_DATA_HOME/kotopa/ktp/Act02.ktp" ] || fail "the user's folder was not filled"
            [ ! -e "$prog/save" ] || fail "an installed copy wrote beside itself"
            rm "$XDG_DATA_HOME/kotopa/ktp/Act02.ktp"
        fi
        sleep 0.2
        snapshot "$prog" "$XDG_DATA_HOME" >"$work/before"
        start_program second
        dialog=$(wait_window '' "$second")
        focus "$dialog"
        xdotool key --window "$dialog" Return 2>/dev/null || xdotool key Return
        expect_exit_ok "$second" "the second copy ($kind)"
        snapshot "$prog" "$XDG_DATA_HOME" >"$work/after"
        diff "$work/before" "$work/after" >&2 || fail "the refused $kind copy changed files"
        kill -0 "$first" 2>/dev/null || fail "the first copy ended"
        close_window "$wid"
        expect_exit_ok "$first" "the first copy ($kind)"
    done
}

# Act01 typed through, the result cancelled, the records checked byte for byte; the next
# start asks nothing.
case_play_act01() {
    local app wid dialog
    check_act01_spellings
    start_program app
    wid=$(wait_window '^KotoPA  \[ Act01 \]$' "$app")
    type_act01 "$wid"
    dialog=$(finish_act01 "$app")
    sleep 0.5
    shot "$wid" main-after-play
    shot "$dialog" result
    cancel_result "$app" "$dialog"
    [ "$(xdotool getwindowname "$wid")" = "KotoPA  [ Act01 ]" ] || fail "not back on Act01"
    close_window "$wid"
    expect_exit_ok "$app" "the program"

    local seconds cpm kpm
    check_act01_records 0

    # The settings: the result dialog's three keys, then the eight written at exit.
    {
        printf '[TOP]\r\nKEY=%s\r\nMOZI=%s\r\n[PLAY]\r\nCOUNT=2\r\n' "$kpm" "$cpm"
        options_and_last Act01
    } >"$work/expected.ini"
    expect_file "$prog/save/kotopa.ini" "$work/expected.ini"

    check_act01_log 0 100

    # Start again: no question, Act01, the new play count and bests.
    start_program app
    wid=$(wait_window '^KotoPA' "$app")
    [ "$(xdotool getwindowname "$wid")" = "KotoPA  [ Act01 ]" ] || fail "a question or another Act at the next start"
    sleep 0.3
    shot "$wid" restart
    close_window "$wid"
    expect_exit_ok "$app" "the second run"
}

# Act01 played through leads on to Act02; the next start offers to resume it.
case_next_act() {
    local app wid question
    start_program app
    wid=$(wait_window '^KotoPA  \[ Act01 \]$' "$app")
    play_on_to_act02 "$app" "$wid"
    grep -q "LAST=\"$prog/ktp/Act02.ktp\"" "$prog/save/kotopa.ini" || fail "LAST is not Act02"

    start_program app
    question=$(wait_window '^確認$' "$app")
    sleep 0.3
    shot "$question" resume-question
    focus "$question"
    xdotool key Return  # Yes
    wid=$(wait_window '^KotoPA  \[ Act02 \]$' "$app")
    close_window "$wid"
    expect_exit_ok "$app" "the second run"
}

# Little-endian number of $3 bytes at offset $2 of file $1.
le_bytes() {
    od -An -tu1 -j "$2" -N "$3" "$1" | awk '{ for (i = NF; i >= 1; i--) v = v * 256 + $i } END { print v }'
}

# The three bytes (blue green red, in hex) of pixel x, y of a 310 x 190 24-bit BMP file.
bmp_pixel() {
    od -An -tx1 -j $((54 + (189 - $3) * 932 + $2 * 3)) -N 3 "$1" | tr -d ' \n'
}

# The graph window's "BMP出力" (at 10, 205) of program $1's graph window $2: the save dialog
# proposes mmddhhnn.bmp in the home folder and Enter takes it. The file written.
export_graph() {
    local app=$1 graph=$2 before after save file=""
    before=$(date +%m%d%H%M)
    xdotool mousemove --window "$graph" 54 217 click 1
    save=$(wait_window '^グラフの保存$' "$app")
    after=$(date +%m%d%H%M)
    sleep 0.5
    shot "$save" save-dialog
    focus "$save"
    xdotool key Return
    for _ in $(seq 50); do
        file=$(find "$HOME" -maxdepth 1 -name '[0-9][0-9][0-9][0-9][0-9][0-9][0-9][0-9].bmp' | head -n1)
        [ -n "$file" ] && break
        sleep 0.1
    done
    [ -n "$file" ] || fail "no exported picture in the home folder"
    case "$(basename "$file" .bmp)" in "$before" | "$after") ;; *) fail "exported as $(basename "$file")" ;; esac
    echo "$file"
}

# After a play of Act01, the graph window from the main window's graph button: zoom, a drag,
# the export under the proposed name (the save dialog opens in the home folder), close.
case_graph() {
    local app wid dialog graph file seconds
    export HOME="$work/home"
    mkdir -p "$HOME"
    start_program app
    wid=$(wait_window '^KotoPA  \[ Act01 \]$' "$app")
    type_act01 "$wid"
    dialog=$(finish_act01 "$app")
    cancel_result "$app" "$dialog"
    seconds=$(tr -d '\r' <"$prog/save/record.lst" | cut -d' ' -f1)

    graph=$(open_graph "$app" "$wid")
    sleep 0.5
    shot "$graph" graph
    # "拡大" (at 176, 212), then a drag on the picture 40 to the left and 20 up.
    xdotool mousemove --window "$graph" 186 220 click 1
    sleep 0.3
    xdotool mousemove --window "$graph" 200 120 mousedown 1
    sleep 0.2
    xdotool mousemove --window "$graph" 180 110
    sleep 0.1
    xdotool mousemove --window "$graph" 160 100
    sleep 0.2
    xdotool mouseup 1
    sleep 0.3
    shot "$graph" graph-zoomed-dragged

    file=$(export_graph "$app" "$graph")

    # A 310 x 190 BMP of 24 bits, rows padded to 932 bytes; below the baseline the delivered
    # background as it is; the play's time in bright green at x = 10.
    [ "$(stat -c %s "$file")" = 177134 ] || fail "the picture has $(stat -c %s "$file") bytes"
    [ "$(head -c 2 "$file")" = BM ] || fail "not a BMP"
    [ "$(le_bytes "$file" 18 4)x$(le_bytes "$file" 22 4)x$(le_bytes "$file" 28 2)" = 310x190x24 ] ||
        fail "not 310 x 190 x 24"
    cmp -s <(head -c $((54 + 9 * 932)) "$file" | tail -c +55) \
        <(head -c $((54 + 9 * 932)) "$prog/system/Glaph.bmp" | tail -c +55) ||
        fail "the rows under the baseline are not the background"
    [ "$(bmp_pixel "$file" 10 $((180 - seconds / 2)))" = 00ff00 ] || fail "no green point for $seconds s"
    [ -z "$(find "$HOME" -name '*.tmp*')" ] || fail "a temporary file was left behind"

    close_window "$graph"
    wait_gone '^グラフ$' "$app"
    [ "$(xdotool getwindowname "$wid")" = "KotoPA  [ Act01 ]" ] || fail "not back in the main window"
    close_window "$wid"
    expect_exit_ok "$app" "the program"
}

# The Debian package (built by tests/package/package_test.sh into KOTOPA_DEB_DIR) unpacked
# into a root of its own, its program folder made read-only, started by its command with a
# fresh home by an ordinary user (nobody, when the test runs as root, for whom no folder is
# read-only): the first start fills ~/.local/share/kotopa from the installed folder, the play
# is recorded there and nothing is written beside the program; the next start asks to resume
# the Act played last and the graph draws the recorded play.
case_package() {
    : "${KOTOPA_DEB_DIR:?}"
    local deb root data app wid question graph file seconds f
    deb=$(find "$KOTOPA_DEB_DIR" -maxdepth 1 -name 'kotopa_*.deb' | head -n1)
    [ -n "$deb" ] || fail "no package in $KOTOPA_DEB_DIR"
    root="$work/root"
    dpkg-deb -x "$deb" "$root"
    prog="$root/usr/lib/kotopa"
    chmod -R a-w "$prog"
    check_act01_spellings

    export HOME="$work/home"
    unset XDG_DATA_HOME
    mkdir -p "$HOME"
    data="$HOME/.local/share/kotopa"
    launch=("$root/usr/bin/kotopa")
    if [ "$(id -u)" = 0 ]; then
        chmod 755 "$work"
        chown nobody "$HOME"
        export XDG_RUNTIME_DIR="$work/run-nobody"
        mkdir -m 700 "$XDG_RUNTIME_DIR"
        chown nobody "$XDG_RUNTIME_DIR"
        launch=(setpriv --reuid=nobody --regid="$(id -gn nobody)" --clear-groups -- "${launch[@]}")
    fi

    start_program app
    wid=$(wait_window '^KotoPA  \[ Act01 \]$' "$app")
    sleep 0.3
    shot "$wid" installed-main
    for f in $(cd "$prog" && find key ktp system -type f); do
        cmp -s "$prog/$f" "$data/$f" || fail "$data/$f is not a copy of the installed $f"
    done
    [ -d "$data/save" ] || fail "no save/ in the user's folder"
    if [ "$(id -u)" = 0 ]; then
        [ "$(stat -c %U "$data/key/mykey.key")" = nobody ] || fail "the user's folder is not the user's"
    else
        [ -w "$data/key/mykey.key" ] || fail "the user's key table is read-only"
    fi

    play_on_to_act02 "$app" "$wid"

    [ ! -e "$prog/save" ] || fail "save/ beside the installed program"
    [ -z "$(find "$prog" -name '.kotopa-write-test-*')" ] || fail "a probe file was left"
    [ "$(tr -d '\r' <"$data/save/record.lst" | wc -l)" = 1 ] || fail "record.lst: $(cat "$data/save/record.lst")"
    cmp -s "$data/save/record.lst" "$data/save/Act01.lst" || fail "Act01.lst differs from record.lst"
    grep -q "^LAST=\"$data/ktp/Act02.ktp\"" "$data/save/kotopa.ini" || fail "LAST is not the user's Act02"
    [ -s "$data/save/playlog.log" ] || fail "no play log"
    seconds=$(tr -d '\r' <"$data/save/record.lst" | cut -d' ' -f1)

    # The second start: the question names the user's Act02; No keeps Act01, whose graph
    # shows the recorded play.
    start_program app
    question=$(wait_window '^確認$' "$app")
    sleep 0.3
    shot "$question" installed-resume-question
    focus "$question"
    xdotool key Escape  # No
    wid=$(wait_window '^KotoPA  \[ Act01 \]$' "$app")
    graph=$(open_graph "$app" "$wid")
    sleep 0.5
    shot "$graph" installed-graph
    file=$(export_graph "$app" "$graph")
    [ "$(bmp_pixel "$file" 10 $((180 - seconds / 2)))" = 00ff00 ] || fail "the graph lacks the play of $seconds s"
    close_window "$graph"
    wait_gone '^グラフ$' "$app"
    close_window "$wid"
    expect_exit_ok "$app" "the second run"
    grep -q "^LAST=\"$data/ktp/Act01.ktp\"" "$data/save/kotopa.ini" || fail "LAST is not the user's Act01"
}

# The README's pictures, taken from the real program (scripts/screenshots.sh puts them in
# docs/): the main window, a play in progress, the result dialog, the play log, the key panel
# and the graph window. Before the start, save/ is given a history of 60 earlier plays (12 of
# them of Act01), so that the graph shows some weeks of practice; the play itself is Act01
# typed at an everyday pace.
case_readme() {
    local app wid dialog viewer graph i row
    picture() { "$KOTOPA_X11_HELPER" shot "$1" "$KOTOPA_ARTIFACTS/$2.png" || fail "no picture $2"; }
    mkdir -p "$prog/save" "$KOTOPA_ARTIFACTS"
    for i in $(seq 0 59); do
        printf '%d %d %d\r\n' $((70 - i / 2 + i % 4 * 3)) $((150 + i * 2 + i * 7 % 5 * 3)) $((11 - i / 7 + i % 3))
    done >"$prog/save/record.lst"
    for i in $(seq 0 11); do
        printf '%d %d %d\r\n' $((52 - i)) $((190 + i * 6 + i % 3 * 4)) $((7 - i / 2 + i % 2))
    done >"$prog/save/Act01.lst"
    printf '[TOP]\r\nKEY=440\r\nMOZI=290\r\n[PLAY]\r\nCOUNT=61\r\n' >"$prog/save/kotopa.ini"

    start_program app
    wid=$(wait_window '^KotoPA  \[ Act01 \]$' "$app")
    sleep 0.5
    picture "$wid" main-window

    focus "$wid"
    xdotool key Return
    sleep 3.6
    for i in "${!act01_keys[@]}"; do
        if [ "$i" -eq 17 ]; then  # "ookii h" of "ookii hako"
            xdotool type --delay 170 "${act01_keys[$i]:0:7}"
            sleep 0.4
            picture "$wid" play
            xdotool type --delay 170 "${act01_keys[$i]:7}"
        else
            xdotool type --delay 170 "${act01_keys[$i]}"
        fi
        sleep 0.4
        xdotool key Return
    done
    dialog=$(wait_window '^入力が終了しました$' "$app")
    sleep 0.5
    picture "$dialog" result

    # The play-log button (at 290, 112 of the result dialog).
    xdotool mousemove --window "$dialog" 301 123 click 1
    viewer=$(wait_window '^プレイログ$' "$app")
    sleep 0.5
    picture "$viewer" play-log
    focus "$viewer"
    xdotool key Escape
    wait_gone '^プレイログ$' "$app"
    cancel_result "$app" "$dialog"

    # The key panel below, with the row of し open for editing.
    focus "$wid"
    open_key_row "$wid" "$(key_row '^[0-9]*="し ')"
    sleep 0.5
    picture "$wid" key-panel
    xdotool mousemove --window "$wid" 476 252 click 1
    wait_size "$wid" 500x275

    # The graph, with the total report switched on by two double-clicks on its frame (off,
    # then on with every series).
    graph=$(open_graph "$app" "$wid")
    sleep 0.3
    xdotool mousemove --window "$graph" 334 101 click --repeat 2 --delay 80 1
    sleep 0.5
    xdotool mousemove --window "$graph" 334 101 click --repeat 2 --delay 80 1
    sleep 0.5
    picture "$graph" graph
    close_window "$graph"
    wait_gone '^グラフ$' "$app"

    # A play with the romaji guide, ticked in the option panel, typed in everyday romaji: at
    # "sush" of "sushiga suki" the guide has taken up "sh" where its own spelling is "si".
    xdotool mousemove --window "$wid" 436 244 click 1  # bt_Opt
    wait_size "$wid" 600x275
    xdotool mousemove --window "$wid" 512 52 click 1  # ch_Guide
    sleep 0.3
    xdotool mousemove --window "$wid" 98 164 click 1  # bt_start
    sleep 3.6
    for i in $(seq 0 20); do
        xdotool type --delay 40 "${act01_keys[$i]}"
        sleep 0.2
        xdotool key Return
    done
    xdotool type --delay 170 "sush"
    sleep 0.5
    picture "$wid" play-guide
    xdotool key Escape
    dialog=$(wait_window '^入力が終了しました$' "$app")
    cancel_result "$app" "$dialog"

    # Two more plays with mistypes (か first missed with q, then き missed with u, and し
    # spelt si), the weakness window from the result dialog (bt_Weak at 266, 112), and the
    # practice Act it makes (P) loaded in the main window.
    local keys
    for i in 1 2; do
        focus "$wid"
        xdotool key Return
        sleep 3.6
        for keys in "${act01_keys[@]}"; do
            if [ "$i" -eq 1 ]; then keys=${keys//ka/qka}; else keys=${keys//ki/kui}; keys=${keys//shi/si}; fi
            xdotool type --delay 40 "$keys"
            sleep 0.2
            xdotool key Return
        done
        dialog=$(wait_window '^入力が終了しました$' "$app")
        [ "$i" -eq 2 ] || cancel_result "$app" "$dialog"
    done
    focus "$dialog"
    xdotool mousemove --window "$dialog" 277 123 click 1
    local weak
    weak=$(wait_window '^苦手分析$' "$app")
    sleep 0.5
    picture "$weak" weakness
    focus "$weak"
    xdotool key p
    wid=$(wait_window '^KotoPA  \[ 苦手練習 \]$' "$app")
    sleep 0.5
    picture "$wid" practice
    close_window "$wid"
    expect_exit_ok "$app" "the program"

    # Started again on Act01 (No to resuming the practice Act): "Act を作る" of a text file
    # from the file button (bt_FileOpen at 464, 152), MeCab's じゅうぶん of 十分 still to be
    # put right and a sentence with a character Shift_JIS lacks among the findings.
    local text="$work/texts/雨の日.txt" form question
    mkdir -p "$work/texts"
    printf '%s\n' "${make_text[@]:0:3}" "笑顔😀で話した。" "${make_text[@]:3}" >"$text"
    start_program app
    question=$(wait_window '^確認$' "$app")
    focus "$question"
    xdotool key Escape
    wid=$(wait_window '^KotoPA  \[ Act01 \]$' "$app")
    focus "$wid"
    xdotool mousemove --window "$wid" 476 164 click 1
    wait_other_window "$app" "$wid" >/dev/null
    sleep 0.5
    printf '%s' "$text" | xclip -selection clipboard -i 8>&-  # xdotool drops kana it types
    xdotool key ctrl+v Return
    form=$(wait_window '^Act を作る$' "$app")
    sleep 2
    xdotool mousemove --window "$form" 425 122 click 1  # the reading of line 2 chosen
    sleep 0.3
    picture "$form" make-act
    focus "$form"
    xdotool key Escape
    wait_gone '^Act を作る$' "$app"

    # The kana style, chosen in the option panel (rd_Kana at 8, 28 of GroupBox_Style), the
    # guide still on: 17 lines of Act01 typed by key position and "おおきい " of the next.
    xdotool mousemove --window "$wid" 436 244 click 1  # bt_Opt
    wait_size "$wid" 600x275
    xdotool mousemove --window "$wid" 530 35 click 1  # rd_Kana
    sleep 0.3
    xdotool mousemove --window "$wid" 98 164 click 1  # bt_start
    sleep 3.6
    local kana_codes reading
    mapfile -t readings < <(act_readings)
    for i in $(seq 0 16); do
        kana_codes_of "${readings[$i]}"
        "$KOTOPA_SOUND_PROBE" press 40 "${kana_codes[@]}"
        sleep 0.2
        xdotool key Return
    done
    reading=${readings[17]}
    kana_codes_of "${reading%% *}"
    "$KOTOPA_SOUND_PROBE" press 170 "${kana_codes[@]}" 65
    sleep 0.5
    picture "$wid" kana-play
    xdotool key Escape
    dialog=$(wait_window '^入力が終了しました$' "$app")
    cancel_result "$app" "$dialog"
    close_window "$wid"
    expect_exit_ok "$app" "the program in the kana style"
}

# The key panel: the row of し set to "si" alone and stored as key/mykey.key. After a
# restart, Act01 typed in everyday romaji completes with one mistype for each "shi" (the h),
# since "si" types し.
case_key_panel() {
    local app wid question row line seconds cpm
    row=$(key_row '^[0-9]*="し si shi')
    [ -n "$row" ] || fail "the delivered key table has no row し si shi"
    start_program app
    wid=$(wait_window '^KotoPA  \[ Act01 \]$' "$app")
    focus "$wid"
    open_key_row "$wid" "$row"
    sleep 0.3
    # ed_kouho2 and ed_kouho3 (45 x 21 at 58, 42 and 108, 42 in GroupBox_Key at 328, 280)
    # emptied; then "設定" (at 108, 67) with Yes to both questions.
    local x
    for x in 408 458; do
        xdotool mousemove --window "$wid" "$x" 332 click 1
        xdotool key End shift+Home Delete
    done
    sleep 0.2
    xdotool mousemove --window "$wid" 458 358 click 1
    question=$(wait_window '^確認$' "$app")
    focus "$question"
    xdotool key Return
    sleep 0.5
    question=$(wait_window '^確認$' "$app")
    focus "$question"
    xdotool key Return
    sleep 0.5
    shot "$wid" main-key-panel
    close_window "$wid"
    expect_exit_ok "$app" "the program"
    # The stored table is the delivered one with that row changed, byte for byte.
    iconv -f CP932 -t UTF-8 "$KOTOPA_STAGE/key/mykey.key" |
        sed "s/^$row=\"し si shi ci\"\r\$/$row=\"し si\"\r/" | iconv -f UTF-8 -t CP932 >"$work/expected.key"
    expect_file "$prog/key/mykey.key" "$work/expected.key"

    start_program app
    wid=$(wait_window '^KotoPA  \[ Act01 \]$' "$app")
    type_act01 "$wid"
    cancel_result "$app" "$(finish_act01 "$app")"
    close_window "$wid"
    expect_exit_ok "$app" "the second run"
    line=$(tr -d '\r' <"$prog/save/record.lst")
    [[ "$line" =~ ^([0-9]+)\ ([0-9]+)\ ([0-9]+)$ ]] || fail "record.lst holds '$line'"
    seconds=${BASH_REMATCH[1]}
    cpm=${BASH_REMATCH[2]}
    [ "${BASH_REMATCH[3]}" = "$(printf '%s\n' "${act01_keys[@]}" | grep -o shi | wc -l)" ] ||
        fail "mistypes: ${BASH_REMATCH[3]}"
    [ "$cpm" = "$(rate $act01_charcount "$seconds")" ] || fail "characters per minute $cpm"
}

# What a crash or a power cut left in the program folder: a recording cut short after its
# commit by an earlier version (the journal and its files still waiting beside their targets,
# named as that version named them) and the temporary files of interrupted writes. The start
# finishes the recording and clears the rest, but not a user's file whose name merely looks
# like a temporary one; the play count that the finished recording stored outlives the run.
case_left_behind() {
    local app wid
    mkdir -p "$prog/save"
    printf '1 2 3\r\n' >"$prog/save/record.lst"
    printf '1 2 3\r\n4 5 6\r\n' >"$prog/save/record.lst.tmp881-0"
    printf '4 5 6\r\n' >"$prog/save/Act01.lst.tmp881-1"
    printf '[TOP]\r\nKEY=7\r\nMOZI=8\r\n[PLAY]\r\nCOUNT=9\r\n' >"$prog/save/kotopa.ini.tmp881-2"
    printf 'KotoPA file group 1\nrecord.lst\0record.lst.tmp881-0\0Act01.lst\0Act01.lst.tmp881-1\0kotopa.ini\0kotopa.ini.tmp881-2\0' \
        >"$prog/save/recording.journal"
    head -c 100000 /dev/zero >"$prog/save/playlog.log.kotopa~tmp77-3"
    printf 'x' >"$prog/key/mykey.key.kotopa~tmp78-0"
    printf 'x' >"$prog/ktp/Act01.ktp.kotopa~tmp79-0"
    printf 'mine' >"$prog/key/notes.txt.tmp2024-1"
    start_program app
    wid=$(wait_window '^KotoPA  \[ Act01 \]$' "$app")
    printf '1 2 3\r\n4 5 6\r\n' >"$work/expected.lst"
    expect_file "$prog/save/record.lst" "$work/expected.lst"
    printf '4 5 6\r\n' >"$work/expected.lst"
    expect_file "$prog/save/Act01.lst" "$work/expected.lst"
    local left
    left="$(ls "$prog/save" | tr '\n' ' ')/ $(ls "$prog/key" | tr '\n' ' ')"
    [ "$left" = "Act01.lst kotopa.ini kotopa.lock record.lst / mykana.key mykey.key notes.txt.tmp2024-1 " ] ||
        fail "left in save/ and key/: $left"
    [ -z "$(ls "$prog/ktp" | grep tmp || true)" ] || fail "left in ktp/: $(ls "$prog/ktp")"
    close_window "$wid"
    expect_exit_ok "$app" "the program"
    grep -q "^COUNT=9" "$prog/save/kotopa.ini" || fail "the finished recording's play count is gone"
}

# --- an Act made of a text ---------------------------------------------------------------

# Five everyday sentences; MeCab reads 十分 of the second as じゅうぶん (enough), where the
# minutes are meant: the reading the user puts right in the window.
make_text=(今日は朝から雨が降っています。 駅まで歩いて十分かかります。 私は毎朝コーヒーを飲みます。
    週末に友達と映画を見ました。 新しい本を買いに行きたい。)
make_wrong=じゅうぶん
make_right=じっぷん
# The five readings as typed in everyday romaji, the second with the reading put right.
make_keys=("kyouha asakara amega futte imasu." "ekimade aruite jippunn kakarimasu."
    "watashiha maiasa ko-hi-wo nomimasu." "shuumatsuni tomodachito eigawo mimashita."
    "atarashii honwo kaini ikitai.")

# The id of a visible window of program $1 other than window $2.
wait_other_window() {
    local id=""
    for _ in $(seq 150); do
        id=$(xdotool search --all --onlyvisible --pid "$1" --name '' 2>/dev/null | grep -vx "$2" | head -n1 || true)
        [ -n "$id" ] && break
        sleep 0.1
    done
    [ -n "$id" ] || fail "no other window of the program"
    echo "$id"
}

# The Act that kotopa-tool make writes of text file $1, into file $2.
tool_made_act() {
    "$KOTOPA_TOOL" make "$1" -o "$2" --keys "$prog/key/mykey.key" >/dev/null ||
        fail "kotopa-tool make refused the text"
}

# The text file $3 opened in program $1 with the file button of its main window $2, its path
# typed into the open dialog's name field as a user would: the "Act を作る" window's id.
open_text_file() {
    local app=$1 wid=$2 path=$3 dialog
    focus "$wid"
    click "$wid" 476 164  # bt_FileOpen
    dialog=$(wait_other_window "$app" "$wid")
    sleep 0.5
    shot "$dialog" open-dialog
    type_file_name "$dialog" "$path"
    wait_window '^Act を作る$' "$app"
}

# Waits until "Act を作る" window $1 shows its made lines: text in the reading cell of line 2
# (about 425, 122 of the 760 x 520 window), which stays blank while the text is being made.
wait_made_lines() {
    local i
    for i in $(seq 300); do
        "$KOTOPA_X11_HELPER" inked "$1" 330 114 200 16 && return
        sleep 0.1
    done
    fail "the made lines were not shown"
}

# Each reading of the made Act in file $1 is typed by its keys in the array made_keys.
check_made_keys() {
    local i
    mapfile -t readings < <(act_readings "$1")
    [ "${#readings[@]}" = "${#made_keys[@]}" ] || fail "the made Act has ${#readings[@]} lines"
    for i in "${!made_keys[@]}"; do
        "$KOTOPA_TOOL" try --keys "$prog/key/mykey.key" -- "${readings[$i]}" "${made_keys[$i]}" \
            >/dev/null || fail "'${made_keys[$i]}' does not type '${readings[$i]}'"
    done
}

# The made Act, loaded in main window $2 of program $1, played through by made_keys with no
# mistype; the result dialog is cancelled.
play_made_act() {
    local app=$1 wid=$2 dialog i
    focus "$wid"
    xdotool key Return
    sleep 3.6
    for i in "${!made_keys[@]}"; do
        xdotool type --delay 40 "${made_keys[$i]}"
        sleep 0.25
        xdotool key Return
    done
    dialog=$(wait_window '^入力が終了しました$' "$app")
    cancel_result "$app" "$dialog"
}

# After that play of the made Act $1 and the program's end: one play with no mistype in its
# list and in record.lst, and LAST names the Act.
check_made_play() {
    local line
    line=$(tr -d '\r' <"$prog/save/$1.lst")
    [[ "$line" =~ ^[0-9]+\ [0-9]+\ 0$ ]] || fail "$1.lst holds '$line', not one play with no mistype"
    cmp -s "$prog/save/$1.lst" "$prog/save/record.lst" || fail "record.lst differs from $1.lst"
    LC_ALL=C grep -aq "^LAST=.*$1\\.ktp\"" "$prog/save/kotopa.ini" || fail "LAST is not the made Act"
}

# A text file opened with the file button's dialog becomes "Act を作る": the made lines shown,
# the wrong reading edited in place, "保存して練習" writes ktp/<the file's name>.ktp, which is
# the Act that kotopa-tool make writes of the same text with that one reading put right, and
# loads it; typed through at once with no mistype, recorded as a play of that Act.
case_make_act() {
    local app wid form text="$work/texts/everyday.txt"
    mkdir -p "$work/texts"
    printf '%s\n' "${make_text[@]}" >"$text"
    tool_made_act "$text" "$work/made.ktp"
    iconv -f CP932 -t UTF-8 "$work/made.ktp" | grep -q "$make_wrong" ||
        fail "MeCab no longer reads $make_wrong in the text"
    iconv -f CP932 -t UTF-8 "$work/made.ktp" | sed "s/$make_wrong/$make_right/" |
        iconv -f UTF-8 -t CP932 >"$work/expected.ktp"

    start_program app
    wid=$(wait_window '^KotoPA  \[ Act01 \]$' "$app")
    form=$(open_text_file "$app" "$wid" "$text")
    wait_made_lines "$form"
    shot "$form" made
    # The reading of line 2 (its cell at 425, 122 of the 760 x 520 window) edited in place.
    xdotool mousemove --window "$form" 425 122 click --repeat 2 --delay 80 1
    sleep 0.3
    # The right reading pasted from the clipboard: xdotool's typing of kana drops characters.
    printf '%s' "えきまで あるいて じっぷん かかります。" | xclip -selection clipboard -i 8>&-
    xdotool key ctrl+a ctrl+v
    sleep 0.3
    shot "$form" editing
    xdotool key Return
    sleep 0.3
    shot "$form" edited
    click "$form" 708 21  # "保存して練習"
    wid=$(wait_window '^KotoPA  \[ everyday \]$' "$app")
    wait_gone '^Act を作る$' "$app"
    expect_file "$prog/ktp/everyday.ktp" "$work/expected.ktp"
    [ "$(ls "$prog/ktp" | grep -vc '^Act[0-9][0-9]\.ktp$')" = 1 ] || fail "ktp/ holds $(ls "$prog/ktp")"

    made_keys=("${make_keys[@]}")
    check_made_keys "$prog/ktp/everyday.ktp"
    sleep 0.3
    shot "$wid" made-loaded
    play_made_act "$app" "$wid"
    close_window "$wid"
    expect_exit_ok "$app" "the program"
    check_made_play everyday
}

# --- the mistype sound, heard from a real sound server ---------------------------------------

pulse_pid=""
# A PulseAudio server of this test's own on a private socket, with one null sink whose monitor
# is recorded (no rewinds: with them the recording would lose what the server takes back).
# As root too: -n loads nothing but the modules named here. Real-time priority, as a desktop
# gives its server, where the system grants it.
start_pulse() {
    mkdir -p "$work/pulse" "$work/home"
    export PULSE_SERVER="unix:$work/pulse/native"
    HOME="$work/home" pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
        --realtime=yes --high-priority=yes --log-target=stderr \
        -L "module-native-protocol-unix socket=$work/pulse/native auth-anonymous=1" \
        -L "module-null-sink sink_name=nullsink rate=48000 format=s16le channels=2 norewinds=1" \
        >>"$work/pulse.log" 2>&1 8>&- &
    pulse_pid=$!
    app_pids+=("$pulse_pid")
    local i
    for i in $(seq 100); do
        pactl info >/dev/null 2>&1 && return
        sleep 0.1
    done
    sed 's/^/  pulse: /' "$work/pulse.log" >&2
    fail "the sound server did not start"
}

# The program's streams on the server.
sink_inputs() { pactl list short sink-inputs 2>/dev/null | wc -l; }

# Waits until the program has its one stream on the server.
wait_stream() {
    local i
    for i in $(seq 100); do
        [ "$(sink_inputs)" -ge 1 ] && return
        sleep 0.1
    done
    fail "the program opened no sound output"
}

rec_pids=()
# Records the null sink's monitor into $work/$1.raw, with the arrival times in $1.times.
start_recording() {
    rm -f "$work/rec.fifo"
    mkfifo "$work/rec.fifo"
    "$KOTOPA_SOUND_PROBE" stamp "$work/$1.raw" "$work/$1.times" <"$work/rec.fifo" 8>&- &
    rec_pids=($!)
    parec -d nullsink.monitor --raw --format=s16le --rate=48000 --channels=2 --latency-msec=5 \
        >"$work/rec.fifo" 2>>"$work/parec.log" 8>&- &
    rec_pids+=($!)
    app_pids+=("${rec_pids[@]}")
    sleep 0.3  # the monitor runs
}

stop_recording() {
    sleep 0.3  # the last sound has been rendered
    kill "${rec_pids[1]}" 2>/dev/null || true
    wait "${rec_pids[0]}" 2>/dev/null || true
}

# Mistypes: $1 presses of a key that no reading starts with, $2 ms apart; their times go to
# $work/$3.keys.
mistypes() { "$KOTOPA_SOUND_PROBE" keys q "$1" "$2" >>"$work/$3.keys"; }

# The numbers of the recording $1 (see sound_probe analyse) as shell variables.
analyse() {
    "$KOTOPA_SOUND_PROBE" analyse "$prog/system/miss.wav" "$work/$1.raw" "$work/$1.times" \
        "$work/$1.keys" >"$work/$1.result"
    sed "s/^/  $1: /" "$work/$1.result" >&2
    mkdir -p "$KOTOPA_ARTIFACTS"  # the recording, to listen to
    cp "$work/$1.raw" "$work/$1.times" "$work/$1.keys" "$work/$1.result" "$prog/system/miss.wav" \
        "$KOTOPA_ARTIFACTS/" 2>/dev/null || true
    onsets=$(awk '$1 == "onsets" { print $2 }' "$work/$1.result")
    whole=$(awk '$1 == "whole" { print $2 }' "$work/$1.result")
    leftover=$(awk '$1 == "leftover" { print $2 }' "$work/$1.result")
}

# The program with a 100 ms test wave as system/miss.wav, started against the test's server,
# its window shown and a play started; its pid and window go to $app and $wid.
start_sound_play() {
    "$KOTOPA_SOUND_PROBE" wave "$prog/system/miss.wav" 100
    start_program app
    wid=$(wait_window '^KotoPA  \[ Act01 \]$' "$app")
    focus "$wid"
    xdotool key Return
    sleep 3.6  # the countdown
}

# Ends the play with Esc: the result dialog must come within two seconds; then the program
# closes normally.
end_sound_play() {
    local begin dialog
    begin=$(date +%s%N)
    xdotool key Escape
    dialog=$(wait_window '^入力が終了しました$' "$app")
    [ $(($(date +%s%N) - begin)) -lt 2000000000 ] || fail "the window answered Esc only after $(( ($(date +%s%N) - begin) / 1000000 )) ms"
    cancel_result "$app" "$dialog"
    close_window "$wid"
    expect_exit_ok "$app" "the program"
}

# 30 single mistypes each heard whole; 10 mistypes 20 ms apart heard as 10 copies, summed
# without clipping; after 2,000 mistypes still the one stream.
case_sound_heard() {
    local app wid i onsets whole leftover
    start_pulse
    start_sound_play
    wait_stream
    start_recording single
    for i in $(seq 30); do
        mistypes 1 0 single
        sleep "0.$((25 + (i * 7) % 20))"
    done
    stop_recording
    analyse single
    [ "$onsets" = 30 ] && [ "$whole" = 30 ] || fail "of 30 single mistypes $onsets were heard, $whole whole"

    start_recording burst
    mistypes 10 20 burst
    stop_recording
    analyse burst
    [ "$onsets" = 10 ] && [ "$whole" = 10 ] || fail "of 10 quick mistypes $onsets were heard, $whole whole"
    [ "$leftover" -le 2 ] || fail "the overlapping copies do not add up (clipped?): $leftover left over"

    mistypes 2000 2 many
    sleep 0.5
    [ "$(sink_inputs)" = 1 ] || { pactl list short sink-inputs >&2; fail "$(sink_inputs) streams after 2,000 mistypes"; }
    end_sound_play
}

# The server killed right after a mistype: the window still answers and the clock runs; the
# server started again: the next mistype is heard.
case_sound_server_dies() {
    local app wid onsets whole leftover
    start_pulse
    start_sound_play
    wait_stream
    mistypes 1 0 before
    sleep 0.02
    kill -KILL "$pulse_pid"
    wait "$pulse_pid" 2>/dev/null || true
    mistypes 20 50 after
    "$KOTOPA_X11_HELPER" shot "$wid" "$work/clock1.png"
    sleep 1.2
    "$KOTOPA_X11_HELPER" shot "$wid" "$work/clock2.png"
    ! cmp -s "$work/clock1.png" "$work/clock2.png" || fail "the clock stands still"

    start_pulse
    wait_stream
    start_recording back
    mistypes 1 0 back
    stop_recording
    analyse back
    [ "$onsets" = 1 ] && [ "$whole" = 1 ] || fail "after the server came back: $onsets heard, $whole whole"
    end_sound_play
}

# No server at all: the program starts, plays and ends as ever, silently.
case_sound_no_server() {
    local app wid
    export PULSE_SERVER="unix:$work/no-server/native"
    start_sound_play
    mistypes 5 30 none
    xdotool type --delay 40 asa
    end_sound_play
}

# --- the kana style --------------------------------------------------------------------------

# X key codes (the Linux input code plus 8) of the kana keyboard's places by the key tokens of
# key/mykana.key; "S+" holds Shift.
declare -A kana_code=(
    [1]=10 ['!']=S+10 [2]=11 [3]=12 ['#']=S+12 [4]=13 ['$']=S+13 [5]=14 ['%']=S+14 [6]=15
    ['&']=S+15 [7]=16 ["'"]=S+16 [8]=17 ['(']=S+17 [9]=18 [')']=S+18 [0]=19 ['~']=S+19
    ['-']=20 ['^']=21 ['\']=132
    [q]=24 [w]=25 [e]=26 [E]=S+26 [r]=27 [t]=28 [y]=29 [u]=30 [i]=31 [o]=32 [p]=33 ['@']=34
    ['[']=35 ['{']=S+35
    [a]=38 [s]=39 [d]=40 [f]=41 [g]=42 [h]=43 [j]=44 [k]=45 [l]=46 [';']=47 [':']=48
    [']']=51 ['}']=S+51
    [z]=52 [Z]=S+52 [x]=53 [c]=54 [v]=55 [b]=56 [n]=57 [m]=58 [',']=59 ['<']=S+59 ['.']=60
    ['>']=S+60 ['/']=61 ['?']=S+61 ['_']=97 ['|']=S+97 [' ']=65
)

# The first candidate of every row of the staged kana table, as "item<TAB>keys" lines (UTF-8);
# the sign rows as they decode: the blanks on the space bar, 、 on Shift with ね's key.
kana_firsts() {
    iconv -f CP932 -t UTF-8 "$prog/key/mykana.key" | tr -d '\r' | awk -F= '
        /^[0-9]+="/ {
            v = substr($0, index($0, "=") + 2); sub(/"$/, "", v)
            n = split(v, f, " "); item = f[1]; key = f[2]
            if (item == "○") { item = " "; key = " " }
            else if (item == "●") { item = "　"; key = " " }
            else if (item == "▼") { item = "、"; key = "<" }
            else if (item == "∴") { item = "ね"; key = "," }
            if (!(item in seen)) { seen[item] = 1; printf "%s\t%s\n", item, key }
        }'
}

# The readings of the Act in file $1 (by default the staged Act01), one a line.
act_readings() {
    local line i=0
    while IFS= read -r line; do
        line=${line%$'\r'}
        i=$((i + 1))
        [ "$i" -le 5 ] || [ -z "$line" ] || echo "$line"
    done < <(iconv -f CP932 -t UTF-8 "${1:-$prog/ktp/Act01.ktp}") | awk 'NR % 2 == 0'
}

declare -A kana_first=()
# The X key codes that type reading $1 in the kana style, into the array kana_codes: the keys
# of each character from the kana table, checked with kotopa-tool try first.
kana_codes_of() {
    local reading=$1 keys="" c i
    if [ ${#kana_first[@]} -eq 0 ]; then
        while IFS=$'\t' read -r c keys; do kana_first[$c]=$keys; done < <(kana_firsts)
        keys=""
    fi
    for ((i = 0; i < ${#reading}; i++)); do
        c=${reading:i:1}
        [ -n "${kana_first[$c]+x}" ] || fail "no kana key for '$c'"
        keys+=${kana_first[$c]}
    done
    "$KOTOPA_TOOL" try --keys "$prog/key/mykana.key" -- "$reading" "$keys" >/dev/null ||
        fail "'$keys' does not type '$reading' with key/mykana.key"
    kana_codes=()
    for ((i = 0; i < ${#keys}; i++)); do kana_codes+=("${kana_code[${keys:i:1}]}"); done
}

# Act01 (or the Act in file $2) typed in the kana style by key codes in window $1, Enter after
# every line but the last.
type_act01_kana() {
    local wid=$1 n kana_codes
    mapfile -t readings < <(act_readings "${2:-}")
    [ -n "${2:-}" ] || [ "${#readings[@]}" -eq ${#act01_keys[@]} ] ||
        fail "Act01 has changed: ${#readings[@]} readings"
    kana_keycount=0
    focus "$wid"
    xdotool key Return
    sleep 3.6
    for n in "${!readings[@]}"; do
        kana_codes_of "${readings[$n]}"
        kana_keycount=$((kana_keycount + ${#kana_codes[@]} + 1))
        "$KOTOPA_SOUND_PROBE" press 40 "${kana_codes[@]}"
        sleep 0.25
        if [ "$n" -eq 10 ]; then shot "$wid" kana-typing; fi
        if [ "$n" -lt $((${#readings[@]} - 1)) ]; then xdotool key Return; fi
    done
}

# The last play's line of list $1 holds 0 mistypes and the rates of Act01; $2 lines in all.
check_kana_list() {
    local file=$1 lines=$2 line
    [ -f "$file" ] || fail "missing $file"
    [ "$(wc -l <"$file")" -eq "$lines" ] || fail "$file holds $(wc -l <"$file") plays, not $lines"
    line=$(tail -n1 "$file" | tr -d '\r')
    [[ "$line" =~ ^([0-9]+)\ ([0-9]+)\ 0$ ]] || fail "$file holds '$line'"
    [ "${BASH_REMATCH[2]}" = "$(rate $act01_charcount "${BASH_REMATCH[1]}")" ] ||
        fail "characters per minute ${BASH_REMATCH[2]} in $file"
}

# One kana play of Act01 on a display with layout $1, recorded and the program closed.
play_act01_kana() {
    local app wid dialog
    restart_display "$1"
    start_program app
    wid=$(wait_window '^KotoPA  \[ Act01 \]$' "$app")
    type_act01_kana "$wid"
    dialog=$(finish_act01 "$app")
    sleep 0.5
    shot "$dialog" "kana-result-$1"
    cancel_result "$app" "$dialog"
    close_window "$wid"
    expect_exit_ok "$app" "the program"
}

# Act01 typed whole in the kana style by key codes on a Japanese (jp106) layout and again on a
# US one, where the keys give other characters or none: no mistype, both plays in the kana
# lists and bests. Then one romaji play, which goes to the romaji lists alone.
case_kana_act01() {
    mkdir -p "$prog/save"
    printf '[PLAY]\r\nKANA=1\r\n' >"$prog/save/kotopa.ini"
    play_act01_kana jp
    check_kana_list "$prog/save/record-kana.lst" 1
    check_kana_list "$prog/save/Act01-kana.lst" 1
    [ ! -e "$prog/save/record.lst" ] || fail "a kana play in record.lst"
    grep -q '^\[KANA\]' "$prog/save/kotopa.ini" || fail "no kana bests"
    grep -q '^KANA=1' "$prog/save/kotopa.ini" || fail "the kana style was not kept"
    play_act01_kana us
    check_kana_list "$prog/save/record-kana.lst" 2
    check_kana_list "$prog/save/Act01-kana.lst" 2
    tr -d '\r' <"$prog/save/kotopa.ini" | grep -A3 '^\[KANA\]' | grep -q '^COUNT=3$' ||
        fail "the kana play count is not 3"

    # The romaji style, chosen in the option panel (bt_Opt at 424, 232; rd_Romaji at 512, 13 of the open panel).
    local app wid dialog
    start_program app
    wid=$(wait_window '^KotoPA  \[ Act01 \]$' "$app")
    focus "$wid"
    xdotool mousemove --window "$wid" 436 244 click 1  # bt_Opt
    sleep 1
    xdotool mousemove --window "$wid" 530 20 click 1  # rd_Romaji
    sleep 0.3
    shot "$wid" kana-romaji-chosen
    xdotool mousemove --window "$wid" 436 244 click 1
    sleep 1
    # The click left the focus on the radio button; the typing box (ed_Nyuuryoku) takes it back.
    xdotool mousemove --window "$wid" 30 163 click 1
    sleep 0.3
    type_act01 "$wid"
    dialog=$(finish_act01 "$app")
    cancel_result "$app" "$dialog"
    close_window "$wid"
    expect_exit_ok "$app" "the program"
    check_kana_list "$prog/save/record.lst" 1
    check_kana_list "$prog/save/Act01.lst" 1
    check_kana_list "$prog/save/record-kana.lst" 2
    grep -q '^KANA=0' "$prog/save/kotopa.ini" || fail "the romaji style was not kept"
}

# Act01 typed as type_act01 does, but every か first mistyped with "q" (ka becomes qka).
type_act01_missing_ka() {
    local wid=$1 i
    focus "$wid"
    xdotool key Return
    sleep 3.6
    for i in "${!act01_keys[@]}"; do
        xdotool type --delay 40 "${act01_keys[$i]//ka/qka}"
        sleep 0.25
        if [ "$i" -lt $((${#act01_keys[@]} - 1)) ]; then xdotool key Return; fi
    done
}

# The weakness window ("苦手分析") of program $1 is open, with no warning beside it: its id.
expect_weak_window() {
    local weak
    weak=$(wait_window '^苦手分析$' "$1")
    sleep 0.5
    [ -z "$(xdotool search --all --onlyvisible --pid "$1" --name '^警告$' 2>/dev/null || true)" ] ||
        fail "a warning beside the weakness window"
    echo "$weak"
}

# Act01 played twice (か comes seven times a play, and ten make a kana count), every か first
# mistyped with q; then the weakness window from the result dialog (bt_Weak at 266, 112) and
# its practice Act (P): the main window plays it, か first among its kana and in its lines.
case_weak_practice() {
    local app wid dialog weak act="$prog/ktp/苦手練習.ktp" n lines readings
    check_act01_spellings
    start_program app
    wid=$(wait_window '^KotoPA  \[ Act01 \]$' "$app")
    type_act01_missing_ka "$wid"
    dialog=$(finish_act01 "$app")
    cancel_result "$app" "$dialog"
    type_act01_missing_ka "$wid"
    dialog=$(finish_act01 "$app")
    [ "$(tr -d '\r' <"$prog/save/record.lst" | awk '{ print $3 }' | paste -sd' ')" = "7 7" ] ||
        fail "record.lst holds $(tr -d '\r' <"$prog/save/record.lst" | paste -sd'|')"
    [ -f "$prog/save/keyrecord.txt" ] || fail "no key record"
    focus "$dialog"
    xdotool mousemove --window "$dialog" 277 123 click 1
    weak=$(expect_weak_window "$app")
    shot "$weak" weak
    focus "$weak"
    xdotool key p
    wid=$(wait_window '^KotoPA  \[ 苦手練習 \]$' "$app")
    wait_gone '^入力が終了しました$' "$app"
    sleep 0.3
    shot "$wid" practice-loaded

    [ -f "$act" ] || fail "no practice Act"
    "$KOTOPA_TOOL" check "$act" --keys "$prog/key/mykey.key" >/dev/null || fail "the practice Act fails its check"
    [[ "$(iconv -f CP932 -t UTF-8 "$act" | head -n1 | tr -d '\r')" == "【苦手練習】 か"* ]] ||
        fail "か is not the weakest: $(iconv -f CP932 -t UTF-8 "$act" | head -n1)"
    mapfile -t readings < <(act_readings "$act")
    [ "${#readings[@]}" -eq 24 ] || fail "the practice Act has ${#readings[@]} lines"
    [[ "${readings[0]}" == *か* ]] || fail "its first line '${readings[0]}' holds no か"
    n=$(printf '%s\n' "${readings[@]}" | grep -c か)
    [ "$n" -ge 5 ] || fail "only $n of its lines hold か"

    # Ready to play: Enter starts the countdown, Esc ends it unrecorded.
    focus "$wid"
    xdotool key Return
    sleep 1
    xdotool key Escape
    dialog=$(wait_window '^入力が終了しました$' "$app")
    cancel_result "$app" "$dialog"
    close_window "$wid"
    expect_exit_ok "$app" "the program"
    grep -q "LAST=\"$(stored_path "$act")\"" "$prog/save/kotopa.ini" || fail "LAST is not the practice Act"
    lines=$(wc -l <"$prog/save/record.lst")
    [ "$lines" -eq 2 ] || fail "the aborted practice play was recorded"
}

# A save/ folder from before the key record: the graph window and, from its button (bt_Weak at
# 274, 198), the weakness window open without a warning.
case_weak_old_save() {
    local app wid graph weak
    mkdir -p "$prog/save"
    printf '50 100 3\r\n60 120 2\r\n' >"$prog/save/record.lst"
    printf '60 120 2\r\n' >"$prog/save/Act01.lst"
    printf '[TOP]\r\nKEY=150\r\nMOZI=120\r\n[PLAY]\r\nCOUNT=3\r\n' >"$prog/save/kotopa.ini"
    start_program app
    wid=$(wait_window '^KotoPA  \[ Act01 \]$' "$app")
    graph=$(open_graph "$app" "$wid")
    focus "$graph"
    xdotool mousemove --window "$graph" 285 209 click 1
    weak=$(expect_weak_window "$app")
    shot "$weak" weak-old-save
    close_window "$weak"
    wait_gone '^苦手分析$' "$app"
    close_window "$graph"
    wait_gone '^グラフ$' "$app"
    close_window "$wid"
    expect_exit_ok "$app" "the program"
    [ ! -e "$prog/save/keyrecord.txt" ] || fail "a key record without a play"
}

# Sourced by the Windows cases (tests/windows/e2e-wine.sh), which use the helpers above.
[ -z "${KOTOPA_E2E_LIBRARY:-}" ] || return 0

# One real program at a time on this machine: the cases of several build trees (or of a
# parallel ctest) wait for each other here, since the program refuses a second copy.
exec 8>"${TMPDIR:-/tmp}/kotopa-e2e.lock"
flock 8

start_display
install_program
"case_$case_name"
echo "PASS: $case_name"
