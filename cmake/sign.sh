#!/bin/bash
# Signs the setup in place with Authenticode, SHA-256; run by the build after the link.
#   sign.sh <osslsigncode> <exe> <pkcs12 file> [time-stamp server URL]
# The password comes from TOLVANE_SIGN_PASSWORD and reaches osslsigncode through a
# pipe, never on a command line. When signing fails the unsigned file is removed:
# the next build links and signs again instead of leaving an unsigned release.
set -euo pipefail
osslsigncode="$1" exe="$2" pkcs12="$3" url="${4:-}"

if [ -z "${TOLVANE_SIGN_PASSWORD+set}" ]; then
    echo "sign: set TOLVANE_SIGN_PASSWORD to the password of $pkcs12" >&2
    rm -f "$exe"
    exit 1
fi
args=(sign -pkcs12 "$pkcs12" -h sha256 -n "Quorvel Outlook Tolvane Setup")
if [ -n "$url" ]; then
    args+=(-ts "$url")
fi
signed="$exe.signed"
rm -f "$signed"
if ! "$osslsigncode" "${args[@]}" -readpass <(printf '%s' "$TOLVANE_SIGN_PASSWORD") \
    -in "$exe" -out "$signed"; then
    echo "sign: signing $exe failed" >&2
    rm -f "$exe" "$signed"
    exit 1
fi
mv -f "$signed" "$exe"
