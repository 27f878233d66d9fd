#!/usr/bin/env bash
# Runs every fuzz target built in BUILD (default build-fuzz) for RUNS
# executions each, one after the other, on one core. Each target starts from
# its seeds in fuzz/semillas/<name>/ plus what earlier runs found (kept in
# BUILD/corpus/<name>/, outside the repository). A crash, a failed property,
# a leak or a timeout stops with the input saved in BUILD/hallazgos/.
# TIEMPO=seconds also stops each target after that long.
# Usage: fuzz/correr.sh [RUNS] [target...]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD:-build-fuzz}
RUNS=${1:-100000}
# Real data files of these kinds are small; short inputs keep the runs fast.
MAX_LEN=${MAX_LEN:-1024}
shift || true
objetivos=("$@")
if [ ${#objetivos[@]} -eq 0 ]; then
  for b in "$BUILD"/bin/fuzz_*; do objetivos+=("${b##*/fuzz_}"); done
fi
mkdir -p "$BUILD/hallazgos"
for t in "${objetivos[@]}"; do
  corpus="$BUILD/corpus/$t"
  mkdir -p "$corpus"
  inicio=$(date +%s)
  echo "== fuzz_$t: $RUNS ejecuciones${TIEMPO:+ o $TIEMPO s}"
  "$BUILD/bin/fuzz_$t" -runs="$RUNS" ${TIEMPO:+-max_total_time="$TIEMPO"} -max_len="$MAX_LEN" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$BUILD/hallazgos/$t-" \
    "$corpus" "fuzz/semillas/$t" > "$BUILD/fuzz_$t.log" 2>&1 || {
    tail -40 "$BUILD/fuzz_$t.log"
    echo "fuzz_$t: FALLO (entrada en $BUILD/hallazgos/)"
    exit 1
  }
  grep -E "^#[0-9]+[[:space:]]+DONE" "$BUILD/fuzz_$t.log" | tail -1 || true
  grep -E "stat::number_of_executed_units|stat::peak_rss_mb" "$BUILD/fuzz_$t.log" | tr '\n' ' ' || true
  echo "($(( $(date +%s) - inicio )) s)"
done
