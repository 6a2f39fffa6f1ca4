#!/usr/bin/env bash
# The Debian package: its files, its control fields with the computed dependencies, and
# lintian without errors or missing hardening.
set -u
build=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
source "$(dirname "$0")/../app/check.sh"

(cd "$build" && cpack -B "$scratch" > "$scratch/cpack.log" 2>&1)
deb=$(ls "$scratch"/skyvane_*.deb 2>/dev/null | head -n 1)
check "cpack builds the package" "[ -s '$deb' ]"
dpkg-deb -c "$deb" > "$scratch/contents"
for file in ./usr/bin/skyvane ./usr/share/applications/skyvane.desktop \
    ./usr/share/metainfo/com.quillonsoft.Skyvane.metainfo.xml ./usr/share/man/man1/skyvane.1.gz \
    ./usr/share/icons/hicolor/48x48/apps/skyvane.png ./usr/share/skyvane/help/en/index.html \
    ./usr/share/skyvane/help/en/sources.html \
    ./usr/lib/systemd/user/skyvane-headless.service ./usr/lib/systemd/system/skyvane-headless@.service \
    ./usr/lib/systemd/user/skyvane-receive.service \
    ./usr/share/doc/skyvane/copyright ./usr/share/doc/skyvane/examples/currdat.lst \
    ./usr/share/doc/skyvane/examples/data.xml ./usr/share/doc/skyvane/examples/logo.png; do
    check "packaged: $file" "grep -q ' $file\$' '$scratch/contents'"
done
check "nothing of the build or the tests" "! grep -E 'test_|bench_|/build/|\\.a\$|CMake' '$scratch/contents'"
check "package name and section" \
    "[ \"\$(dpkg-deb -f '$deb' Package)\" = skyvane ] && [ \"\$(dpkg-deb -f '$deb' Section)\" = utils ]"
check "the dependencies are computed from the program" \
    "dpkg-deb -f '$deb' Depends | grep -q 'libqt6widgets6' && dpkg-deb -f '$deb' Depends | grep -q 'libcurl4'"
# Pedantic, with the informational tags, where the missing hardening shows.
lintian --pedantic --display-info "$deb" > "$scratch/lintian" 2>&1
cat "$scratch/lintian"
check "lintian finds no error" "! grep -q '^E:' '$scratch/lintian'"
check "lintian finds the distribution's hardening (no hardening tag)" "! grep -q ' hardening-' '$scratch/lintian'"

report
