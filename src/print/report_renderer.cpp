#include "print/report_renderer.h"

#include <QHash>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>
#include <climits>
#include <limits>

#include "engine/cached_dataset.h"

namespace quillo {

namespace {

// A Latin word of up to this many characters is never broken (a name like
// "Seidensticker"); a longer one ("Donaudampfschiffahrtsgesellschaft", a web
// address) breaks at the column's width rather than squeeze every other column.
constexpr qsizetype kLongestWholeWord = 14;

QFont gothic(double points, bool bold = false) {
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPointSizeF(points);
    font.setBold(bold);
    return layoutFont(font);
}

// The widest character a text in this font is likely to hold, so that most
// texts are known to fit their column without being measured.
double widestCharacter(const QFontMetricsF& metrics) {
    double widest = 0;
    for (const QChar c : QStringLiteral("Wあ漢Ｗ％—"))
        widest = std::max(widest, metrics.horizontalAdvance(c));
    return widest * 1.05;
}

bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QChar(0x3000);
}

bool isJapanese(QChar c) {
    return c.unicode() >= 0x2E80 && !c.isSurrogate();
}

// A line holding one Japanese character alone: what makes a list look broken.
bool isLoneJapaneseLine(const QString& line) {
    return line.size() == 1 && isJapanese(line[0]);
}

// A line of one Japanese character reads badly ("岩波書/店", "第11/巻",
// "森を/め/ぐって"): it takes the line above's last character along (two when
// the last is a small kana), or the number it ends with, when the line above
// keeps some text and both lines still fit.
void keepJapaneseCharactersInCompany(QStringList& lines, double width, const QFont& font) {
    const QFontMetricsF metrics(font);
    // Characters a line may not start with: small kana, the iteration and
    // length marks, closing brackets and punctuation.
    const QString noStart = QStringLiteral(
        "、。，．・：；？！ヽヾゝゞ々ー）］｝」』ぁぃぅぇぉっゃゅょゎ"
        "ァィゥェォッャュョヮヵヶ");
    for (qsizetype i = 1; i < lines.size(); ++i) {
        QString& line = lines[i];
        QString& above = lines[i - 1];
        if (!isLoneJapaneseLine(line) || above.size() < 2 || isBlank(above.back()))
            continue;
        const bool number = !isJapanese(above.back());
        qsizetype keep = above.size() - 1;
        while (number && keep > 0 && !isJapanese(above[keep - 1]) && !isBlank(above[keep - 1]))
            --keep;
        // "めぐっ/て" becomes "め/ぐって": a small kana goes with the one before.
        while (!number && keep > 0 && noStart.contains(above[keep]) && isJapanese(above[keep - 1]))
            --keep;
        if (keep < (number ? 1 : 2) || noStart.contains(above[keep]))
            continue;
        const QString moved = above.mid(keep) + line;
        if (metrics.horizontalAdvance(moved) > width)
            continue;
        line = moved;
        above.truncate(keep);
    }
}

bool isLatinLetter(QChar c) {
    return c.unicode() < 0x2E80 && c.isLetter();
}

// A run without blanks that is a word ("Donaudampfschiffahrtsgesellschaft",
// "Fitzwilliam-Featherstonehaugh"), not a web address or a number: broken
// inside, it takes a hyphen.
bool isWordAround(const QString& text, qsizetype at) {
    qsizetype start = at, end = at;
    while (start > 0 && !isBlank(text[start - 1]))
        --start;
    while (end < text.size() && !isBlank(text[end]))
        ++end;
    for (qsizetype i = start; i < end; ++i)
        if (!isLatinLetter(text[i]) && text[i] != u'-' && text[i] != u'\'')
            return false;
    return true;
}

QStringList qtLines(const QString& text, double width, const QFont& font, qsizetype from = 0,
                    int most = INT_MAX) {
    QTextLayout layout(text.mid(from), font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid() && lines.size() < most;
         line = layout.createLine()) {
        line.setLineWidth(std::max(1.0, width));
        lines << layout.text().mid(line.textStart(), line.textLength());
    }
    layout.endLayout();
    return lines;
}

// Breaks a text by Qt's line rules: between CJK characters, at word boundaries
// in Latin text, and anywhere when a word is wider than the line. A word broken
// inside ends its line with a hyphen, the line made shorter to hold it.
QStringList breakAnywhere(const QString& text, double width, const QFont& font) {
    QStringList lines = qtLines(text, width, font);
    auto insideAWord = [&](qsizetype end) {
        return end > 0 && end < text.size() && isLatinLetter(text[end - 1]) &&
               isLatinLetter(text[end]) && isWordAround(text, end);
    };
    qsizetype end = 0;
    bool hyphens = false;
    for (qsizetype i = 0; i + 1 < lines.size() && !hyphens; ++i)
        hyphens = insideAWord(end += lines[i].size());
    if (hyphens) {
        const QFontMetricsF metrics(font);
        const double hyphen = metrics.horizontalAdvance(u'-');
        lines.clear();
        for (qsizetype at = 0; at < text.size();) {
            QString line = qtLines(text, width, font, at, 1).value(0);
            if (line.isEmpty())
                break;
            qsizetype length = line.size();
            if (insideAWord(at + length)) {
                while (length > 1 &&
                       metrics.horizontalAdvance(text.mid(at, length)) + hyphen > width)
                    --length;
                // Never one letter alone after the hyphen ("Marque-/z").
                const qsizetype next = at + length + 1;
                if (length > 2 && isLatinLetter(text[at + length]) &&
                    (next == text.size() || !isLatinLetter(text[next])))
                    --length;
                line = text.mid(at, length);
                if (insideAWord(at + length))
                    line += u'-';
            }
            lines << line;
            at += length;
        }
    }
    keepJapaneseCharactersInCompany(lines, width, font);
    return lines;
}

// A text as it is printed: a tab is a blank, and a line break (a memo's) starts
// a new line.
QString printedText(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
    return text;
}

// The Latin words and numbers of a text: the pieces a line is not broken inside
// (Japanese text breaks between any two characters).
QList<QStringView> latinWords(const QString& text) {
    QList<QStringView> words;
    qsizetype start = -1;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        const bool inWord =
            i < text.size() && !isBlank(text[i]) && text[i] != u'\n' && text[i].unicode() < 0x2E80;
        if (inWord && start < 0)
            start = i;
        else if (!inWord && start >= 0) {
            words << QStringView(text).mid(start, i - start);
            start = -1;
        }
        // A line may break after a hyphen: "Fitzwilliam-" is a word of its own.
        if (inWord && text[i] == u'-' && start >= 0) {
            words << QStringView(text).mid(start, i + 1 - start);
            start = -1;
        }
    }
    return words;
}

// The books the column widths are polished against: up to 120 spread over the
// list, wrapped as they will be printed. Each distinct text of a column is
// wrapped once a width, and only when it is wider than the column.
class WrapSample {
public:
    WrapSample(const ReportRows& rows, const ReportSetup& setup, const QFont& body)
        : m_setup(setup), m_body(body), m_heading(gothic(8, true)) {
        const QFontMetricsF metrics(body);
        const int count = rows.rowCount();
        const int step = std::max(1, count / 120);
        for (int i = 1; i < kFieldCount; ++i) {
            if (!setup.visible[static_cast<size_t>(i)] || isDateField(i))
                continue;
            std::vector<Text>& texts = m_texts[static_cast<size_t>(i)];
            QHash<QString, int> known;
            for (int row = 0; row < count; row += step) {
                int index = -1;
                if (!rows.isEmpty(row, i)) {
                    const QString text = rows.text(row, i);
                    auto it = known.find(text);
                    if (it == known.end()) {
                        const QString printed = printedText(text);
                        it = known.insert(text, static_cast<int>(texts.size()));
                        texts.push_back({text,
                                         printed.contains(u'\n')
                                             ? std::numeric_limits<double>::infinity()
                                             : metrics.horizontalAdvance(printed),
                                         0});
                    }
                    index = *it;
                    ++texts[static_cast<size_t>(index)].books;
                }
                m_rowText[static_cast<size_t>(i)].push_back(index);
            }
        }
        // A heading is printed once a page: its lone character weighs as many
        // books as a page holds, about fifteen.
        m_headingWeight = std::max(1.0, (count + step - 1) / step / 15.0);
    }

    // How the column's sampled texts wrap at a width.
    ReportColumnWrap wrap(int field, double width) const {
        auto lone = [](const QStringList& lines) {
            return static_cast<double>(
                std::count_if(lines.begin(), lines.end(), isLoneJapaneseLine));
        };
        const std::vector<Text>& texts = m_texts[static_cast<size_t>(field)];
        std::vector<int> lines(texts.size(), 1);
        ReportColumnWrap wrap;
        for (size_t t = 0; t < texts.size(); ++t) {
            if (texts[t].oneLine <= width && texts[t].text.size() > 1)
                continue;
            const QStringList wrapped = wrapField(texts[t].text, width, m_body);
            lines[t] = static_cast<int>(wrapped.size());
            wrap.lone += texts[t].books * lone(wrapped);
        }
        for (const int index : m_rowText[static_cast<size_t>(field)])
            wrap.lines.push_back(index < 0 ? 0 : lines[static_cast<size_t>(index)]);
        wrap.lone += m_headingWeight *
                     lone(wrapText(m_setup.labels[static_cast<size_t>(field)], width, m_heading));
        return wrap;
    }

private:
    struct Text {
        QString text;
        double oneLine;  // its width on one line; infinite when it holds line breaks
        int books;       // how many of the sampled books have it
    };
    const ReportSetup& m_setup;
    ReportFont m_body, m_heading;
    std::array<std::vector<Text>, kFieldCount> m_texts;
    std::array<std::vector<int>, kFieldCount> m_rowText;  // per sampled book; -1: no text
    double m_headingWeight = 1;
};

}  // namespace

// A field's lines in a column: each of its own lines wrapped to the width.
QStringList wrapField(const QString& text, double width, const ReportFont& font) {
    const QString printed = printedText(text);
    if (!printed.contains(QLatin1Char('\n')))
        return wrapText(printed, width, font);
    QStringList lines;
    for (const QString& paragraph : printed.split(QLatin1Char('\n'))) {
        const QStringList wrapped = wrapText(paragraph, width, font);
        lines << (wrapped.isEmpty() ? QStringList{QString()} : wrapped);
    }
    return lines;
}

QString crampedAdvice(const ReportLayout& layout, bool landscape, AdviceFor reader) {
    if (layout.readable)
        return {};
    QString advice = layout.loneShare > kMostLoneShare
                         ? QStringLiteral(
                               "表示する項目が多く、この用紙では列が狭すぎて、%1 % の行が"
                               "一文字だけになります。")
                               .arg(qRound(layout.loneShare * 100))
                         : QStringLiteral(
                               "表示する項目が多く、この用紙では文字が %1 "
                               "ポイントより小さくなります。")
                               .arg(kReadablePoints);
    if (landscape)
        advice += QStringLiteral("表示する項目を減らすか、大きな用紙にすると読みやすくなります。");
    else if (reader == AdviceFor::CommandLine)
        advice += QStringLiteral("--landscape で読みやすくなります。");
    else
        advice += QStringLiteral("横向きにするか、表示する項目を減らしてください。");
    return advice;
}

QFont layoutFont(QFont font, double scale) {
    // A font made smaller to fit is rounded down, so it never outgrows the room
    // it was measured for.
    if (font.pointSizeF() > 0) {
        const double pixels = font.pointSizeF() * scale * 96 / 72;
        font.setPixelSize(std::max(1, scale < 1 ? static_cast<int>(pixels) : qRound(pixels)));
    }
    return font;
}

int DatasetReportRows::rowCount() const {
    return m_rows.rowCount();
}

QString DatasetReportRows::text(int row, int field) const {
    return field < m_rows.fieldCount() ? m_rows.textAt(row, field) : QString();
}

bool DatasetReportRows::isEmpty(int row, int field) const {
    return field >= m_rows.fieldCount() || m_rows.isNullAt(row, field);
}

ReportRenderer::ReportRenderer(const ReportRows& rows, ReportSetup setup)
    : m_rows(rows), m_setup(std::move(setup)), m_body(QFont()), m_heading(QFont()) {
    measureColumns();
}

void ReportRenderer::measureColumns() {
    const QFont body = layoutFont(m_setup.recordFont);
    const QFontMetricsF bodyMetrics(body);
    const QFontMetricsF headingMetrics(gothic(8, true));
    ReportLayoutInput input;
    input.width = m_setup.printable.width();
    // A full-width character: in a proportional font kana are narrower than
    // kanji, and two kanji must fit where two characters are promised.
    input.em = std::max(bodyMetrics.horizontalAdvance(QChar(0x3042)),
                        bodyMetrics.horizontalAdvance(QChar(0x6F22)));
    input.fontPoints = m_setup.recordFont.pointSizeF() > 0 ? m_setup.recordFont.pointSizeF() : 9;

    // Which columns hold any text at all, and the largest ID when it is shown.
    std::array<bool, kFieldCount> holdsText{};
    qint64 largestId = 0;
    const int rows = m_rows.rowCount();
    for (int i = 0; i < kFieldCount; ++i) {
        if (!m_setup.visible[static_cast<size_t>(i)])
            continue;
        for (int row = 0; row < rows && !holdsText[static_cast<size_t>(i)]; ++row)
            holdsText[static_cast<size_t>(i)] = !m_rows.isEmpty(row, i);
    }
    if (m_setup.visible[FieldNo::ID]) {
        for (int row = 0; row < rows; ++row)
            largestId = std::max(largestId, m_rows.text(row, FieldNo::ID).toLongLong());
    }
    // What most texts of a column need, from a sample of the books.
    std::array<std::vector<double>, kFieldCount> sampled;
    std::array<std::vector<double>, kFieldCount> longestWords;  // each book's widest word
    int sampledRows = 0;
    const int step = std::max(1, rows / 2000);
    for (int row = 0; row < rows; row += step) {
        ++sampledRows;
        for (int i = 1; i < kFieldCount; ++i) {
            if (!m_setup.visible[static_cast<size_t>(i)] || isDateField(i) ||
                m_rows.isEmpty(row, i))
                continue;
            // A memo's own lines count one by one.
            const QString text = printedText(m_rows.text(row, i));
            double line = 0;
            for (const QString& paragraph : text.split(u'\n'))
                line = std::max(line, bodyMetrics.horizontalAdvance(paragraph) + 1);
            sampled[static_cast<size_t>(i)].push_back(line);
            double widest = 0;
            for (const QStringView word : latinWords(text))
                if (word.size() <= kLongestWholeWord)
                    widest = std::max(widest, bodyMetrics.horizontalAdvance(word.toString()) + 1);
            longestWords[static_cast<size_t>(i)].push_back(widest);
        }
    }

    for (int i = 0; i < kFieldCount; ++i) {
        ReportColumnNeeds& need = input.fields[static_cast<size_t>(i)];
        need.visible = m_setup.visible[static_cast<size_t>(i)];
        need.gridWidth = m_setup.widths[static_cast<size_t>(i)];
        need.empty = !holdsText[static_cast<size_t>(i)];
        std::vector<double>& widths = sampled[static_cast<size_t>(i)];
        if (!widths.empty()) {
            const double longest = *std::max_element(widths.begin(), widths.end());
            // Short texts all on one line; long ones (titles) as nine in ten of
            // them would be, so one very long title does not take the page.
            const auto at = widths.begin() + static_cast<std::ptrdiff_t>(widths.size() * 9 / 10);
            std::nth_element(widths.begin(), at, widths.end());
            need.preferredWidth = std::min(
                longest, longest <= 12 * input.em ? longest : std::max(*at, 12 * input.em));
            // The words of all but one book in a hundred stay whole: one book's
            // long name is broken rather than narrow every other column. A
            // word wider than a quarter of the page may be broken too.
            std::vector<double>& words = longestWords[static_cast<size_t>(i)];
            const auto most =
                words.begin() + static_cast<std::ptrdiff_t>(words.size() - 1 - words.size() / 100);
            std::nth_element(words.begin(), most, words.end());
            need.minWidth = std::min(*most, input.width / 4);
            need.filled = static_cast<double>(widths.size()) / std::max(1, sampledRows);
        }
        const QString& heading = m_setup.labels[static_cast<size_t>(i)];
        need.headingWidth = headingMetrics.horizontalAdvance(heading) + 1;
        // A heading breaks at blanks, and between Japanese characters; a Latin
        // word of it is broken only when it must.
        const double headingEm = headingMetrics.horizontalAdvance(QChar(0x3042));
        for (const QString& word : heading.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const bool japanese = std::any_of(word.begin(), word.end(),
                                              [](QChar c) { return c.unicode() >= 0x3000; });
            need.headingWord =
                std::max(need.headingWord, std::min(headingMetrics.horizontalAdvance(word) + 1,
                                                    (japanese ? 2 : 4) * headingEm));
        }
        if (isDateField(i)) {
            need.fixedWidth =
                std::max(bodyMetrics.horizontalAdvance(QStringLiteral("0000/00/00")),
                         bodyMetrics.horizontalAdvance(QStringLiteral("8888/88/88"))) +
                1;
        } else if (i == FieldNo::ID) {
            const QString digits(QString::number(largestId).size(), QLatin1Char('8'));
            need.fixedWidth = bodyMetrics.horizontalAdvance(digits) + 1;
        }
    }
    const WrapSample sample(m_rows, m_setup, body);
    input.measure = [&](int field, double width) { return sample.wrap(field, width); };
    m_layout = computeReportLayout(input);

    const double scale = std::min(1.0, m_layout.scale);
    m_body = ReportFont(layoutFont(m_setup.recordFont, scale));
    // Headings shrink with the body, but never below what can still be read.
    m_headingPoints = std::max(kLeastHeadingPoints, 8 * scale);
    m_heading = ReportFont(gothic(m_headingPoints, true));
    m_idHeadingFont = gothic(m_headingPoints, false);

    // The headings may take more than one line: the rule goes under the deepest.
    int lines = 1;
    for (int i = 0; i < kFieldCount; ++i) {
        const ReportColumn& column = m_layout.columns[static_cast<size_t>(i)];
        if (column.enabled)
            lines =
                std::max(lines, static_cast<int>(wrapText(m_setup.labels[static_cast<size_t>(i)],
                                                          column.width, m_heading)
                                                     .size()));
    }
    m_ruleY = std::max(64.0, kHeadingTop + lines * m_heading.metrics.lineSpacing() + 3);
    m_headerHeight = std::max(kHeaderHeight, m_ruleY + 13);
}

ReportFont::ReportFont(const QFont& f) : font(f), metrics(f), widest(widestCharacter(metrics)) {}

QStringList wrapText(const QString& text, double width, const ReportFont& font) {
    if (text.isEmpty())
        return {};
    if (static_cast<double>(text.size()) * font.widest <= width ||
        font.metrics.horizontalAdvance(text) <= width)
        return {text};
    if (!std::any_of(text.begin(), text.end(), isBlank))
        return breakAnywhere(text, width, font.font);
    QStringList lines;
    QString line;
    auto trimmed = [](QString t) {
        while (!t.isEmpty() && isBlank(t.back()))
            t.chop(1);
        return t;
    };
    auto flush = [&] {
        line = trimmed(line);
        if (!line.isEmpty())
            lines << line;
        line.clear();
    };
    for (qsizetype start = 0; start < text.size();) {
        qsizetype end = start;
        while (end < text.size() && !isBlank(text[end]))
            ++end;
        while (end < text.size() && isBlank(text[end]))
            ++end;
        const QString word = text.mid(start, end - start);
        start = end;
        if (font.metrics.horizontalAdvance(trimmed(line + word)) <= width) {
            line += word;
            continue;
        }
        flush();
        const QString bare = trimmed(word);
        if (font.metrics.horizontalAdvance(bare) <= width) {
            line = word;
        } else {
            QStringList pieces = breakAnywhere(bare, width, font.font);
            line = pieces.takeLast() + word.mid(bare.size());  // the blank after it stays
            lines << pieces;
        }
    }
    flush();
    return lines;
}

int ReportRenderer::rowLines(int row) const {
    int lines = 1;
    for (int i = 0; i < kFieldCount; ++i) {
        const ReportColumn& column = m_layout.columns[static_cast<size_t>(i)];
        if (!column.enabled || i == FieldNo::ID || isDateField(i) || m_rows.isEmpty(row, i))
            continue;
        lines = std::max(
            lines, static_cast<int>(wrapField(m_rows.text(row, i), column.width, m_body).size()));
    }
    return lines;
}

double ReportRenderer::bandHeight(int row) const {
    return rowLines(row) * m_body.metrics.lineSpacing() + kBandPadding;
}

double ReportRenderer::bodyHeight() const {
    return m_setup.printable.height() - m_headerHeight - kFooterHeight;
}

bool ReportRenderer::paginate(int rows) {
    const double body = bodyHeight();
    const double spacing = m_body.metrics.lineSpacing();
    const int end = std::min(m_rows.rowCount(), m_nextRow + std::max(1, rows));
    for (; m_nextRow < end; ++m_nextRow) {
        const int lines = rowLines(m_nextRow);
        const double height = lines * spacing + kBandPadding;
        if (m_pageStarts.empty()) {
            m_pageStarts.push_back({m_nextRow, 0});
            m_used = 0;
        }
        if (m_used + height <= body) {
            m_used += height;
            continue;
        }
        // A book that does not fit the rest of the page goes to the next one,
        // unless it is tall: then it starts here, where a few of its lines
        // fit, rather than leave this page almost empty.
        const int room = static_cast<int>((body - m_used - kBandPadding) / spacing);
        if (height <= body / 3 || room < kLeastLinesBeforeABreak) {
            m_pageStarts.push_back({m_nextRow, 0});
            m_used = 0;
            if (height <= body) {
                m_used = height;
                continue;
            }
        }
        // Its lines go on over the next pages, each opening with the title
        // line that says which book goes on.
        for (int line = 0;;) {
            const int fit = std::max(1, static_cast<int>((body - m_used - kBandPadding) / spacing));
            if (lines - line <= fit) {
                m_used += (lines - line) * spacing + kBandPadding;
                break;
            }
            line += fit;
            m_pageStarts.push_back({m_nextRow, line});
            m_used = spacing;
        }
    }
    return paginated();
}

int ReportRenderer::pageCount() const {
    return static_cast<int>(m_pageStarts.size());
}

bool ReportRenderer::ensurePage(int page) {
    // A page is complete once the next one has started, or every row is placed.
    while (!paginated() && pageCount() <= page)
        paginate(64);
    return page >= 1 && page <= pageCount();
}

double ReportRenderer::progress() const {
    const int rows = m_rows.rowCount();
    return rows > 0 ? static_cast<double>(m_nextRow) / rows : 1.0;
}

void ReportRenderer::paintPage(QPainter& painter, int page) const {
    const double width = m_layout.width;
    painter.setPen(Qt::black);

    // Page header: title, time of printing, headings, rule.
    QFont title(QStringLiteral("ＭＳ Ｐ明朝"));
    title.setPointSize(12);
    title.setBold(true);
    painter.setFont(layoutFont(title));
    painter.drawText(QPointF(0, 28 + QFontMetricsF(painter.font()).ascent()),
                     QStringLiteral("Quilloレポート"));
    painter.setFont(gothic(8));
    painter.drawText(QRectF(0, 28, width, 20), Qt::AlignRight | Qt::AlignTop, m_setup.printedAt);
    const QFontMetricsF& headings = m_heading.metrics;
    for (int i = 0; i < kFieldCount; ++i) {
        const ReportColumn& column = m_layout.columns[static_cast<size_t>(i)];
        if (!column.enabled)
            continue;
        painter.setFont(i == FieldNo::ID ? m_idHeadingFont : m_heading.font);
        const QStringList lines =
            wrapText(m_setup.labels[static_cast<size_t>(i)], column.width, m_heading);
        for (qsizetype n = 0; n < lines.size(); ++n)
            painter.drawText(
                QPointF(column.left, kHeadingTop + headings.ascent() + n * headings.lineSpacing()),
                lines[n]);
    }
    painter.drawLine(QPointF(0, m_ruleY), QPointF(width, m_ruleY));

    // One band per book.
    if (page >= 1 && page <= pageCount()) {
        const PageStart first = m_pageStarts[static_cast<size_t>(page - 1)];
        // The page ends before the next page's start: a row, or a line of one.
        const PageStart next =
            page < pageCount() ? m_pageStarts[static_cast<size_t>(page)] : PageStart{m_nextRow, 0};
        const int end = next.line > 0 ? next.row + 1 : next.row;
        painter.setFont(m_body.font);
        const QFontMetricsF& body = m_body.metrics;
        double y = m_headerHeight;
        if (first.line > 0) {
            // A book carried over from the page before: its title says which.
            const QString more = QStringLiteral("（続き）");
            const QString title =
                body.elidedText(m_rows.text(first.row, FieldNo::Title).simplified(), Qt::ElideRight,
                                std::max(0.0, width - body.horizontalAdvance(more)));
            painter.drawText(QPointF(0, y + kBandTop + body.ascent()), title + more);
            y += body.lineSpacing();
        }
        for (int row = first.row; row < end; ++row) {
            // The lines of this row on this page.
            const int from = row == first.row ? first.line : 0;
            const int to = row == next.row && next.line > 0 ? next.line : INT_MAX;
            int deepest = 1;
            for (int i = 0; i < kFieldCount; ++i) {
                const ReportColumn& column = m_layout.columns[static_cast<size_t>(i)];
                if (!column.enabled || m_rows.isEmpty(row, i))
                    continue;
                const QString text = m_rows.text(row, i);
                const QStringList lines = i == FieldNo::ID || isDateField(i)
                                              ? QStringList{text}
                                              : wrapField(text, column.width, m_body);
                const qsizetype shown = std::min<qsizetype>(lines.size(), to);
                for (qsizetype n = from; n < shown; ++n)
                    painter.drawText(QPointF(column.left, y + kBandTop + body.ascent() +
                                                              (n - from) * body.lineSpacing()),
                                     lines[n]);
                deepest = std::max(deepest, static_cast<int>(shown - from));
            }
            y += deepest * body.lineSpacing() + kBandPadding;
            // A faint rule between books, as a table has: bands this close
            // still read as one book each.
            if (row + 1 < end) {
                painter.save();
                painter.setPen(QPen(QColor(0xc8, 0xc8, 0xc8), 0.5));
                painter.drawLine(QPointF(0, y - 1), QPointF(width, y - 1));
                painter.restore();
            }
        }
    }

    // Page footer at the foot of the printable area.
    const double footer = m_setup.printable.height() - kFooterHeight;
    painter.drawLine(QPointF(0, footer + 1), QPointF(width, footer + 1));
    painter.setFont(gothic(8));
    const QFontMetricsF small(painter.font());
    // Once every page is counted, the count follows the number.
    QString number = QStringLiteral("Page : ") + QString::number(page);
    if (paginated())
        number += QStringLiteral(" / ") + QString::number(pageCount());
    painter.drawText(QPointF(width - small.horizontalAdvance(number), footer + 4 + small.ascent()),
                     number);
}

PaintResult paintReport(ReportRenderer& report, QPagedPaintDevice& device, int from, int to,
                        const std::function<bool(int page)>& step) {
    from = std::max(from, 1);
    if (!report.ensurePage(from))
        return PaintResult::Done;  // nothing in the range: no page at all
    QPainter painter;
    if (!painter.begin(&device))
        return PaintResult::Failed;
    const double scale = device.logicalDpiX() / 96.0;
    for (int page = from; page <= to && report.ensurePage(page); ++page) {
        if (step && !step(page)) {
            painter.end();
            return PaintResult::Cancelled;
        }
        if (page > from && !device.newPage()) {
            painter.end();
            return PaintResult::Failed;
        }
        painter.save();
        painter.scale(scale, scale);
        report.paintPage(painter, page);
        painter.restore();
    }
    return painter.end() ? PaintResult::Done : PaintResult::Failed;
}

}  // namespace quillo
