#include "csv/csv_reader.h"

#include "csv/csv_text.h"
#include "platform/cp932.h"
#include "platform/line_encoding.h"
#include "platform/utf8_text.h"

namespace quillo {

namespace {

// Lines are decoded a block at a time: one conversion for many lines, and only a
// block that fails is decoded line by line to find the lines at fault.
constexpr qsizetype kBlockBytes = 64 * 1024;

bool isAscii(QByteArrayView bytes) {
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

QString tooLong(const QString& fileName, int lineNumber) {
    return QStringLiteral("%1: %2 行目が長すぎます（1 行は %3 バイトまで）。")
        .arg(fileName, QString::number(lineNumber), QString::number(TCSV::kMaxLineBytes));
}

// Where the decoded text's last whole line ends: after its last LF, or after a
// CR that is not the text's last character (a CR LF may be cut between blocks)
// where a lone CR ends a line.
qsizetype endOfWholeLines(const QString& text, bool loneCrEndsLine) {
    for (qsizetype i = text.size() - 1; i >= 0; --i) {
        if (text[i] == QLatin1Char('\n'))
            return i + 1;
        if (loneCrEndsLine && text[i] == QLatin1Char('\r') && i + 1 < text.size())
            return i + 1;
    }
    return 0;
}

// The yen sign of Unicode text (U+00A5), which Shift-JIS holds only as its
// full-width form: a price or a title keeps its yen.
void keepYen(QString& text) {
    text.replace(QChar(0x00A5), QChar(0xFFE5));
}

}  // namespace

CsvRecordReader::CsvRecordReader(QChar separator, CsvEncoding encoding)
    : m_separator(separator), m_encoding(encoding) {}

QString CsvRecordReader::encodingName() const {
    if (m_utf16)
        return QStringLiteral("UTF-16");
    return m_utf8 ? QStringLiteral("UTF-8") : QStringLiteral("Shift-JIS");
}

bool CsvRecordReader::readChunk(QByteArrayView& chunk) {
    // Up to and with the next LF, which never falls inside a character in either
    // encoding; bounded, so a file that is no text (a device, a huge binary) gets
    // a clear message rather than an exhausted memory. One buffer serves every
    // line (only the pages a line touches are ever mapped).
    if (m_line.isEmpty())
        m_line.resize(TCSV::kMaxLineBytes + 2);
    const qint64 n = m_source->readLine(m_line.data(), TCSV::kMaxLineBytes + 2);
    chunk = QByteArrayView(m_line.constData(), n > 0 ? n : 0);
    if (n > 0)
        return true;
    // Not atEnd(): a device tells no end before it is read.
    if (m_source == &m_file && m_file.error() != QFileDevice::NoError)
        throw CsvFileError(QStringLiteral("%1: %2").arg(m_fileName, m_file.errorString()));
    return false;
}

void CsvRecordReader::scan(const QString& fileName) {
    m_fileName = fileName;
    m_file.setFileName(fileName);
    if (!m_file.open(QIODevice::ReadOnly))
        throw CsvFileError(QStringLiteral("%1: %2").arg(fileName, m_file.errorString()));
    m_source = &m_file;
    // "Unicode text" from a spreadsheet: UTF-16 with its byte-order mark.
    const QByteArray start = m_file.peek(2);
    const bool littleEndian = start == QByteArrayLiteral("\xFF\xFE");
    const bool utf16Mark = littleEndian || start == QByteArrayLiteral("\xFE\xFF");
    if (utf16Mark && m_encoding != CsvEncoding::Auto && m_encoding != CsvEncoding::Utf16)
        throw CsvFileError(QStringLiteral("%1 は UTF-16 のファイルです。文字コードを「自動」か"
                                          "「UTF-16」にしてください。")
                               .arg(fileName));
    if (utf16Mark || m_encoding == CsvEncoding::Utf16) {
        const QStringConverter::Encoding utf16 =
            littleEndian || !utf16Mark ? QStringConverter::Utf16LE : QStringConverter::Utf16BE;
        m_utf16 = std::make_unique<QStringDecoder>(utf16);
        scanUtf16(utf16);
        if (utf16Mark)
            m_source->skip(2);
        return;
    }
    scanBytes(fileName);
}

// Reads a UTF-16 file through once, so one that cannot be read gives nothing.
void CsvRecordReader::scanUtf16(QStringConverter::Encoding encoding) {
    const bool sequential = m_file.isSequential();
    QByteArray copy;
    QStringDecoder lines(encoding);
    for (;;) {
        const QByteArray block = m_file.read(kBlockBytes);
        if (block.isEmpty())
            break;
        if (m_loneCrEndsLine && QString(lines(block)).contains(QLatin1Char('\n')))
            m_loneCrEndsLine = false;
        if (sequential)
            copy += block;
    }
    if (m_file.error() != QFileDevice::NoError)
        throw CsvFileError(QStringLiteral("%1: %2").arg(m_fileName, m_file.errorString()));
    rewind(sequential, copy);
}

// Back to the start for the second reading: a file that cannot be read twice is
// read from the copy the first reading kept.
void CsvRecordReader::rewind(bool sequential, const QByteArray& copy) {
    if (sequential) {
        m_file.close();
        m_copy.setData(copy);
        m_copy.open(QIODevice::ReadOnly);
        m_source = &m_copy;
    } else if (!m_file.seek(0)) {
        throw CsvFileError(QStringLiteral("%1: %2").arg(m_fileName, m_file.errorString()));
    }
}

namespace {

// What the lines beyond ASCII say about a file's encoding, all of them
// counted: a Shift-JIS line may happen to be valid UTF-8 (蟲師 starts with the
// bytes of 峎, ﾎｼ is the bytes of μ) and a UTF-8 line valid Shift-JIS (東京
// reads 譚ｱ莠ｬ), so no single line decides, and a line that reads well only
// in the encoding most lines are not written in is the one refused.
struct EncodingEvidence {
    LineEncodingJudge judge;
    int utf8Only = 0, cp932Only = 0;
    int firstUtf8Only = 0, firstCp932Only = 0;
    bool shelfUtf8 = false;  // a line that tells neither reads as UTF-8 text would

    void add(QByteArrayView line, int lineNumber) {
        switch (judge.judge(line)) {
            case LineEncoding::Utf8:
                if (!utf8Only++)
                    firstUtf8Only = lineNumber;
                break;
            case LineEncoding::ShiftJis:
                if (!cp932Only++)
                    firstCp932Only = lineNumber;
                break;
            case LineEncoding::Either:
                shelfUtf8 = shelfUtf8 || LineEncodingJudge::readsAsShelfUtf8(line);
                break;
            case LineEncoding::Neither:
                break;
        }
    }
    // UTF-8 where more lines read well only so (the first such line deciding
    // a tie), or where no line tells and one reads as a shelf's UTF-8 text.
    bool utf8() const {
        if (utf8Only != cp932Only)
            return utf8Only > cp932Only;
        if (utf8Only > 0)
            return firstUtf8Only < firstCp932Only;
        return shelfUtf8;
    }
    // The first line that reads only in the other encoding, or 0.
    int firstInOther(bool utf8) const { return utf8 ? firstCp932Only : firstUtf8Only; }
};

}  // namespace

void CsvRecordReader::scanBytes(const QString& fileName) {
    const bool sequential = m_file.isSequential();
    QByteArray copy;
    bool bom = false;
    m_utf8 = m_encoding == CsvEncoding::Utf8;
    EncodingEvidence evidence;
    int lineNumber = 0;
    QByteArrayView chunk;
    try {
        while (readChunk(chunk)) {
            ++lineNumber;
            if (chunk.endsWith('\n'))
                m_loneCrEndsLine = false;
            if (chunk.size() >= TCSV::kMaxLineBytes && !chunk.endsWith('\n'))
                throw CsvFileError(tooLong(fileName, lineNumber));
            QByteArrayView text = chunk;
            if (lineNumber == 1 && chunk.startsWith(QByteArrayView(kUtf8Bom))) {
                bom = true;
                text = chunk.sliced(sizeof(kUtf8Bom) - 1);
            }
            if (m_encoding == CsvEncoding::Auto && !bom && !isAscii(text))
                evidence.add(text, lineNumber);
            if (sequential)
                copy += chunk;
        }
    } catch (const std::bad_alloc&) {
        throw CsvFileError(
            QStringLiteral("%1: ファイルが大きすぎて読み込めません。").arg(fileName));
    }
    if (m_encoding == CsvEncoding::Auto) {
        // A byte-order mark says UTF-8; otherwise the whole file decides, and a
        // line that reads only in the other encoding is refused by its number.
        m_utf8 = bom || evidence.utf8();
        if (!bom)
            m_otherEncodingLine = evidence.firstInOther(m_utf8);
    }
    rewind(sequential, copy);
    if (m_utf8 && bom)
        m_source->skip(sizeof(kUtf8Bom) - 1);
}

void CsvRecordReader::open(const QString& fileName) {
    m_block.clear();
    m_blockAt = 0;
    m_pushedBack = false;
    m_lineNumber = 0;
    m_otherEncodingLine = 0;
    m_loneCrEndsLine = true;
    m_utf16.reset();
    m_utf16Rest.clear();
    scan(fileName);
}

// A decoded line, with what makes it unreadable. Any character is taken (é, ß,
// 𠮷 from a foreign or a mixed shelf): a Shift-JIS export refuses such a book by
// name instead, and UTF-8 writes it.
void CsvRecordReader::addLine(QString text, QString lineBreak, QString problem, bool readsInOther) {
    const int number = ++m_lineNumber;
    if (m_utf8 || m_utf16)
        keepYen(text);
    if (number == m_otherEncodingLine)
        problem = QStringLiteral("%1 行目の文字コードが他の行と違います（ほかの行は %2）")
                      .arg(QString::number(number), encodingName());
    else if (problem.isEmpty() && text.contains(QChar(0)))
        problem = QStringLiteral("NUL 文字があります");
    if (!problem.isEmpty())
        text.clear();
    m_block.append(
        {std::move(text), std::move(lineBreak), std::move(problem), number, readsInOther});
}

bool CsvRecordReader::fillBlock() {
    if (m_utf16)
        return fillUtf16Block();
    QByteArray bytes;
    QByteArrayView chunk;
    while (bytes.size() < kBlockBytes && readChunk(chunk))
        bytes += chunk;
    if (bytes.isEmpty())
        return false;
    std::optional<QString> whole = m_utf8 ? decodeUtf8Strict(bytes) : Cp932::decode(bytes);
    if (whole && m_utf8)
        keepYen(*whole);
    if (whole) {
        for (auto& [text, lineBreak] : linesWithBreaks(*whole, m_loneCrEndsLine))
            addLine(std::move(text), std::move(lineBreak), QString());
        return true;
    }
    const QString unreadable =
        QStringLiteral("%1 として読めない文字があります").arg(encodingName());
    for (const auto& [line, lineBreak] : linesWithBreaks(bytes, m_loneCrEndsLine)) {
        std::optional<QString> text = m_utf8 ? decodeUtf8Strict(line) : Cp932::decode(line);
        const bool other = !text && (m_utf8 ? Cp932::decode(line).has_value() : isValidUtf8(line));
        addLine(text.value_or(QString()), QString::fromLatin1(lineBreak),
                text ? QString() : unreadable, other);
    }
    return true;
}

bool CsvRecordReader::fillUtf16Block() {
    for (;;) {
        const QByteArray raw = m_source->read(kBlockBytes);
        if (raw.isEmpty() && m_source == &m_file && m_file.error() != QFileDevice::NoError)
            throw CsvFileError(QStringLiteral("%1: %2").arg(m_fileName, m_file.errorString()));
        const bool atEnd = raw.isEmpty();
        m_utf16Rest += (*m_utf16)(raw);
        const qsizetype cut =
            atEnd ? m_utf16Rest.size() : endOfWholeLines(m_utf16Rest, m_loneCrEndsLine);
        if (cut == 0) {
            if (atEnd)
                return false;
            if (m_utf16Rest.size() > TCSV::kMaxLineBytes)
                throw CsvFileError(tooLong(m_fileName, m_lineNumber + 1));
            continue;
        }
        const QString lines = m_utf16Rest.left(cut);
        m_utf16Rest.remove(0, cut);
        for (auto& [text, lineBreak] : linesWithBreaks(lines, m_loneCrEndsLine)) {
            // The decoder puts U+FFFD where the bytes are no UTF-16.
            const bool broken = text.contains(QChar::ReplacementCharacter);
            addLine(std::move(text), std::move(lineBreak),
                    broken ? QStringLiteral("UTF-16 として読めない文字があります") : QString());
        }
        return true;
    }
}

bool CsvRecordReader::nextLine(Line& line) {
    if (m_pushedBack) {
        m_pushedBack = false;
        line = std::move(m_held);
        return true;
    }
    // A block may give no line (a byte-order mark alone): the next is read.
    while (m_blockAt >= m_block.size()) {
        m_block.clear();
        m_blockAt = 0;
        if (!fillBlock())
            return false;
    }
    line = std::move(m_block[m_blockAt++]);
    return true;
}

bool CsvRecordReader::next() {
    Line line;
    if (!nextLine(line))
        return false;
    m_record = std::move(line.text);
    m_problem = std::move(line.problem);
    m_readsInOther = line.readsInOther;
    m_firstLine = line.number;
    QString lineBreak = std::move(line.lineBreak);
    // A quoted field may hold line breaks: the record goes on until it closes.
    while (m_problem.isEmpty() && !m_quotesAreText && endsInsideQuotes(m_record, m_separator)) {
        Line more;
        if (!nextLine(more))
            break;
        if (!more.problem.isEmpty()) {
            m_held = std::move(more);
            m_pushedBack = true;
            break;
        }
        m_record += lineBreak + more.text;
        lineBreak = std::move(more.lineBreak);
    }
    return true;
}

}  // namespace quillo
