#!/usr/bin/env bash
# skyvane receive on 127.0.0.1, driven by curl as a console posts: both protocols give a weather
# file that values reads; a wrong key, garbage and a body too large change nothing; a stalled
# client is cut off without holding up the next post; a restart keeps the pressures.
set -u
umask 022
program=$1
scratch=$(mktemp -d)
export XDG_CONFIG_HOME=$scratch/config XDG_DATA_HOME=$scratch/data TZ=UTC
source "$(dirname "$0")/check.sh"
pid=
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$scratch"
}
trap cleanup EXIT

out=$scratch/station/currdat.lst
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
base=http://127.0.0.1:$port
ecowitt=$base/data/report/
wunderground=$base/weatherstation/updateweatherstation.php

runs=0
start() {
    "$program" receive --listen "127.0.0.1:$port" --out "$out" --key A1B2C3 >> "$scratch/receive.log" 2>&1 &
    pid=$!
    runs=$((runs + 1))
    for _ in $(seq 1 100); do
        [ "$(grep -c 'Receiving station posts' "$scratch/receive.log")" -eq $runs ] && return
        sleep 0.1
    done
}
# The HTTP status of a request.
status() {
    curl -s -o /dev/null -w '%{http_code}' --max-time 10 "$@"
}
# What values reads from the file.
values() {
    "$program" values --weather "$out" 2>&1
}
same() {
    cmp -s "$out" "$scratch/before.lst"
}

mkdir -p "$scratch/station"
start
form='PASSKEY=A1B2C3&stationtype=EasyWeatherPro_V5.1.1&dateutc=2026-12-07+16%3A03%3A45'
form+='&tempinf=68.0&humidityin=45&baromrelin=29.92&baromabsin=29.50&tempf=50.0&humidity=87'
form+='&winddir=225&windspeedmph=10.0&windgustmph=14.0&hourlyrainin=0.12&dailyrainin=0.50'
form+='&yearlyrainin=20.00&totalrainin=40.00'
check "an Ecowitt post is taken" "[ \"\$(status -d '$form' '$ecowitt')\" = 200 ]"
read_back=$(values)
check "values reads the Ecowitt readings" \
    "grep -q '^Temperature Outdoor \[°C\]: 10.0 °C' <<< \"\$read_back\" &&
     grep -q '^Pressure Relative \[hpa\]: 1013.2 hpa' <<< \"\$read_back\" &&
     grep -q '^Rain Total \[mm\]: 1016.0 mm' <<< \"\$read_back\" &&
     grep -q 'readings of 07.12.2026 16:03:45' <<< \"\$read_back\""

check "the file is readable by all, as the umask allows" "[ \"\$(stat -c %a '$out')\" = 644 ]"
cp "$out" "$scratch/before.lst"
check "a wrong key is refused" "[ \"\$(status -d '${form/A1B2C3/A1B2C4}' '$ecowitt')\" = 403 ] && same"
check "garbage is refused" \
    "[ \"\$(status --data-binary \$'\\x01\\xff&&==%zz' '$ecowitt?PASSKEY=A1B2C3')\" = 400 ] && same"
check "a post without readings is refused" \
    "[ \"\$(status '$wunderground?ID=X&PASSWORD=A1B2C3&dateutc=now')\" = 400 ] && same"
head -c 102400 /dev/zero | tr '\0' a > "$scratch/large"
check "a body of 100 KiB is refused" \
    "[ \"\$(status --data-binary @'$scratch/large' '$ecowitt')\" = 413 ] && same"
check "another path is not found" "[ \"\$(status -d '$form' '$base/other')\" = 404 ] && same"

# Half a request, then nothing: the receiver goes on serving and cuts the client off.
python3 - "$port" > "$scratch/stalled" <<'PYTHON' &
import socket, sys, time
s = socket.create_connection(("127.0.0.1", int(sys.argv[1])))
s.sendall(b"POST /data/report/ HTTP/1.1\r\nHost: console\r\nContent-Length: 400\r\n\r\nPASSKEY=")
s.settimeout(15)
started = time.monotonic()
try:
    cut = s.recv(100) == b""
except OSError:
    cut = True
print("cut after %.0f s" % (time.monotonic() - started) if cut else "answered")
PYTHON
stalled=$!
sleep 0.5
query='ID=IWEATHER1&PASSWORD=A1B2C3&dateutc=2026-12-07+16%3A33%3A45&tempf=41.0&dewptf=35.6'
query+='&windchillf=39.2&baromin=29.90&winddir=90&windspeedmph=0&rainin=0.04&dailyrainin=0.2'
query+='&indoortempf=71.6&indoorhumidity=40'
check "a Wunderground post is taken while a client stalls" \
    "[ \"\$(status --max-time 3 '$wunderground?$query')\" = 200 ]"
wait "$stalled"
check "the stalled client was cut off" \
    "grep -q '^cut after [4-9] s' '$scratch/stalled' && grep -q 'Cut off a client' '$scratch/receive.log'"
read_back=$(values)
check "values reads the Wunderground readings, a missing one missing" \
    "grep -q '^Temperature Outdoor \[°C\]: 5.0 °C' <<< \"\$read_back\" &&
     grep -q '^Windchill Factor \[°C\]: 4.0 °C' <<< \"\$read_back\" &&
     grep -q '^Humitdity Outdoor \[%\]:  %\$' <<< \"\$read_back\" &&
     grep -q '^Rain Total \[mm\]:  mm\$' <<< \"\$read_back\""

kill -TERM "$pid"
wait "$pid"
check "SIGTERM ends it cleanly" "[ $? -eq 0 ] && grep -q 'Stopped receiving' '$scratch/receive.log'"
check "each refused post has its line" "[ \$(grep -c 'Refused' '$scratch/receive.log') -eq 5 ]"
# After the restart, 7 hPa less than an hour before sounds the storm alarm.
start
check "after a restart a post is taken" \
    "[ \"\$(status -d '${form/16%3A03/17%3A03}&baromrelin=29.71' '$ecowitt')\" = 200 ]"
check "the pressures from before the restart give the storm alarm" \
    "values | grep -q '^Storm Warning Text: 1 '"

report
