#!/usr/bin/env bash
# WinInet in the test prefix refuses a server certified by an authority it
# does not know, and accepts the same server once add_root_cert has put the
# authority into the prefix's ROOT store.
#   https_check.sh <work dir> <https_get.exe> <add_root_cert.exe> <emulator...>
set -euo pipefail
work=${1:?} get=$2 add=$3
shift 3
emulator=("$@")

rm -rf "$work"
mkdir -p "$work"
cd "$work"
# A new authority each run: the first request must meet an unknown one.
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -keyout ca.key -out ca.pem \
  -subj "/CN=Updater smoke authority $$" \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" \
  2>/dev/null
openssl req -newkey rsa:2048 -nodes -keyout server.key -out server.csr -subj /CN=localhost \
  2>/dev/null
printf 'subjectAltName=DNS:localhost,IP:127.0.0.1\nextendedKeyUsage=serverAuth\n' >server.ext
openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 \
  -extfile server.ext -out server.pem 2>/dev/null

openssl s_server -accept 127.0.0.1:0 -cert server.pem -key server.key -www \
  >server.log 2>&1 &
server=$!
trap 'kill $server 2>/dev/null || true' EXIT
port=
for _ in $(seq 1 100); do
  port=$(sed -n 's/^ACCEPT 127\.0\.0\.1:\([0-9]*\)$/\1/p' server.log)
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || { echo "the test server did not start"; cat server.log; exit 1; }
url=https://localhost:$port/

# Windows says 12045 (ERROR_INTERNET_INVALID_CA); Wine 8 says 12057.
if before=$("${emulator[@]}" "$get" "$url"); then
  echo "unknown authority accepted: $before"
  exit 1
fi
echo "before: $before"
case $before in
  *"error 12045"* | *"error 12057"*) ;;
  *) echo "refused, but not for the certificate"; exit 1 ;;
esac

"${emulator[@]}" "$add" ca.pem
after=$("${emulator[@]}" "$get" "$url") || { echo "after: $after"; exit 1; }
echo "after: $after"
