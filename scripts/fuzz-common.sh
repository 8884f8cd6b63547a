# Shared by scripts/fuzz.sh and scripts/fuzz-campaign.sh (sourced, from the repository root):
# every target's name when none is given, the sanitizers' settings, and where the targets'
# own scratch files go.

# Fills the array `targets` with the arguments, or with every target when there are none.
fuzz_targets() {
  targets=("$@")
  if [ "${#targets[@]}" -eq 0 ]; then
    local source name
    for source in fuzz/*_fuzz.cpp; do
      name=$(basename "$source" .cpp)
      targets+=("${name%_fuzz}")
    done
  fi
}

# The seeds and saved findings a target starts from.
fuzz_inputs() {
  inputs=("fuzz/corpus/$1")
  [ -d "tests/data/fuzz/$1" ] && inputs+=("tests/data/fuzz/$1")
  return 0
}

# Files the targets write (inputs, scratch folders) go to memory where there is such a place.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}"
