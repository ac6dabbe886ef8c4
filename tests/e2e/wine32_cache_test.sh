#!/bin/bash
# The 32-bit Wine cache runs what it holds as the user who runs the tests, root too: a cache (or
# its lock) that another user could have planted or changed is refused before anything in it runs,
# and a new one is made for its user alone. Nothing is downloaded here.
# Usage: wine32_cache_test.sh
set -u
WINE32_SCRIPT=$(dirname "$(realpath "$0")")/wine32_qemu.sh
WORK_DIR=$(mktemp -d)
trap 'rm -rf "$WORK_DIR"' EXIT
failures=0

# Runs a step of the cache's preparation on the cache given, in a shell of its own; prints what
# it said, and succeeds where the step did.
with_cache() {
    local cache=$1 step=$2
    TAVREL_WINE32_CACHE=$cache bash -c 'fail() { echo "$*"; exit 1; }; . "$1"; '"$step" _ "$WINE32_SCRIPT" 2>&1
}
refused() {
    local what=$1 cache=$2 step=${3:-prepare_wine32_root} said
    if said=$(with_cache "$cache" "$step"); then
        echo "FAIL: $what was accepted" >&2
        failures=$((failures + 1))
    else
        echo "refused, $what: $said"
    fi
}
# A cache that looks complete, so that accepting it would run what it holds.
planted() {
    mkdir -p "$1/root/usr/bin"
    touch "$1/root/.complete"
}

fresh=$WORK_DIR/private/cache
(umask 022 && mkdir -p "$WORK_DIR/private" && chmod 755 "$WORK_DIR" "$WORK_DIR/private")
with_cache "$fresh" open_wine32_cache >/dev/null || { echo "FAIL: a new cache was refused: $(with_cache "$fresh" open_wine32_cache)" >&2; failures=$((failures + 1)); }
[ "$(stat -c %a "$fresh" 2>/dev/null)" = 700 ] || { echo "FAIL: a new cache has mode $(stat -c %a "$fresh" 2>/dev/null)" >&2; failures=$((failures + 1)); }

refused "the root folder" / open_wine32_cache
refused "the home folder" "$HOME" open_wine32_cache

open_to_others=$WORK_DIR/open-to-others
planted "$open_to_others"
chmod 777 "$open_to_others"
refused "a cache others can write" "$open_to_others"

planted "$WORK_DIR/target"
chmod 700 "$WORK_DIR/target"
ln -s "$WORK_DIR/target" "$WORK_DIR/linked"
refused "a cache that is a link" "$WORK_DIR/linked"

mkdir -m 777 "$WORK_DIR/shared"
planted "$WORK_DIR/shared/cache"
chmod 700 "$WORK_DIR/shared/cache"
refused "a cache in a folder others can change" "$WORK_DIR/shared/cache"

mkdir -m 700 "$WORK_DIR/locked"
ln -s "$WORK_DIR/elsewhere" "$WORK_DIR/locked/.lock"
refused "a lock that is a link" "$WORK_DIR/locked"

if [ "$(id -u)" = 0 ]; then
    planted "$WORK_DIR/theirs"
    chmod 700 "$WORK_DIR/theirs"
    chown -R nobody "$WORK_DIR/theirs"
    refused "another user's cache" "$WORK_DIR/theirs"
fi

[ "$failures" -eq 0 ] || exit 1
echo "PASS"
