#!/usr/bin/env python3
"""A plain word-frequency profiler, as a researcher would write one in an afternoon.

Counts the words of the given texts with collections.Counter over a regular expression (a word
begins with a letter and goes on with letters, digits and hyphens, as Quarn's default classes cut
them), keeps per-file counts, looks every type up in the baseword lists, and prints the coverage
of each list. It is the yardstick for Quarn's speed, not a part of Quarn.
"""
import collections
import os
import re
import sys

WORD = re.compile(rb"[A-Z\xc0-\xcf\xd1-\xd6\xd9-\xdd][A-Z0-9\-\xc0-\xcf\xd1-\xd6\xd9-\xdd]*")


def load_lists(paths):
    listed = {}
    for number, path in enumerate(paths, start=1):
        family = None
        with open(path, "rb") as f:
            for raw in f:
                line = raw.rstrip(b"\r\n")
                if not line or line[:1] == b"#" or line[1:2] == b"#":
                    continue
                words = WORD.findall(line.upper())
                if not words:
                    continue
                word = words[0][:30]
                if line[:1] not in (b"\t", b" ", b"*"):
                    family = word
                listed.setdefault(word, (number, family))
    return listed


def main(argv):
    lists = [a for a in argv if os.path.basename(a).upper().startswith("BASEWRD")]
    texts = [a for a in argv if a not in lists]
    listed = load_lists(lists)
    total = collections.Counter()
    per_file = []
    for path in texts:
        counts = collections.Counter()
        with open(path, "rb") as f:
            for line in f:
                counts.update(w[:30] for w in WORD.findall(line.upper()))
        per_file.append(counts)
        total.update(counts)
    tokens = sum(total.values())
    by_list = collections.Counter()
    types_by_list = collections.Counter()
    families = collections.defaultdict(set)
    for word, n in total.items():
        number, family = listed.get(word, (0, None))
        by_list[number] += n
        types_by_list[number] += 1
        if family:
            families[number].add(family)
    for number in sorted(by_list):
        name = "none" if number == 0 else str(number)
        share = 100.0 * by_list[number] / tokens if tokens else 0.0
        print(f"{name:>5} {by_list[number]:>10} {share:6.2f}% {types_by_list[number]:>8} types"
              f" {len(families[number]):>6} families")
    ranges = collections.Counter(sum(1 for c in per_file if w in c) for w in total)
    print(f"tokens {tokens} types {len(total)} ranges {dict(sorted(ranges.items()))}")


if __name__ == "__main__":
    main(sys.argv[1:])
