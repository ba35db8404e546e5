#!/usr/bin/env bash
# Makes the tests' own certificate authority and a server certificate for 127.0.0.1.
# Used only by the test suite's local HTTPS server; run again to renew.
set -euo pipefail
cd "$(dirname "$0")"
days=36500
openssl req -x509 -newkey rsa:2048 -nodes -keyout test-ca.key -out test-ca.pem -days "$days" \
    -subj "/CN=Corvaline Test CA" -addext "basicConstraints=critical,CA:TRUE" \
    -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
openssl req -newkey rsa:2048 -nodes -keyout server.key -out server.csr \
    -subj "/CN=127.0.0.1" 2>/dev/null
printf 'subjectAltName=IP:127.0.0.1\nbasicConstraints=CA:FALSE\nkeyUsage=digitalSignature,keyEncipherment\nextendedKeyUsage=serverAuth\n' > server.ext
openssl x509 -req -in server.csr -CA test-ca.pem -CAkey test-ca.key -CAcreateserial \
    -out server.pem -days "$days" -extfile server.ext 2>/dev/null
rm -f server.csr server.ext test-ca.srl test-ca.key
