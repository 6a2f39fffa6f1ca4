#!/usr/bin/env bash
# SIGTERM while an export waits on a server that answers each command 50 s late: the run ends
# within seconds, the export is logged as failed with its reason, and the list is saved after
# it, with its finish time. A list that cannot be saved at the end makes the run exit with 1.
set -u
program=$1
source_dir=$2
examples=$source_dir/examples
scratch=$(mktemp -d)
export XDG_CONFIG_HOME=$scratch/config XDG_DATA_HOME=$scratch/data TZ=UTC
source "$(dirname "$0")/check.sh"
cleanup() {
    exec 3>&- 2>/dev/null
    wait 2>/dev/null
    rm -rf "$scratch"
}
trap cleanup EXIT

mkdir -p "$scratch/ftp" "$scratch/list" "$scratch/config/Quillonsoft"
mkfifo "$scratch/ftp.in"
/usr/bin/python3 "$source_dir/tests/servers/ftp_server.py" "$scratch/ftp" 0 late=50 \
    < "$scratch/ftp.in" > "$scratch/ftp.port" &
exec 3> "$scratch/ftp.in"
for _ in $(seq 1 100); do
    [ -s "$scratch/ftp.port" ] && break
    sleep 0.1
done
ftp_port=$(head -n 1 "$scratch/ftp.port")

cp "$examples/logo.png" "$examples/currdat.lst" "$scratch/list/"
sed -e 's/active="false"/active="true"/' -e 's/intervall="[0-9]*"/intervall="1"/' \
    -e 's/firststartdatetime="[0-9]*"/firststartdatetime="1000000000"/' \
    -e 's/exporttype="[0-9]"/exporttype="0"/' \
    -e "s/servername=\"[^\"]*\"/servername=\"127.0.0.1:$ftp_port\"/" \
    -e 's/username="[^"]*"/username="station"/' -e 's/ password="[^"]*"/ password="secret"/' \
    -e 's/filename="[^"]*"/filename="image.jpg"/' \
    "$examples/data.xml" > "$scratch/list/data.xml"
printf '[General]\nWeatherFilePath=%s/list/currdat.lst\nStartAutomatically=0\n' "$scratch" \
    > "$scratch/config/Quillonsoft/Skyvane.conf"

# Runs the list until an export has started, then stops it; prints the milliseconds the stop took.
run_and_stop() {
    "$program" --headless --profiles "$1" > "$scratch/headless.log" 2>/dev/null &
    pid=$!
    for _ in $(seq 1 100); do
        grep -q 'started' "$scratch/headless.log" && break
        sleep 0.1
    done
    sleep 1
    # A folder where the list was: the final save cannot replace it.
    [ -n "${2:-}" ] && rm -f "$1" && mkdir -p "$1/in-the-way"
    started=$(date +%s%N)
    kill -TERM "$pid"
    wait "$pid"
    status=$?
    echo $((($(date +%s%N) - started) / 1000000))
    return $status
}

milliseconds=$(run_and_stop "$scratch/list/data.xml")
check "the run exits 0" "[ $? -eq 0 ]"
check "the stop took under 10 s ($milliseconds ms)" "[ $milliseconds -lt 10000 ]"
check "the log says why the export failed" \
    "grep -q 'failed: The export was stopped before it finished' '$scratch/headless.log'"
# The times the list holds for the image whose export was stopped.
name=$(sed -n 's/.*Export of "\(.*\)" started.*/\1/p' "$scratch/headless.log" | head -n 1)
times=$(/usr/bin/python3 - "$scratch/list/data.xml" "$name" <<'PY'
import sys
import xml.etree.ElementTree as tree
# Written in Windows-1252 without a declaration, as the Windows program writes it.
root = tree.fromstring(open(sys.argv[1], encoding="latin-1").read())
for profile in root.iter("profile"):
    if profile.get("name") == sys.argv[2]:
        print(profile.get("laststarttime"), profile.get("lastfinishtime"))
PY
)
start=${times% *}
finish=${times#* }
check "the saved list has the stopped export's start and finish ($name: $start, $finish)" \
    "[ -n '$start' ] && [ -n '$finish' ] && [[ ! '$finish' < '$start' ]]"

mkdir -p "$scratch/gone"
cp "$scratch/list/data.xml" "$scratch/gone/data.xml"
run_and_stop "$scratch/gone/data.xml" block > /dev/null
check "a list that cannot be saved at the end makes the run exit 1" "[ $? -eq 1 ]"

report
