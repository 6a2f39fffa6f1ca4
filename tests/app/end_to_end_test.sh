#!/usr/bin/env bash
# End to end: a headless run publishes three images by FTP with TLS (ftpes://) and one by
# e-mail over STARTTLS with a login to real local servers that require TLS, the uploaded files
# are byte for byte what "skyvane render" writes, and SIGTERM saves the list with the new times.
# The servers' certificate comes from a test authority handed over in SSL_CERT_FILE.
set -u
program=$1
source_dir=$2
examples=$source_dir/examples
scratch=$(mktemp -d)
export XDG_CONFIG_HOME=$scratch/config XDG_DATA_HOME=$scratch/data TZ=UTC
unset SKYVANE_DEBUG
source "$(dirname "$0")/check.sh"
cleanup() {
    exec 3>&- 4>&- 2>/dev/null
    wait 2>/dev/null
    rm -rf "$scratch"
}
trap cleanup EXIT

mkdir -p "$scratch/ftp/htdocs/weather" "$scratch/mail" "$scratch/list" "$scratch/config/Quillonsoft" "$scratch/tls"
tls=$scratch/tls
p256=(-newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes)
openssl req -x509 "${p256[@]}" -keyout "$tls/ca.key" -out "$tls/ca.pem" -days 2 -subj "/CN=Test Authority" 2>/dev/null
openssl req "${p256[@]}" -keyout "$tls/server.key" -out "$tls/server.csr" -subj /CN=localhost 2>/dev/null
echo "subjectAltName=IP:127.0.0.1" > "$tls/server.ext"
openssl x509 -req -in "$tls/server.csr" -CA "$tls/ca.pem" -CAkey "$tls/ca.key" -CAcreateserial \
    -out "$tls/server.pem" -days 2 -extfile "$tls/server.ext" 2>/dev/null
openssl req -x509 "${p256[@]}" -keyout "$tls/other.key" -out "$tls/other.pem" -days 2 -subj "/CN=Other" 2>/dev/null
export SSL_CERT_FILE=$tls/ca.pem
mkfifo "$scratch/ftp.in" "$scratch/smtp.in"
/usr/bin/python3 "$source_dir/tests/servers/ftp_server.py" "$scratch/ftp" 0 "cert=$tls/server.pem" "key=$tls/server.key" \
    < "$scratch/ftp.in" > "$scratch/ftp.port" &
exec 3> "$scratch/ftp.in"
/usr/bin/python3 "$source_dir/tests/servers/smtp_server.py" "$scratch/mail" --user station --password secret \
    --starttls "$tls/server.pem" "$tls/server.key" < "$scratch/smtp.in" > "$scratch/smtp.port" 2>/dev/null &
exec 4> "$scratch/smtp.in"
for _ in $(seq 1 100); do
    [ -s "$scratch/ftp.port" ] && [ -s "$scratch/smtp.port" ] && break
    sleep 0.1
done
ftp_port=$(head -n 1 "$scratch/ftp.port")
smtp_port=$(head -n 1 "$scratch/smtp.port")

cp "$examples/logo.png" "$examples/currdat.lst" "$scratch/list/"
/usr/bin/python3 - "$examples/data.xml" "$scratch/list/data.xml" "$ftp_port" "$smtp_port" <<'PY'
import copy, sys
import xml.etree.ElementTree as tree
source, target, ftp_port, smtp_port = sys.argv[1:]
document = tree.parse(source)
root = document.getroot()
profiles = root.findall("profile")
for index, profile in enumerate(profiles):
    profile.set("active", "true")
    profile.set("intervall", "1")
    profile.set("firststartdatetime", "1000000000")
    profile.set("exporttype", "0")
    profile.set("servername", "ftpes://127.0.0.1:" + ftp_port)
    profile.set("username", "station")
    profile.set("password", "secret")
    profile.set("filepath", "/htdocs/weather")
    profile.set("filename", ["overview.jpg", "banner.jpg", "small.png"][index])
mail = copy.deepcopy(profiles[1])
mail.set("name", "Banner by e-mail")
mail.set("exporttype", "1")
mail.set("smtpserver", "127.0.0.1:" + smtp_port)
mail.set("smtpusername", "station")
mail.set("smtppassword", "secret")
mail.set("recipients", "alice@example.org")
mail.set("sendername", "Garden Station")
mail.set("senderemail", "station@example.org")
root.append(mail)
document.write(target)
PY
printf '[General]\nWeatherFilePath=%s/list/currdat.lst\nStartAutomatically=0\n' "$scratch" \
    > "$scratch/config/Quillonsoft/Skyvane.conf"

"$program" --headless --profiles "$scratch/list/data.xml" > "$scratch/headless.log" \
    2> "$scratch/headless.err" &
pid=$!
for _ in $(seq 1 300); do
    [ "$(grep -c 'succeeded\|failed:' "$scratch/headless.log")" -ge 4 ] && break
    sleep 0.1
done
kill -TERM "$pid"
wait "$pid"
check "headless exits 0 on SIGTERM" "[ $? -eq 0 ]"
check "headless writes nothing to standard error (diagnostics only with SKYVANE_DEBUG=1)" \
    "[ ! -s '$scratch/headless.err' ]"
for name in "Station overview" "Banner" "Weather by e-mail" "Banner by e-mail"; do
    check "$name started and succeeded" \
        "grep -q 'Export of \"$name\" started' '$scratch/headless.log' && grep -q 'Export of \"$name\" succeeded' '$scratch/headless.log'"
done

"$program" render --profiles "$scratch/list/data.xml" --weather "$scratch/list/currdat.lst" \
    --out "$scratch/rendered" > /dev/null 2>&1
check "the overview on the server is what render writes" \
    "cmp -s '$scratch/ftp/htdocs/weather/overview.jpg' '$scratch/rendered/Station overview.jpg'"
check "the banner on the server is what render writes" \
    "cmp -s '$scratch/ftp/htdocs/weather/banner.jpg' '$scratch/rendered/Banner.jpg'"
check "the PNG on the server is what render writes" \
    "cmp -s '$scratch/ftp/htdocs/weather/small.png' '$scratch/rendered/Weather by e-mail.png'"
check "no temporary file is left on the server" "! ls '$scratch/ftp/htdocs/weather' | grep -q '^tmp_'"
check "the mail arrived" "grep -q 'alice@example.org' '$scratch/mail/1.json'"

rm "$scratch/ftp/htdocs/weather/banner.jpg"
"$program" export --image "Banner" --profiles "$scratch/list/data.xml" \
    --weather "$scratch/list/currdat.lst" > "$scratch/export.log" 2>&1
status=$?
check "export publishes over TLS too" \
    "[ $status -eq 0 ] && cmp -s '$scratch/ftp/htdocs/weather/banner.jpg' '$scratch/rendered/Banner.jpg'"
SSL_CERT_FILE=$tls/other.pem "$program" export --image "Banner" --profiles "$scratch/list/data.xml" \
    --weather "$scratch/list/currdat.lst" > "$scratch/untrusted.log" 2>&1
status=$?
check "an untrusted certificate fails the export and says so" \
    "[ $status -eq 1 ] && grep -q \"The server's certificate is not trusted\" '$scratch/untrusted.log'"
# The same image into a folder of this computer: twice, and only the image is left there.
mkdir -p "$scratch/www/weather"
sed -e "s|servername=\"ftpes://127.0.0.1:[0-9]*\"|servername=\"file://$scratch/www\"|" \
    -e 's|filepath="/htdocs/weather"|filepath="weather"|' -e 's|username="station"|username=""|' \
    "$scratch/list/data.xml" > "$scratch/list/folder.xml"
for _ in 1 2; do
    "$program" export --image "Banner" --profiles "$scratch/list/folder.xml" \
        --weather "$scratch/list/currdat.lst" > "$scratch/folder.log" 2>&1
    status=$?
done
check "export writes into a folder (file://) what render writes, and nothing else" \
    "[ $status -eq 0 ] && cmp -s '$scratch/www/weather/banner.jpg' '$scratch/rendered/Banner.jpg' && [ \$(ls -A '$scratch/www/weather' | wc -l) -eq 1 ]"
check "the saved list carries the times of the exports" \
    "[ \$(grep -c 'laststarttime=\"[0-9]' '$scratch/list/data.xml') -eq 4 ] && [ \$(grep -c 'lastfinishtime=\"[0-9]' '$scratch/list/data.xml') -eq 4 ]"

report
