#!/usr/bin/env python3
"""Prints the tables of an export in one plain form, whatever its format, so that a test can
compare formats with each other: for each table a line "## NAME", its header row, then its rows,
cells separated by tabs; decimal columns with two decimals, empty cells empty.

usage: export_rows.py csv|tsv|json|xlsx FOLDER"""
import csv
import json
import re
import sys

TABLES = ["summary", "lists", "ranges", "types", "families", "texts"]


def is_decimal(column):
    return column.endswith("_pct") or column.startswith("coverage_") or column.startswith("dp")


def cell(column, value):
    if value is None or value == "":
        return ""
    if is_decimal(column):
        return "%.2f" % float(value)
    if isinstance(value, float) and value.is_integer():
        return str(int(value))
    return str(value)


def unescape_tsv(text):
    """A TSV cell as written: \\t, \\r, \\n and \\\\ stand for a tab, CR, LF and backslash."""
    out, i = [], 0
    while i < len(text):
        if text[i] == "\\" and i + 1 < len(text):
            out.append({"t": "\t", "r": "\r", "n": "\n"}.get(text[i + 1], text[i + 1]))
            i += 2
        else:
            out.append(text[i])
            i += 1
    return "".join(out)


def ooxml_text(value):
    """A cell as Excel shows it: a control character in a text cell is stored as _xHHHH_, which
    openpyxl leaves undecoded in inline strings."""
    if not isinstance(value, str):
        return value
    return re.sub(r"_x([0-9A-Fa-f]{4})_", lambda m: chr(int(m.group(1), 16)), value)


def emit(name, header, rows):
    print("## " + name)
    print("\t".join(header))
    for row in rows:
        print("\t".join(cell(c, v) for c, v in zip(header, row)))


def main():
    fmt, folder = sys.argv[1], sys.argv[2]
    if fmt in ("csv", "tsv"):
        for name in TABLES:
            with open(f"{folder}/{name}.{fmt}", newline="", encoding="utf-8") as f:
                if fmt == "csv":
                    rows = list(csv.reader(f))
                else:
                    rows = [[unescape_tsv(c) for c in line.rstrip("\n").split("\t")] for line in f]
            emit(name, rows[0], rows[1:])
    elif fmt == "json":
        with open(f"{folder}/profile.json", encoding="utf-8") as f:
            doc = json.load(f)
        assert doc["format"] == "quarn-profile" and doc["version"] == 1
        for name in TABLES:
            rows = doc[name]
            header = list(rows[0].keys()) if rows else []
            emit(name, header, [[r[c] for c in header] for r in rows])
    elif fmt == "xlsx":
        import openpyxl
        book = openpyxl.load_workbook(f"{folder}/profile.xlsx", read_only=True)
        for name in TABLES:
            header, rows = None, []
            sheets = [s for s in book.sheetnames if s == name or s.startswith(name + " (")]
            for sheet in sheets:
                values = list(book[sheet].iter_rows(values_only=True))
                header = [str(v) for v in values[0]]
                rows += [[ooxml_text(v) for v in r] + [None] * (len(header) - len(r))
                         for r in values[1:]]
            emit(name, header, rows)
    else:
        sys.exit("unknown format " + fmt)


if __name__ == "__main__":
    main()
