# Sourced by the benchmark scripts with their arguments: moves to the source folder,
# finds quaverly-cli in BUILD_DIR (the first argument, default: build), sets $runs
# (BENCH_RUNS, default 3) and a scratch folder $work removed at exit, and defines
# best(), the best wall-clock seconds of $runs runs of a command.
cd "$(dirname "${BASH_SOURCE[0]}")/.."
cli="$(realpath "${1:-build}")/bin/quaverly-cli"
[ -x "$cli" ] || { echo "no $cli: build quaverly-cli first" >&2; exit 2; }
runs="${BENCH_RUNS:-3}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

best() {
  local best="" t
  for _ in $(seq "$runs"); do
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s.%N)
    t=$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')
    if [ -z "$best" ] || awk -v t="$t" -v b="$best" 'BEGIN { exit !(t < b) }'; then best=$t; fi
  done
  echo "$best"
}
