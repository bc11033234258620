#include "csv/csv_reader.h"

#include "csv/csv_text.h"
#include "platform/cp932.h"
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

}  // namespace

CsvRecordReader::CsvRecordReader(QChar separator, CsvEncoding encoding)
    : m_separator(separator), m_encoding(encoding) {}

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
    const bool sequential = m_file.isSequential();
    QByteArray copy;
    bool bom = false, ascii = true, validUtf8 = true;
    int lineNumber = 0;
    QByteArrayView chunk;
    try {
        while (readChunk(chunk)) {
            ++lineNumber;
            if (chunk.size() >= TCSV::kMaxLineBytes && !chunk.endsWith('\n'))
                throw CsvFileError(
                    QStringLiteral("%1: %2 行目が長すぎます（1 行は %3 バイトまで）。")
                        .arg(fileName)
                        .arg(lineNumber)
                        .arg(TCSV::kMaxLineBytes));
            if (lineNumber == 1)
                bom = chunk.startsWith(QByteArrayView(kUtf8Bom));
            if (m_encoding == CsvEncoding::Auto && validUtf8 && !isAscii(chunk)) {
                ascii = false;
                validUtf8 = decodeUtf8Strict(chunk).has_value();
            }
            if (sequential)
                copy += chunk;
        }
    } catch (const std::bad_alloc&) {
        throw CsvFileError(
            QStringLiteral("%1: ファイルが大きすぎて読み込めません。").arg(fileName));
    }
    switch (m_encoding) {
        case CsvEncoding::ShiftJis:
            m_utf8 = false;
            break;
        case CsvEncoding::Utf8:
            m_utf8 = true;
            break;
        case CsvEncoding::Auto:
            // UTF-8 when marked, or valid throughout with text beyond ASCII.
            m_utf8 = bom || (!ascii && validUtf8);
            break;
    }
    if (sequential) {
        m_file.close();
        m_copy.setData(copy);
        m_copy.open(QIODevice::ReadOnly);
        m_source = &m_copy;
    } else if (!m_file.seek(0)) {
        throw CsvFileError(QStringLiteral("%1: %2").arg(fileName, m_file.errorString()));
    }
    if (m_utf8 && bom)
        m_source->skip(sizeof(kUtf8Bom) - 1);
}

void CsvRecordReader::open(const QString& fileName) {
    m_block.clear();
    m_blockAt = 0;
    m_pushedBack = false;
    m_lineNumber = 0;
    scan(fileName);
}

bool CsvRecordReader::fillBlock() {
    QByteArray bytes;
    QByteArrayView chunk;
    while (bytes.size() < kBlockBytes && readChunk(chunk))
        bytes += chunk;
    if (bytes.isEmpty())
        return false;
    std::optional<QString> whole = m_utf8 ? decodeUtf8Strict(bytes) : Cp932::decode(bytes);
    // A UTF-8 file may hold characters that have no place in the catalogue's CP932
    // files; refusing them here means a later export never loses one.
    if (whole && m_utf8 && !Cp932::canEncode(*whole))
        whole.reset();
    if (whole) {
        for (auto& [text, lineBreak] : linesWithBreaks(*whole))
            m_block.append({std::move(text), std::move(lineBreak), true, ++m_lineNumber});
        return true;
    }
    for (const auto& [line, lineBreak] : linesWithBreaks(bytes)) {
        std::optional<QString> text = m_utf8 ? decodeUtf8Strict(line) : Cp932::decode(line);
        if (text && m_utf8 && !Cp932::canEncode(*text))
            text.reset();
        m_block.append({text.value_or(QString()), QString::fromLatin1(lineBreak), text.has_value(),
                        ++m_lineNumber});
    }
    return true;
}

bool CsvRecordReader::nextLine(Line& line) {
    if (m_pushedBack) {
        m_pushedBack = false;
        line = std::move(m_held);
        return true;
    }
    if (m_blockAt >= m_block.size()) {
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
    m_readable = line.readable;
    m_firstLine = line.number;
    QString lineBreak = std::move(line.lineBreak);
    // A quoted field may hold line breaks: the record goes on until it closes.
    while (m_readable && endsInsideQuotes(m_record, m_separator)) {
        Line more;
        if (!nextLine(more))
            break;
        if (!more.readable) {
            m_held = std::move(more);
            m_pushedBack = true;
            break;
        }
        m_record += lineBreak + more.text;
        lineBreak = std::move(more.lineBreak);
    }
    if (m_record.contains(QChar(0)))
        m_readable = false;
    if (!m_readable)
        m_record.clear();
    return true;
}

}  // namespace quillo
