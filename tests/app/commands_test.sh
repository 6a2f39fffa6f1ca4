#!/usr/bin/env bash
# The program's commands as a user runs them: render, its errors, and a headless run that is
# stopped by SIGTERM.
set -u
program=$1
examples=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export XDG_CONFIG_HOME=$scratch/config XDG_DATA_HOME=$scratch/data TZ=UTC
source "$(dirname "$0")/check.sh"

"$program" render --profiles "$examples/data.xml" --weather "$examples/currdat.lst" \
    --out "$scratch/out" > "$scratch/render.log" 2>&1
check "render exits 0" "[ $? -eq 0 ]"
check "render writes the three images" \
    "[ -s '$scratch/out/Station overview.jpg' ] && [ -s '$scratch/out/Banner.jpg' ] && [ -s '$scratch/out/Weather by e-mail.png' ]"
check "the overview is a JPEG" "head -c 3 '$scratch/out/Station overview.jpg' | od -An -tx1 | grep -q 'ff d8 ff'"
check "render leaves the settings alone" "[ ! -e '$scratch/config/Quillonsoft/Skyvane.conf' ] && [ ! -e '$scratch/config/autostart' ]"
check "render prints only the files it wrote" "! grep -qv '^$scratch/out/' '$scratch/render.log'"

"$program" check --profiles "$examples/data.xml" --weather "$examples/currdat.lst" > "$scratch/check.log" 2>&1
check "check of the examples finds nothing and exits 0" "[ $? -eq 0 ] && [ ! -s '$scratch/check.log' ]"
sed -e 's/text_2="Falling"/text_2="Falling quickly and steadily"/' -e 's/imagefile="logo.png"/imagefile="gone.png"/' \
    "$examples/data.xml" > "$scratch/cut.xml"
"$program" check --profiles "$scratch/cut.xml" --image "Station overview" > "$scratch/check.log" 2>&1
check "check names image, element and cause of each problem and exits 1" \
    "[ $? -eq 1 ] && [ \$(wc -l < '$scratch/check.log') -eq 2 ] && grep -q '^Station overview: Tendency text at 240, 184 \"Falling quickly and steadily\": cut off at the right (tendency falling)\$' '$scratch/check.log' && grep -q 'picture file missing: gone.png' '$scratch/check.log'"
"$program" check --image > /dev/null 2> "$scratch/err"
check "check without an option's value exits 2 with its usage" "[ $? -eq 2 ] && grep -q 'usage: skyvane check' '$scratch/err'"

"$program" --help > "$scratch/help" 2>&1
check "--help exits 0 and says where things are" \
    "[ $? -eq 0 ] && grep -q '^Settings: ' '$scratch/help' && grep -q '^Weather file: ' '$scratch/help' && grep -q 'export ' '$scratch/help'"
check "--help names the default weather file in the data folder, as the man page does" \
    "grep -q '^ *~/.local/share/Quillonsoft/Skyvane/currdat.lst\$' '$scratch/help'"
"$program" -h > /dev/null 2>&1
check "-h exits 0" "[ $? -eq 0 ]"
"$program" frobnicate > /dev/null 2> "$scratch/err"
check "an unknown command exits 2 with the usage" "[ $? -eq 2 ] && grep -q 'usage: skyvane' '$scratch/err'"

: > "$scratch/empty.lst"
"$program" values --weather "$scratch/empty.lst" > "$scratch/out.txt" 2> "$scratch/err"
check "values with an empty weather file exits 1 and names the file" \
    "[ $? -eq 1 ] && grep -q '$scratch/empty.lst' '$scratch/err' && grep -q -- '--weather FILE' '$scratch/err' && [ ! -s '$scratch/out.txt' ]"
"$program" values --weather "$examples/currdat.lst" > "$scratch/out.txt" 2> "$scratch/err"
check "values prints readings and no diagnostics" "[ $? -eq 0 ] && [ ! -s '$scratch/err' ] && ! grep -q '<info>' '$scratch/out.txt'"
"$program" render --profiles "$examples/data.xml" --weather "$scratch/empty.lst" --image Banner \
    --out "$scratch/blank" > /dev/null 2> "$scratch/err"
check "render with an empty weather file exits 1, names the file and still writes the image" \
    "[ $? -eq 1 ] && grep -q 'empty.lst cannot be read' '$scratch/err' && [ -s '$scratch/blank/Banner.jpg' ]"

# Names that collide as file names, twice the same name, and a name too long for a file.
long=$(printf 'L%.0s' $(seq 1 300))
sed -e '0,/name="Station overview"/s//name="a\/b"/' -e '0,/name="Banner"/s//name="a_b"/' \
    "$examples/data.xml" > "$scratch/names.xml"
sed -e "s/name=\"Weather by e-mail\"/name=\"$long\"/" "$scratch/names.xml" > "$scratch/names2.xml"
/usr/bin/python3 - "$scratch/names2.xml" <<'PY'
import sys
path = sys.argv[1]
text = open(path, encoding="utf-8", errors="surrogateescape").read()
start = text.index("<profile ")
end = text.index("</profile>", start) + len("</profile>")
open(path, "w", encoding="utf-8", errors="surrogateescape").write(text[:end] + "\r\n\t" + text[start:end] + text[end:])
PY
"$program" render --profiles "$scratch/names2.xml" --weather "$examples/currdat.lst" \
    --out "$scratch/names" > /dev/null 2> "$scratch/err"
check "render gives every image a file of its own" \
    "[ $? -eq 0 ] && [ \$(ls '$scratch/names' | wc -l) -eq 4 ] && [ -s '$scratch/names/a_b.jpg' ] && [ -s '$scratch/names/a_b (2).jpg' ] && [ -s '$scratch/names/a_b (3).jpg' ]"
"$program" export --profiles "$scratch/names2.xml" --weather "$examples/currdat.lst" --image "a/b" \
    > /dev/null 2> "$scratch/err"
check "export of a name two images share exits 2" "[ $? -eq 2 ] && grep -q '2 images are named' '$scratch/err'"

"$program" render --profiles "$examples/webcam.xml" --weather "$examples/currdat.lst" --out "$scratch/webcam" > /dev/null 2>&1
check "the webcam example renders its test picture with the readings" "[ $? -eq 0 ] && [ -s '$scratch/webcam/Webcam.jpg' ]"
cp "$examples/../res/pictures/304.png" "$scratch/snap.png"
touch -d '3 hours ago' "$scratch/snap.png"
printf '<profiles><profile name="Cam"><drawing width="200" height="100"><background right="200" bottom="100"/><imagesimple imagefile="%s" live="1" left="0" top="0" right="100" bottom="100"/></drawing></profile></profiles>' \
    "$scratch/snap.png" > "$scratch/cam.xml"
"$program" render --profiles "$scratch/cam.xml" --weather "$examples/currdat.lst" --out "$scratch/cam" 2> "$scratch/err" > /dev/null
check "render of a frozen camera picture exits 1 and says how old it is" \
    "[ $? -eq 1 ] && grep -q 'The camera picture $scratch/snap.png is 3 hours old; the image was not published.' '$scratch/err'"
sed -i 's/live="1"/live="1" optional="1"/' "$scratch/cam.xml"
"$program" render --profiles "$scratch/cam.xml" --weather "$examples/currdat.lst" --out "$scratch/cam" 2> "$scratch/err" > /dev/null
check "an optional camera picture is left out" "[ $? -eq 0 ] && [ -s '$scratch/cam/Cam.jpg' ]"

"$program" render --profiles "$examples/data.xml" --image Nope --out "$scratch/out" 2> "$scratch/err" > /dev/null
check "an unknown image name fails" "[ $? -eq 1 ] && grep -q 'No image named \"Nope\"' '$scratch/err'"
"$program" render --profiles "$scratch/missing.xml" --out "$scratch/out" 2> "$scratch/err" > /dev/null
check "a missing list fails" "[ $? -eq 1 ] && grep -q 'The file could not be loaded' '$scratch/err'"
touch "$scratch/file"
"$program" render --profiles "$examples/data.xml" --out "$scratch/file/out" 2> "$scratch/err" > /dev/null
check "an unwritable folder fails" "[ $? -eq 1 ] && grep -q 'Cannot write into the output folder' '$scratch/err'"

mkdir -p "$scratch/list" "$scratch/config/Quillonsoft"
cp "$examples/logo.png" "$examples/currdat.lst" "$scratch/list/"
# The example's servers, pointed at a port of this machine where nothing listens.
sed -e 's/ftp\.example\.org/127.0.0.1:9/g; s/mail\.example\.org:587/127.0.0.1:9/g' \
    "$examples/data.xml" > "$scratch/list/data.xml"
printf '[General]\nWeatherFilePath=%s/list/currdat.lst\n' "$scratch" > "$scratch/config/Quillonsoft/Skyvane.conf"
"$program" export --profiles "$scratch/list/data.xml" --image Banner 2> "$scratch/err" > /dev/null
check "export reports a failed upload with exit 1" "[ $? -eq 1 ] && grep -q 'skyvane export: .*onnect' '$scratch/err'"
"$program" export --profiles "$scratch/list/data.xml" --image Nope 2> "$scratch/err" > /dev/null
check "export of an unknown image fails" "[ $? -eq 1 ] && grep -q 'No image named' '$scratch/err'"
"$program" export --profiles "$scratch/list/data.xml" --weather "$scratch/empty.lst" --image Banner 2> "$scratch/err" > /dev/null
check "export takes --weather and names a file without readings" \
    "[ $? -eq 1 ] && grep -q 'empty.lst cannot be read' '$scratch/err'"
"$program" export --profiles "$scratch/nothing.xml" --image Banner 2> "$scratch/err" > /dev/null
check "export names a missing list and how to give another" \
    "[ $? -eq 1 ] && grep -q 'nothing.xml).*--profiles FILE' '$scratch/err'"

"$program" --headless --profiles "$scratch/list/data.xml" > "$scratch/headless.log" 2>/dev/null &
pid=$!
for _ in $(seq 1 300); do
    grep -q 'Export of "Banner" failed' "$scratch/headless.log" 2>/dev/null &&
        grep -q 'Export of "Station overview" failed' "$scratch/headless.log" && break
    sleep 0.1
done
kill -TERM "$pid"
wait "$pid"
check "headless exits 0 on SIGTERM" "[ $? -eq 0 ]"
check "both active images were exported on their first tick" \
    "grep -q 'Export of \"Station overview\" started' '$scratch/headless.log' && grep -q 'Export of \"Banner\" started' '$scratch/headless.log'"
check "the result line carries the error text" \
    "grep -q 'Export of \"Banner\" failed: .*onnect' '$scratch/headless.log'"
check "the inactive image was not exported" "! grep -q 'Weather by e-mail\" started' '$scratch/headless.log'"
check "each export's line appears once" "[ \$(grep -c 'Export of \"Banner\" started' '$scratch/headless.log') -eq 1 ]"
check "a headless run registers nothing with the session" \
    "[ ! -e '$scratch/config/autostart' ] && ! grep -q StartAutomatically '$scratch/config/Quillonsoft/Skyvane.conf'"
check "shutdown saved the list with the times of the exports" \
    "grep -q 'Shutting down' '$scratch/headless.log' && grep -q 'laststarttime=\"[0-9]' '$scratch/list/data.xml'"

# Stale readings in a folder that another program writes every 100 ms: the warning once, and
# once the line that they are current again when fresh readings arrive.
mkdir -p "$scratch/busy"
sed -e 's/active="true"/active="false"/g' "$examples/data.xml" > "$scratch/busy/data.xml"
stamp() { sed -e "s/^last_actualisation = .*/last_actualisation = $1/" "$examples/currdat.lst"; }
stamp 3900000000 > "$scratch/busy/currdat.lst"
"$program" --headless --profiles "$scratch/busy/data.xml" --weather "$scratch/busy/currdat.lst" \
    > "$scratch/busy.log" 2>/dev/null &
pid=$!
busy() { for _ in $(seq 1 35); do date +%N > "$scratch/busy/other.txt"; sleep 0.1; done; }
busy
# The station program's time stamp for now.
stamp $(($(date +%s) + 2208988784)) > "$scratch/busy/currdat.lst"
busy
kill -TERM "$pid"
wait "$pid"
check "stale readings are warned about once" \
    "[ \$(grep -c 'The weather data is older than 1 day' '$scratch/busy.log') -eq 1 ]"
check "fresh readings are reported once as current again" \
    "[ \$(grep -c 'The weather data is current again' '$scratch/busy.log') -eq 1 ]"

# The desktop program ended by the session (SIGTERM) closes as the user would: the list is saved.
cp "$scratch/list/data.xml" "$scratch/list/desktop.xml"
touch -d '2020-01-01' "$scratch/list/desktop.xml"
mkdir -m 700 -p "$scratch/runtime"
printf '[General]\nWeatherFilePath=%s/list/currdat.lst\nOpenedFile=%s/list/desktop.xml\nStartAutomatically=0\n' \
    "$scratch" "$scratch" > "$scratch/config/Quillonsoft/Skyvane.conf"
QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$scratch/runtime "$program" > /dev/null 2>&1 &
pid=$!
sleep 2
kill -TERM "$pid"
wait "$pid"
check "the desktop program ends on SIGTERM with exit code 0" "[ $? -eq 0 ]"
check "and saves its list first" "[ '$scratch/list/desktop.xml' -nt '$scratch/list/data.xml' ]"

report
