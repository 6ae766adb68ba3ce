#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang, makes seed corpora from the word lists and
# texts of QUARN_CORPUS_DIR (a folder with lists/ and brown/; without it, the hand-written seeds
# only), and runs each target for FUZZ_SECONDS (default 60) seconds, one after the other.
# Fails when a target finds a crash or a broken invariant; the input that did it is kept under
# the work folder and shown in hex.
#
#   FUZZ_SECONDS=600 scripts/fuzz.sh                  longer runs
#   FUZZ_TARGETS="parse_entry stop_list" scripts/fuzz.sh   only these
#   FUZZ_WORK=/some/dir                               work folder (default ${TMPDIR:-/tmp}/quarn-fuzz)
set -euo pipefail
src="$(cd "$(dirname "$0")/.." && pwd)"
seconds=${FUZZ_SECONDS:-60}
work=${FUZZ_WORK:-${TMPDIR:-/tmp}/quarn-fuzz}
build=${FUZZ_BUILD_DIR:-$src/build-fuzz}
shared=${QUARN_CORPUS_DIR:-$src/../shared/corpus}
targets=${FUZZ_TARGETS:-"parse_entry baseword_readers char_class next_word stop_list move_copy"}

cxx=${FUZZ_CXX:-clang++}
command -v "$cxx" >/dev/null || { echo "fuzz: $cxx not found (scripts/install-deps.sh installs clang)"; exit 1; }

echo "== building fuzz targets in $build"
cmake -S "$src/fuzz" -B "$build" -DCMAKE_CXX_COMPILER="$cxx" >/dev/null
cmake --build "$build" -j2

mkdir -p "$work"
[ -d "$shared" ] || echo "fuzz: $shared not found; seeds are the hand-written ones only"

# Seed corpora: cut from the shared lists and texts, plus hand-written lines for the corners.
python3 - "$shared" "$work" <<'PY'
import os, sys
shared, work = sys.argv[1], sys.argv[2]

def read(path):
    try:
        with open(path, 'rb') as f:
            return f.read()
    except OSError:
        return b''

def seeds(target, items):
    d = os.path.join(work, target, 'seed')
    os.makedirs(d, exist_ok=True)
    for old in os.listdir(d):
        os.remove(os.path.join(d, old))
    for i, data in enumerate(items):
        with open(os.path.join(d, 'seed%03d' % i), 'wb') as f:
            f.write(data)

lists = [read(os.path.join(shared, 'lists', 'BASEWRD%d.txt' % n)) for n in (1, 2, 5, 12)]
stop = read(os.path.join(shared, 'lists', 'stop.txt'))
brown = [read(os.path.join(shared, 'brown', n)) for n in ('ca01.txt', 'cf05.txt', 'cj12.txt', 'cr09.txt')]

# Pieces of list files: runs of whole lines from the start and from the middle.
pieces = []
for text in lists:
    lines = text.split(b'\n')
    for start in (0, len(lines) // 2):
        pieces.append(b'\n'.join(lines[start:start + 40]) + b'\n')
hand_list = (b'# made-up family\nable 12\n\tability 3\n\tably\n# the next member is starred\n'
             b'*unable 5\nACCEPT 0\n\n \n\t\nA#BLE 3\n\t# tab comment\n  indented 0x10\n'
             b'MP3\n12 ABLE\nABLE 1 2\nABLE 1.5\nABLE -5\nABLE 12x\nABLE x12\n'
             b'ABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHI 7\n\tmember 2147483648\n\tother 0X7FFFFFFF\n'
             b'- 3\n\tzero 00000000000000000009\n')
pieces.append(hand_list)
pieces.append(hand_list.replace(b'\n', b'\r\n'))
pieces.append(b'\tmember before any headword 1\r\rHEAD 2\r\tfoo 3')

entry_lines = []
for text in lists[:2]:
    entry_lines += text.split(b'\n')[:25]
entry_lines += hand_list.split(b'\n')
entry_lines += [b'\xe9t\xe9 4', b'caf\xe9 0X1F', b'na\xefve 99999999999', b'\xff\x9a 1', b'ABLE 0x', b'ABLE 0X123456789']
seeds('parse_entry', [l for l in entry_lines if l])
seeds('baseword_readers', pieces)
seeds('move_copy', [bytes([flags, filt]) + p for p, (flags, filt) in
                    zip(pieces, [(0, 0), (32, 0), (4, 1), (8, 2), (16 | 0, 10), (64 | 32, 0), (128, 0),
                                 (2, 3), (1, 4), (33, 7), (34, 8), (255, 255), (96, 5)])])

quarn = [
    b'# letters only\nA 2\nB 2\nC 2\n',
    b'A 2\nA2\n    \xd1 2\n\'1\n-1\n# 2\n\t#1\nA 2 \nA\t2\nA $10\n',
    b'X 0x41\nY X7f\nZ +2\nQ -1\nR 258\nS 2147483647\nT -2147483648\nU 2147483648\nV 0x123456789\nW $\n',
    b'\r\n\t\t\r\n1 1\r\n2 1\r\n\xe9 2\r\n\xff 3\r',
    b''.join(b'%c 2\n' % c for c in range(65, 91)) + b'- 1\n' + b''.join(b'%c 1\n' % c for c in range(48, 58)),
]
seeds('char_class', quarn)

# next_word: 256 class bytes (the default table), one byte for "<...>" skipping, then text.
table = bytearray(256)
table[ord('-')] = 1
for c in range(48, 58): table[c] = 1
for lo, hi in ((65, 90), (192, 207), (209, 214), (217, 221), (224, 239), (241, 246), (249, 253)):
    for c in range(lo, hi + 1): table[c] = 2
words = []
for text in brown:
    for line in text.split(b'\n')[:6]:
        words.append(bytes(table) + b'\x00' + line[:1500])
words.append(bytes(table) + b'\x01' + b'<b>Bold</b> text <p unclosed\nThe cat\'s hat. \xc9T\xc9 \xe9t\xe9\n-2ND 1998 4x4 able-bodied 12\n')
words.append(bytes(table) + b'\x00' + b'A' * 34 + b' ' + b'B' * 61 + b'\n')
apostrophe = bytearray(table); apostrophe[ord("'")] = 3
words.append(bytes(apostrophe) + b'\x00' + b"DON'T 'TIS O'CLOCK\n")
seeds('next_word', words)

stop_lines = stop.split(b'\n')
seeds('stop_list', [stop, b'\n'.join(stop_lines[:20]) + b'\n',
                    b'the\nThe \n the\n\n#hash\n' + b'x' * 35 + b'\n\xe9t\xe9\r\nTHE\r\n'])
PY

status=0
summary=()
for t in $targets; do
  bin="$build/${t}_fuzzer"
  [ -x "$bin" ] || { echo "fuzz: no target $bin"; exit 1; }
  dir="$work/$t"
  mkdir -p "$dir/corpus" "$dir/crashes"
  maxlen=4096
  [ "$t" = next_word ] && maxlen=8192
  echo "== $t: ${seconds}s, corpus $dir/corpus"
  set +e
  "$bin" "$dir/corpus" "$dir/seed" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len="$maxlen" -print_final_stats=1 -artifact_prefix="$dir/crashes/" >"$dir/log.txt" 2>&1
  rc=$?
  set -e
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/log.txt" | tail -1)
  took=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$dir/log.txt" | tail -1)
  if [ "$rc" -ne 0 ]; then
    status=1
    summary+=("$t: FAILED after ${took:-?}s, ${execs:-?} executions (log $dir/log.txt)")
    echo "fuzz: $t failed (exit $rc); last lines of its log:"
    grep -E 'invariant broken|ERROR: |SUMMARY' "$dir/log.txt" | head -5 || true
    tail -n 25 "$dir/log.txt"
    for crash in $(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$dir/log.txt"); do
      echo "input $crash ($(wc -c <"$crash") bytes):"
      od -An -tx1 -v "$crash" | head -40
    done
  else
    summary+=("$t: ok, ${took:-$seconds}s, ${execs:-?} executions")
  fi
done

echo "== fuzz summary"
printf '  %s\n' "${summary[@]}"
exit $status
