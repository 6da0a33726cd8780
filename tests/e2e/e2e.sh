#!/usr/bin/env bash
# End-to-end tests of the staged program: a copy of build/kotopa/ in a fresh temporary folder,
# started on its own Xvfb display and driven with xdotool as a user would. Each test case is
# one function below; CTest runs them one by one:
#   e2e.sh <case>
# Environment (set by tests/e2e/CMakeLists.txt): KOTOPA_STAGE (the staged program folder with
# the delivered key table and Acts), KOTOPA_X11_HELPER, KOTOPA_TOOL (kotopa-tool) and
# KOTOPA_ARTIFACTS (where screenshots go).
set -euo pipefail

: "${KOTOPA_STAGE:?}" "${KOTOPA_X11_HELPER:?}" "${KOTOPA_TOOL:?}" "${KOTOPA_ARTIFACTS:?}"
case_name=${1:?usage: e2e.sh <case>}

work=$(mktemp -d "${TMPDIR:-/tmp}/kotopa-e2e.XXXXXX")
prog="$work/kotopa"
xvfb_pid=""
app_pids=()

cleanup() {
    local pid
    for pid in "${app_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    [ -f "$work/app.log" ] && sed 's/^/  app: /' "$work/app.log" >&2
    exit 1
}

# --- set-up ---------------------------------------------------------------------------------

start_display() {
    exec 3>"$work/display"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 8>&- &
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
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    unset QT_QPA_PLATFORM
}

# The staged program as it ships, without any save/ of earlier runs.
install_program() {
    cp -r "$KOTOPA_STAGE" "$prog"
    rm -rf "$prog/save"
    [ -f "$prog/key/mykey.key" ] && [ -f "$prog/ktp/Act01.ktp" ] && [ -f "$prog/ktp/Act02.ktp" ] ||
        fail "the staged program lacks key/mykey.key, ktp/Act01.ktp or ktp/Act02.ktp"
}

# Starts a copy of the program; its pid goes to the variable named by $1.
start_program() {
    "$prog/kotopa" >>"$work/app.log" 2>&1 8>&- &
    app_pids+=($!)
    printf -v "$1" '%s' "$!"
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

# Waits a while for the windows of process $2 whose name matches $1 to go.
wait_gone() {
    for _ in $(seq 50); do
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

# kotopa.ini as the program writes it at exit on a fresh folder, with the options untouched.
expected_first_ini() {
    printf '[PLAY]\r\nNOMAL=1\r\nRANDOM=0\r\nENDEOF=1\r\nENDMILI=0\r\nENDGYOU=0\r\nVALUE=60\r\nSOUND=1\r\n'
    printf '[FILE]\r\nLAST="%s"\r\n' "$(printf '%s' "$prog/ktp/Act01.ktp" | iconv -f UTF-8 -t CP932)"
}

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

# The result dialog after the last Enter: its window id.
finish_act01() {
    xdotool key Return
    wait_window '^入力が終了しました$' "$1"
}

# --- the cases -----------------------------------------------------------------------------

# First start on a fresh folder, close, the settings written at exit; the next start asks
# nothing and shows Act01 again.
case_start_close() {
    local app wid
    start_program app
    wid=$(wait_window '^KotoPA  \[ Act01 \]$' "$app")
    [ -d "$prog/save" ] || fail "save/ was not created"
    [ "$(window_size "$wid")" = 500x275 ] || fail "window is $(window_size "$wid"), not 500x275"
    sleep 0.3
    shot "$wid" main
    [ ! -f "$prog/save/kotopa.ini" ] || fail "settings written before exit"
    close_window "$wid"
    expect_exit_ok "$app" "the program"
    expected_first_ini >"$work/expected.ini"
    expect_file "$prog/save/kotopa.ini" "$work/expected.ini"

    start_program app
    wid=$(wait_window '^KotoPA' "$app")
    [ "$(xdotool getwindowname "$wid")" = "KotoPA  [ Act01 ]" ] || fail "a question or another Act at the second start"
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

# A second copy shows "二重起動はできません." and ends; the first goes on undisturbed.
case_second_copy() {
    local first second wid dialog
    start_program first
    wid=$(wait_window '^KotoPA  \[ Act01 \]$' "$first")
    start_program second
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
    focus "$dialog"
    xdotool key c
    for _ in $(seq 50); do
        [ -z "$(xdotool search --all --onlyvisible --pid "$app" --name '^入力が終了しました$' 2>/dev/null || true)" ] && break
        sleep 0.1
    done
    [ "$(xdotool getwindowname "$wid")" = "KotoPA  [ Act01 ]" ] || fail "not back on Act01"
    close_window "$wid"
    expect_exit_ok "$app" "the program"

    # record.lst and Act01.lst: one line, "seconds chars/min mistypes".
    local line seconds cpm kpm
    line=$(tr -d '\r' <"$prog/save/record.lst")
    [[ "$line" =~ ^([0-9]+)\ ([0-9]+)\ 0$ ]] || fail "record.lst holds '$line'"
    seconds=${BASH_REMATCH[1]}
    cpm=${BASH_REMATCH[2]}
    [ "$seconds" -ge 1 ] || fail "a play of less than a second"
    [ "$cpm" = "$(rate $act01_charcount "$seconds")" ] || fail "characters per minute $cpm"
    kpm=$(rate $act01_keycount "$seconds")
    printf '%s %s 0\r\n' "$seconds" "$cpm" >"$work/expected.lst"
    expect_file "$prog/save/record.lst" "$work/expected.lst"
    expect_file "$prog/save/Act01.lst" "$work/expected.lst"

    # The settings: the result dialog's three keys, then the eight written at exit.
    {
        printf '[TOP]\r\nKEY=%s\r\nMOZI=%s\r\n[PLAY]\r\nCOUNT=2\r\n' "$kpm" "$cpm"
        printf 'NOMAL=1\r\nRANDOM=0\r\nENDEOF=1\r\nENDMILI=0\r\nENDGYOU=0\r\nVALUE=60\r\nSOUND=1\r\n'
        printf '[FILE]\r\nLAST="%s"\r\n' "$(printf '%s' "$prog/ktp/Act01.ktp" | iconv -f UTF-8 -t CP932)"
    } >"$work/expected.ini"
    expect_file "$prog/save/kotopa.ini" "$work/expected.ini"

    # The play log: the time stamp, then every line as the format fixes it.
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
        sjis "■ミスタイプ   "; printf '%4d ' 0; sjis "■正解タイプ率  "; printf '%6.2f%%\r\n' 100
        sjis "☆ 最高打鍵数を [ $kpm ] 更新しました !! "; printf '\r\n'
        sjis "☆ 最高文字数を [ $cpm ] 更新しました !! "; printf '\r\n'
        printf '\r\n'
    } >"$work/expected.log"
    expect_file "$prog/save/playlog.log" "$work/expected.log"

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
    local app wid dialog question
    start_program app
    wid=$(wait_window '^KotoPA  \[ Act01 \]$' "$app")
    type_act01 "$wid"
    dialog=$(finish_act01 "$app")
    focus "$dialog"
    xdotool key n
    wid=$(wait_window '^KotoPA  \[ Act02 \]$' "$app")
    close_window "$wid"
    expect_exit_ok "$app" "the program"
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

# After a play of Act01, the graph window from the main window's graph button: zoom, a drag,
# the export under the proposed name (the save dialog opens in the home folder), close.
case_graph() {
    local app wid dialog graph save before after file seconds
    export HOME="$work/home"
    mkdir -p "$HOME"
    start_program app
    wid=$(wait_window '^KotoPA  \[ Act01 \]$' "$app")
    type_act01 "$wid"
    dialog=$(finish_act01 "$app")
    focus "$dialog"
    xdotool key c
    wait_gone '^入力が終了しました$' "$app"
    seconds=$(tr -d '\r' <"$prog/save/record.lst" | cut -d' ' -f1)

    # The graph button (bt_Glaph, 25 x 25 at 464, 181 of the main window).
    focus "$wid"
    xdotool mousemove --window "$wid" 476 193 click 1
    graph=$(wait_window '^グラフ$' "$app")
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

    # "BMP出力" (at 10, 205): the save dialog proposes mmddhhnn.bmp; Enter takes it.
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

# One real program at a time on this machine: the cases of several build trees (or of a
# parallel ctest) wait for each other here, since the program refuses a second copy.
exec 8>"${TMPDIR:-/tmp}/kotopa-e2e.lock"
flock 8

start_display
install_program
"case_$case_name"
echo "PASS: $case_name"
