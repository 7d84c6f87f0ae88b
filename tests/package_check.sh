#!/bin/bash
# The package check refuses what cannot serve as an embedded package, with a
# message that names the problem. Usage: package_check.sh <CheckPackage.cmake> <good.msi>
set -uo pipefail
check="$1" good="$2"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
failures=0

expect() { # expect <description> <expected message or "ok"> <package>
    local out rc
    out="$(cmake -DPACKAGE="$3" -P "$check" 2>&1)"
    rc=$?
    if [ "$2" = ok ]; then
        [ $rc -eq 0 ] && return
    elif [ $rc -ne 0 ] && grep -qF "$2" <<<"$out"; then
        return
    fi
    echo "FAIL: $1 (exit $rc): $out"
    failures=$((failures + 1))
}

cp "$good" "$scratch/no-version.msi"
msibuild "$scratch/no-version.msi" -q "DELETE FROM \`Property\` WHERE \`Property\` = 'ProductVersion'"
echo "not a database" > "$scratch/text.msi"

expect "a sample package" ok "$good"
expect "a missing file" "Package file not found" "$scratch/missing.msi"
expect "a text file" "Not a Windows Installer database" "$scratch/text.msi"
expect "no ProductVersion" "has no ProductVersion" "$scratch/no-version.msi"
[ $failures -eq 0 ] && echo "package check: all cases behave"
exit $failures
