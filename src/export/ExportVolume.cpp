#include "export/ExportVolume.h"

#include "export/ListingText.h"
#include "shell/Flags.h"
#include "shell/TextFormats.h"
#include "store/Database.h"
#include "store/Schema.h"

#include <algorithm>
#include <climits>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace mendor {

namespace {

// The depth that stands for no limit: deeper than any volume gets.
constexpr int kNoLimitDepth = 32000;

constexpr QByteArrayView kLineEnd("\r\n");

// The columns of a folders or files row, in this order.
enum Column { Id, Name, Size, Description, Attrib, Created, Modified, Accessed, Depth };
const QString kRowColumns = QStringLiteral("\"ID\", \"name\", \"size\", \"description\", \"attrib\", "
                                           "\"createdate\", \"moddate\", \"lastdate\", \"depth\"");

struct StringHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};

class VolumeWriter {
public:
    VolumeWriter(ListingFile& listing, const ExportSettings& settings, ProgressSink& progress)
        : listing_(listing), settings_(settings), progress_(progress) {}

    bool write(const Database& db, const QString& tableName);

private:
    void writeInformation(const Database& db, const QString& tableName);
    void writeHeading();
    void writeFolder(const Statement& row, bool isRoot);
    void writeFile(const Statement& row);
    void writeColumns(const Statement& row, QByteArrayView type);

    void appendField(const Statement& row, Column column) { line_.append(row.columnUtf8(column)); }
    void appendInt(const Statement& row, Column column) {
        if (!row.isNull(column))
            AppendNumber(line_, row.columnInt(column));
    }
    void appendDate(const Statement& row, Column column) {
        if (!row.isNull(column))
            AppendListingDate(line_, row.columnInt(column));
    }
    void appendIndent(const Statement& row) {
        const std::int64_t depth = row.columnInt(Depth);
        if (depth > 0)
            line_.append(qsizetype(std::min<std::int64_t>(depth, kNoLimitDepth)), '\t');
    }
    void appendTypeName(QByteArrayView name);
    void followPath(const Statement& row);
    /// Writes the line built so far with its line end and starts a new one.
    void endLine();

    ListingFile& listing_;
    const ExportSettings& settings_;
    ProgressSink& progress_;
    QByteArray line_;

    // The full-paths format: the path of the last folder (the root's name and "\" to begin with),
    // where each folder's part starts in it, and the last folder's depth.
    QByteArray path_;
    std::vector<qsizetype> pathParts_;
    std::int64_t lastDepth_ = 0;

    std::unordered_map<std::string, QByteArray, StringHash, std::equal_to<>> typeNames_;
};

void VolumeWriter::endLine() {
    line_.append(kLineEnd);
    listing_.append(line_);
    listing_.flushIfFull();
    line_.clear();
}

bool VolumeWriter::write(const Database& db, const QString& tableName) {
    const int depth = settings_.depth >= kUnlimitedDepth ? kNoLimitDepth : std::max(settings_.depth, 0);
    if (settings_.volumeInfo) {
        writeInformation(db, tableName);
        if (settings_.format == ExportFormat::Itemized)
            writeHeading();
    }

    Statement count = db.prepare(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE \"depth\" <= ?1")
                                     .arg(quoteIdentifier(DirsTable(tableName))));
    count.bind(1, depth);
    const std::int64_t folderCount = count.step() ? count.columnInt(0) : 0;
    const int maximum = int(std::min<std::int64_t>(folderCount, INT_MAX));
    progress_.setProgressMaximum(maximum);

    Statement folders =
        db.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE \"depth\" <= ?1 ORDER BY \"ID\" ASC")
                       .arg(kRowColumns, quoteIdentifier(DirsTable(tableName))));
    folders.bind(1, depth);
    Statement files = db.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE \"depth\" <= ?1 AND \"parent\" = ?2 "
                                                "ORDER BY \"name\" COLLATE NOCASE ASC, \"ID\" ASC")
                                     .arg(kRowColumns, quoteIdentifier(FilesTable(tableName))));
    files.bind(1, depth);

    std::int64_t done = 0;
    while (folders.step()) {
        const bool isRoot = done == 0;
        // The full paths follow every folder, also when folder lines are left out.
        if (isRoot)
            path_ = folders.columnUtf8(Name).toByteArray() + '\\';
        else if (settings_.format == ExportFormat::FullPaths)
            followPath(folders);
        if (settings_.folders)
            writeFolder(folders, isRoot);
        if (settings_.files) {
            files.reset();
            files.bind(2, folders.columnInt(Id));
            while (files.step())
                writeFile(files);
        }
        ++done;
        progress_.setProgressValue(int(std::min<std::int64_t>(done, maximum)));
        progress_.pause(0);
        if (isAbortRequested())
            return false;
    }
    return true;
}

void VolumeWriter::writeInformation(const Database& db, const QString& tableName) {
    Statement row = db.prepare(QStringLiteral("SELECT \"name\", \"thedescription\", \"thedate\", \"size\", "
                                              "\"used\", \"free\", \"dirs\", \"files\" FROM \"index\" "
                                              "WHERE \"tablename\" = ?1"));
    row.bind(1, tableName);
    if (!row.step())
        return;
    const auto grouped = [&row](int column) {
        return row.isNull(column) ? QByteArray() : FormatCount(row.columnInt(column)).toUtf8();
    };
    endLine();
    line_.append("Volume Name: ").append(row.columnUtf8(0));
    endLine();
    line_.append("Description: ").append(row.columnUtf8(1));
    endLine();
    line_.append("Cataloged on: ");
    if (!row.isNull(2))
        AppendLongDate(line_, row.columnInt(2));
    endLine();
    line_.append("Capacity: ").append(grouped(3)).append(" bytes");
    endLine();
    line_.append("Used Space: ").append(grouped(4)).append(" bytes");
    endLine();
    line_.append("Free Space: ").append(grouped(5)).append(" bytes");
    endLine();
    line_.append("Number of Folders: ").append(grouped(6));
    endLine();
    line_.append("Number of Files: ").append(grouped(7));
    endLine();
    endLine();
}

void VolumeWriter::writeHeading() {
    line_.append("FILE/FOLDER NAME\tSIZE\tTYPE\tCREATED\tMODIFIED\tACCESSED\tATTRIBUTES\tDESCRIPTION");
    endLine();
}

void VolumeWriter::writeFolder(const Statement& row, bool isRoot) {
    switch (settings_.format) {
    case ExportFormat::Tree:
        if (settings_.files)
            endLine();
        appendIndent(row);
        appendField(row, Name);
        line_.append('\\');
        endLine();
        if (settings_.files)
            endLine();
        break;
    case ExportFormat::List:
        appendField(row, Name);
        line_.append('\\');
        endLine();
        break;
    case ExportFormat::FullPaths:
        if (!isRoot) {
            line_.append(path_);
            endLine();
        }
        break;
    case ExportFormat::Itemized:
        if (!isRoot)
            writeColumns(row, "(folder)");
        break;
    }
}

void VolumeWriter::writeFile(const Statement& row) {
    switch (settings_.format) {
    case ExportFormat::Tree:
        appendIndent(row);
        appendField(row, Name);
        break;
    case ExportFormat::List:
        appendField(row, Name);
        break;
    case ExportFormat::FullPaths:
        line_.append(path_);
        appendField(row, Name);
        break;
    case ExportFormat::Itemized:
        writeColumns(row, {});
        return;
    }
    endLine();
}

// A folder deeper than the last one goes below it; any other first goes back up to the parent
// at its own depth: as many parts come off the path as the depth fell, plus one. The root is
// known by its place, the first row, rather than by the ":" of its name, which the names of
// other file systems may contain too; for the same reason the parts are kept by position
// instead of being found again by their "\".
void VolumeWriter::followPath(const Statement& row) {
    const std::int64_t depth = row.columnInt(Depth);
    if (depth <= lastDepth_) {
        const std::int64_t drop = lastDepth_ - depth + 1;
        if (drop <= std::int64_t(pathParts_.size())) {
            path_.truncate(pathParts_[pathParts_.size() - std::size_t(drop)]);
            pathParts_.resize(pathParts_.size() - std::size_t(drop));
        }
    }
    pathParts_.push_back(path_.size());
    path_.append(row.columnUtf8(Name)).append('\\');
    lastDepth_ = depth;
}

void VolumeWriter::writeColumns(const Statement& row, QByteArrayView type) {
    const QByteArrayView name = row.columnUtf8(Name);
    line_.append(name).append('\t');
    appendInt(row, Size);
    line_.append('\t');
    if (type.isNull())
        appendTypeName(name);
    else
        line_.append(type);
    line_.append('\t');
    appendDate(row, Created);
    line_.append('\t');
    appendDate(row, Modified);
    line_.append('\t');
    appendDate(row, Accessed);
    line_.append('\t');
    appendField(row, Attrib);
    line_.append('\t');
    appendField(row, Description);
    endLine();
}

// File type names depend on the extension alone; a volume has few of them and many files.
void VolumeWriter::appendTypeName(QByteArrayView name) {
    const qsizetype dot = name.lastIndexOf('.');
    if (dot < 0) {
        line_.append("<unknown file>");
        return;
    }
    const QByteArrayView extension = name.sliced(dot + 1);
    const std::string_view key(extension.data(), std::size_t(extension.size()));
    auto found = typeNames_.find(key);
    if (found == typeNames_.end()) {
        const QByteArray typeName =
            FileTypeName(QStringLiteral("x.") + QString::fromUtf8(extension)).toUtf8();
        found = typeNames_.emplace(std::string(key), typeName).first;
    }
    line_.append(found->second);
}

} // namespace

bool ExportVolume(ListingFile& listing, const ExportSettings& settings, const QString& databasePath,
                  const QString& tableName, ProgressSink& progress) {
    VolumeWriter writer(listing, settings, progress);
    try {
        const Database db = Database::openReadOnly(databasePath);
        return writer.write(db, tableName);
    } catch (const SqlError&) {
        return !isAbortRequested();
    }
}

} // namespace mendor
