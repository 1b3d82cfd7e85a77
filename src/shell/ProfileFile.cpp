#include "shell/ProfileFile.h"

#include "shell/SafeFileWrite.h"

#include <QFile>
#include <QList>

namespace mendor {

namespace {

/// One line of the file as byte offsets: [begin, end) is its text without the line break,
/// next is where the following line begins.
struct LineSpan {
    qsizetype begin = 0;
    qsizetype end = 0;
    qsizetype next = 0;
};

QList<LineSpan> splitLines(const QByteArray& text) {
    QList<LineSpan> lines;
    qsizetype begin = 0;
    while (begin < text.size()) {
        const qsizetype newline = text.indexOf('\n', begin);
        qsizetype end = newline < 0 ? text.size() : newline;
        const qsizetype next = newline < 0 ? text.size() : newline + 1;
        if (end > begin && text.at(end - 1) == '\r')
            --end;
        lines.append({begin, end, next});
        begin = next;
    }
    return lines;
}

enum class LineKind { Blank, Comment, Section, Entry };

struct ParsedLine {
    LineKind kind = LineKind::Blank;
    QString name;  ///< section name, or key name as the file spells it
    QString value; ///< entries only; a line without "=" is a key with an empty value
};

ParsedLine parseLine(const QByteArray& text, const LineSpan& span) {
    const QString line = QString::fromUtf8(text.constData() + span.begin, span.end - span.begin).trimmed();
    if (line.isEmpty())
        return {};
    if (line.startsWith(QLatin1Char(';')))
        return {LineKind::Comment, {}, {}};
    if (line.startsWith(QLatin1Char('['))) {
        const qsizetype close = line.indexOf(QLatin1Char(']'));
        return {LineKind::Section, line.mid(1, close < 0 ? -1 : close - 1).trimmed(), {}};
    }
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (equals < 0)
        return {LineKind::Entry, line, {}};
    return {LineKind::Entry, line.left(equals).trimmed(), line.mid(equals + 1).trimmed()};
}

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

/// Where a key is, or where it would go.
struct KeyLookup {
    bool sectionFound = false;
    qsizetype lastEntryLine = -1; ///< the section header or the section's last entry
    qsizetype keyLine = -1;
    ParsedLine key;
};

KeyLookup lookUp(const QByteArray& text, const QList<LineSpan>& lines, const QString& section,
                 const QString& key) {
    KeyLookup found;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        ParsedLine parsed = parseLine(text, lines.at(i));
        if (parsed.kind == LineKind::Section) {
            if (found.sectionFound)
                break; // only the first section of that name counts
            if (sameName(parsed.name, section)) {
                found.sectionFound = true;
                found.lastEntryLine = i;
            }
            continue;
        }
        if (!found.sectionFound || parsed.kind != LineKind::Entry)
            continue;
        found.lastEntryLine = i;
        if (sameName(parsed.name, key)) {
            found.keyLine = i;
            found.key = std::move(parsed);
            break;
        }
    }
    return found;
}

QString stripQuotes(const QString& value) {
    if (value.size() >= 2 && (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\'')) &&
        value.back() == value.front())
        return value.mid(1, value.size() - 2);
    return value;
}

/// The line break of the file's first line, so that added lines match the rest.
QByteArray lineBreakOf(const QByteArray& text) {
    const qsizetype newline = text.indexOf('\n');
    return newline > 0 && text.at(newline - 1) == '\r' ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
}

QString oneLine(QString text) {
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

/// The file's bytes; empty when it is missing. std::nullopt when it exists but cannot be read.
std::optional<QByteArray> readExisting(const QString& path, QString& error) {
    QFile file(path);
    if (!file.exists())
        return QByteArray();
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    return file.readAll();
}

QByteArray readFile(const QString& path) {
    QString ignored;
    return readExisting(path, ignored).value_or(QByteArray());
}

} // namespace

ProfileFile::ProfileFile(QString path) : path_(std::move(path)) {}

ProfileFile ProfileFile::snapshotOf(const QString& path) {
    ProfileFile file(path);
    file.snapshot_ = readFile(path);
    return file;
}

ProfileFile ProfileFile::editOf(const QString& path) {
    ProfileFile file(path);
    const std::optional<QByteArray> text = readExisting(path, file.error_);
    file.snapshot_ = text.value_or(QByteArray());
    file.unreadable_ = !text;
    file.deferred_ = true;
    return file;
}

QByteArray ProfileFile::content() const {
    return snapshot_ ? *snapshot_ : readFile(path_);
}

QString ProfileFile::readString(const QString& section, const QString& key,
                                const QString& defaultValue) const {
    const QByteArray text = content();
    const KeyLookup found = lookUp(text, splitLines(text), section, key);
    const QString value = found.keyLine < 0 ? defaultValue : stripQuotes(found.key.value);
    return value.left(kMaxValueLength);
}

bool ProfileFile::writeString(const QString& section, const QString& key, const QString& value) {
    // A file that exists but cannot be read must not be replaced by a file holding one key.
    if (unreadable_)
        return false;
    std::optional<QByteArray> current = deferred_ ? snapshot_ : readExisting(path_, error_);
    if (!current)
        return false;
    QByteArray& text = *current;

    const QString sectionName = oneLine(section);
    const QString keyName = oneLine(key);
    const QString newValue = oneLine(value);
    const QByteArray lineBreak = lineBreakOf(text);
    const QList<LineSpan> lines = splitLines(text);
    const KeyLookup found = lookUp(text, lines, sectionName, keyName);

    if (found.keyLine >= 0) {
        const LineSpan& span = lines.at(found.keyLine);
        text.replace(span.begin, span.end - span.begin,
                     (found.key.name + QLatin1Char('=') + newValue).toUtf8());
    } else if (found.sectionFound) {
        const LineSpan& span = lines.at(found.lastEntryLine);
        const QByteArray entry = (keyName + QLatin1Char('=') + newValue).toUtf8();
        const bool endsWithBreak = span.next > span.begin && text.at(span.next - 1) == '\n';
        text.insert(span.next, endsWithBreak ? entry + lineBreak : lineBreak + entry);
    } else {
        if (!text.isEmpty()) {
            if (!text.endsWith('\n'))
                text += lineBreak;
            // A blank line between sections, unless the file already ends with one.
            if (parseLine(text, lines.last()).kind != LineKind::Blank)
                text += lineBreak;
        }
        text += (QLatin1Char('[') + sectionName + QLatin1Char(']')).toUtf8() + lineBreak;
        text += (keyName + QLatin1Char('=') + newValue).toUtf8() + lineBreak;
    }

    if (deferred_) {
        snapshot_ = text;
        pending_ = true;
        return true;
    }
    if (!WriteFileSafely(path_, text, &error_))
        return false;
    if (snapshot_)
        snapshot_ = text;
    return true;
}

bool ProfileFile::commit() {
    if (unreadable_)
        return false;
    if (!pending_)
        return true;
    if (!WriteFileSafely(path_, *snapshot_, &error_))
        return false;
    pending_ = false;
    return true;
}

} // namespace mendor
