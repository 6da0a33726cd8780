#!/usr/bin/env bash
# End-to-end tests of kotopa.exe under Wine, on its own Xvfb display: the staged Windows
# program copied into a fresh folder with a Japanese name, driven with xdotool as a new user
# on Windows would drive it, its files read back as bytes. The helpers come from the Linux
# cases (tests/e2e/e2e.sh); CTest runs each case on its own:
#   e2e-wine.sh <case>
# Environment (set by tests/windows/CMakeLists.txt): KOTOPA_STAGE (the staged Windows
# program), KOTOPA_WIN_HELPER (win_helper.exe), KOTOPA_WINEPREFIX, KOTOPA_X11_HELPER (for
# screenshots; may be empty), KOTOPA_SOUND_PROBE and KOTOPA_TOOL (the native sound_probe and
# kotopa-tool, for the sound, kana and make_act cases) and KOTOPA_ARTIFACTS.
set -euo pipefail

: "${KOTOPA_STAGE:?}" "${KOTOPA_WIN_HELPER:?}" "${KOTOPA_WINEPREFIX:?}" "${KOTOPA_ARTIFACTS:?}"
KOTOPA_X11_HELPER=${KOTOPA_X11_HELPER:-}
[ -n "$KOTOPA_X11_HELPER" ] || KOTOPA_X11_HELPER=true  # no screenshots
KOTOPA_TOOL=${KOTOPA_TOOL:-unused}
KOTOPA_E2E_LIBRARY=1
# shellcheck source=../e2e/e2e.sh
source "$(dirname "$0")/../e2e/e2e.sh" "windows_$1"

export WINEPREFIX=$KOTOPA_WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
# The program folder, as a Japanese user's may be named.
prog="$work/練習フォルダ/kotopa"

# --- what differs from the Linux cases ----------------------------------------------------

install_program() {
    mkdir -p "$(dirname "$prog")"
    cp -r "$KOTOPA_STAGE" "$prog"
    # An empty save/, as after a first start: that start's word on where the files are kept
    # is the installer case's to see.
    rm -rf "$prog/save"
    mkdir "$prog/save"
    [ -f "$prog/kotopa.exe" ] && [ -f "$prog/key/mykey.key" ] && [ -f "$prog/ktp/Act02.ktp" ] ||
        fail "the staged program lacks kotopa.exe, key/mykey.key or ktp/Act02.ktp"
}

start_program() {
    (cd "$prog" && exec wine kotopa.exe) >>"$work/app.log" 2>&1 8>&- &
    app_pids+=($!)
    printf -v "$1" '%s' "$!"
}

# Without a window manager a Wine window takes the keyboard after a click; the click goes to
# a spot of the window where it changes nothing (a dialog's margin by default). A click on a
# control ($2, $3 given) is made once. A click on the margin is made again until Windows has
# made the window the active one: while a command the program had the shell start still runs
# (the play log's "open"), its console is the active window, a click does not take the
# keyboard from it, and the keys sent next would be lost.
focus() {
    local X Y WIDTH HEIGHT SCREEN WINDOW title active=""
    eval "$(xdotool getwindowgeometry --shell "$1")"
    xdotool mousemove $((X + ${2:-4})) $((Y + ${3:-4})) click 1
    sleep 0.3
    [ $# -eq 1 ] || return 0
    title=$(xdotool getwindowname "$1")
    for _ in $(seq 100); do
        active=$(wine "$KOTOPA_WIN_HELPER" active "$title") && return 0
        xdotool mousemove $((X + 4)) $((Y + 4)) click 1
        sleep 0.1
    done
    fail "'$title' does not take the keyboard: the active window is $active"
}

close_window() { wine "$KOTOPA_WIN_HELPER" close "$1" >/dev/null; }

click() { focus "$1" "$2" "$3"; }

# The open dialog $1 given the file name $2: a click into its name field (the box left of
# the Open button, at the foot of the dialog), what it holds replaced with the name, and Enter.
# The dialog is Windows' own; its file types must be the Acts' and the texts'.
type_file_name() {
    local X Y WIDTH HEIGHT SCREEN WINDOW types
    types=$(wine "$KOTOPA_WIN_HELPER" choices "$(xdotool getwindowname "$1")" | tr -d '\r')
    [ "$types" = "$(printf 'KotoPa スクリプト (*.ktp)\nテキスト (*.txt)')" ] ||
        fail "the open dialog offers the file types '$types'"
    eval "$(xdotool getwindowgeometry --shell "$1")"
    focus "$1" $((WIDTH / 2)) $((HEIGHT - 50))
    xdotool key ctrl+a
    xdotool type --delay 20 "$2"
    sleep 0.3
    shot "$1" open-dialog-named
    xdotool key Return
}

# The path as the program sees it on Windows (Wine shows / as drive Z:), in Shift_JIS.
stored_path() { printf 'Z:%s' "$1" | tr / '\\' | iconv -f UTF-8 -t CP932; }

# The desktop's "open" of a .log file copies it beside the test, so that the test sees
# that the program asked Windows' shell to open its play log.
associate_log_files() {
    local copy="Z:$(printf '%s' "$work/opened.log" | tr / '\\')"
    wine reg add 'HKCR\.log' /ve /d kotopa.e2e.log /f >/dev/null 2>&1
    wine reg add 'HKCR\kotopa.e2e.log\shell\open\command' /ve \
        /d "\"C:\\windows\\system32\\cmd.exe\" /c copy \"%1\" \"$copy\"" /f >/dev/null 2>&1
}

# --- the cases -----------------------------------------------------------------------------

# Act01 typed through with a mistype in its first line; the result dialog opens the play log
# through the shell and leads on to Act02; the files are checked byte for byte, LAST holds
# the real (Japanese) path, and the next start offers to resume Act02.
case_windows_play() {
    local app wid dialog question
    associate_log_files
    start_program app
    wid=$(wait_window '^KotoPA  \[ Act01 \]$' "$app")
    [ "$(window_size "$wid")" = 500x275 ] || fail "window is $(window_size "$wid"), not 500x275"
    sleep 0.5
    shot "$wid" main
    act01_keys[0]=axsa  # あさ with a mistype: x cannot begin さ
    type_act01 "$wid"
    dialog=$(finish_act01 "$app")
    sleep 0.5
    shot "$dialog" result
    focus "$dialog"
    focus "$dialog" 301 123  # the play-log button
    local i
    for i in $(seq 100); do  # the copy whole, not as it is being written
        cmp -s "$work/opened.log" "$prog/save/playlog.log" && break
        sleep 0.1
    done
    [ -f "$work/opened.log" ] || fail "the play log was not handed to the shell"
    expect_file "$work/opened.log" "$prog/save/playlog.log"
    focus "$dialog"
    xdotool key n
    wid=$(wait_window '^KotoPA  \[ Act02 \]$' "$app")
    shot "$wid" act02
    close_window "KotoPA  [ Act02 ]"
    expect_exit_ok "$app" "the program"

    local seconds cpm kpm
    check_act01_records 1
    {
        printf '[TOP]\r\nKEY=%s\r\nMOZI=%s\r\n[PLAY]\r\nCOUNT=2\r\n' "$kpm" "$cpm"
        options_and_last Act02
    } >"$work/expected.ini"
    expect_file "$prog/save/kotopa.ini" "$work/expected.ini"
    check_act01_log 1 99.43  # 174 of 175 keys right

    # The stored Japanese path is turned back into a path: the question names it, Yes opens it.
    start_program app
    question=$(wait_window '^確認$' "$app")
    shot "$question" resume-question
    focus "$question"
    xdotool key Return
    wid=$(wait_window '^KotoPA  \[ Act02 \]$' "$app")
    close_window "KotoPA  [ Act02 ]"
    expect_exit_ok "$app" "the second run"
}

# A second copy meets the named mutex: "二重起動はできません." and an end; the first copy
# goes on and stores its settings when closed.
case_windows_second_copy() {
    local first second dialog
    start_program first
    wait_window '^KotoPA  \[ Act01 \]$' "$first" >/dev/null
    start_program second
    dialog=$(wait_window '^情報$' "$second")
    shot "$dialog" refusal
    focus "$dialog"
    xdotool key Return
    expect_exit_ok "$second" "the second copy"
    kill -0 "$first" 2>/dev/null || fail "the first copy ended"
    [ ! -f "$prog/save/kotopa.ini" ] || fail "the second copy wrote settings"
    close_window "KotoPA  [ Act01 ]"
    expect_exit_ok "$first" "the first copy"
    expected_first_ini >"$work/expected.ini"
    expect_file "$prog/save/kotopa.ini" "$work/expected.ini"
}

# The session ends during a play, and the process is ended as soon as WM_ENDSESSION is
# answered, as Windows may end it: the settings are stored by then (the windows close when
# the session asks whether it may end), the unfinished play is not recorded.
case_windows_end_session() {
    local app wid
    start_program app
    wid=$(wait_window '^KotoPA  \[ Act01 \]$' "$app")
    focus "$wid"
    xdotool key Return
    sleep 0.5
    wine "$KOTOPA_WIN_HELPER" endsession "KotoPA  [ Act01 ]" >/dev/null || fail "no session to end"
    for _ in $(seq 100); do
        kill -0 "$app" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$app" 2>/dev/null && fail "the program outlived its session"
    expected_first_ini >"$work/expected.ini"
    expect_file "$prog/save/kotopa.ini" "$work/expected.ini"
    [ ! -f "$prog/save/record.lst" ] || fail "an unfinished play was recorded"
}

# The mistype sound on Windows' own path (waveOut), through Wine's PulseAudio driver to a
# server of the test's own: the output opens, and a mistype is written to it whole, once.
case_windows_sound() {
    local app wid stretches lengths
    [ -x "$KOTOPA_SOUND_PROBE" ] || fail "no sound_probe (KOTOPA_SOUND_PROBE) of the native build"
    start_pulse
    "$KOTOPA_SOUND_PROBE" wave "$prog/system/miss.wav" 100
    start_program app
    wid=$(wait_window '^KotoPA  \[ Act01 \]$' "$app")
    wait_stream
    focus "$wid"
    xdotool key Return
    sleep 3.6
    start_recording windows
    mistypes 1 0 windows
    stop_recording
    "$KOTOPA_SOUND_PROBE" sounding "$work/windows.raw" >"$work/windows.result"
    sed 's/^/  windows: /' "$work/windows.result" >&2
    stretches=$(awk '$1 == "stretches" { print $2 }' "$work/windows.result")
    lengths=$(awk '$1 == "lengths_ms" { $1 = ""; print }' "$work/windows.result")
    [ "$stretches" = 1 ] || fail "$stretches sounds heard after one mistype"
    awk -v l="$lengths" 'BEGIN { exit !(l >= 95 && l <= 105) }' || fail "the sound lasted $lengths ms, not 100"
    [ "$(sink_inputs)" -ge 1 ] || fail "the output closed"
    close_window "KotoPA  [ Act01 ]"
    expect_exit_ok "$app" "the program"
}

# Act01 typed whole in the kana style, chosen in kotopa.ini, by key codes on a US layout and
# again on a Japanese (jp106) one: Wine turns the X key codes into the PC keyboard's scan codes,
# which the program judges by, so that both plays go through with no mistype and are
# recorded in the kana lists alone. Then, on jp106, an Act of the keys Act01 lacks (ろ left of
# the right Shift and ー on the yen key, which both give a backslash there, the small kana and
# the signs on Shift), resumed from LAST, typed through with no mistype too. (On the US layout
# Wine gives those two keys, which a US keyboard lacks, no scan code at all.)
case_windows_kana() {
    local app wid dialog layout question n=0
    [ -x "$KOTOPA_SOUND_PROBE" ] || fail "no sound_probe (KOTOPA_SOUND_PROBE) of the native build"
    [ -x "$KOTOPA_TOOL" ] || fail "no kotopa-tool (KOTOPA_TOOL) of the native build"
    printf '[PLAY]\r\nKANA=1\r\n' >"$prog/save/kotopa.ini"
    for layout in us jp; do
        n=$((n + 1))
        end_wine  # Wine's desktop belongs to the display
        restart_display "$layout"
        start_program app
        wid=$(wait_window '^KotoPA  \[ Act01 \]$' "$app")
        type_act01_kana "$wid"
        dialog=$(finish_act01 "$app")
        sleep 0.5
        shot "$dialog" "kana-result-$layout"
        cancel_result "$app" "$dialog"
        close_window "KotoPA  [ Act01 ]"
        expect_exit_ok "$app" "the program on the $layout layout"
        check_kana_list "$prog/save/record-kana.lst" "$n"
        check_kana_list "$prog/save/Act01-kana.lst" "$n"
    done
    [ ! -e "$prog/save/record.lst" ] || fail "a kana play in record.lst"
    grep -q '^KANA=1' "$prog/save/kotopa.ini" || fail "the kana style was not kept"

    {
        printf '%s\r\n' "Kana かなの位置" "ろとー、小さいかな" "シフトの記号" "ローマ" "ろーま" ""
        printf '%s\r\n%s\r\n\r\n' ローマ ろーま "ラーメン、ロッカー" "らーめん、ろっかー" \
            "「パン」を 買う。" "「ぱん」を かう。" "ぁぃぅぇぉ・ゃゅょ" "ぁぃぅぇぉ・ゃゅょ" \
            "色を 塗ろう" "いろを ぬろう"
    } | iconv -f UTF-8 -t CP932 >"$prog/ktp/Kana.ktp"
    "$KOTOPA_TOOL" check --keys "$prog/key/mykana.key" "$prog/ktp/Kana.ktp" >/dev/null ||
        fail "Kana.ktp does not check with key/mykana.key"
    last=$(stored_path "$prog/ktp/Kana.ktp") perl -pi -e 's/^LAST=.*\r$/LAST="$ENV{last}"\r/' \
        "$prog/save/kotopa.ini"
    LC_ALL=C grep -aq '^LAST=.*Kana\.ktp"' "$prog/save/kotopa.ini" || fail "LAST was not set to Kana.ktp"
    start_program app
    question=$(wait_window '^確認$' "$app")
    focus "$question"
    xdotool key Return  # Yes: Kana.ktp
    wid=$(wait_window '^KotoPA  \[ Kana \]$' "$app")
    type_act01_kana "$wid" "$prog/ktp/Kana.ktp"
    shot "$wid" kana-signs-typed
    xdotool key Return
    dialog=$(wait_window '^入力が終了しました$' "$app")
    shot "$dialog" kana-result-signs
    cancel_result "$app" "$dialog"
    close_window "KotoPA  [ Kana ]"
    expect_exit_ok "$app" "the program on Kana.ktp"
    [ "$(tr -d '\r' <"$prog/save/Kana-kana.lst" | cut -d' ' -f3)" = 0 ] ||
        fail "Kana-kana.lst holds '$(cat "$prog/save/Kana-kana.lst")', not one play with no mistype"
}

# A text of five sentences in Shift_JIS, as Notepad of a Japanese Windows saves it, opened
# with the file button: its path typed into the open dialog's name field as a user does, the
# dialog offering the text filter; "Act を作る" reads it with the MeCab of kotopa.exe and the
# dictionary of the program folder, and "保存して練習" writes ktp/everyday.ktp, the Act the
# native kotopa-tool makes of the same text, and loads it. It is typed through at once, all
# five lines with no mistype, and recorded as a play of that Act.
case_windows_make_act() {
    local app wid form text="$work/texts/everyday.txt"
    [ -x "$KOTOPA_TOOL" ] || fail "no kotopa-tool (KOTOPA_TOOL) of the native build"
    [ -f "$prog/dic/ipadic-utf8/sys.dic" ] || fail "the staged program has no dictionary"
    mkdir -p "$work/texts"
    printf '%s\r\n' "${make_text[@]}" | iconv -f UTF-8 -t CP932 >"$text"
    tool_made_act "$text" "$work/expected.ktp"

    start_program app
    wid=$(wait_window '^KotoPA  \[ Act01 \]$' "$app")
    form=$(open_text_file "$app" "$wid" "$(printf 'Z:%s' "$text" | tr / '\\')")
    # "保存して練習" (its middle at 708, 21 of the window) takes a click once the lines are
    # made: clicked until the window goes.
    local i
    for i in $(seq 30); do
        [ -n "$(xdotool search --all --onlyvisible --pid "$app" --name '^Act を作る$' 2>/dev/null)" ] ||
            break
        shot "$form" made  # the last one as the click that saved saw it
        click "$form" 708 21
        wait_gone '^Act を作る$' "$app" 10
    done
    wid=$(wait_window '^KotoPA  \[ everyday \]$' "$app")
    expect_file "$prog/ktp/everyday.ktp" "$work/expected.ktp"
    [ "$(ls "$prog/ktp" | grep -vc '^Act[0-9][0-9]\.ktp$')" = 1 ] || fail "ktp/ holds $(ls "$prog/ktp")"

    made_keys=("${make_keys[@]}")
    made_keys[1]="ekimade aruite juubunn kakarimasu."  # 十分 as MeCab reads it
    check_made_keys "$prog/ktp/everyday.ktp"
    shot "$wid" made-loaded
    play_made_act "$app" "$wid"
    close_window "KotoPA  [ everyday ]"
    expect_exit_ok "$app" "the program"
    check_made_play everyday
}

# The installer run silently as a user would not see it: the program (every staged file, the
# dictionary too), the Start-menu shortcut and the uninstall entry; the program started from the shortcut's target says once where it
# keeps the files and records a play in the user's data folder, never beside itself; the
# silent uninstall removes the program, its shortcut and its entry and leaves those files.
case_windows_installer() {
    : "${KOTOPA_INSTALLER:?}"
    local local_app roaming inst user_dir lnk target app wid dialog notice entry
    local seconds cpm kpm
    local_app=$(winepath -u "$(wine cmd /c 'echo %LOCALAPPDATA%' | tr -d '\r')")
    roaming=$(winepath -u "$(wine cmd /c 'echo %APPDATA%' | tr -d '\r')")
    inst="$local_app/Programs/KotoPA"
    user_dir="$local_app/kotopa"
    lnk="$roaming/Microsoft/Windows/Start Menu/Programs/KotoPA.lnk"
    rm -rf "$inst" "$user_dir" "$lnk"  # what a failed run of this case left in its prefix

    wine "$KOTOPA_INSTALLER" /S </dev/null >>"$work/app.log" 2>&1 || fail "the installer failed"
    wineserver -w
    local f shipped=(kotopa.exe kotopa-tool.exe kotopa.chm README.txt key/mykey.key ktp/Act01.ktp
        ktp/Act12.ktp system/Glaph.bmp translations/qtbase_ja.qm uninstall.exe kotopa.installed)
    # With MeCab, the dictionary and the licences of it and of MeCab.
    [ "${KOTOPA_DICTIONARY:-OFF}" != ON ] ||
        shipped+=(dic/ipadic-utf8/{dicrc,sys.dic,unk.dic,matrix.bin,char.bin,COPYING,MECAB-COPYING})
    for f in "${shipped[@]}"; do
        [ -f "$inst/$f" ] || fail "the installer did not install $f"
    done
    # Every file of the staged program, as it is.
    while IFS= read -r -d '' f; do
        cmp -s "$inst/$f" "$KOTOPA_STAGE/$f" || fail "the installed $f differs from the staged one"
    done < <(cd "$KOTOPA_STAGE" && find . -path ./save -prune -o -type f -print0)
    [ -f "$lnk" ] || fail "no Start-menu shortcut $lnk"
    target=$(strings -n 8 "$lnk" | grep -i '^[A-Z]:.*\\kotopa\.exe$' | head -n1)
    [ -n "$target" ] || fail "the shortcut names no kotopa.exe"
    [ "$(winepath -u "$target")" -ef "$inst/kotopa.exe" ] || fail "the shortcut leads to $target"
    entry=$(wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\KotoPA' \
        2>/dev/null | tr -d '\r')
    for f in "DisplayName REG_SZ KotoPA" "DisplayVersion REG_SZ $KOTOPA_VERSION" \
        "DisplayIcon REG_SZ .*kotopa.exe,0" "UninstallString REG_SZ \".*uninstall.exe\"" \
        "QuietUninstallString REG_SZ \".*uninstall.exe\" /S"; do
        grep -Eq "^ +${f// /\\s+}$" <<<"$entry" || fail "uninstall entry lacks '$f': $entry"
    done

    (cd "$inst" && exec wine "$(winepath -u "$target")") >>"$work/app.log" 2>&1 8>&- &
    app=$!
    app_pids+=("$app")
    notice=$(wait_window '^情報$' "$app")
    shot "$notice" installed-first-start
    focus "$notice"
    xdotool key Return
    wid=$(wait_window '^KotoPA  \[ Act01 \]$' "$app")
    type_act01 "$wid"
    dialog=$(finish_act01 "$app")
    cancel_result "$app" "$dialog"
    close_window "KotoPA  [ Act01 ]"
    expect_exit_ok "$app" "the installed program"
    [ ! -e "$inst/save" ] || fail "the installed copy wrote save\\ beside itself"
    local kept=$prog
    prog=$user_dir
    check_act01_records 0
    prog=$kept
    [ -f "$user_dir/save/kotopa.ini" ] && [ -f "$user_dir/save/playlog.log" ] &&
        [ -f "$user_dir/key/mykey.key" ] && [ -f "$user_dir/ktp/Act01.ktp" ] ||
        fail "the user's folder is not seeded and written as on Linux"
    (cd "$user_dir" && find . -type f -exec md5sum {} + | sort) >"$work/user-before"

    wine "$inst/uninstall.exe" /S </dev/null >>"$work/app.log" 2>&1 || fail "the uninstaller failed"
    wineserver -w
    for _ in $(seq 100); do
        [ -e "$inst" ] || break
        sleep 0.1
    done
    [ ! -e "$inst" ] || fail "the uninstaller left $(cd "$inst" && find . | tr '\n' ' ')"
    [ ! -e "$lnk" ] || fail "the uninstaller left the shortcut"
    ! wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\KotoPA' \
        >/dev/null 2>&1 || fail "the uninstaller left its entry"
    (cd "$user_dir" && find . -type f -exec md5sum {} + | sort) >"$work/user-after"
    cmp -s "$work/user-before" "$work/user-after" || fail "the uninstaller changed the user's files"
}

# A Wine session of this case's own, on its display; a new prefix is made once. This
# machine may have no sound card: an ALSA output that plays into nothing gives Wine an audio
# device, so that the program's mistype sound takes its Windows path all the same.
end_wine() { wineserver -k </dev/null >/dev/null 2>&1 || true; }
start_wine() {
    end_wine
    printf '</usr/share/alsa/alsa.conf>\npcm.!default { type null }\n' >"$work/asound.conf"
    export ALSA_CONFIG_PATH=$work/asound.conf
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "creating the Wine prefix $WINEPREFIX"
        wineboot -i </dev/null >/dev/null 2>&1
    fi
    trap 'end_wine; cleanup' EXIT
}

start_display
start_wine
install_program
"case_windows_$1"
echo "PASS: windows_$1"
