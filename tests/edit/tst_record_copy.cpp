// The record's clipboard text in its eight styles, and the private record form
// through the real clipboard.
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QtTest>

#include "edit/record_clipboard.h"

using namespace quillo;

static QString S(const char* text) {
    return QString::fromUtf8(text);
}

namespace {

// Title A and Memo B; every other field empty, the dates in their empty forms.
RecordCopyBuffer titleAndMemo() {
    RecordCopyBuffer b;
    b.setField(FieldNo::Title, S("A"));
    b.setField(FieldNo::Memo, S("B"));
    b.setField(FieldNo::PubDate, S("    /  /  "));
    b.setField(FieldNo::BuyDate, S("   /  /  "));
    return b;
}

CopyStyle style(int type, bool labelOrEnclose, bool skip) {
    CopyStyle s;
    s.CopyType = type;
    s.CopyAddLabel = labelOrEnclose;
    s.CopyAddChar = labelOrEnclose;
    s.SkipPoorField = skip;
    return s;
}

QString repeat(const QString& text, int n) {
    QString out;
    for (int i = 0; i < n; ++i)
        out += text;
    return out;
}

}  // namespace

Q_DECLARE_METATYPE(quillo::CopyStyle)

class TestRecordCopy : public QObject {
    Q_OBJECT
private slots:
    void eightStyles_data() {
        QTest::addColumn<CopyStyle>("style");
        QTest::addColumn<QString>("text");
        QTest::addRow("lines, labels, skipping")
            << style(1, true, true) << S("書名 :A\r\nメモ :B\r\n");
        QTest::addRow("lines, labels, all fields")
            << style(1, true, false)
            << S("書名：A\r\n副題：\r\n著者名：\r\n著者名２：\r\n著者名３：\r\n著者名４：\r\n著者名"
                 "５：\r\n"
                 "翻訳者：\r\n出版社：\r\n分類：\r\n初版発行日：\r\n購入日：\r\nメモ：B\r\n");
        QTest::addRow("lines, no labels, skipping") << style(1, false, true) << S("A\r\nB\r\n");
        QTest::addRow("lines, no labels, all fields")
            << style(1, false, false) << S("A\r\n") + repeat(S("\r\n"), 11) + S("B\r\n");
        QTest::addRow("one line, enclosed, skipping") << style(2, true, true) << S("『A』 『B』 ");
        QTest::addRow("one line, enclosed, all fields")
            << style(2, true, false) << S("『A』 ") + repeat(S("『』 "), 11) + S("『B』");
        QTest::addRow("one line, plain, skipping") << style(2, false, true) << S("A B ");
        QTest::addRow("one line, plain, all fields")
            << style(2, false, false) << S("A") + repeat(S(" "), 12) + S("B");
    }
    void eightStyles() {
        QFETCH(CopyStyle, style);
        QFETCH(QString, text);
        QCOMPARE(BuildRecordText(titleAndMemo(), style), text);
    }

    void otherTypesAndLiteralTexts() {
        RecordCopyBuffer b = titleAndMemo();
        b.setField(FieldNo::Title, S("100% %1 %s"));
        CopyStyle s = style(7, true, true);  // any type but 1 is the one-line style
        s.AddStringStart = S("【%2");
        s.AddStringEnd = S("】");
        QCOMPARE(BuildRecordText(b, s), S("【%2100% %1 %s】 【%2B】 "));
        s = style(1, true, true);
        s.FieldLabels[FieldNo::Memo] = S("%2");
        QCOMPARE(BuildRecordText(b, s), S("書名 :100% %1 %s\r\n%2 :B\r\n"));
    }

    void longRecordsCopyWhole() {
        RecordCopyBuffer b;
        const QString longTitle(3000, QChar(0x672C));
        b.setField(FieldNo::Title, longTitle);
        QCOMPARE(BuildRecordText(b, style(1, false, true)), longTitle + S("\r\n"));
    }

    void appendFieldLineSkipsEmptyValues() {
        QString text;
        const FieldLineFormat format{true, S(" :"), S(""), S("\r\n")};
        AppendFieldLine(text, S("L"), S(""), false, format);
        AppendFieldLine(text, S("L"), S("    /  /  "), true, format);
        AppendFieldLine(text, S("L"), S("   /  /  "), true, format);
        AppendFieldLine(text, S("L"), S("    /  /  "), false, format);
        QCOMPARE(text, S("L :    /  /  \r\n"));
    }

    void slotsFollowTheFieldTable() {
        QCOMPARE(RecordCopyBuffer::slotOf(FieldNo::Title), 1);
        QCOMPARE(RecordCopyBuffer::slotOf(FieldNo::Translator), 8);
        QCOMPARE(RecordCopyBuffer::slotOf(FieldNo::Writer2), 9);
        QCOMPARE(RecordCopyBuffer::slotOf(FieldNo::Writer5), 12);
        QCOMPARE(RecordCopyBuffer::slotOf(FieldNo::Memo), 13);
        // Every field has a text of its own, a field added later too.
        QSet<int> used;
        for (int field = 1; field < kFieldCount; ++field) {
            const int slot = RecordCopyBuffer::slotOf(field);
            QVERIFY(slot > 0 && slot < static_cast<int>(RecordCopyBuffer().texts.size()));
            used.insert(slot);
        }
        QCOMPARE(used.size(), kFieldCount - 1);
    }

    void privateBlocksDecodeOnlyWhenWhole() {
        RecordCopyBuffer b = titleAndMemo();
        b.setField(FieldNo::Writer, S("夏目漱石"));
        const QByteArray block = EncodeRecordBlock(b);
        QCOMPARE(DecodeRecordBlock(block).value_or(RecordCopyBuffer()), b);
        QVERIFY(!DecodeRecordBlock(block.left(block.size() - 1)));
        QVERIFY(!DecodeRecordBlock(block + "x"));
        QVERIFY(!DecodeRecordBlock(QByteArray("garbage")));
        QVERIFY(!DecodeRecordBlock(QByteArray()));
        QByteArray future = block;
        future[4] = 2;  // a version this program does not know
        QVERIFY(!DecodeRecordBlock(future));
    }

    void clipboardCarriesBothForms() {
        RecordCopyBuffer copied = titleAndMemo();
        copied.setField(FieldNo::PubDate, S("1999/03/15"));
        copied.setField(FieldNo::Kind, S("小説"));
        BuildRecordClipboardText(copied, style(2, false, true));
        QClipboard* clipboard = QGuiApplication::clipboard();
        QCOMPARE(clipboard->text(), S("A 小説 1999/03/15 B "));

        RecordCopyBuffer pasted;
        QVERIFY(ReadRecordFromClipboard(pasted));
        QCOMPARE(pasted, copied);

        // Another program's text replaces the record: nothing to paste, buffer kept.
        clipboard->setText(S("ほかのアプリ"));
        RecordCopyBuffer untouched = titleAndMemo();
        QVERIFY(!ReadRecordFromClipboard(untouched));
        QCOMPARE(untouched, titleAndMemo());

        auto* junk = new QMimeData;
        junk->setData(kRecordMimeType, QByteArray("QREC\x01garbage"));
        clipboard->setMimeData(junk);
        QVERIFY(!ReadRecordFromClipboard(untouched));
        clipboard->clear();
        QVERIFY(!ReadRecordFromClipboard(untouched));
    }
};

QTEST_MAIN(TestRecordCopy)
#include "tst_record_copy.moc"
