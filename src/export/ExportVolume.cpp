#include "export/ExportVolume.h"

#include "export/ListingText.h"
#include "export/VolumeRows.h"
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

constexpr std::string_view kLineEnd("\r\n");
constexpr std::string_view
    kHeading("FILE/FOLDER NAME\tSIZE\tTYPE\tCREATED\tMODIFIED\tACCESSED\tATTRIBUTES\tDESCRIPTION");

struct StringHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view value) const { return std::hash<std::string_view>{}(value); }
};

class VolumeWriter {
public:
    VolumeWriter(ListingFile& listing, const ExportSettings& settings, ProgressSink& progress)
        : listing_(listing), out_(listing.text()), settings_(settings), progress_(progress),
          depth_(settings.depth >= kUnlimitedDepth ? kNoLimitDepth : std::max(settings.depth, 0)) {}

    bool write(const Database& db, const QString& tableName);

private:
    void writeInformation(const Database& db, const QString& tableName);
    void writeFolder(const VolumeRowBlock& block, const VolumeRow& row, bool isRoot);
    void writeFile(const VolumeRowBlock& block, const VolumeRow& row);
    void writeColumns(const VolumeRowBlock& block, const VolumeRow& row, std::string_view type);
    void appendTypeName(std::string_view name);
    void appendIndent(const VolumeRow& row) {
        if (row.depth > 0)
            out_.push(std::size_t(std::min<std::int64_t>(row.depth, kNoLimitDepth)), '\t');
    }
    void followPath(const VolumeRowBlock& block, const VolumeRow& row);
    /// After each folder and its files: true when the export is to stop there.
    bool folderWritten(std::int64_t done, int maximum);
    void endLine() {
        out_.append(kLineEnd);
        listing_.flushIfFull();
    }

    ListingFile& listing_;
    TextBuffer& out_;
    const ExportSettings& settings_;
    ProgressSink& progress_;
    const int depth_;

    // The full-paths format: the path of the last folder (the root's name and "\" to begin with),
    // where each folder's part starts in it, and the last folder's depth.
    std::string path_;
    std::vector<std::size_t> pathParts_;
    std::int64_t lastDepth_ = 0;

    ListingDates dates_;
    std::unordered_map<std::string, std::string, StringHash, std::equal_to<>> typeNames_;
};

bool VolumeWriter::write(const Database& db, const QString& tableName) {
    if (settings_.volumeInfo) {
        writeInformation(db, tableName);
        if (settings_.format == ExportFormat::Itemized) {
            out_.append(kHeading);
            endLine();
        }
    }

    Statement count = db.prepare(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE \"depth\" <= ?1")
                                     .arg(quoteIdentifier(DirsTable(tableName))));
    count.bind(1, depth_);
    const std::int64_t folderCount = count.step() ? count.columnInt(0) : 0;
    const int maximum = int(std::min<std::int64_t>(folderCount, INT_MAX));
    progress_.setProgressMaximum(maximum);

    VolumeRowReader rows(db, tableName, depth_, settings_.files);
    std::int64_t folders = 0;
    while (const VolumeRowBlock* block = rows.next()) {
        for (const VolumeRow& row : block->rows) {
            if (!row.folder) {
                if (settings_.files)
                    writeFile(*block, row);
                continue;
            }
            if (folders > 0 && folderWritten(folders, maximum))
                return false;
            const bool isRoot = folders++ == 0;
            // The full paths follow every folder, also when folder lines are left out.
            if (isRoot)
                path_.assign(block->name(row)).push_back('\\');
            else if (settings_.format == ExportFormat::FullPaths)
                followPath(*block, row);
            if (settings_.folders)
                writeFolder(*block, row, isRoot);
        }
    }
    return folders == 0 || !folderWritten(folders, maximum);
}

bool VolumeWriter::folderWritten(std::int64_t done, int maximum) {
    progress_.setProgressValue(int(std::min<std::int64_t>(done, maximum)));
    progress_.pause(0);
    return isAbortRequested();
}

void VolumeWriter::writeInformation(const Database& db, const QString& tableName) {
    Statement row = db.prepare(QStringLiteral("SELECT \"name\", \"thedescription\", \"thedate\", \"size\", "
                                              "\"used\", \"free\", \"dirs\", \"files\" FROM \"index\" "
                                              "WHERE \"tablename\" = ?1"));
    row.bind(1, tableName);
    if (!row.step())
        return;
    const auto line = [this](std::string_view caption, std::string_view value, std::string_view unit = {}) {
        out_.append(caption);
        out_.append(value);
        out_.append(unit);
        endLine();
    };
    const auto text = [&row](int column) {
        const QByteArrayView bytes = row.columnUtf8(column);
        return std::string(bytes.data(), std::size_t(bytes.size()));
    };
    const auto grouped = [&row](int column) {
        return row.isNull(column) ? std::string() : FormatCount(row.columnInt(column)).toStdString();
    };
    TextBuffer date;
    if (!row.isNull(2))
        AppendLongDate(date, row.columnInt(2));

    endLine();
    line("Volume Name: ", text(0));
    line("Description: ", text(1));
    line("Cataloged on: ", date.view());
    line("Capacity: ", grouped(3), " bytes");
    line("Used Space: ", grouped(4), " bytes");
    line("Free Space: ", grouped(5), " bytes");
    line("Number of Folders: ", grouped(6));
    line("Number of Files: ", grouped(7));
    endLine();
}

void VolumeWriter::writeFolder(const VolumeRowBlock& block, const VolumeRow& row, bool isRoot) {
    switch (settings_.format) {
    case ExportFormat::Tree:
        if (settings_.files)
            endLine();
        appendIndent(row);
        out_.append(block.name(row));
        out_.push('\\');
        endLine();
        if (settings_.files)
            endLine();
        break;
    case ExportFormat::List:
        out_.append(block.name(row));
        out_.push('\\');
        endLine();
        break;
    case ExportFormat::FullPaths:
        if (!isRoot) {
            out_.append(path_);
            endLine();
        }
        break;
    case ExportFormat::Itemized:
        if (!isRoot) {
            writeColumns(block, row, "(folder)");
            endLine();
        }
        break;
    }
}

void VolumeWriter::writeFile(const VolumeRowBlock& block, const VolumeRow& row) {
    switch (settings_.format) {
    case ExportFormat::Tree:
        appendIndent(row);
        out_.append(block.name(row));
        break;
    case ExportFormat::List:
        out_.append(block.name(row));
        break;
    case ExportFormat::FullPaths:
        out_.append(path_);
        out_.append(block.name(row));
        break;
    case ExportFormat::Itemized:
        writeColumns(block, row, {});
        break;
    }
    endLine();
}

// A folder deeper than the last one goes below it; any other first goes back up to the parent
// at its own depth: as many parts come off the path as the depth fell, plus one. The root is
// known by its place, the first row, rather than by the ":" of its name, which the names of
// other file systems may contain too; for the same reason the parts are kept by position
// instead of being found again by their "\".
void VolumeWriter::followPath(const VolumeRowBlock& block, const VolumeRow& row) {
    if (row.depth <= lastDepth_) {
        const std::int64_t drop = lastDepth_ - row.depth + 1;
        if (drop <= std::int64_t(pathParts_.size())) {
            path_.resize(pathParts_[pathParts_.size() - std::size_t(drop)]);
            pathParts_.resize(pathParts_.size() - std::size_t(drop));
        }
    }
    pathParts_.push_back(path_.size());
    path_.append(block.name(row)).push_back('\\');
    lastDepth_ = row.depth;
}

void VolumeWriter::writeColumns(const VolumeRowBlock& block, const VolumeRow& row, std::string_view type) {
    const std::string_view name = block.name(row);
    out_.append(name);
    out_.push('\t');
    if (row.size)
        AppendNumber(out_, *row.size);
    out_.push('\t');
    if (type.empty())
        appendTypeName(name);
    else
        out_.append(type);
    for (const std::optional<std::int64_t>& date : {row.created, row.modified, row.accessed}) {
        out_.push('\t');
        if (date)
            dates_.append(out_, *date);
    }
    out_.push('\t');
    out_.append(block.attrib(row));
    out_.push('\t');
    out_.append(block.description(row));
}

// File type names depend on the extension alone; a volume has few of them and many files.
void VolumeWriter::appendTypeName(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) {
        out_.append("<unknown file>");
        return;
    }
    const std::string_view extension = name.substr(dot + 1);
    auto found = typeNames_.find(extension);
    if (found == typeNames_.end()) {
        const QString typeName = FileTypeName(
            QStringLiteral("x.") + QString::fromUtf8(extension.data(), qsizetype(extension.size())));
        found = typeNames_.emplace(std::string(extension), typeName.toStdString()).first;
    }
    out_.append(found->second);
}

} // namespace

bool ExportVolume(ListingFile& listing, const ExportSettings& settings, const QString& databasePath,
                  const QString& tableName, ProgressSink& progress) {
    try {
        const Database db = Database::openReadOnly(databasePath);
        VolumeWriter writer(listing, settings, progress);
        return writer.write(db, tableName);
    } catch (const SqlError&) {
        return !isAbortRequested();
    }
}

} // namespace mendor
