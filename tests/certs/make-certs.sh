#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Makes the tests' certificate authority and three server certificates on one key:
# for 127.0.0.1, for another host name, and expired. Usage: make-certs.sh DIR
set -euo pipefail
mkdir -p "$1" && cd "$1"
key=(-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes)
openssl req -x509 "${key[@]}" -keyout ca.key -out test-ca.pem -days 36500 -subj "/CN=Test CA" \
    -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=keyCertSign" 2>/dev/null
openssl req "${key[@]}" -keyout server.key -out server.csr -subj "/CN=test server" 2>/dev/null
for cert in server:IP:127.0.0.1:36500 other-host:DNS:other.example:36500 expired:IP:127.0.0.1:-1; do
    IFS=: read -r name kind host days <<<"$cert"
    openssl x509 -req -in server.csr -CA test-ca.pem -CAkey ca.key -CAcreateserial -days "$days" \
        -out "$name.pem" -extfile <(echo "subjectAltName=$kind:$host") 2>/dev/null
done
