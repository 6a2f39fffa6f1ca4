#!/usr/bin/env bash
# The installed tree: every file in its place, the desktop entry, the metainfo and the services
# valid, and the installed program running from it without writing anything beside itself.
set -u
build=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
source "$(dirname "$0")/../app/check.sh"

# Installed under the prefix the build was configured for, which the service units name.
prefix=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$build/CMakeCache.txt")
DESTDIR=$scratch/root cmake --install "$build" > /dev/null
root=$scratch/root$prefix
for file in bin/skyvane share/applications/skyvane.desktop \
    share/metainfo/com.quillonsoft.Skyvane.metainfo.xml share/icons/hicolor/scalable/apps/skyvane.svg \
    share/icons/hicolor/16x16/apps/skyvane.png share/icons/hicolor/256x256/apps/skyvane.png \
    share/man/man1/skyvane.1.gz share/doc/skyvane/copyright share/doc/skyvane/changelog.gz \
    share/doc/skyvane/examples/currdat.lst share/doc/skyvane/examples/data.xml \
    share/doc/skyvane/examples/logo.png share/doc/skyvane/examples/webcam.xml \
    share/skyvane/help/en/index.html share/skyvane/help/de/index.html share/skyvane/help/fr/index.html \
    share/skyvane/help/en/sources.html share/skyvane/help/de/sources.html share/skyvane/help/fr/sources.html \
    share/skyvane/help/screenshots/en/main-window.png \
    lib/systemd/user/skyvane-headless.service lib/systemd/system/skyvane-headless@.service \
    lib/systemd/user/skyvane-receive.service; do
    check "installed: $file" "[ -s '$root/$file' ]"
done
check "the desktop entry is valid" "desktop-file-validate '$root/share/applications/skyvane.desktop' > /dev/null"
# With the network checks: every address it names must answer.
check "the metainfo is valid" \
    "appstreamcli validate '$root/share/metainfo/com.quillonsoft.Skyvane.metainfo.xml' > /dev/null"
check "the services start the installed program" \
    "grep -q '^ExecStart=$prefix/bin/skyvane --headless' '$root/lib/systemd/user/skyvane-headless.service' &&
     grep -q '^ExecStart=$prefix/bin/skyvane receive ' '$root/lib/systemd/user/skyvane-receive.service'"
# Checked with the program where this tree has it; a tool that is missing fails the check, for
# the bootstrap installs every one.
sed "s|$prefix/bin/skyvane|$root/bin/skyvane|" "$root/lib/systemd/user/skyvane-headless.service" \
    > "$scratch/skyvane-headless.service"
sed "s|$prefix/bin/skyvane|$root/bin/skyvane|" "$root/lib/systemd/system/skyvane-headless@.service" \
    > "$scratch/skyvane-headless@station.service"
sed "s|$prefix/bin/skyvane|$root/bin/skyvane|" "$root/lib/systemd/user/skyvane-receive.service" \
    > "$scratch/skyvane-receive.service"
export XDG_RUNTIME_DIR=$scratch/runtime
mkdir -m 700 "$scratch/runtime"
check "the user unit verifies" "systemd-analyze verify --man=no --user '$scratch/skyvane-headless.service'"
check "the receiver's user unit verifies" \
    "systemd-analyze verify --man=no --user '$scratch/skyvane-receive.service'"
check "the system unit template verifies" \
    "systemd-analyze verify --man=no '$scratch/skyvane-headless@station.service'"
# systemd rates 4.9 and below "OK": the services give up what they do not need.
exposure() {
    systemd-analyze security --offline=true "$@" 2>&1 | sed -n 's/^.*Overall exposure level for .*: \([0-9.]*\) .*$/\1/p'
}
user_exposure=$(exposure --user "$scratch/skyvane-headless.service")
system_exposure=$(exposure "$scratch/skyvane-headless@station.service")
receive_exposure=$(exposure --user "$scratch/skyvane-receive.service")
echo "exposure: user unit ${user_exposure:-unknown}, system unit ${system_exposure:-unknown}," \
    "receiver ${receive_exposure:-unknown}"
check "the user unit is sandboxed (exposure 4.9 or less)" \
    "[ -n '$user_exposure' ] && awk 'BEGIN { exit !($user_exposure <= 4.9) }'"
check "the system unit is sandboxed (exposure 4.9 or less)" \
    "[ -n '$system_exposure' ] && awk 'BEGIN { exit !($system_exposure <= 4.9) }'"
check "the receiver's unit is sandboxed (exposure 4.9 or less)" \
    "[ -n '$receive_exposure' ] && awk 'BEGIN { exit !($receive_exposure <= 4.9) }'"

export XDG_CONFIG_HOME=$scratch/config XDG_DATA_HOME=$scratch/data
check "the installed program runs" "'$root/bin/skyvane' --version | grep -q '^skyvane '"
examples=$root/share/doc/skyvane/examples
"$root/bin/skyvane" render --profiles "$examples/data.xml" --weather "$examples/currdat.lst" \
    --out "$scratch/out" > /dev/null 2>&1
check "the installed program renders the installed examples" "[ -s '$scratch/out/Station overview.jpg' ]"
"$root/bin/skyvane" values --weather "$scratch/none.lst" > /dev/null 2>&1
check "nothing is written beside the installed program" "[ \"\$(ls '$root/bin')\" = skyvane ]"
check "its data folder is the user's" "[ -d '$scratch/data/Quillonsoft/Skyvane' ]"

report
