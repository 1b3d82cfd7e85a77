#pragma once
// Descriptions from a folder's "descript.ion" file: one line per item, the item's name (in double
// quotes when it holds blanks) followed by one separator character and the description.
//
// Names are matched by their bytes, as the medium stores them, so that a line names a file
// whatever encoding both use; letter case does not count. A line that is not UTF-8 was written
// in an old code page: Windows-1252 or the DOS code page 437, whichever reads the file's words
// as words. Such a line also names the file whose UTF-8 name is the line's name in that code
// page (a DOS-era file on a volume that shows its names as UTF-8).
#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>

namespace mendor {

class DescriptIon {
public:
    /// At most this much of a descript.ion file is read; the lines after it are left out.
    static constexpr qsizetype kReadLimit = 4 * 1024 * 1024;

    /// Reads the file name of the open folder folderFd, when it is a regular file. A file that
    /// cannot be opened gives no descriptions; a read error keeps the lines read before it.
    static DescriptIon load(int folderFd, const char* name);

    /// Parses the file's bytes, line by line (a line ends at CR LF, LF or CR). A line that cannot
    /// be split into a name and a description is skipped; the first line naming an item wins.
    static DescriptIon parse(const QByteArray& content);

    bool isEmpty() const { return descriptions_.isEmpty(); }
    int size() const { return int(descriptions_.size()); }

    /// The description of the item whose name on the medium is localName, compared without
    /// regard to case; a null text when no line names it.
    QString descriptionOf(QByteArrayView localName) const;

private:
    enum class CodePage { Windows1252, Dos437 };
    void addLine(QByteArrayView line, CodePage legacy);

    QHash<QByteArray, QString> descriptions_; ///< name bytes without case -> description
};

/// The text of bytes that are not valid UTF-8, read as Windows-1252 (the five bytes that code
/// page leaves undefined keep their Latin-1 meaning) or as the DOS code page 437.
QString DecodeWindows1252(QByteArrayView bytes);
QString DecodeDos437(QByteArrayView bytes);

} // namespace mendor
