#!/usr/bin/env bash
# Minimizing into the tray under a real X server, window manager and tray: only the tray icon
# stays, never an unpainted window; a second start brings the window back, painted. Then the
# same with -minimized.
# Usage: tray_minimize_test.sh SKYVANE SOURCE_DIR
set -u
[ -n "${TRACE:-}" ] && set -x
program=$1
source_dir=$2
source "$source_dir/tests/app/check.sh"
scratch=$(mktemp -d)
cleanup() {
    kill $(jobs -p) 2>/dev/null
    wait 2>/dev/null
    rm -rf "$scratch"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3> "$scratch/display" 2>/dev/null &
for _ in $(seq 1 100); do [ -s "$scratch/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$scratch/display")
export XDG_CONFIG_HOME=$scratch/config XDG_DATA_HOME=$scratch/data XDG_RUNTIME_DIR=$scratch/runtime
unset QT_QPA_PLATFORM
mkdir -p "$scratch/list" "$scratch/config/Quillonsoft" "$scratch/runtime"
chmod 700 "$scratch/runtime"
cp "$source_dir/examples/currdat.lst" "$source_dir/examples/logo.png" "$scratch/list/"
sed -e "s/firststartdatetime=\"[0-9]*\"/firststartdatetime=\"$(($(date +%s) + 600))\"/" \
    "$source_dir/examples/data.xml" > "$scratch/list/data.xml"
printf '[General]\nWeatherFilePath=%s\nOpenedFile=%s\nStartAutomatically=0\nShowInSystemTray=1\n' \
    "$scratch/list/currdat.lst" "$scratch/list/data.xml" > "$scratch/config/Quillonsoft/Skyvane.conf"
openbox > /dev/null 2>&1 &
trayer --edge bottom --align right --widthtype pixel --width 120 > /dev/null 2>&1 &
sleep 1

# The main window's id once it is mapped, or nothing after 20 seconds.
mapped() {
    for _ in $(seq 1 200); do
        found=$(xdotool search --onlyvisible --name 'data.xml.* - Skyvane' 2>/dev/null | head -n 1)
        [ -n "$found" ] && echo "$found" && return
        sleep 0.1
    done
}
# Waits up to ten seconds for the command to succeed.
eventually() {
    for _ in $(seq 1 100); do
        eval "$1" && return 0
        sleep 0.1
    done
    return 1
}
# No main window on screen, and none comes back within a second (an unpainted one would).
none_shown() {
    eventually "[ -z \"\$(xdotool search --onlyvisible --name 'data.xml.* - Skyvane')\" ]" &&
        sleep 1 && [ -z "$(xdotool search --onlyvisible --name 'data.xml.* - Skyvane')" ]
}
# Whether the window shows more than one colour: an unpainted window is all black.
painted() {
    xwd -silent -id "$1" | /usr/bin/python3 -c '
import sys
data = sys.stdin.buffer.read()
header = int.from_bytes(data[0:4], "big")
colours = int.from_bytes(data[76:80], "big")
pixels = data[header + 12 * colours:]
sys.exit(0 if len(set(pixels[i:i + 4] for i in range(0, len(pixels), 4000))) > 3 else 1)'
}
# Whether the tray holds an icon of ours: an embedded window inside trayer's.
in_tray() {
    xwininfo -root -tree | grep -A8 '"panel"' | grep -q 'skyvane\|Skyvane'
}

"$program" > "$scratch/desktop.log" 2>&1 &
first=$!
window=$(mapped)
check "the window opens" "[ -n '$window' ]" || cat "$scratch/desktop.log"
check "its icon is in the tray" "eventually in_tray"
for attempt in 1 2 3; do
    xdotool windowminimize "$window"
    check "minimized ($attempt), no window is left on screen" "none_shown"
    check "minimized ($attempt), the tray icon stays" "in_tray"
    "$program" > /dev/null 2>&1
    window=$(mapped)
    check "a second start brings it back ($attempt)" "[ -n '$window' ]"
    check "and painted ($attempt)" "eventually \"painted '$window'\""
done
kill -TERM "$first"
wait "$first"
"$program" -minimized > /dev/null 2>&1 &
check "-minimized puts the icon in the tray" "eventually in_tray"
check "-minimized shows no window" "none_shown"
report
