#include "search/ui/RtfDocument.h"

#include <algorithm>
#include <optional>
#include <QFont>
#include <QList>
#include <QString>
#include <QStringDecoder>
#include <QTextCursor>
#include <QTextDocument>

namespace mendor {

namespace {

// 10 points: the report's text size before any \fs.
constexpr int kDefaultHalfPoints = 20;
constexpr int kMaxGroupDepth = 256;

struct GroupState {
    bool bold = false;
    int halfPoints = kDefaultHalfPoints;
    bool skipped = false;
    int unicodeFallback = 1; ///< characters after \uN that stand in for it (\ucN)
};

class RtfReader {
public:
    explicit RtfReader(QTextDocument& document) : cursor_(&document) { stack_.append(GroupState()); }

    void read(const QString& rtf) {
        text_ = rtf;
        for (at_ = 0; at_ < text_.size();) {
            const QChar c = text_.at(at_);
            if (c == QLatin1Char('{')) {
                ++at_;
                openGroup();
            } else if (c == QLatin1Char('}')) {
                ++at_;
                if (groupsTooDeep_ > 0)
                    --groupsTooDeep_;
                else if (stack_.size() > 1)
                    stack_.removeLast();
            } else if (c == QLatin1Char('\\')) {
                controlSequence();
            } else {
                ++at_;
                // Line breaks in the source are not text.
                if (c != QLatin1Char('\n') && c != QLatin1Char('\r'))
                    character(c);
            }
        }
    }

private:
    GroupState& state() { return stack_.last(); }

    void openGroup() {
        // Groups nested deeper are read as no text, and their ends do not close outer groups.
        if (groupsTooDeep_ > 0 || stack_.size() >= kMaxGroupDepth) {
            ++groupsTooDeep_;
            return;
        }
        stack_.append(stack_.last());
        // The tables and the ignorable destinations are no text.
        static const QStringList skippedWords = {QStringLiteral("fonttbl"), QStringLiteral("colortbl"),
                                                 QStringLiteral("stylesheet"), QStringLiteral("info"),
                                                 QStringLiteral("*")};
        for (const QString& word : skippedWords) {
            const QString start = QLatin1Char('\\') + word;
            if (QStringView(text_).mid(at_, start.size()) == start)
                state().skipped = true;
        }
    }

    // Text is inserted in runs of one format: a report of a million entries is some eighty
    // million characters.
    void character(QChar c) {
        if (pendingFallback_ > 0) {
            --pendingFallback_;
            return;
        }
        if (state().skipped || groupsTooDeep_ > 0)
            return;
        if (!run_.isEmpty() && (runBold_ != state().bold || runHalfPoints_ != state().halfPoints))
            flush();
        runBold_ = state().bold;
        runHalfPoints_ = state().halfPoints;
        run_ += c;
    }

public:
    void flush() {
        if (run_.isEmpty())
            return;
        QTextCharFormat format;
        format.setFontWeight(runBold_ ? QFont::Bold : QFont::Normal);
        format.setFontPointSize(runHalfPoints_ / 2.0);
        cursor_.insertText(run_, format);
        run_.clear();
    }

private:
    void controlSequence() {
        ++at_;
        if (at_ >= text_.size())
            return;
        const QChar c = text_.at(at_);
        if (!c.isLetter()) {
            ++at_;
            if (c == QLatin1Char('\'')) {
                hexByte();
            } else if (c == QLatin1Char('\\') || c == QLatin1Char('{') || c == QLatin1Char('}')) {
                character(c);
            }
            return;
        }
        const qsizetype start = at_;
        while (at_ < text_.size() && text_.at(at_).isLetter() && text_.at(at_).unicode() < 0x80)
            ++at_;
        const QString word = text_.mid(start, at_ - start);
        const qsizetype numberStart = at_;
        if (at_ < text_.size() && text_.at(at_) == QLatin1Char('-'))
            ++at_;
        while (at_ < text_.size() && text_.at(at_).isDigit())
            ++at_;
        bool hasNumber = false;
        const int number = text_.mid(numberStart, at_ - numberStart).toInt(&hasNumber);
        // One blank ends a control word and is no text.
        if (at_ < text_.size() && text_.at(at_) == QLatin1Char(' '))
            ++at_;
        apply(word, hasNumber ? std::optional<int>(number) : std::nullopt);
    }

    void apply(const QString& word, std::optional<int> number) {
        if (word == QLatin1String("b")) {
            state().bold = !number || *number != 0;
        } else if (word == QLatin1String("fs") && number && *number > 0) {
            state().halfPoints = std::min(*number, 3276);
        } else if (word == QLatin1String("par") && !state().skipped && groupsTooDeep_ == 0) {
            pendingFallback_ = 0;
            flush();
            cursor_.insertBlock();
        } else if (word == QLatin1String("uc") && number) {
            state().unicodeFallback = std::max(0, *number);
        } else if (word == QLatin1String("u") && number) {
            const char16_t unit = char16_t(*number < 0 ? *number + 65536 : *number);
            pendingFallback_ = 0;
            character(QChar(unit));
            pendingFallback_ = state().unicodeFallback;
        }
    }

    // \'xx: a byte of the declared code page, 1252.
    void hexByte() {
        bool ok = false;
        const int byte = text_.mid(at_, 2).toInt(&ok, 16);
        at_ += 2;
        if (!ok)
            return;
        const char raw = char(byte);
        QStringDecoder decoder("windows-1252");
        const QString decoded =
            decoder.isValid() ? decoder.decode(QByteArrayView(&raw, 1)) : QString(QChar(byte));
        for (const QChar c : decoded)
            character(c);
    }

    QTextCursor cursor_;
    QList<GroupState> stack_;
    int groupsTooDeep_ = 0;
    QString text_;
    qsizetype at_ = 0;
    int pendingFallback_ = 0;
    QString run_;
    bool runBold_ = false;
    int runHalfPoints_ = kDefaultHalfPoints;
};

} // namespace

std::unique_ptr<QTextDocument> RenderRtf(const QByteArray& rtfUtf8) {
    auto document = std::make_unique<QTextDocument>();
    document->setDefaultFont(QFont(QStringLiteral("Arial"), kDefaultHalfPoints / 2));
    RtfReader reader(*document);
    reader.read(QString::fromUtf8(rtfUtf8));
    reader.flush();
    return document;
}

} // namespace mendor
