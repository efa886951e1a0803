#!/usr/bin/env bash
# Checks tools/vboard/sign-test.sh against the README's steps for a Windows
# test machine: on a copy of the driver folder, the script must leave every
# file those steps name (but the catalog, which Inf2Cat makes there), a
# driver whose signature the certificate verifies, and a key file that
# opens without a password and holds that certificate. The steps must say
# that test signing needs Secure Boot off.
#   check-test-signing.sh DRIVER_FOLDER   (dist/vboard of a Windows build)
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
source_folder=${1:?usage: check-test-signing.sh DRIVER_FOLDER}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() { # description, command...
  local what=$1; shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}

steps=$(sed -n '/^#### On a Windows test machine/,/^###* /p' "$root/README.md" | sed '1d;$d')
[ -n "$steps" ] || { echo "FAIL the README has no steps for a Windows test machine"; exit 1; }
named=$(grep -oE '[A-Za-z0-9_.-]+\.(sys|inf|cer|pfx|exe)\b' <<<"$steps" | sort -u)

cp -r "$source_folder" "$work/vboard"
if ! PELLAM_SIGNING_KEYS="$work/keys" bash "$root/tools/vboard/sign-test.sh" "$work/vboard" \
  >"$work/sign.log" 2>&1; then
  cat "$work/sign.log"; echo "FAIL sign-test.sh"; exit 1
fi

for file in $named; do
  check "the steps name $file, and it is there" test -f "$work/vboard/$file"
done
check "the signed driver verifies with pellam-vboard-test.cer" bash -c \
  "openssl x509 -inform der -in '$work/vboard/pellam-vboard-test.cer' -out '$work/test.pem' &&
   osslsigncode verify -CAfile '$work/test.pem' -in '$work/vboard/pellam_vboard.sys' >/dev/null"
check "pellam-vboard-test.pfx opens without a password and holds that certificate" bash -c \
  "openssl pkcs12 -in '$work/vboard/pellam-vboard-test.pfx' -passin pass: -nokeys 2>/dev/null |
     openssl x509 -outform der | cmp -s - '$work/vboard/pellam-vboard-test.cer' &&
   openssl pkcs12 -in '$work/vboard/pellam-vboard-test.pfx' -passin pass: -nocerts -nodes \
     2>/dev/null | grep -q 'PRIVATE KEY'"
check "a second run signs the driver once" bash -c \
  "PELLAM_SIGNING_KEYS='$work/keys' bash '$root/tools/vboard/sign-test.sh' '$work/vboard' >/dev/null 2>&1 &&
   [ \$(osslsigncode verify -CAfile '$work/test.pem' -in '$work/vboard/pellam_vboard.sys' 2>/dev/null |
       grep -c '^Signature Index') -le 1 ]"
check "the steps say that test signing needs Secure Boot off" grep -qi 'secure boot off' <<<"$steps"
echo "test-signing checks: $failures failed"
[ "$failures" -eq 0 ]
