#!/usr/bin/env bash
# Signs Windows programs and installers in place with Authenticode (osslsigncode, SHA-256):
#
#   bash scripts/sign.sh FILE...
#
# with the agency's own code-signing certificate, named by the environment:
#   VANTREL_SIGN_PKCS12     a PKCS#12 file (.pfx, .p12) holding the certificate and its key, or
#   VANTREL_SIGN_CERT       the certificate (with its chain) and
#   VANTREL_SIGN_KEY        its private key, both PEM or DER;
#   VANTREL_SIGN_PASSWORD   the password of the PKCS#12 file or of the key, when it has one;
#   VANTREL_SIGN_TIMESTAMP  the address of an RFC 3161 time-stamp server (optional), so that
#                           the signatures stay valid after the certificate expires.
# Without a certificate the files are left as they are and the log says so: a build on a
# machine without the agency's certificate still works.
#
# The password reaches osslsigncode through a pipe it reads (-readpass), never on a command
# line that ps or a log could show; nothing here echoes the commands it runs.
set -euo pipefail

if [ $# -eq 0 ]; then
    echo "usage: $0 FILE..." >&2
    exit 2
fi

if [ -z "${VANTREL_SIGN_PKCS12:-}${VANTREL_SIGN_CERT:-}${VANTREL_SIGN_KEY:-}" ]; then
    echo "UNSIGNED: no code-signing certificate given (VANTREL_SIGN_PKCS12, or VANTREL_SIGN_CERT and" \
         "VANTREL_SIGN_KEY; see README.md, \"Deploying to many PCs\"): $*"
    exit 0
fi

if [ -n "${VANTREL_SIGN_PKCS12:-}" ]; then
    credentials=(-pkcs12 "$VANTREL_SIGN_PKCS12")
elif [ -n "${VANTREL_SIGN_CERT:-}" ] && [ -n "${VANTREL_SIGN_KEY:-}" ]; then
    credentials=(-certs "$VANTREL_SIGN_CERT" -key "$VANTREL_SIGN_KEY")
else
    echo "$0: VANTREL_SIGN_CERT and VANTREL_SIGN_KEY go together: the certificate and its private key" >&2
    exit 2
fi
timestamp=()
[ -z "${VANTREL_SIGN_TIMESTAMP:-}" ] || timestamp=(-ts "$VANTREL_SIGN_TIMESTAMP")

# osslsigncode replaces a signature already there (an unchanged build signed again), so a
# file never carries two.
signed=""
trap 'rm -f "$signed"' EXIT
for file in "$@"; do
    signed="$file.signed"
    rm -f "$signed"
    if [ -n "${VANTREL_SIGN_PASSWORD:-}" ]; then
        osslsigncode sign "${credentials[@]}" -readpass /dev/fd/3 -h sha256 -n Vantrel "${timestamp[@]}" \
            -in "$file" -out "$signed" 3< <(printf '%s' "$VANTREL_SIGN_PASSWORD") >/dev/null
    else
        osslsigncode sign "${credentials[@]}" -h sha256 -n Vantrel "${timestamp[@]}" -in "$file" -out "$signed" \
            >/dev/null
    fi
    chmod --reference="$file" "$signed"
    mv "$signed" "$file"
    echo "Signed $file"
done
