#!/usr/bin/env bash
# The installed units, sandbox and all, under a service manager of the test's own: a headless
# run publishes by FTP (plain, ftpes://, ftps://) and e-mail (STARTTLS, smtps://), one image over
# a dial-up entry whose nmcli talks over a local socket as the real one talks D-Bus, saves its
# image list on SIGTERM and stops cleanly; the receiver takes a post and writes its file. The
# manager runs in a mount namespace of its own (with its own /home), so it needs root; exit code
# 77 (skipped, as ctest reports it) otherwise.
set -u
build=$1
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
if [ -z "${SKYVANE_SERVICE_NAMESPACE:-}" ]; then
    if [ "$(id -u)" -ne 0 ] || ! unshare -m true 2> /dev/null; then
        echo "skipped: a service manager of the test's own needs root and mount namespaces"
        exit 77
    fi
    SKYVANE_SERVICE_NAMESPACE=1 exec unshare -m --propagation private "$0" "$@"
fi
scratch=$(mktemp -d)
source "$source_dir/tests/app/check.sh"
cleanup() {
    [ -n "${manager:-}" ] && kill "$manager" 2> /dev/null
    exec 3>&- 4>&- 5>&- 6>&- 7>&- 8>&- 2> /dev/null
    wait 2> /dev/null
    rm -rf "$scratch"
}
trap cleanup EXIT

# Only in this namespace: what a booted system's first process leaves in /run/systemd (the
# marker a service manager looks for, the nodes that sandboxes mount over hidden paths), and
# homes of the test's own.
mount -t tmpfs tmpfs /run/systemd 2> /dev/null || mount -t tmpfs tmpfs /run
mkdir -p /run/systemd/system /run/systemd/inaccessible
(cd /run/systemd/inaccessible && touch reg && mkdir dir && mkfifo fifo && mknod chr c 0 0 &&
    mknod blk b 0 0 && /usr/bin/python3 -c 'import socket; socket.socket(socket.AF_UNIX).bind("sock")' &&
    chmod 000 reg dir fifo chr blk sock)
mount -t tmpfs tmpfs /home
export HOME=/home/station XDG_CONFIG_HOME=/home/station/.config XDG_RUNTIME_DIR=$scratch/runtime
unset XDG_DATA_HOME XDG_STATE_HOME SKYVANE_DEBUG
mkdir -p "$XDG_CONFIG_HOME/systemd/user" /home/bus && mkdir -m 700 "$XDG_RUNTIME_DIR"

prefix=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$build/CMakeCache.txt")
# Outside /tmp, which the services' private /tmp hides.
DESTDIR=/home/install cmake --install "$build" > /dev/null
root=/home/install$prefix
units=$XDG_CONFIG_HOME/systemd/user
sed "s|$prefix/bin/skyvane|$root/bin/skyvane|" "$root/lib/systemd/user/skyvane-headless.service" \
    > "$units/skyvane-headless.service"
# A user manager cannot switch accounts; the rest of the template, its sandbox and its state
# folder included, holds as it is.
sed -e "s|$prefix/bin/skyvane|$root/bin/skyvane|" -e '/^User=/d' \
    "$root/lib/systemd/system/skyvane-headless@.service" > "$units/skyvane-headless@.service"
sed "s|$prefix/bin/skyvane|$root/bin/skyvane|" "$root/lib/systemd/user/skyvane-receive.service" \
    > "$units/skyvane-receive.service"

tls=/home/bus
p256=(-newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes)
openssl req -x509 "${p256[@]}" -keyout "$tls/ca.key" -out "$tls/ca.pem" -days 2 -subj "/CN=Test Authority" 2> /dev/null
openssl req "${p256[@]}" -keyout "$tls/server.key" -out "$tls/server.csr" -subj /CN=localhost 2> /dev/null
echo "subjectAltName=IP:127.0.0.1" > "$tls/server.ext"
openssl x509 -req -in "$tls/server.csr" -CA "$tls/ca.pem" -CAkey "$tls/ca.key" -CAcreateserial \
    -out "$tls/server.pem" -days 2 -extfile "$tls/server.ext" 2> /dev/null
servers=$source_dir/tests/servers
start() {  # start FD NAME COMMAND...: a server that prints its port and stops when FD closes
    local fd=$1 name=$2
    shift 2
    mkfifo "$scratch/$name.in"
    "$@" < "$scratch/$name.in" > "$scratch/$name.port" 2> /dev/null &
    eval "exec $fd> '$scratch/$name.in'"
}
mkdir -p "$scratch/ftp/htdocs" "$scratch/mail/starttls" "$scratch/mail/smtps"
start 3 plain /usr/bin/python3 "$servers/ftp_server.py" "$scratch/ftp" 0
start 4 explicit /usr/bin/python3 "$servers/ftp_server.py" "$scratch/ftp" 0 "cert=$tls/server.pem" "key=$tls/server.key"
start 5 implicit /usr/bin/python3 "$servers/ftp_server.py" "$scratch/ftp" 0 "cert=$tls/server.pem" "key=$tls/server.key" implicit
start 6 starttls /usr/bin/python3 "$servers/smtp_server.py" "$scratch/mail/starttls" --user station --password secret \
    --starttls "$tls/server.pem" "$tls/server.key"
start 7 smtps /usr/bin/python3 "$servers/smtp_server.py" "$scratch/mail/smtps" --user station --password secret \
    --tls "$tls/server.pem" "$tls/server.key"
echo '{"profiles": {"Modem": "ttyUSB0"}, "active": {}}' > "$scratch/nmcli.json"
# The services' nmcli, outside the /tmp their private /tmp hides, wherever the checkout lies.
cp -r "$servers/nmcli_relay" /home/bus/relay
FAKE_NMCLI_STATE=$scratch/nmcli.json start 8 bus /usr/bin/python3 "$servers/nmcli_relay/nmcli" --serve /home/bus/nmcli
for _ in $(seq 1 100); do
    ready=1
    for name in plain explicit implicit starttls smtps bus; do
        [ -s "$scratch/$name.port" ] || ready=0
    done
    [ $ready -eq 1 ] && break
    sleep 0.1
done
port() { head -n 1 "$scratch/$1.port"; }

# What the services read: the example list, one image per way of publishing, and a weather file
# in the home (read-only to them).
cp "$source_dir/examples/currdat.lst" /home/station/
write_list() {  # write_list HOME: its settings and the image list in its data folder
    local home=$1 folder=$1/.local/share/Quillonsoft/Skyvane
    mkdir -p "$home/.config/Quillonsoft" "$folder/SKV/data"
    printf '[General]\nWeatherFilePath=/home/station/currdat.lst\nStartAutomatically=0\n' \
        > "$home/.config/Quillonsoft/Skyvane.conf"
    /usr/bin/python3 - "$source_dir/examples/data.xml" "$folder/SKV/data/data.xml" \
        "$(port plain)" "$(port explicit)" "$(port implicit)" "$(port starttls)" "$(port smtps)" <<'PY'
import copy, sys
import xml.etree.ElementTree as tree
source, target, plain, explicit, implicit, starttls, smtps = sys.argv[1:]
document = tree.parse(source)
root = document.getroot()
banner = root.findall("profile")[1]
for profile in root.findall("profile"):
    root.remove(profile)
ways = [("plain", "127.0.0.1:" + plain, ""), ("explicit", "ftpes://127.0.0.1:" + explicit, ""),
        ("implicit", "ftps://127.0.0.1:" + implicit, ""), ("dialup", "127.0.0.1:" + plain, "Modem"),
        ("starttls", "127.0.0.1:" + starttls, ""), ("smtps", "smtps://127.0.0.1:" + smtps, "")]
for name, server, entry in ways:
    image = copy.deepcopy(banner)
    mail = name in ("starttls", "smtps")
    image.attrib.update(name=name, active="true", intervall="1", firststartdatetime="1000000000",
                        exporttype="1" if mail else "0", connectiontype="1" if entry else "0",
                        connectionname=entry, username="station", password="secret",
                        filepath="/htdocs", filename=name + ".jpg")
    if mail:
        image.attrib.update(smtpserver=server, smtpusername="station", smtppassword="secret",
                            recipients=name + "@example.org", sendername="Garden Station",
                            senderemail="station@example.org")
    else:
        image.set("servername", server)
    root.append(image)
document.write(target)
PY
}

SYSTEMD_LOG_TARGET=console /lib/systemd/systemd --user > "$scratch/manager.log" 2>&1 &
manager=$!
for _ in $(seq 1 100); do
    systemctl --user is-system-running > /dev/null 2>&1 && break
    sleep 0.1
done
check "a service manager of our own runs" "systemctl --user is-system-running > /dev/null 2>&1"

run_unit() {  # run_unit UNIT HOME: starts it, waits for six results, stops it and checks
    local unit=$1 home=$2 log=$scratch/$1.log
    mkdir -p "$units/$unit.d"
    printf '[Service]\nEnvironment=PATH=%s:/usr/bin:/bin SSL_CERT_FILE=%s NMCLI_RELAY_SOCKET=%s\nStandardOutput=file:%s\nStandardError=inherit\n' \
        /home/bus/relay "$tls/ca.pem" /home/bus/nmcli "$log" > "$units/$unit.d/test.conf"
    systemctl --user daemon-reload
    rm -f "$scratch"/ftp/htdocs/*
    systemctl --user start "$unit" || systemctl --user status "$unit" --no-pager -l | tail -n 5
    for _ in $(seq 1 300); do
        [ "$(grep -c 'succeeded\|failed:' "$log" 2> /dev/null)" -ge 6 ] && break
        sleep 0.1
    done
    systemctl --user stop "$unit"
    cat "$log"
    for name in plain explicit implicit dialup starttls smtps; do
        check "$unit: $name is published" "grep -q 'Export of \"$name\" succeeded' '$log'"
    done
    check "$unit: its uploads arrived" \
        "[ -s '$scratch/ftp/htdocs/plain.jpg' ] && [ -s '$scratch/ftp/htdocs/implicit.jpg' ] && [ -s '$scratch/ftp/htdocs/dialup.jpg' ]"
    check "$unit: it stops cleanly on SIGTERM, its list saved" \
        "[ \"\$(systemctl --user show -P Result '$unit')\" = success ] && [ \$(grep -c 'laststarttime=\"[0-9]' '$home/.local/share/Quillonsoft/Skyvane/SKV/data/data.xml') -eq 6 ]"
}

write_list /home/station
# The receiver's settings, where its unit reads them.
receive_port=$(/usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
printf 'SKYVANE_LISTEN=127.0.0.1:%s\nSKYVANE_KEY=--key A1B2C3\n' "$receive_port" > "$XDG_CONFIG_HOME/skyvane-receive.conf"
touch "$scratch/started"
run_unit skyvane-headless.service /home/station
# The template's home is its state folder, which only the manager creates: its settings and list
# go there once it exists.
state=$(systemctl --user show -P Environment skyvane-headless@station.service | sed -n 's/^HOME=//p')
check "the template's home is its state folder" "[ -n '$state' ] && [ \"\$(systemctl --user show -P StateDirectory skyvane-headless@station.service)\" = skyvane/station ]"
mkdir -p "$state" && write_list "$state"
run_unit skyvane-headless@station.service "$state"
check "the dial-up entry was brought up and hung up again, over the socket" \
    "grep -q '\"connection up Modem\"' '$scratch/nmcli.json' && grep -q '\"connection down Modem\"' '$scratch/nmcli.json'"
check "the mail arrived over STARTTLS and over TLS, from both" \
    "[ \$(ls '$scratch/mail/starttls' | wc -l) -eq 2 ] && [ \$(ls '$scratch/mail/smtps' | wc -l) -eq 2 ]"
# The receiver in its sandbox: it listens, takes a post and writes the default weather file.
mkdir -p "$units/skyvane-receive.service.d"
printf '[Service]\nStandardOutput=file:%s\nStandardError=inherit\n' "$scratch/receive.log" \
    > "$units/skyvane-receive.service.d/test.conf"
systemctl --user daemon-reload
systemctl --user start skyvane-receive.service
for _ in $(seq 1 100); do
    grep -q 'Receiving' "$scratch/receive.log" 2> /dev/null && break
    sleep 0.1
done
received=/home/station/.local/share/Quillonsoft/Skyvane/currdat.lst
check "skyvane-receive.service: a post is taken" \
    "[ \"\$(curl -s -o /dev/null -w '%{http_code}' -d 'PASSKEY=A1B2C3&tempf=50.0&baromrelin=29.92' http://127.0.0.1:$receive_port/data/report/)\" = 200 ]"
check "skyvane-receive.service: it wrote the default weather file" \
    "'$root/bin/skyvane' values --weather '$received' | grep -q '^Temperature Outdoor \[°C\]: 10.0 °C' && [ -s '$received.pressures' ]"
systemctl --user stop skyvane-receive.service
cat "$scratch/receive.log"
check "skyvane-receive.service: it stops cleanly on SIGTERM" \
    "[ \"\$(systemctl --user show -P Result skyvane-receive.service)\" = success ]"
check "the services wrote nothing outside their folders" \
    "[ -z \"\$(find /home/station -newer '$scratch/started' -type f ! -path '*/.local/share/Quillonsoft/*' ! -path \"$state/*\" ! -path '*/.ssh/*' ! -path '*/.config/systemd/*')\" ]"

[ "$failures" -eq 0 ] || grep -v "^ *$" "$scratch/manager.log" | tail -n 20
report
