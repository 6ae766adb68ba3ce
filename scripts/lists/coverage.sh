#!/usr/bin/env bash
# Prints the coverage table of docs/lists.md: the share of the tokens of each sample text that
# lists 1..n cover together, for n = 1..12, as measured by build/quarn-cli.
set -euo pipefail
src=$(cd "$(dirname "$0")/../.." && pwd)
cli=${QUARN_CLI:-$src/build/quarn-cli}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
texts=()
for f in "$src"/sample/*.txt; do
  case "$(basename "$f" | tr '[:upper:]' '[:lower:]')" in basewrd*) continue ;; esac
  cp "$f" "$work"/
  texts+=("$(basename "$f" .txt)")
done
cd "$work"
for t in "${texts[@]}"; do
  "$cli" profile --folder "$src/lists" --lists 12 --results "$t-r.txt" --overwrite --answer ok \
    "$t.txt" >/dev/null
  # The token column of the list table: "name  tokens/ pct ..." for each list, then the total.
  awk '{sub(/\r$/, "")}
       /^WORD LIST/ {on = 1; next}
       on && /^not in the lists/ {on = 0}
       on && NF {split($2, a, "/"); print a[1]}
       /^Total/ && !total {total = $2; print "total " total}' "${t}-r_quarn.txt" > "$t.tokens"
done
printf '| lists |'; for t in "${texts[@]}"; do printf ' %s |' "$t"; done; printf '\n'
printf '|---|'; for t in "${texts[@]}"; do printf -- '---:|'; done; printf '\n'
for n in $(seq 1 12); do
  if [ "$n" = 1 ]; then printf "| 1 |"; else printf "| 1-%d |" "$n"; fi
  for t in "${texts[@]}"; do
    awk -v n="$n" '$1 == "total" {total = $2; next} {if (++i <= n) sum += $1}
                   END {printf " %.2f %% |", 100 * sum / total}' "$t.tokens"
  done
  printf '\n'
done
printf '| tokens |'
for t in "${texts[@]}"; do awk '$1 == "total" {printf " %d |", $2}' "$t.tokens"; done
printf '\n'
