#pragma once
// One row of a search result: a folder or file that a search found, with what the result list
// shows of it and where it is catalogued.
#include <cstdint>
#include <limits>
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace mendor {

/// A date field that holds no value.
inline constexpr std::int64_t kNoDate = std::numeric_limits<std::int64_t>::min();

struct ResultRow {
    bool folder = false; ///< found in a folders table (else a files table)
    QString name;
    std::int64_t size = 0;
    QString location; ///< the path of the containing folder (search/FolderPaths.h)
    QString volume;   ///< the volume's name
    QString type;     ///< "(folder)", "ZIP file" or the file type name
    std::int64_t created = kNoDate;
    std::int64_t modified = kNoDate;
    std::int64_t accessed = kNoDate;
    QString attrib;
    QString description; ///< empty when the field is empty
    std::int64_t id = 0; ///< in its volume's table
};

/// The result list's ten columns: name, size, location, volume, type, created, modified, last
/// accessed, attributes, description.
inline constexpr int kResultColumnCount = 10;

/// The text a column shows.
QString ResultText(const ResultRow& row, int column);

/// The ten texts as one line of UTF-8 ending in a line break, separated by tabs; a tab or line
/// break inside a text becomes a blank.
void AppendResultLine(QByteArray& out, const ResultRow& row);

/// The type column: "(folder)" for a folder, "ZIP file" for a ZIP archive catalogued as a folder,
/// else the file type name of the name (also for other archives catalogued as folders).
QString ResultTypeName(bool folder, const QString& name);

/// Whether a folder row is an archive catalogued as a folder (catalog/ArchiveLister.h's rule).
bool IsArchiveRow(bool folder, const QString& name);

} // namespace mendor
