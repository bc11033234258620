#!/usr/bin/env python3
"""Writes the exports of the programs collectors move from, as each writes its
file (their headings, order, quoting, encodings and cell forms), for a mixed
shelf of Japanese and foreign books. Run it from this folder to make them again.

    goodreads_library_export.csv  Goodreads: UTF-8, ISBNs as ="…" cells
    librarything_export.tsv       LibraryThing: UTF-16 with its mark, tabs, nothing quoted
    booklog_export.csv            ブクログ: Shift-JIS, 17 columns, no heading
    booklog_export_heading.csv    ブクログ with its heading line
    tellico_export.csv            Tellico: UTF-8, every field quoted, authors by "; "
    calibre_mixed.csv             calibre: UTF-8 with its mark, times in UTC
"""
import csv

# --- Goodreads ---------------------------------------------------------------
GOODREADS = ["Book Id", "Title", "Author", "Author l-f", "Additional Authors", "ISBN", "ISBN13",
             "My Rating", "Average Rating", "Publisher", "Binding", "Number of Pages",
             "Year Published", "Original Publication Year", "Date Read", "Date Added",
             "Bookshelves", "Bookshelves with positions", "Exclusive Shelf", "My Review",
             "Spoiler", "Private Notes", "Read Count", "Owned Copies"]
with open("goodreads_library_export.csv", "w", encoding="utf-8", newline="") as f:
    w = csv.writer(f, lineterminator="\n")
    w.writerow(GOODREADS)
    w.writerow(["11297", "Norwegian Wood", "Haruki Murakami", "Murakami, Haruki", "Jay Rubin",
                '="0375704027"', '="9780375704024"', "4", "4.01", "Vintage", "Paperback", "296",
                "2000", "1987", "2015/03/02", "2014/12/01", "literary, japan",
                "literary (#3), japan (#1)", "read", "Quiet, sad, beautiful.", "", "", "1", "0"])
    w.writerow(["49552", "L'Étranger", "Albert Camus", "Camus, Albert", "Matthew Ward, Jean-Paul Sartre",
                '=""', '=""', "5", "3.99", "Gallimard", "Poche", "184", "1972", "1942", "",
                "2016/07/14", "classics", "classics (#1)", "read", "", "", "Achat à Paris", "1", "1"])
    w.writerow(["1256", "吾輩は猫である", "夏目漱石", "夏目, 漱石", "", '="4101010013"',
                '="9784101010014"', "0", "3.88", "新潮社", "文庫", "540", "2003", "1905", "",
                "2019/05/12", "to-read", "to-read (#2)", "to-read", "", "", "", "0", "1"])

# --- LibraryThing: tab-separated, nothing quoted (a comment may start with a
# quote), ISBN in brackets, several secondary authors and roles by "|". ------
LT = ["Book Id", "Title", "Sort Character", "Primary Author", "Primary Author Role",
      "Secondary Author", "Secondary Author Roles", "Publication", "Date", "Review", "Rating",
      "Comment", "Private Comment", "Summary", "Media", "Physical Description", "Page Count",
      "LCCN", "Acquired", "Date Started", "Date Read", "Barcode", "BCID", "Tags", "Collections",
      "Languages", "Original Languages", "ISBN", "ISBNs", "Subjects", "Dewey Decimal",
      "Entry Date", "From Where", "OCLC", "Work id"]
LT_ROWS = [
    ["190001", "吾輩は猫である", "1", "夏目, 漱石", "Author", "", "",
     "新潮社 (2003), Edition: 改版, 文庫, 540 pages", "2003", "", "4", "猫の目から見た明治",
     "", "", "Book", "540 p.; 16 cm", "540", "", "2019-05-12", "", "", "", "", "文学, 古典",
     "Your library", "Japanese", "Japanese", "[4101010013]", "4101010013, 9784101010014", "",
     "913.6", "2019-05-12", "", "", "4720"],
    ["190002", "Norwegian Wood", "1", "Murakami, Haruki", "Author", "Rubin, Jay", "Translator",
     "Vintage (2000), Paperback, 296 pages", "2000", "", "5",
     '"Watanabe" remembers, on the plane to Hamburg', "", "", "Book", "", "296", "",
     "2015-03-02", "", "", "", "", "japan", "Your library", "English", "Japanese",
     "[0375704027]", "0375704027, 9780375704024", "", "895.635", "2015-03-02", "", "", "2116"],
    ["190003", "L'Étranger", "3", "Camus, Albert", "Author", "Ward, Matthew|Sartre, Jean-Paul",
     "Translator|Introduction", "Gallimard (1972), Poche", "1942", "", "", "", "", "", "Book",
     "", "184", "", "2016-07-14", "", "", "", "", "", "Your library", "French", "French", "", "",
     "", "843", "2016-07-14", "", "", "1234"],
]
with open("librarything_export.tsv", "w", encoding="utf-16", newline="") as f:
    for row in [LT] + LT_ROWS:
        f.write("\t".join(row) + "\r\n")

# --- ブクログ: Shift-JIS, 17 columns, with and without its heading -------------
BOOKLOG = ["サービスID", "アイテムID", "13桁ISBN", "カテゴリ", "評価", "読書状況", "レビュー", "タグ",
           "読書メモ(非公開)", "登録日時", "読了日", "タイトル", "作者名", "出版社名", "発行年",
           "ジャンル", "ページ数"]
BOOKLOG_ROWS = [
    ["1", "4101010013", "9784101010014", "小説", "5", "読み終わった", "何度読んでも面白い",
     "文学,古典", "再読した", "2019-05-12 10:20:30", "2019-06-01 00:00:00", "吾輩は猫である",
     "夏目漱石", "新潮社", "2003", "本", "540"],
    ["1", "4088725093", "9784088725093", "漫画", "4", "いま読んでる", "", "", "",
     "2021-01-03 08:00:00", "", "ONE PIECE 1", "尾田栄一郎", "集英社", "1997-12", "本", "208"],
    ["1", "B00EXAMPLE", "", "", "", "積読", "", "", "", "2022-11-20 21:15:00", "",
     "はじめての料理", "山田 花子", "", "", "Kindle版", ""],
]
for name, heading in (("booklog_export.csv", False), ("booklog_export_heading.csv", True)):
    with open(name, "w", encoding="cp932", newline="") as f:
        w = csv.writer(f, quoting=csv.QUOTE_ALL, lineterminator="\r\n")
        if heading:
            w.writerow(BOOKLOG)
        w.writerows(BOOKLOG_ROWS)

# --- Tellico: its book fields in its order, several authors by "; " ---------
TELLICO = ["Title", "Subtitle", "Author", "Editor", "Edition", "Publisher", "Copyright Year",
           "Publication Year", "ISBN#", "LCCN#", "Pages", "Translator", "Language", "Genre",
           "Keywords", "Series", "Series Number", "Binding", "Purchase Date", "Purchase Price",
           "Gift", "Loaned", "Rating", "Comments", "Read", "Signed"]
with open("tellico_export.csv", "w", encoding="utf-8", newline="") as f:
    w = csv.writer(f, quoting=csv.QUOTE_ALL, lineterminator="\n")
    w.writerow(TELLICO)
    w.writerow(["Die Straße der Ölsardinen", "Roman", "John Steinbeck", "", "1", "dtv", "1945",
                "1995", "3-423-10625-5", "", "180", "Rudolf Frank", "German", "Fiction",
                "Monterey", "", "", "Paperback", "2018-03-04", "9.90", "", "", "4",
                "Doc und die Jungs", "true", ""])
    w.writerow(["翻訳夜話", "", "村上 春樹; 柴田 元幸", "", "", "文藝春秋", "", "2000",
                "978-4-16-660129-5", "", "238", "", "Japanese", "エッセイ", "", "文春新書", "",
                "新書", "2020-08-01", "", "", "", "5", "", "true", ""])

# --- calibre, a mixed shelf ----------------------------------------------------
CALIBRE = ["author_sort", "authors", "comments", "cover", "formats", "id", "identifiers", "isbn",
           "languages", "library_name", "pubdate", "publisher", "rating", "series",
           "series_index", "size", "tags", "timestamp", "title", "title_sort", "uuid"]
with open("calibre_mixed.csv", "w", encoding="utf-8-sig", newline="") as f:
    w = csv.writer(f, quoting=csv.QUOTE_ALL, lineterminator="\n")
    w.writerow(CALIBRE)
    w.writerow(["Gödel, Kurt", "Kurt Gödel", "", "", "", "1", "", "", "deu", "lib",
                "1931-01-01T00:00:00+00:00", "Springer", "", "", "1.0", "", "Logik",
                "2019-05-11T15:30:00+00:00", "Über formal unentscheidbare Sätze",
                "Über formal unentscheidbare Sätze", "5b1a0c2e-0000-4000-8000-000000000001"])
    w.writerow(["𠮷田, 一郎", "𠮷田 一郎 & Åsa Larsson", "", "", "", "2", "", "", "jpn", "lib",
                "0101-01-01T00:00:00+00:00", "", "", "", "1.0", "", "", "2020-01-01T14:59:00+00:00",
                "𠮷野家の味", "𠮷野家の味", "5b1a0c2e-0000-4000-8000-000000000002"])
