#!/usr/bin/env bash
# Whole runs of the kolmaren binary with the answers piped in: wall time per
# run, peak memory and heap allocations at the narrow (grid 180) and the
# widest (grid 4999) input, and with --profile where the time goes.
#
#   bench/whole_run.sh [--profile] [path/to/kolmaren]
#
# Default binary: build-bench/kolmaren next to this folder. RUNS (default 30)
# sets the timed runs per input. Uses hyperfine when installed, else a loop
# timed with date +%s%N; peak memory needs GNU time (/usr/bin/time, Debian
# package "time"); allocation counts need valgrind, the profile perf (or
# valgrind's callgrind where perf may not sample).
set -euo pipefail

profile=0
if [[ "${1:-}" == "--profile" ]]; then
  profile=1
  shift
fi
root=$(cd "$(dirname "$0")/.." && pwd)
bin=$(realpath "${1:-$root/build-bench/kolmaren}")
runs=${RUNS:-30}
[[ -x "$bin" ]] || { echo "no kolmaren binary at $bin (build it first)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# Keyboard answers: method, breakpoint count, pairs, duration 60 s,
# exponent 4.0, damping given as a ratio, 0.05.
printf '1\n2\n20 0.04\n200 0.04\n60\n1\n1\n0.05\n' > grid180.ans
printf '1\n2\n10 0.04\n6000 0.04\n60\n1\n1\n0.05\n' > grid4999.ans
# The most breakpoints a run keeps, 10 to 6000 Hz, read from a file: every
# grid point then searches thousands of segments and thousands of rows are
# printed besides the sweep.
awk 'BEGIN { for (i = 0; i < 5000; i++)
               printf "%.6f %s\n", 10 + 5990 * i / 4999, (i % 2 ? "0.02" : "0.04") }' \
  > breakpoints5000.txt
printf '2\nbreakpoints5000.txt\n60\n1\n1\n0.05\n' > bp5000.ans
inputs=(grid180 grid4999 bp5000)

echo "binary: $bin"
for input in "${inputs[@]}"; do
  "$bin" < "$input.ans" > /dev/null
  echo "$input: $(wc -l < a.int) grid points, $(wc -l < vrs.txt) sweep rows"
done

echo
echo "== wall time per run"
if command -v hyperfine > /dev/null; then
  for input in "${inputs[@]}"; do
    echo "$input:"
    hyperfine --style basic --warmup 3 --runs "$runs" -n "$input" \
      "'$bin' < $input.ans > /dev/null" 2>&1 | grep -E 'Time|Range'
  done
else
  for input in "${inputs[@]}"; do
    for ((i = 0; i < runs; i++)); do
      start=$(date +%s%N)
      "$bin" < "$input.ans" > /dev/null
      echo $(($(date +%s%N) - start))
    done | awk -v name="$input" '{ s += $1; if (NR == 1 || $1 < m) m = $1 }
      END { printf "%s: mean %.2f ms, min %.2f ms over %d runs\n",
                   name, s / NR / 1e6, m / 1e6, NR }'
  done
fi

echo
echo "== peak memory (maximum resident set size)"
if [[ -x /usr/bin/time ]]; then
  for input in "${inputs[@]}"; do
    /usr/bin/time -v "$bin" < "$input.ans" > /dev/null 2> time.txt
    echo "$input: $(awk -F': ' '/Maximum resident set size/ { print $2 }' time.txt) kB"
  done
else
  echo "GNU time missing: apt-get install time"
fi

# The analysis works in fixed tables: the count of heap blocks a run takes
# (streams, buffers) must not grow with the grid.
echo
echo "== heap allocations"
if command -v valgrind > /dev/null; then
  for input in "${inputs[@]}"; do
    valgrind --tool=memcheck "$bin" < "$input.ans" > /dev/null 2> memcheck.txt
    echo "$input: $(grep -o 'total heap usage: .*' memcheck.txt)"
  done
else
  echo "valgrind missing: apt-get install valgrind"
fi

if ((profile)); then
  echo
  echo "== where the time goes (share of the kolmaren process)"
  for input in grid4999 bp5000; do
    echo "-- $input"
    if perf record -q -e cpu-clock -F 20000 -o perf.data -- \
         sh -c "for i in \$(seq 20); do '$bin' < $input.ans > /dev/null; done" \
         2> /dev/null; then
      perf report -i perf.data --comm kolmaren --percentage relative --no-children \
        --sort dso,symbol --stdio 2> /dev/null |
        awk '/^ +[0-9]/ && ++n <= 12 { printf "  %7s  %-22s %s\n", $1, $2, $4 }'
    else
      echo "  (callgrind counts instructions, not time: a division counts as one)"
      valgrind --tool=callgrind --callgrind-out-file=callgrind.out "$bin" \
        < "$input.ans" > /dev/null 2>&1
      callgrind_annotate callgrind.out 2> /dev/null |
        awk '/file:function/ { n = 1 } n && n++ <= 13'
    fi
  done
fi
