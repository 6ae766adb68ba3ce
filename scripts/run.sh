#!/usr/bin/env bash
# Runs Quarn in a working copy of the sample texts and the shipped lists, outside the source tree.
# With a display the window opens; without one the sample texts are profiled headless.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
work=${QUARN_WORK_DIR:-${TMPDIR:-/tmp}/quarn-sample}
mkdir -p "$work"
# The twelve shipped lists and the sample texts; files already there (lists the user updated,
# results) are kept.
cp -n "$src"/lists/BASEWRD*.txt "$work"/ 2>/dev/null || true
for f in "$src"/sample/*; do
  case "$(basename "$f" | tr '[:upper:]' '[:lower:]')" in basewrd*) continue ;; esac
  cp -n "$f" "$work"/ 2>/dev/null || true
done
cd "$work"
if [ -x "$src/build/quarn" ] && [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$src/build/quarn"
fi
[ -x "$src/build/quarn" ] && echo "No display available: profiling the sample texts headless."
texts=$(ls "$work"/*.txt | grep -v -i -E '/basewrd[0-9]+\.txt$|_quarn\.txt$|/quarn\.txt$' || true)
# quarn-cli ends by printing where the results file is.
"$src/build/quarn-cli" profile --results "$work/sample_results.txt" --overwrite --answer ok $texts
