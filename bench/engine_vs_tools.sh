#!/usr/bin/env bash
# Times `quaverly-cli job` against the encoders' own tools on the same generated input
# and prints the ratios (goal: 1.05 or less), then the engine's peak memory for a
# 10-minute and a 60-minute input (goal: the same for both).
#   bench/engine_vs_tools.sh [BUILD_DIR]    (default: build)
set -euo pipefail
. "$(dirname "$0")/common.sh" "$@"

sox -n -r 44100 -c 2 -b 16 "$work/in.wav" synth 600 pinknoise vol 0.5
sox -n -r 48000 -c 2 -b 24 "$work/in48.wav" synth 600 pinknoise vol 0.5


job() { "$cli" --loglevel error job "$@"; }

printf '%-34s %9s %9s %7s\n' "case (10-minute input)" "tool s" "engine s" "ratio"
compare() {
  local name="$1"; shift
  local split
  for ((split = 1; split <= $#; split++)); do [ "${!split}" = "--" ] && break; done
  local tool=("${@:1:split-1}") engine=("${@:split+1}")
  local t e
  t=$(best "${tool[@]}")
  e=$(best "${engine[@]}")
  printf '%-34s %9.2f %9.2f %7.3f\n' "$name" "$t" "$e" "$(awk -v e="$e" -v t="$t" 'BEGIN { print e / t }')"
}

# lame's own tool also measures ReplayGain unless told not to; the library does not, so
# --noreplaygain keeps the work the same (both use lame's default quality, 3).
compare "MP3 128 kbit/s CBR (lame -b 128)" \
  lame --quiet --noreplaygain -b 128 "$work/in.wav" "$work/t.mp3" -- \
  job -i "$work/in.wav" -o "$work/e.mp3" -O "-c:a libmp3lame -b:a 128k"
compare "FLAC (flac -5)" \
  flac -s -f -5 -o "$work/t.flac" "$work/in.wav" -- \
  job -i "$work/in.wav" -o "$work/e.flac" -O "-c:a flac -compression_level 5"
compare "Ogg Vorbis (oggenc, quality 3)" \
  oggenc -Q -q 3 -o "$work/t.ogg" "$work/in.wav" -- \
  job -i "$work/in.wav" -o "$work/e.ogg" -O "-c:a libvorbis -q:a 3"
compare "Opus 96 kbit/s (opusenc)" \
  opusenc --quiet --bitrate 96 "$work/in.wav" "$work/t.opus" -- \
  job -i "$work/in.wav" -o "$work/e.opus" -O "-c:a libopus -b:a 96k"
compare "48k/24 -> 44.1k/16 WAV (sox)" \
  sox "$work/in48.wav" -b 16 "$work/t.wav" rate 44100 -- \
  job -i "$work/in48.wav" -o "$work/e.wav" -O "-ar 44100 -c:a pcm_s16le"

echo
sox -n -r 44100 -c 2 -b 16 "$work/in60.wav" synth 3600 pinknoise vol 0.5
printf '%-34s %12s\n' "peak memory, WAV -> MP3" "max RSS kB"
for input in in.wav in60.wav; do
  rss=$(/usr/bin/time -f %M "$cli" --loglevel error job -i "$work/$input" -o "$work/m.mp3" \
    -O "-c:a libmp3lame -b:a 128k" 2>&1 >/dev/null | tail -1)
  printf '%-34s %12s\n' "$([ $input = in.wav ] && echo 10 || echo 60)-minute input" "$rss"
done
