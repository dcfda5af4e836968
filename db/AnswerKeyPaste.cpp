#include "db/AnswerKeyPaste.h"

#include "db/AnswerKey.h"
#include "db/Database.h"
#include "db/TableDataset.h"

#include <QHash>

#include <algorithm>
#include <limits>
#include <optional>

namespace {

const QString kNumber = QStringLiteral("soruno");
const QString kKey = QStringLiteral("dc");

bool isKeySeparator(QChar c) {
    return c.isSpace() || c == u',' || c == u';';
}

// Spaces and tabs may stand inside a numbered key ("3) D", a spreadsheet's "1<tab>A").
bool isBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == QChar::Nbsp;
}

// Between a question number and its letter: "1-A", "3) D", "4.B", "5: C", "6 – A".
bool isNumberMark(QChar c) {
    return c == u'-' || c == u')' || c == u'.' || c == u':' || c == u'\u2013';
}

bool isAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// A pasted character as a message shows it; an invisible one by its code.
QString shown(QChar c) {
    return c.isPrint() ? QString(c)
                       : QStringLiteral("U+%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper();
}

// Walks the text, keeping the line and character of the position (both from 1).
class TextCursor {
public:
    explicit TextCursor(const QString& text) : m_text(text) {}

    bool atEnd() const { return m_at >= m_text.size(); }
    QChar peek() const { return atEnd() ? QChar() : m_text.at(m_at); }
    qsizetype at() const { return m_at; }
    int line() const { return m_line; }
    int column() const { return m_column; }

    void advance() {
        const QChar c = m_text.at(m_at++);
        // LF, CR LF and a lone CR each end a line.
        if (c == u'\n' || (c == u'\r' && peek() != u'\n')) {
            ++m_line;
            m_column = 1;
        } else {
            ++m_column;
        }
    }
    void skipWhile(bool (*test)(QChar)) {
        while (!atEnd() && test(peek()))
            advance();
    }

private:
    const QString& m_text;
    qsizetype m_at = 0;
    int m_line = 1;
    int m_column = 1;
};

class PasteReader {
public:
    PasteReader(const QString& text, const PasteTarget& target)
        : m_text(text), m_target(target), m_at(text), m_given(target.questions.size(), QChar()) {
        for (std::size_t row = 0; row < target.questions.size(); ++row)
            m_rowOf.insert(target.questions[row], int(row)); // a repeated number: its first row
    }

    PasteResult read() {
        if (m_text.size() > kMaxPastedChars)
            return PasteRefusal{0, 0,
                                QStringLiteral(u"panodaki metin çok uzun (en fazla %1 karakter).")
                                    .arg(kMaxPastedChars)};
        if (m_target.questions.empty())
            return PasteRefusal{0, 0,
                                QStringLiteral(u"cevap satırı yok. Lütfen önce \"Doğru cevapları "
                                               u"gir\" düğmesine basınız.")};
        while (true) {
            m_at.skipWhile(isKeySeparator);
            if (m_at.atEnd())
                break;
            if (isAsciiDigit(m_at.peek()))
                readNumberedKey();
            else if (m_at.peek().isLetter())
                readRunKey();
            else
                refuseHere(QStringLiteral(u"\"%1\" bir cevap harfi ya da soru numarası değil.")
                               .arg(shown(m_at.peek())));
            if (m_refusal)
                return *m_refusal;
        }
        if (m_keys.empty())
            return PasteRefusal{0, 0, QStringLiteral(u"panoda yapıştırılacak bir cevap yok.")};
        return std::move(m_keys);
    }

private:
    enum class Style { Unknown, Run, Numbered };

    void refuse(int line, int column, QString reason) {
        m_refusal = PasteRefusal{line, column, std::move(reason)};
    }
    void refuseHere(QString reason) { refuse(m_at.line(), m_at.column(), std::move(reason)); }

    // Takes the letter under the cursor when the options have it.
    std::optional<QChar> takeLetter() {
        const QChar letter = m_at.peek();
        if (!isAnswerLetter(QString(letter), m_target.optionCount)) {
            refuseHere(QStringLiteral(u"\"%1\" bir cevap şıkkı değil; soruların %2 şıkkı var "
                                      u"(A-%3).")
                           .arg(shown(letter))
                           .arg(m_target.optionCount)
                           .arg(QChar(u'A' + m_target.optionCount - 1)));
            return std::nullopt;
        }
        m_at.advance();
        return letter.toUpper();
    }

    // One style per text: numbers that name some questions cannot be mixed
    // with letters that follow the current row.
    bool keepStyle(Style style, int line, int column) {
        if (m_style != Style::Unknown && m_style != style) {
            refuse(line, column,
                   QStringLiteral(u"numaralı ve numarasız cevaplar bir arada. Ya her cevabın "
                                  u"önünde soru numarası olmalı ya da hiçbirinin önünde."));
            return false;
        }
        m_style = style;
        return true;
    }

    void readRunKey() {
        const int line = m_at.line();
        const int column = m_at.column();
        const std::optional<QChar> letter = takeLetter();
        if (!letter || !keepStyle(Style::Run, line, column))
            return;
        const std::size_t firstRow =
            std::size_t(std::clamp(m_target.firstRow, 0, int(m_target.questions.size())));
        const std::size_t row = firstRow + m_keys.size();
        if (row >= m_target.questions.size()) {
            refuse(line, column,
                   QStringLiteral(u"cevaplar satırlardan fazla: seçili satırdan sona kadar %1 "
                                  u"satır var, bu %2. cevap.")
                       .arg(m_target.questions.size() - firstRow)
                       .arg(m_keys.size() + 1));
            return;
        }
        m_keys.push_back({int(row), m_target.questions[row], *letter});
    }

    void readNumberedKey() {
        const int line = m_at.line();
        const int column = m_at.column();
        const qsizetype start = m_at.at();
        qint64 number = 0;
        while (!m_at.atEnd() && isAsciiDigit(m_at.peek())) {
            // Past the largest question number only "too large" matters.
            number = std::min<qint64>(number * 10 + m_at.peek().digitValue(),
                                      std::numeric_limits<qint32>::max() + qint64(1));
            m_at.advance();
        }
        // A message shows at most twelve digits of a number.
        const qsizetype digits = m_at.at() - start;
        const QString typed =
            digits <= 12 ? m_text.mid(start, digits) : m_text.mid(start, 12) + u'\u2026';
        m_at.skipWhile(isBlank);
        if (!m_at.atEnd() && isNumberMark(m_at.peek()))
            m_at.advance();
        m_at.skipWhile(isBlank);
        if (m_at.atEnd() || !m_at.peek().isLetter()) {
            refuseHere(QStringLiteral(u"%1 numarasından sonra bir cevap harfi olmalı.").arg(typed));
            return;
        }
        const std::optional<QChar> letter = takeLetter();
        if (!letter || !keepStyle(Style::Numbered, line, column))
            return;
        const auto found =
            m_rowOf.constFind(qint32(std::min<qint64>(number, std::numeric_limits<qint32>::max())));
        if (number > std::numeric_limits<qint32>::max() || found == m_rowOf.cend()) {
            refuse(line, column,
                   QStringLiteral(u"%1. soru bu testte yok (testte %2 soru var).")
                       .arg(typed)
                       .arg(m_target.questions.size()));
            return;
        }
        QChar& given = m_given[std::size_t(*found)];
        if (given.isNull()) {
            given = *letter;
            m_keys.push_back({*found, qint32(number), *letter});
        } else if (given != *letter) {
            refuse(line, column,
                   QStringLiteral(u"%1. soru iki kez, iki ayrı harfle verilmiş (\"%2\" ve \"%3\").")
                       .arg(number)
                       .arg(given)
                       .arg(*letter));
        }
        // The same letter given twice is the same key.
    }

    const QString& m_text;
    const PasteTarget& m_target;
    TextCursor m_at;
    QHash<qint32, int> m_rowOf;
    std::vector<QChar> m_given; // letter a numbered key gave each row
    std::vector<PastedKey> m_keys;
    Style m_style = Style::Unknown;
    std::optional<PasteRefusal> m_refusal;
};

} // namespace

QString PasteRefusal::message() const {
    if (line <= 0)
        return QStringLiteral(u"Cevaplar yapıştırılmadı: ") + reason;
    return QStringLiteral(u"Cevaplar yapıştırılmadı (%1. satır, %2. karakter): %3")
        .arg(QString::number(line), QString::number(column), reason);
}

PasteResult parsePastedKeys(const QString& text, const PasteTarget& target) {
    return PasteReader(text, target).read();
}

PasteResult pasteAnswerKey(TableDataset& websoru, const QString& text, int firstRow,
                           qint32 optionCount) {
    PasteTarget target;
    target.firstRow = firstRow;
    target.optionCount = optionCount;
    const int rows = websoru.recordCount();
    target.questions.reserve(std::size_t(rows));
    for (int row = 0; row < rows; ++row)
        target.questions.push_back(websoru.value(row, kNumber).toInt());

    PasteResult result = parsePastedKeys(text, target);
    const auto* keys = std::get_if<std::vector<PastedKey>>(&result);
    if (!keys)
        return result;
    // One transaction: the grid follows once, and a failure part-way stores no key.
    Transaction transaction(websoru.database());
    for (const PastedKey& key : *keys) {
        websoru.moveTo(key.row);
        websoru.edit();
        websoru.setFieldValue(kKey, QString(key.letter));
    }
    websoru.post();
    websoru.moveTo(firstRow);
    transaction.commit();
    return result;
}
