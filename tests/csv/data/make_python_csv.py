#!/usr/bin/env python3
"""Writes the CSV files that spreadsheets and CSV libraries produce, with Python's
csv module, for the import tests. Run it from this folder to make them again."""
import csv

ROWS = [
    ["Harry Potter and the Stone", "J. K. Rowling", "Bloomsbury", "1997/06/26", "", "",
     "Fantasy", "松岡 佑子", "", "", "", ""],
    ["東京 物語", "小津 安二郎", "松竹", "", "2020/01/02", "映画, 脚本", "", "", "野田 高梧",
     "", "", ""],
    ['He said "hi"', "O'Neil", "a;b", "", "", "", "", "", "", "", "", "w5"],
]

FILES = {
    "python-minimal-comma.csv": dict(),
    "python-all-comma.csv": dict(quoting=csv.QUOTE_ALL),
    "python-minimal-semicolon.csv": dict(delimiter=";"),
    "python-tab.csv": dict(dialect="excel-tab"),
    "python-minimal-comma-lf.csv": dict(lineterminator="\n"),
}

for name, options in FILES.items():
    with open(name, "w", encoding="cp932", newline="") as f:
        csv.writer(f, **options).writerows(ROWS)
