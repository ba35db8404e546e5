#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The maintainer scripts against scratch roots (DPKG_ROOT), a row each: what was there, the
# script, its exit status, what holds after. A victim folder outside, which planted links
# point to, keeps its owner, mode and content in every row. The rows need root.
set -u
[ "$(id -u)" -eq 0 ] || { echo "SKIP: the rows need root (groupadd, chown)"; exit 77; }
scripts=$1 failures=0 passed=0
mode() { stat -c '%u:%g %a' "$R/$1"; }
gid() { grep '^corvaline:' "$R/etc/group" | cut -d: -f3; }
configured() { [ "$(mode ProgramData/sfu)" = "0:$(gid) 2775" ]; }
maintain() { DPKG_ROOT=$R sh "$scripts/$1" "$2" >"$R.log" 2>&1; }
row() { # name, setup, script, its argument, exit status, what holds after
    R=$(mktemp -d) V=$(mktemp -d) C=$R/ProgramData/sfu
    mkdir "$R/etc" && cp /etc/group /etc/gshadow /etc/passwd /etc/shadow /etc/login.defs "$R/etc/"
    sed -i '/^corvaline:/d' "$R/etc/group" "$R/etc/gshadow"
    echo secret >"$V/file" && chown -R 1234:1234 "$V" && chmod 0700 "$V"
    eval "$2"
    maintain "$3" "$4"
    local status=$?
    if [ "$status" = "$5" ] && [ "$(stat -c '%u:%g %a' "$V")" = "1234:1234 700" ] &&
        [ "$(cat "$V/file")" = secret ] && eval "$6"; then
        passed=$((passed + 1))
    else
        failures=$((failures + 1)) && echo "FAIL: $1 (exit status $status)" && cat "$R.log"
    fi
    rm -rf --one-file-system "$R" "$V" "$R.log"
}
made='maintain postinst configure'
odd='ln -s $V $C/link; ln -s $V/file $C/solar-radio-flux.json; mkfifo $C/fifo
     mkdir $C/ro; touch $C/ro/f; chmod 0500 $C/ro'
row "fresh root" "" postinst configure 0 'configured && [ "$(mode ProgramData)" = "0:0 755" ] && grep -q ^corvaline: $R/etc/gshadow'
row "configured twice, an existing group kept" "echo corvaline:x:4321: >>\$R/etc/group; $made" postinst configure 0 \
    'configured && [ "$(grep ^corvaline: $R/etc/group)" = corvaline:x:4321: ]'
row "existing /ProgramData keeps owner and mode" 'mkdir -m 0700 $R/ProgramData; chown 1234:1234 $R/ProgramData' \
    postinst configure 0 'configured && [ "$(mode ProgramData)" = "1234:1234 700" ]'
row "upgrade from a 0777 cache" 'mkdir -p -m 0777 $C; echo p >$C/p; chown 1234 $C/p' postinst configure 0 \
    'configured && [ "$(mode ProgramData/sfu/p)" = "1234:0 644" ]'
row "link planted at the cache" 'mkdir $R/ProgramData; ln -s $V $C' postinst configure 1 \
    '[ -L $C ] && grep -q "ProgramData/sfu exists but is not a directory" $R.log'
row "link planted at /ProgramData" 'ln -s $V $R/ProgramData' postinst configure 1 '[ -L $R/ProgramData ]'
row "file planted at the cache" 'mkdir $R/ProgramData; echo x >$C' postinst configure 1 '[ -f $C ]'
row "remove keeps the products" "$made; echo p >\$C/p" postrm remove 0 '[ -f $C/p ]'
row "purge removes what the package made, odd entries too" "$made; echo p >\$C/p; $odd" postrm purge 0 '[ ! -e $R/ProgramData ]'
row "purge keeps a /ProgramData it did not make" "mkdir -m 0700 \$R/ProgramData; $made; $odd" postrm purge 0 \
    '[ ! -e $C ] && [ "$(mode ProgramData)" = "0:0 700" ]'
row "purge removes a link at the cache as a link" 'mkdir $R/ProgramData; ln -s $V $C' postrm purge 0 '[ ! -e $C ] && [ ! -L $C ]'
echo "$passed passed, $failures failed"
[ "$failures" -eq 0 ]
