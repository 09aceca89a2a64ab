#!/usr/bin/env bash
# fuzz/run.sh: builds the fuzz targets with clang and runs each for a fixed time.
#   fuzz/run.sh [SECONDS] [TARGET...]   default: 30 seconds each, every target
# The corpus each target grows is kept in build-fuzz/fuzz/corpus-<kind>, so a later run
# goes on from it. A finding stops the run with a non-zero status; its input is saved in
# build-fuzz/findings and printed byte by byte, ready to become a unit test.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
shift || true

packages=(clang libclang-rt-14-dev libxxhash-dev libutf8proc-dev)
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${missing[@]}"
fi

cmake -S . -B build-fuzz -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DRERATE_FUZZ=ON -DRERATE_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for source in fuzz/*_fuzz.cpp; do targets+=("$(basename "$source" .cpp)"); done
fi
cmake --build build-fuzz --target "${targets[@]}"

findings=build-fuzz/findings
mkdir -p "$findings"
for target in "${targets[@]}"; do
  kind=${target%_fuzz}
  corpus=build-fuzz/fuzz/corpus-$kind
  mkdir -p "$corpus"
  echo "== $target for $seconds s"
  # Memory must stay proportional to the input: no single allocation above 64 MB for an
  # input of at most 128 KB.
  if ! "build-fuzz/fuzz/$target" "$corpus" "build-fuzz/fuzz/seeds-$kind" \
      -dict=fuzz/song.dict -max_len=131072 -rss_limit_mb=2048 -malloc_limit_mb=64 \
      -max_total_time="$seconds" -timeout=10 -artifact_prefix="$findings/$target-" \
      -print_final_stats=1 2>"$findings/$target.log"; then
    tail -n 40 "$findings/$target.log"
    for input in "$findings/$target"-*; do
      [ -f "$input" ] || continue
      echo "-- finding $input, byte by byte:"
      od -A d -t x1z -v "$input"
    done
    exit 1
  fi
  grep -E "^(Done|stat::number_of_executed_units|stat::peak_rss_mb)" "$findings/$target.log" || true
done
