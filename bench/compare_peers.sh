#!/bin/bash
# CPU seconds per minute of audio for zelvik.so and two other instruments' VST builds,
# each playing the two pieces of make_pieces.py through zelvik-render (default programs).
# Usage: bench/compare_peers.sh BUILD_DIR [ZELVIK_SO ...]  (extra .so files are compared too)
set -e
build=${1:-build}
shift || true
pieces=$build/pieces
mkdir -p "$pieces"
python3 "$(dirname "$0")/make_pieces.py" "$pieces"
plugins=("$build/zelvik.so" "$@" /usr/lib/vst/amsynth_vst.so /usr/lib/vst/ZynAddSubFX.so)
printf "%-40s %-14s %10s %12s\n" plugin piece "cpu s" "s per min"
for piece in chords16 piano; do
  for plugin in "${plugins[@]}"; do
    [ -e "$plugin" ] || continue
    out=$(mktemp --suffix=.wav)
    times=$(mktemp)
    /usr/bin/time -o "$times" -f "%U %S" "$build/zelvik-render" render "$plugin" --midi "$pieces/$piece.mid" \
      --out "$out" --tail 0 >/dev/null 2>&1
    cpu=$(tail -1 "$times" | awk '{print $1 + $2}')
    rm -f "$times"
    seconds=$(soxi -D "$out" 2>/dev/null || echo 0)
    rm -f "$out"
    awk -v p="$plugin" -v n="$piece" -v c="$cpu" -v s="$seconds" \
      'BEGIN { printf "%-40s %-14s %10.2f %12.3f\n", p, n, c, (s > 0 ? c * 60 / s : 0) }'
  done
done
