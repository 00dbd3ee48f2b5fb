# The libFuzzer targets of tests/fuzz: built on the host with Clang 19 (libclang-rt-19-dev) in
# build/fuzz. Source it after common.sh.

VANTREL_FUZZERS=(folder_row_fuzzer report_piece_fuzzer dialog_template_fuzzer)

# Inputs each target runs in tools/test: a few seconds each on this 2-core machine, the same
# inputs every time (a fixed seed, a fresh corpus made from the tree's seeds).
VANTREL_FUZZ_RUNS=${VANTREL_FUZZ_RUNS:-150000}

vantrel_build_fuzzers() {
  local root
  root=$(vantrel_root)
  cmake -S "$root" -B "$root/build/fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang-19 -DCMAKE_CXX_COMPILER=clang++-19 -DVANTREL_FUZZ=ON \
    -DVANTREL_TESTS=OFF >/dev/null && cmake --build "$root/build/fuzz"
}

# Runs one target over `corpus` (new inputs go there) and the tree's seeds, with any further
# libFuzzer options; a finding is written to build/fuzz/findings/ and fails the run.
vantrel_run_fuzzer() {
  local root name=$1 corpus=$2
  shift 2
  root=$(vantrel_root)
  mkdir -p "$corpus" "$root/build/fuzz/findings"
  "$root/build/fuzz/bin/$name" -artifact_prefix="$root/build/fuzz/findings/$name-" \
    -print_final_stats=1 "$@" "$corpus" "$root/tests/fuzz/corpus/${name%_fuzzer}"
}

# tools/test: builds the targets and runs each for VANTREL_FUZZ_RUNS inputs. Its status is the
# number of targets that failed (a finding, or the build).
vantrel_fuzz_check() {
  local root name log failed=0 seconds
  root=$(vantrel_root)
  vantrel_build_fuzzers >&2 || return ${#VANTREL_FUZZERS[@]}
  for name in "${VANTREL_FUZZERS[@]}"; do
    log="$root/build/fuzz/$name.log"
    rm -rf "$root/build/fuzz/runs/$name"
    SECONDS=0
    if vantrel_run_fuzzer "$name" "$root/build/fuzz/runs/$name" -seed=1 \
      -runs="$VANTREL_FUZZ_RUNS" >"$log" 2>&1; then
      seconds=$SECONDS
      vantrel_log "$name: $(sed -n 's/^stat::number_of_executed_units: *//p' "$log") inputs," \
        "${seconds} s, no finding"
    else
      vantrel_log "$name: FINDING (build/fuzz/findings/, log build/fuzz/$name.log)"
      grep -m3 -E 'invariant broken|ERROR|runtime error' "$log" >&2
      failed=$((failed + 1))
    fi
  done
  return "$failed"
}
