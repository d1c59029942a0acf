#!/usr/bin/env bash
# One game in every build. The rules built every way the project supports replay the same
# sessions (replay_sessions) to the same world after every step, every float bit; and that world
# is the one the rules give, as rules_model.py, the rules written a second time in Python, finds.
#
#   build_matrix.sh SOURCE_DIR REPLAY
#
# REPLAY is the default build's replay_sessions. The other builds are the matrix-* presets, built
# in build/matrix/NAME and run under their emulator when they are for another processor.
set -euo pipefail
source=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
model=$source/tests/rules_model.py
failures=0

# Runs a build's replay, the command "$@", into $work/NAME and compares it with the default's.
replay() {
    local name=$1 start=$SECONDS
    shift
    if ! "$@" >"$work/$name" 2>"$work/$name.log"; then
        echo "FAIL: $name: $(tail -n 3 "$work/$name.log")"
        failures=$((failures + 1))
    elif [ "$name" = default ]; then
        sed "s/^/$name: /" "$work/$name.log"
    elif ! cmp -s "$work/default" "$work/$name"; then
        echo "FAIL: $name departs from the default build: $(cmp "$work/default" "$work/$name" | sed 's/^.* differ: //')"
        "$@" --words 2>/dev/null | python3 "$model" | grep -v '^session' || true
        failures=$((failures + 1))
    else
        echo "$name: the same world after each of the same steps ($((SECONDS - start)) s)"
    fi
}

replay default "$2"
if ! python3 "$model" <"$work/default" | tail -n 1; then
    "$2" --words 2>/dev/null | python3 "$model" | grep -v '^session' || true
    failures=$((failures + 1))
fi

# An x86-64 processor without AVX2 and FMA, on which the C library takes other ways to cos and sin.
replay x86-64-baseline qemu-x86_64 -cpu qemu64 "$2"

for name in gcc-O0 gcc-O3-x86-64-v3 clang-O2 sanitize aarch64; do
    build=$source/build/matrix/$name
    start=$SECONDS
    if ! (cd "$source" && cmake --preset "matrix-$name" && cmake --build "$build" -j 2) >"$work/build.log" 2>&1; then
        echo "FAIL: the $name build:"
        tail -n 20 "$work/build.log"
        failures=$((failures + 1))
        continue
    fi
    echo "$name: built in $((SECONDS - start)) s"
    cached() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt" | tr ';' ' '; }
    # A multiply and an add fused into one rounding departs from the rules, but in this game it
    # moves a double by far less than a float's step, so no session could show it: the machine
    # code is looked at instead (x86 vfmadd..., ARM fmadd, fmla and the like).
    if "$(cached CMAKE_OBJDUMP)" -d "$build/libasteroids_rules.a" | grep -E '\s(v?fn?m(add|sub)|fml[as])' >/dev/null; then
        echo "FAIL: the $name build of the rules fuses multiplies and adds"
        failures=$((failures + 1))
    fi
    emulator=$(cached CMAKE_CROSSCOMPILING_EMULATOR)
    # Built for AVX2 and FMA: a processor without them runs it under emulation.
    if [ "$name" = gcc-O3-x86-64-v3 ] && ! grep -qw fma /proc/cpuinfo; then emulator="qemu-x86_64 -cpu max"; fi
    # shellcheck disable=SC2086 # the emulator is a command and its arguments
    replay "$name" $emulator "$build/tests/replay_sessions"
done

[ "$failures" -eq 0 ] || { echo "$failures builds depart from the rules"; exit 1; }
echo "every build replays every session to the same worlds"
