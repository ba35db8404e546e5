#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The archive timer's script with stand-ins for id and corvaline-report, a row each: the
# groups of the user, which calls of corvaline-report fail, the script's exit status, and
# the calls it made. A member fetches first and still archives the cache when a fetch
# fails; others never fetch.
set -u
script=$1 failures=0
row() { # name, groups, failing calls (a pattern), exit status, calls
    local bin status calls
    bin=$(mktemp -d)
    printf '#!/bin/sh\necho "%s"\n' "$2" >"$bin/id"
    printf '#!/bin/sh\necho "$*" >>"%s/calls"\ncase "$*" in %s) exit 1 ;; esac\n' "$bin" "$3" \
        >"$bin/corvaline-report"
    chmod +x "$bin/id" "$bin/corvaline-report"
    PATH="$bin:$PATH" sh "$script" >/dev/null 2>&1
    status=$?
    calls=$(paste -sd'|' "$bin/calls")
    if [ "$status" != "$4" ] || [ "$calls" != "$5" ]; then
        failures=$((failures + 1))
        echo "FAIL: $1: exit status $status, calls $calls"
    fi
    rm -rf "$bin"
}
A='--archive --quiet'
row "a member fetches both" "users corvaline" "nothing" 0 "$A --fetch|$A --fetch --json"
row "a failed fetch archives the cache" "corvaline" "*--fetch*" 0 "$A --fetch|$A|$A --fetch --json|$A --json"
row "others archive what members fetched" "users corvaline-admins" "nothing" 0 "$A|$A --json"
row "a failure to archive is the exit status" "users" "*--json*" 1 "$A|$A --json"
[ "$failures" -eq 0 ] && echo "tst_timer: 4 rows passed"
exit $((failures > 0))
