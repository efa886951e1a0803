#!/usr/bin/env bash
# Signs the virtual board's driver with a test certificate, for a Windows
# test machine in test-signing mode (untested there: see README.md). The
# certificate is made once and kept in .rig/test-signing/; its public part
# goes beside the driver as dist/vboard/pellam-vboard-test.cer.
# Usage (after a Windows build): tools/vboard/sign-test.sh
set -euo pipefail
cd "$(dirname "$0")/../.."
command -v osslsigncode >/dev/null || { echo "needs osslsigncode: apt-get install osslsigncode"; exit 1; }
keys=.rig/test-signing
driver=dist/vboard/pellam_vboard.sys
[ -f "$driver" ] || { echo "no $driver: build the Windows build first"; exit 1; }
mkdir -p "$keys"
if [ ! -f "$keys/test.crt" ]; then
  openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -subj "/CN=Pellam virtual board test signing" \
    -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" \
    -keyout "$keys/test.key" -out "$keys/test.crt" 2>/dev/null
fi
osslsigncode sign -certs "$keys/test.crt" -key "$keys/test.key" -h sha256 \
  -n "Pellam virtual relay board" -in "$driver" -out "$driver.signed" >/dev/null
mv "$driver.signed" "$driver"
openssl x509 -in "$keys/test.crt" -outform der -out dist/vboard/pellam-vboard-test.cer
osslsigncode verify -CAfile "$keys/test.crt" -in "$driver" | grep -E "^Signature verification"
