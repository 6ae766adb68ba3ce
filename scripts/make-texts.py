#!/usr/bin/env python3
"""Writes a reproducible set of texts for end-to-end runs when no corpus is at hand.

    scripts/make-texts.py COUNT OUTDIR [--lists DIR]

The texts (OUTDIR/t001.txt ...) draw their words from the lists BASEWRD1..3.txt in DIR (default:
the repository's sample/ folder), the first list's most often, mixed with made-up words in no
list, names, numbers, contractions, hyphenated words and punctuation; every 25th text has a line
of more than 20,000 bytes and every tenth ends its lines with CR LF. Also writes OUTDIR/stop.txt,
the most frequent list words and a few made-up ones. The same COUNT gives the same bytes.
"""
import bisect
import os
import random
import sys


def list_words(folder):
    words, seen = [], set()
    for n in (1, 2, 3):
        with open(os.path.join(folder, 'BASEWRD%d.txt' % n), encoding='latin-1') as f:
            for line in f:
                word = line.strip().split(' ')[0].lower()
                if word and word not in seen:
                    seen.add(word)
                    words.append(word)
    return words, seen


def made_up_words(seen, count, rng):
    onsets = 'b br d dr f g gl k kr l m n p pl qu r s st t tr v z zh'.split()
    rimes = 'a ax el en ik in o or ul um ys'.split()
    words = []
    while len(words) < count:
        word = ''.join(rng.choice(onsets) + rng.choice(rimes) for _ in range(rng.randint(2, 3)))
        if word not in seen:
            seen.add(word)
            words.append(word)
    return words


def text(index, words, cumulative, outside):
    rng = random.Random(1000 + index)
    long_line = index % 25 == 7
    tokens = 4500 if long_line else rng.randint(300, 1500)
    newline = '\r\n' if index % 10 == 3 else '\n'

    def list_word():
        return words[min(bisect.bisect(cumulative, rng.random() * cumulative[-1]), len(words) - 1)]

    def outside_word():
        return outside[rng.randrange(100) if rng.random() < 0.7 else rng.randrange(len(outside))]

    out, line, in_sentence, sentence_length, line_length = [], [], 0, 0, rng.randint(8, 15)
    for t in range(tokens):
        if in_sentence == 0:
            sentence_length = rng.randint(4, 23)
        kind = rng.random()
        if kind < 0.02:
            word = str(rng.randint(1, 2000))
        elif kind < 0.05:
            word = outside_word().capitalize()
        elif kind < 0.10:
            word = outside_word()
        elif kind < 0.12:
            word = list_word() + rng.choice(["'s", "n't"])
        elif kind < 0.13:
            word = list_word() + '-' + list_word()
        else:
            word = list_word()
        if in_sentence == 0:
            word = word.capitalize()
        mark = rng.random()
        if mark < 0.02:
            word = '"' + word + '"'
        elif mark < 0.03:
            word = '(' + word + ')'
        in_sentence += 1
        if in_sentence == sentence_length or t + 1 == tokens:
            word += rng.choice(['.', '.', '.', '?', '!'])
            in_sentence = 0
        elif rng.random() < 0.08:
            word += ','
        line.append(word)
        in_long_line = long_line and 100 <= t and sum(map(len, line)) + len(line) <= 20000
        if not in_long_line and len(line) >= line_length:
            out.append(' '.join(line))
            line, line_length = [], rng.randint(8, 15)
    if line:
        out.append(' '.join(line))
    return newline.join(out) + newline


def main():
    args = sys.argv[1:]
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'sample')
    if '--lists' in args:
        at = args.index('--lists')
        folder = args[at + 1]
        del args[at:at + 2]
    if len(args) != 2:
        sys.exit(__doc__)
    count, outdir = int(args[0]), args[1]
    words, seen = list_words(folder)
    cumulative, total = [], 0.0
    for rank in range(len(words)):
        total += 1.0 / (rank + 8)
        cumulative.append(total)
    outside = made_up_words(seen, 400, random.Random(20261209))
    os.makedirs(outdir, exist_ok=True)
    for index in range(count):
        with open(os.path.join(outdir, 't%03d.txt' % (index + 1)), 'w', newline='') as f:
            f.write(text(index, words, cumulative, outside))
    with open(os.path.join(outdir, 'stop.txt'), 'w') as f:
        f.write(''.join(w + '\n' for w in words[:40] + outside[:5]))


if __name__ == '__main__':
    main()
