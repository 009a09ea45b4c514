#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer (build-fuzz/) and runs every target for SECONDS seconds
# (default 10) on a copy of its starting corpus (fuzz/corpus/<target>/; the repository's copy is
# never written). A crash, a sanitizer finding, a broken invariant, a hang or running out of
# memory fails the run: the reproducer is kept under build-fuzz/crashes/<target>/ and shown.
# At the end one line per target tells the executions and executions per second.
#
#   scripts/fuzz.sh [SECONDS]
#   scripts/fuzz.sh 300                              # a longer search
#   ZV_FUZZ_JOBS=3 scripts/fuzz.sh 300               # three targets at a time
#   build-fuzz/fuzz/zv_fuzz_drive_layout FILE        # replays one reproducer
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-10}
build=$here/build-fuzz
"$here/scripts/install-deps.sh"

# Bytes a target reads at most: enough for its largest well-formed input, small enough that
# mutations stay fast.
max_len_of() {
  case "$1" in
    drive_layout) echo 65536 ;;   # 128 sectors: an MBR with its extended chain, or a GPT
    machine_file) echo 16384 ;;
    mount_table) echo 8192 ;;
    identify | udev_db | checker_output) echo 4096 ;;
    token_groups | smart_pages) echo 2048 ;;
    get_configuration | utf_text) echo 1024 ;;
    mode_sense_2a | network_names) echo 512 ;;
    inquiry_text) echo 256 ;;
    read_disc_structure) echo 64 ;;
    *) echo 4096 ;;
  esac
}

echo "== Build (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)"
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" -DZV_FUZZ=ON -DZV_BUILD_UI=OFF -DZV_BUILD_TESTS=OFF \
  "${launcher[@]}" >/dev/null
ninja -C "$build" zv_fuzz_all

echo "== Fuzzing, $seconds s a target"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
# One target: runs it, keeps its log, its status and its figures under fuzz-run/<target>/.
fuzz_one() {
  local program=$1 target=$2
  local work=$build/fuzz-run/$target
  local crashes=$build/crashes/$target
  rm -rf "$work"
  mkdir -p "$work/corpus" "$crashes"
  touch "$work/started"
  if [ -d "$here/fuzz/corpus/$target" ]; then cp "$here/fuzz/corpus/$target"/. "$work/corpus" -r; fi
  local status=0
  "$program" -max_total_time="$seconds" -max_len="$(max_len_of "$target")" -timeout=20 -rss_limit_mb=2560 \
    -print_final_stats=1 -artifact_prefix="$crashes/" "$work/corpus" >"$work/log" 2>&1 || status=$?
  echo "$status" >"$work/status"
  if [ "$status" -ne 0 ]; then
    echo "-- $target FAILED (exit status $status); the end of its log ($work/log):"
    tail -n 60 "$work/log"
    # The reproducers of this run (earlier runs' stay beside them).
    for reproducer in "$crashes"/*; do
      [ -f "$reproducer" ] && [ "$reproducer" -nt "$work/started" ] || continue
      echo "-- reproducer $reproducer ($(stat -c %s "$reproducer") bytes), replay: $program $reproducer"
      od -A x -t x1z -v "$reproducer" | head -n 32 || true
    done
  else
    echo "-- $target: $(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log" | tail -1) runs"
  fi
}

# ZV_FUZZ_JOBS=N runs N targets at once (each still SECONDS long), for long searches on
# machines with cores to spare.
jobs=${ZV_FUZZ_JOBS:-1}
targets=()
for program in "$build"/fuzz/zv_fuzz_*; do
  [ -x "$program" ] || continue
  target=${program##*/zv_fuzz_}
  targets+=("$target")
  if [ "$jobs" -le 1 ]; then
    fuzz_one "$program" "$target"
  else
    while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
    fuzz_one "$program" "$target" &
  fi
done
wait

failed=()
summary=()
for target in "${targets[@]}"; do
  log=$build/fuzz-run/$target/log
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  summary+=("$(printf '%-22s %12s runs %8s exec/s' "$target" "${runs:-?}" "${rate:-?}")")
  [ "$(cat "$build/fuzz-run/$target/status" 2>/dev/null || echo 1)" = 0 ] || failed+=("$target")
done

echo "== Executions per target"
printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -ne 0 ]; then
  echo "Fuzzing found problems in: ${failed[*]}"
  exit 1
fi
