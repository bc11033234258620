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

# As pandas' to_csv writes a table: UTF-8 without a mark, LF line ends, a
# heading line of the column names, ISO dates.
COLUMNS = ["Title", "Writer", "Publisher", "PubDate", "BuyDate", "SubTitle", "Kind",
           "Translator", "Writer2", "Writer3", "Writer4", "Writer5"]
with open("pandas-iso-heading.csv", "w", encoding="utf-8", newline="") as f:
    writer = csv.writer(f, lineterminator="\n")
    writer.writerow(COLUMNS)
    writer.writerow(["坊っちゃん", "夏目 漱石", "春陽堂", "1906-04-01", "2020-01-02", "", "小説",
                     "", "", "", "", ""])
    writer.writerow(["檸檬", "梶井 基次郎", "武蔵野書院", "1931-05-15", "", "", "", "", "", "", "",
                     ""])

# Files no program should write, each good up to one line: what the import must
# refuse by that line's number, storing nothing.
GOOD = '"良い本","著者","社",2001/02/03,,"","","","","","",""\r\n'
BAD = {
    # A quote closed too early: by blank-splitting it would give twelve fields,
    # with quotes inside the texts.
    "broken-quote.csv": GOOD + '"本3,"著者3","社",,,"","","","","","",""\r\n',
    # A quote never closed, on the last line.
    "unclosed-quote.csv": GOOD + '"本4,著者4,社\r\n',
    # Dates whose year cannot be told, or which are more than a date.
    "two-digit-year.csv": GOOD + '"本5","著者","社",04/05/06,,"","","","","","",""\r\n',
    "day-first-date.csv": GOOD + '"本6","著者","社",9/4/2004,,"","","","","","",""\r\n',
    "date-and-time.csv": GOOD + '"本7","著者","社",2004/09/04 12:34,,"","","","","","",""\r\n',
    "date-trailing-digit.csv": GOOD + '"本8","著者","社",2004/09/041,,"","","","","","",""\r\n',
}
for name, text in BAD.items():
    with open(name, "w", encoding="cp932", newline="") as f:
        f.write(text)

# Four UTF-8 lines and then one in Shift-JIS, as files pasted together end up.
with open("mixed-encodings.csv", "wb") as f:
    for i in range(1, 5):
        f.write(f'"本{i}","東京 著者","社",,,"","","","","","",""\r\n'.encode("utf-8"))
    f.write('"本5","東京 著者","社",,,"","","","","","",""\r\n'.encode("cp932"))
