#!/usr/bin/env bash
# Grows the repository's fuzz corpora (fuzz/corpus/<target>) by hand; CI cannot
# commit. Each target first runs for SECONDS from its corpus (0: not at all),
# then the inputs it found, and those CI left in BUILD/new-corpus-<target>, are
# merged in with -merge=1: only inputs that add coverage are kept, and only
# inputs of at most 64 KiB are offered, so the corpora stay small.
#   fuzz/grow_corpus.sh [BUILD] [SECONDS]     (BUILD: a -DVELMORA_FUZZ=ON build)
set -euo pipefail
cd "$(dirname "$0")/.."
build="$(cd "${1:-build-fuzz}" && pwd)"
seconds="${2:-300}"
cmake --build "$build" --target script_fuzz check_fuzz lwo2_fuzz jpeg_fuzz cli_fuzz module_fuzz video_fuzz
for target in script check lwo2 jpeg cli module video; do
  fuzzer="$build/fuzz/${target}_fuzz"
  corpus="$PWD/fuzz/corpus/$target"
  found="$build/new-corpus-$target"
  offered="$(mktemp -d)"
  mkdir -p "$found"
  dict=()
  if [ "$target" = script ] || [ "$target" = check ]; then dict=(-dict="$PWD/fuzz/script.dict"); fi
  max_len=1048576  # as in CI
  if [ "$target" = cli ]; then max_len=4096; fi
  if [ "$target" = module ] || [ "$target" = video ]; then max_len=65536; fi
  if [ "$seconds" -gt 0 ]; then
    "$fuzzer" "$found" "$corpus" "${dict[@]}" -max_total_time="$seconds" -max_len="$max_len" -timeout=20 \
      -rss_limit_mb=4096 -artifact_prefix="$build/" 2>&1 | tail -n 3
  fi
  find "$found" -type f -size -65k -exec cp {} "$offered"/ \;
  "$fuzzer" -merge=1 "$corpus" "$offered" 2>&1 | tail -n 1
  rm -rf "$offered"
  echo "$target: $(ls "$corpus" | wc -l) files, $(( $(du -sb "$corpus" | cut -f1) / 1024 )) KiB"
done
