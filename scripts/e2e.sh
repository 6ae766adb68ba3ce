#!/usr/bin/env bash
# End to end: quarn-cli from build folder $1 profiles 500 texts with marking, the stop list and
# updating on: one run of 64 texts, a BatchFiles run of 40 (each report marks every listed text
# again, so a batch run with marking grows with the square of the files), and a BatchFiles run of
# all 500 without marking; fails on any error or sanitizer report.
#
# The texts are the Brown texts when QUARN_CORPUS_DIR names a folder with brown/*.txt and
# lists/{BASEWRD1..3,stop}.txt; otherwise scripts/make-texts.py generates 500 texts over the
# sample lists.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
cli="$src/${1:-build}/quarn-cli"
corpus=${QUARN_CORPUS_DIR:-}
work=$(mktemp -d "${TMPDIR:-/tmp}/quarn-e2e-XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/texts"
if [ -n "$corpus" ] && [ -d "$corpus/brown" ]; then
  what="the Brown texts"
  cp "$corpus"/lists/BASEWRD{1,2,3}.txt "$corpus"/lists/stop.txt "$work"/
  cp "$corpus"/brown/*.txt "$work/texts/"
else
  what="500 generated texts"
  cp "$src"/sample/BASEWRD{1,2,3}.txt "$work"/
  python3 "$src/scripts/make-texts.py" 500 "$work/texts"
  mv "$work/texts/stop.txt" "$work/"
fi
cd "$work"
# Globs, not `ls | head`: with pipefail, head leaving early can kill ls with SIGPIPE.
texts=(texts/*.txt)
"$cli" profile --results run.txt --sort freq --mark --overwrite --update --stop stop.txt \
  "${texts[@]:0:64}" > run.log
grep -q "...Finished" run_quarn.txt
[ "$(ls texts/*.mrk | wc -l)" -eq 64 ]
grep -q -E "^THE [1-9]" basewrd1.txt
"$cli" profile --batch --sort range --mark --overwrite --update --stop stop.txt \
  "${texts[@]: -40}" > batch.log
[ "$(ls texts/*_quarn.txt | wc -l)" -eq 40 ]
rm texts/*_quarn.txt
"$cli" profile --batch --sort alpha --stop stop.txt texts/*.txt > all.log
[ "$(ls texts/*_quarn.txt | wc -l)" -eq 500 ]
if grep -q "^ERROR" run.log batch.log all.log; then
  grep "^ERROR" run.log batch.log all.log | head
  exit 1
fi
echo "end-to-end runs over $what: ok"
