#pragma once
// Descriptions from a folder's "descript.ion" file: one line per item, the item's name (in double
// quotes when it holds blanks) followed by one separator character and the description.
#include <QByteArray>
#include <QHash>
#include <QString>

namespace mendor {

class DescriptIon {
public:
    /// Reads the file at localPath. A file that cannot be opened gives no descriptions; a read
    /// error keeps the lines read before it.
    static DescriptIon load(const QByteArray& localPath);

    /// Parses the file's bytes, line by line. Each line is taken as UTF-8 when it is valid UTF-8
    /// and as Windows-1252 otherwise, so files written by old DOS and Windows tools stay legible.
    static DescriptIon parse(const QByteArray& content);

    /// Adds one line (without its line break); a line that cannot be split into a name and a
    /// description is skipped. The first line naming an item wins.
    void addLine(const QByteArray& line);

    bool isEmpty() const { return descriptions_.isEmpty(); }
    int size() const { return int(descriptions_.size()); }

    /// The description of the item called name, compared without regard to case; a null text
    /// when no line names it.
    QString descriptionOf(const QString& name) const {
        return descriptions_.isEmpty() ? QString() : descriptions_.value(name.toLower());
    }

private:
    QHash<QString, QString> descriptions_; ///< lower-case name -> description
};

/// The text of bytes that are not valid UTF-8, read as Windows-1252 (the five bytes that code
/// page leaves undefined keep their Latin-1 meaning).
QString DecodeWindows1252(const QByteArray& bytes);

} // namespace mendor
