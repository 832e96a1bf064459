#!/usr/bin/env bash
# Times `quaverly-cli batch` over 8 generated 75-second WAV files converted to MP3 at
# 128 kbit/s, with one worker and with two, and against lame run two at a time on the
# same files. Prints the seconds and the ratios (goal on 2 cores: -j 2 at least 1.8
# times faster than -j 1, and within a few per cent of lame two at a time).
#   bench/batch_vs_lame.sh [BUILD_DIR]    (default: build)
set -euo pipefail
. "$(dirname "$0")/common.sh" "$@"

for i in 1 2 3 4 5 6 7 8; do
  sox -n -r 44100 -c 2 -b 16 "$work/in$i.wav" synth 75 pinknoise vol 0.5
done
inputs=("$work"/in*.wav)


batch() {
  rm -rf "$work/out"
  "$cli" --loglevel error batch -O "-c:a libmp3lame -b:a 128k" --ext .mp3 --outdir "$work/out" -j "$1" "${inputs[@]}"
}
lame_pairs() {
  mkdir -p "$work/lame"
  printf '%s\n' "${inputs[@]}" | xargs -P 2 -I{} sh -c 'lame --quiet --noreplaygain -b 128 "$1" "$2/lame/$(basename "$1" .wav).mp3"' _ {} "$work"
}

j1=$(best batch 1)
j2=$(best batch 2)
lm=$(best lame_pairs)
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }
printf '%-40s %9s\n' "8 files x 75 s -> MP3 128 kbit/s" "seconds"
printf '%-40s %9.2f\n' "quaverly-cli batch -j 1" "$j1"
printf '%-40s %9.2f\n' "quaverly-cli batch -j 2" "$j2"
printf '%-40s %9.2f\n' "lame, two at a time" "$lm"
printf '%-40s %9s\n' "speed-up -j 2 over -j 1 (goal >= 1.8)" "$(ratio "$j1" "$j2")"
printf '%-40s %9s\n' "-j 2 / lame two at a time" "$(ratio "$j2" "$lm")"
