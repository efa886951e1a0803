#!/usr/bin/env bash
# Signs the virtual board's driver with a test certificate, for a Windows
# test machine in test-signing mode (untested there: see README.md), and
# writes beside it everything the README's steps on that machine use:
#   pellam_vboard.sys        the driver, signed
#   pellam-vboard-test.cer   the certificate, for the machine's certificate stores
#   pellam-vboard-test.pfx   the certificate with its private key (no password),
#                            for signtool to sign the catalog made there
# The key pair is made once and kept in $PELLAM_SIGNING_KEYS (default
# .rig/test-signing/). It is a test key: never sign anything else with it.
# Usage (after a Windows build): tools/vboard/sign-test.sh [DRIVER_FOLDER]
#   (default dist/vboard; the folder holds pellam_vboard.sys and its INF)
set -euo pipefail
cd "$(dirname "$0")/../.."
for tool in osslsigncode openssl; do
  command -v "$tool" >/dev/null || { echo "needs $tool: apt-get install $tool"; exit 1; }
done
folder=${1:-dist/vboard}
keys=${PELLAM_SIGNING_KEYS:-.rig/test-signing}
driver="$folder/pellam_vboard.sys"
[ -f "$driver" ] || { echo "no $driver: build the Windows build first"; exit 1; }
mkdir -p "$keys"
if [ ! -f "$keys/test.crt" ] || [ ! -f "$keys/test.key" ]; then
  openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -subj "/CN=Pellam virtual board test signing" \
    -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" \
    -keyout "$keys/test.key" -out "$keys/test.crt" 2>/dev/null
fi
# A driver signed before (a second run) is signed afresh, not twice.
osslsigncode remove-signature -in "$driver" -out "$driver.unsigned" >/dev/null 2>&1 &&
  mv "$driver.unsigned" "$driver" || rm -f "$driver.unsigned"
osslsigncode sign -certs "$keys/test.crt" -key "$keys/test.key" -h sha256 \
  -n "Pellam virtual relay board" -in "$driver" -out "$driver.signed" >/dev/null
mv "$driver.signed" "$driver"
openssl x509 -in "$keys/test.crt" -outform der -out "$folder/pellam-vboard-test.cer"
# SHA-1 and 3DES protect the key file: every Windows version imports that form.
openssl pkcs12 -export -inkey "$keys/test.key" -in "$keys/test.crt" -passout pass: \
  -keypbe PBE-SHA1-3DES -certpbe PBE-SHA1-3DES -macalg sha1 -out "$folder/pellam-vboard-test.pfx"
osslsigncode verify -CAfile "$keys/test.crt" -in "$driver" | grep -E "^Signature verification"
