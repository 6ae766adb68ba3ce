#!/usr/bin/env bash
# Two quarn-cli runs at once in one folder must not spoil each other: one waits for the other
# (or gives up with "Another Quarn run is using FOLDER" and exit 1, having written nothing).
# Not part of the unit suite; run by hand: scripts/stress-concurrent.sh [BUILD_DIR] [PAIRS]
# (BUILD_DIR relative to the source tree or absolute; default build, 50 pairs).
#
# Part 1, profile --update: PAIRS times, two runs of `profile --update` over the same text start
# together in one folder. A list's "total" is the sum of the counts of all its entries
# (headwords and members). Every run that updates the lists adds to each entry the frequency of
# its word in the text, so each successful run (exit 0) raises the total of every list by the
# same amount: the rise made by one run on its own, measured first. Checked after every pair:
# each list's total is its starting total plus that rise times the number of successful runs
# (a lost or doubled update breaks it), and every successful run's results file equals the lone
# run's (a report spoilt by the other run's scratch files breaks it).
#
# Part 2, movecopy: PAIRS times, two Move/Copy runs start together. Odd pairs move every family
# of BASEWRD1 and of BASEWRD2 into the one list BASEWRD4; even pairs move the families of
# BASEWRD4 back out, those with a count below 5 to BASEWRD1 and the others to BASEWRD2 (both
# runs rewriting BASEWRD4 as their source). Checked after every pair: the families of all the
# lists together, each family as its headword and members with their counts, are the same as at
# the start (none lost, none doubled); after an odd pair BASEWRD4 holds exactly as many
# families as the successful runs said they wrote.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
[[ $build = /* ]] || build="$src/$build"
cli="$build/quarn-cli"
pairs=${2:-50}
[ -x "$cli" ] || { echo "no $cli: build first" >&2; exit 2; }
work=$(mktemp -d "${TMPDIR:-/tmp}/quarn-stress-XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
# Lower-case names: the update writes a list back under that name.
for n in 1 2 3; do cp "$src/sample/BASEWRD$n.txt" "basewrd$n.txt"; done
cp "$src"/sample/ca01.txt text.txt

# The sum of the counts of every entry of a list (the last number of each entry line).
total() { awk '$0 !~ /^#/ && NF >= 2 { sub(/\r$/, ""); s += $NF } END { print s + 0 }' "$1"; }
# The results file without the lines that differ from run to run (time taken, speeds, memory).
report() { grep -a -v -i -E 'second|memory' "$1"; }
# Every family of the lists given, one per line (headword, then its members), sorted.
families() {
  cat "$@" | tr -d '\r' | awk '
    /^[ \t*]/ { if (f != "") f = f "|" $0; next }
    /^$/ || /^#/ { next }
    { if (f != "") print f; f = $0 }
    END { if (f != "") print f }' | sort
}
# How many families a list holds.
count_families() { if [ -f "$1" ]; then families "$1" | wc -l; else echo 0; fi; }

fail=0
# ---- Part 1: profile --update ----
"$cli" profile --update --results lone text.txt > lone.log
declare -A start rise
for n in 1 2 3; do start[$n]=$(total basewrd$n.txt); done
# The lone run above already raised the totals once: measure the rise against the originals.
for n in 1 2 3; do
  rise[$n]=$(( start[$n] - $(total "$src/sample/BASEWRD$n.txt") ))
done
successes=0; refused=0; other=0; spoilt=0
for ((i = 1; i <= pairs; i++)); do
  "$cli" profile --update --results "r${i}a" text.txt > "p${i}a.log" 2>&1 & pa=$!
  "$cli" profile --update --results "r${i}b" text.txt > "p${i}b.log" 2>&1 & pb=$!
  for side in a b; do
    pid=$pa; [ $side = b ] && pid=$pb
    set +e; wait $pid; rc=$?; set -e
    if [ $rc -eq 0 ]; then
      successes=$((successes + 1))
      if [ "$(report "r${i}${side}_quarn.txt")" != "$(report lone_quarn.txt)" ]; then
        spoilt=$((spoilt + 1)); echo "pair $i run $side: report differs from the lone run's"
      fi
    elif [ $rc -eq 1 ] && grep -q "Another Quarn run is using" "p${i}${side}.log"; then
      refused=$((refused + 1))
    else
      other=$((other + 1)); echo "pair $i run $side: exit $rc"; tail -3 "p${i}${side}.log"
    fi
  done
  for n in 1 2 3; do
    want=$(( start[$n] + rise[$n] * successes ))
    got=$(total basewrd$n.txt)
    if [ "$got" -ne "$want" ]; then
      echo "pair $i: BASEWRD$n total $got, want $want"; fail=1
    fi
  done
  [ $fail -eq 0 ] || break
done
echo "profile --update: $pairs pairs, $successes runs exit 0, $refused refused (exit 1), $other other;" \
  "spoilt reports $spoilt; list totals $( [ $fail -eq 0 ] && echo equal || echo NOT equal ) to the" \
  "successful runs' sum (rise per run: ${rise[1]} + ${rise[2]} + ${rise[3]})"
[ $spoilt -eq 0 ] && [ $other -eq 0 ] || fail=1

# ---- Part 2: movecopy ----
rm -f r*_quarn.txt p*.log
all_before=$(families basewrd1.txt basewrd2.txt basewrd3.txt | md5sum)
n_before=$(families basewrd1.txt basewrd2.txt basewrd3.txt | wc -l)
mc_ok=0; mc_refused=0; mc_other=0; mc_bad=0
written() { sed -n 's/.*Wrote \([0-9]*\) families.*/\1/p' "$1" | tail -1; }
for ((i = 1; i <= pairs; i++)); do
  if ((i % 2 == 1)); then
    "$cli" movecopy --from basewrd1 --to basewrd4 --greater --value -1 > "m${i}a.log" 2>&1 & pa=$!
    "$cli" movecopy --from basewrd2 --to basewrd4 --greater --value -1 > "m${i}b.log" 2>&1 & pb=$!
  else
    "$cli" movecopy --from basewrd4 --to basewrd1 --less --value 5 > "m${i}a.log" 2>&1 & pa=$!
    "$cli" movecopy --from basewrd4 --to basewrd2 --greater --value 4 > "m${i}b.log" 2>&1 & pb=$!
  fi
  moved=0
  for side in a b; do
    pid=$pa; [ $side = b ] && pid=$pb
    set +e; wait $pid; rc=$?; set -e
    if [ $rc -eq 0 ]; then
      mc_ok=$((mc_ok + 1)); moved=$((moved + $(written "m${i}${side}.log")))
    elif [ $rc -eq 1 ] && grep -q "Another Quarn run is using" "m${i}${side}.log"; then
      mc_refused=$((mc_refused + 1))
    else
      mc_other=$((mc_other + 1)); echo "movecopy pair $i run $side: exit $rc"; tail -3 "m${i}${side}.log"
    fi
  done
  lists=(basewrd1.txt basewrd2.txt basewrd3.txt); [ -f basewrd4.txt ] && lists+=(basewrd4.txt)
  if [ "$(families "${lists[@]}" | md5sum)" != "$all_before" ]; then
    echo "movecopy pair $i: families lost or doubled ($(families "${lists[@]}" | wc -l) of $n_before)"
    mc_bad=$((mc_bad + 1)); fail=1; break
  fi
  if ((i % 2 == 1)) && [ "$(count_families basewrd4.txt)" -ne "$moved" ]; then
    echo "movecopy pair $i: BASEWRD4 holds $(count_families basewrd4.txt), the runs wrote $moved"
    mc_bad=$((mc_bad + 1)); fail=1; break
  fi
done
echo "movecopy: $pairs pairs, $mc_ok runs exit 0, $mc_refused refused (exit 1), $mc_other other;" \
  "$n_before families, $( [ $mc_bad -eq 0 ] && echo "none lost or doubled" || echo "LOST OR DOUBLED" )"
[ $mc_other -eq 0 ] || fail=1
exit $fail
