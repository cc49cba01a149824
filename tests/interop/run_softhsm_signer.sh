#!/usr/bin/env bash
# External signer: SoftHSM2 holds a sect283k1 and a sect163k1 key (imported
# into a token in a temporary directory), pkcs11-tool signs through
# `otawrap convert --signer-command`, and OpenSSL checks each signature over
# an AES-MMO digest computed here with OpenSSL's AES, so neither the digest
# nor the verdict is otawrap's own. Then the recipe of docs/signing.md (the
# block behind its "softhsm-recipe" mark) runs as written and must end with
# "Signature: ok".
#   run_softhsm_signer.sh <otawrap binary> <source directory>
# Without SoftHSM2, pkcs11-tool, openssl or xxd the test is skipped (exit 77),
# except under CI=true, where that is a failure.
set -euo pipefail

otawrap=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
source_dir=$(cd "$2" && pwd)
module=
for candidate in /usr/lib/softhsm/libsofthsm2.so /usr/lib/*/softhsm/libsofthsm2.so; do
  if [ -f "$candidate" ]; then module=$candidate; break; fi
done
for tool in softhsm2-util pkcs11-tool openssl xxd; do
  if ! command -v "$tool" >/dev/null 2>&1 || [ -z "$module" ]; then
    echo "softhsm: SoftHSM2, pkcs11-tool, openssl or xxd missing (tools/install-deps.sh full installs them)" >&2
    if [ "${CI:-}" = "true" ]; then exit 1; fi
    exit 77
  fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir tokens
printf 'directories.tokendir = %s/tokens\nobjectstore.backend = file\nlog.level = ERROR\n' \
  "$work" > softhsm2.conf
export SOFTHSM2_CONF="$work/softhsm2.conf"
softhsm2-util --init-token --free --label otawrap --pin 1234 --so-pin 5678 >/dev/null

# The AES-MMO hash of file $1 (less than 8 KiB): blocks of the message, 0x80,
# zeros up to 14 mod 16, the bit length in 16 bits; H = E_H(block) xor block.
mmo() {
  local size bits state block cipher next i
  size=$(wc -c < "$1")
  bits=$((size * 8))
  { cat "$1"; printf '\200'; head -c $(( (30 - (size + 1) % 16) % 16 )) /dev/zero
    printf "\\$(printf %03o $((bits >> 8)))\\$(printf %03o $((bits & 255)))"; } > padded.bin
  state=00000000000000000000000000000000
  for block in $(xxd -p -c 16 padded.bin); do
    cipher=$(printf '%s' "$block" | xxd -r -p |
      openssl enc -aes-128-ecb -K "$state" -nopad | xxd -p -c 16)
    next=
    for i in 0 8 16 24; do
      next=$next$(printf '%08x' $(( 0x${cipher:$i:8} ^ 0x${block:$i:8} )))
    done
    state=$next
  done
  echo "$state"
}

failed=0
id=1
for curve in sect283k1 sect163k1; do
  if [ "$curve" = sect283k1 ]; then
    scalar=36
    cert=000102030405060708'0d08'1112131415161718'0000000000ffffffff'0022080000000001'80'
    cert=$cert$(printf '%074d' 0)
  else
    scalar=21
    cert=$(printf '%096d' 0)
  fi
  openssl ecparam -name "$curve" -genkey -noout -out "$curve.pem"
  openssl pkcs8 -topk8 -nocrypt -in "$curve.pem" -out "$curve.p8"
  openssl ec -in "$curve.pem" -pubout -out "$curve.pub.pem" 2>/dev/null
  softhsm2-util --import "$curve.p8" --token otawrap --label "$curve" --id "0$id" --pin 1234 >/dev/null
  public=$(openssl ec -in "$curve.pem" -pubout -conv_form compressed -outform DER 2>/dev/null |
    tail -c $((scalar + 1)) | xxd -p -c 100)
  printf 'Device Implicit Cert: %s\nDevice Public Key: %s\n' "$cert" "$public" > "$curve.txt"

  # The recipe of docs/signing.md, with the digest kept for the check below.
  "$otawrap" convert unused --no-image -m 1234 -t 1 -v 1 --output "$curve.ota" --certificate "$curve.txt" \
    --signer-command "tee $curve.digest | xxd -r -p | pkcs11-tool --module $module --token-label otawrap --pin 1234 --sign -m ECDSA --id 0$id 2>/dev/null | xxd -p" >/dev/null
  id=$((id + 1))

  size=$(wc -c < "$curve.ota")
  sigsize=$((14 + 2 * scalar))
  head -c $((size - sigsize)) "$curve.ota" > hashed.bin
  digest=$(mmo hashed.bin)
  if [ "$digest" != "$(cat "$curve.digest")" ]; then
    echo "softhsm: $curve: the signer got $(cat "$curve.digest"), AES-MMO is $digest" >&2
    failed=$((failed + 1))
    continue
  fi
  printf '%s' "$digest" | xxd -r -p > digest.bin
  rs=$(tail -c $((2 * scalar)) "$curve.ota" | xxd -p -c 200)
  printf 'asn1=SEQUENCE:sig\n[sig]\nr=INTEGER:0x%s\ns=INTEGER:0x%s\n' \
    "${rs:0:$((2 * scalar))}" "${rs:$((2 * scalar))}" > sig.cnf
  openssl asn1parse -genconf sig.cnf -out sig.der -noout
  if openssl pkeyutl -verify -pubin -inkey "$curve.pub.pem" -in digest.bin -sigfile sig.der \
      >/dev/null 2>&1; then
    echo "softhsm: $curve: signed by SoftHSM2 through --signer-command, verified by OpenSSL"
  else
    echo "softhsm: $curve: OpenSSL does not verify the signature" >&2
    failed=$((failed + 1))
  fi
done

# The documented recipe, in a directory laid out as the top of the tree.
mkdir -p recipe/build/release recipe/examples
ln -s "$otawrap" recipe/build/release/otawrap
cp "$source_dir/examples/sample.raw" recipe/examples/
sed -n '/<!-- softhsm-recipe -->/,/^```$/p' "$source_dir/docs/signing.md" | sed -e '1,2d' -e '$d' |
  sed "s|/usr/lib/softhsm/libsofthsm2.so|$module|" > recipe/recipe.sh
if [ "$(cd recipe && bash -e recipe.sh 2>&1 | tail -1)" = "Signature: ok" ]; then
  echo "softhsm: the recipe of docs/signing.md signs and verifies"
else
  echo "softhsm: the recipe of docs/signing.md does not end with 'Signature: ok'" >&2
  failed=$((failed + 1))
fi
echo "$((3 - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
