#!/usr/bin/env bash
# End-to-end tests of the staged program: a copy of build/kotopa/ in a fresh temporary folder,
# started on its own Xvfb display and driven with xdotool as a user would. Each test case is
# one function below; CTest runs them one by one:
#   e2e.sh <case>
# Environment (set by tests/e2e/CMakeLists.txt): KOTOPA_STAGE (the staged program folder),
# KOTOPA_X11_HELPER, KOTOPA_TEST_DATA (tests/data) and KOTOPA_ARTIFACTS (where screenshots go).
set -euo pipefail

: "${KOTOPA_STAGE:?}" "${KOTOPA_X11_HELPER:?}" "${KOTOPA_TEST_DATA:?}" "${KOTOPA_ARTIFACTS:?}"
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
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
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

# The staged program, with the test data where the delivered data is missing.
install_program() {
    cp -r "$KOTOPA_STAGE" "$prog"
    rm -rf "$prog/save"
    mkdir -p "$prog/key" "$prog/ktp"
    if [ ! -f "$prog/key/mykey.key" ]; then
        iconv -f UTF-8 -t CP932 "$KOTOPA_TEST_DATA/key/mykey.txt" >"$prog/key/mykey.key"
    fi
    if [ ! -f "$prog/ktp/Act01.ktp" ]; then
        local src
        for src in "$KOTOPA_TEST_DATA"/ktp/*.txt; do
            iconv -f UTF-8 -t CP932 "$src" >"$prog/ktp/$(basename "$src" .txt).ktp"
        done
    fi
}

# Starts a copy of the program; its pid goes to the variable named by $1.
start_program() {
    "$prog/kotopa" >>"$work/app.log" 2>&1 &
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

start_display
install_program
"case_$case_name"
echo "PASS: $case_name"
