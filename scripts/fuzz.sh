#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer (AddressSanitizer and UBSan)
# into build-fuzz/ and runs one or all of them for a while on a copy of their
# corpus. Inputs that crash are left in build-fuzz/findings/<target>; copy the
# ones worth keeping into tests/fuzz/corpus/<target> with the fix.
#
#   bash scripts/fuzz.sh [TARGET] [SECONDS]      (default: every target, 60 s each)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${DATALINK_FUZZ_BUILD_DIR:-$root/build-fuzz}"
target="${1:-}"
seconds="${2:-60}"

if ! command -v clang++ >/dev/null 2>&1; then
  echo "clang++ is not installed: the fuzz targets run only as regression tests (ctest -R fuzz_)." >&2
  exit 1
fi
bash "$root/scripts/install-deps.sh"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DDATALINK_LIBFUZZER=ON -DDATALINK_BUILD_BENCHMARKS=OFF
targets=()
if [ -n "$target" ]; then
  targets=("$target")
else
  for list in "$root"/tests/fuzz/targets/*.cmake; do
    targets+=("$(basename "$list" .cmake)")
  done
fi
for name in "${targets[@]}"; do
  cmake --build "$build" --target "fuzz_$name" -j "$(nproc 2>/dev/null || echo 2)"
  work="$build/corpus/$name"
  findings="$build/findings/$name"
  mkdir -p "$work" "$findings"
  cp -n "$root/tests/fuzz/corpus/$name/"* "$work/" 2>/dev/null || true
  echo "== fuzz_$name for $seconds s"
  (cd "$findings" && QT_QPA_PLATFORM=offscreen "$build/bin/fuzz_$name" -max_total_time="$seconds" \
     -rss_limit_mb=4096 -timeout=20 "$work") || echo "fuzz_$name stopped with a finding: see $findings"
done
