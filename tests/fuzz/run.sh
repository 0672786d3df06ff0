#!/usr/bin/env bash
# Bounded fuzzing of both targets, for CI and by hand:
#   tests/fuzz/run.sh <build-dir> [seconds per target, default 60]
# The build directory is configured with clang and -DKOLMAREN_FUZZ=ON. New
# inputs libFuzzer finds go to a scratch corpus, the seeds stay as they are.
# A failing input is kept under <build-dir>/fuzz-artifacts/<target>/; copy it
# into tests/fuzz/corpus_<target>/ so that CTest runs it from then on.
set -euo pipefail

build=$(cd "${1:?usage: run.sh <build-dir> [seconds]}" && pwd)  # the target works in a directory of its own
seconds=${2:-60}
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

status=0
for target in breakpoint_pairs whole_run; do
  binary="$build/tests/fuzz/fuzz_$target"
  if [[ ! -x $binary ]]; then
    echo "run.sh: $binary is missing (configure with clang and -DKOLMAREN_FUZZ=ON)" >&2
    exit 2
  fi
  # A whole run writes eight files and sweeps up to 4999 grid points; short
  # inputs keep it at many runs a second. The pair reader takes files of
  # more than 5000 pairs.
  case $target in
    breakpoint_pairs) max_len=65536 ;;
    whole_run) max_len=4096 ;;
  esac
  artifacts="$build/fuzz-artifacts/$target/"
  mkdir -p "$artifacts" "$scratch/$target"
  log="$build/fuzz-$target.log"
  echo "== $target: $seconds s"
  if ! "$binary" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 \
      -rss_limit_mb=2048 -dict="$here/kolmaren.dict" -artifact_prefix="$artifacts" \
      -print_final_stats=1 "$scratch/$target" "$here/corpus_$target" \
      </dev/null >"$log" 2>&1; then
    echo "run.sh: $target FAILED; input and log: $artifacts, $log" >&2
    tail -n 40 "$log" >&2
    status=1
  fi
  grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added|peak_rss_mb)' "$log" || true
  grep -E '^#[0-9]+ +DONE' "$log" || true
done
exit $status
