#!/usr/bin/env python3
"""Cuts the texts of a benchmark set into more, smaller texts, at line ends, keeping the bytes.

    recut.py SRC OUT (--texts N | --size BYTES --texts N)

Reads SRC/bench*.txt in name order as one stream of lines. With --texts alone it writes N texts
of about equal size that together hold every byte (text k ends at the first line end after k/N
of the stream); with --size as well it writes N texts of
about BYTES each (a text ends at the first line end at or after BYTES) from the start of the
stream. The texts are OUT/t/NNNNNN.txt; OUT/names.txt lists them, one per line, in order.
"""
import argparse
import glob
import os


def lines(src):
    for path in sorted(glob.glob(os.path.join(src, "bench*.txt"))):
        with open(path, "rb") as f:
            yield from f


def main():
    p = argparse.ArgumentParser()
    p.add_argument("src")
    p.add_argument("out")
    p.add_argument("--texts", type=int, required=True)
    p.add_argument("--size", type=int, default=0)
    a = p.parse_args()
    total = sum(os.path.getsize(f) for f in glob.glob(os.path.join(a.src, "bench*.txt")))
    os.makedirs(os.path.join(a.out, "t"), exist_ok=True)
    names = []
    chunk = []
    held = 0
    cut = 0  # bytes of the stream in the texts written

    def flush():
        nonlocal chunk, held, cut
        cut += held
        name = os.path.join(a.out, "t", "%06d.txt" % (len(names) + 1))
        with open(name, "wb") as f:
            f.writelines(chunk)
        names.append(name)
        chunk, held = [], 0

    for line in lines(a.src):
        chunk.append(line)
        held += len(line)
        # Cutting the whole stream, text k ends at the first line end after k / N of it, and
        # the last text takes whatever is left.
        due = held >= a.size if a.size else cut + held >= (len(names) + 1) * total // a.texts
        if due and (a.size or len(names) + 1 < a.texts):
            flush()
            if len(names) == a.texts:
                break
    if chunk and len(names) < a.texts:
        flush()
    with open(os.path.join(a.out, "names.txt"), "w") as f:
        f.write("".join(n + "\n" for n in names))


if __name__ == "__main__":
    main()
