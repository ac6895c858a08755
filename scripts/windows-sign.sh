#!/bin/sh
# Signs a Windows program in place with Authenticode (osslsigncode), with the
# certificate and key of the PKCS#12 file WINDOWS_SIGN_PKCS12, whose password
# is in WINDOWS_SIGN_PASSWORD_FILE, and, when WINDOWS_SIGN_TIMESTAMP_URL
# names an RFC 3161 time-stamping server, a time stamp from it, which keeps
# the signature valid after the certificate expires.
#
#   scripts/windows-sign.sh FILE
set -eu
# shellcheck source=lib/common.sh
. "$(dirname "$0")/lib/common.sh"

if [ $# -ne 1 ] || [ -z "$1" ]; then usage FILE; fi
: "${WINDOWS_SIGN_PKCS12:?names no certificate to sign with}"
: "${WINDOWS_SIGN_PASSWORD_FILE:?names no file with the certificate password}"
[ -r "$WINDOWS_SIGN_PKCS12" ] || fail "cannot read the certificate $WINDOWS_SIGN_PKCS12"
[ -r "$WINDOWS_SIGN_PASSWORD_FILE" ] || fail "cannot read the password file $WINDOWS_SIGN_PASSWORD_FILE"

signed=$1.signed
rm -f "$signed"
osslsigncode sign -pkcs12 "$WINDOWS_SIGN_PKCS12" -readpass "$WINDOWS_SIGN_PASSWORD_FILE" \
    -h sha256 -n Tervalo ${WINDOWS_SIGN_TIMESTAMP_URL:+-ts "$WINDOWS_SIGN_TIMESTAMP_URL"} \
    -in "$1" -out "$signed" >/dev/null || fail "osslsigncode could not sign $1"
mv "$signed" "$1"
step "signed $1"
