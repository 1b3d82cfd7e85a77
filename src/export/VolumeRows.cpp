#include "export/VolumeRows.h"

#include "store/Schema.h"

#include <algorithm>

namespace mendor {

namespace {

// A block is full at this many rows or bytes of text; the files of a folder sorted here go
// into one block, which may grow beyond that by one folder.
constexpr std::size_t kBlockRows = 4096;
constexpr std::size_t kBlockText = 256 * 1024;

// A folder's files are put in order here up to this many, and this much text; the database
// sorts a larger folder, so that memory stays small whatever a folder holds.
constexpr std::size_t kFilesSortedHere = 8192;
constexpr std::size_t kTextSortedHere = 8 * 1024 * 1024;

// The columns of a folders or files row, in this order.
enum Column { Id, Name, Size, Description, Attrib, Created, Modified, Accessed, Depth };
const QString kRowColumns = QStringLiteral("\"ID\", \"name\", \"size\", \"description\", \"attrib\", "
                                           "\"createdate\", \"moddate\", \"lastdate\", \"depth\"");

// Appends a text column to the block's text; returns where it starts and how long it is.
std::pair<std::size_t, std::size_t> appendText(VolumeRowBlock& block, const Statement& row, int column) {
    const QByteArrayView bytes = row.columnUtf8(column);
    const std::size_t start = block.text.size();
    block.text.append(bytes.data(), std::size_t(bytes.size()));
    return {start, std::size_t(bytes.size())};
}

void appendRow(VolumeRowBlock& block, const Statement& statement, bool folder) {
    VolumeRow& row = block.rows.emplace_back();
    row.folder = folder;
    row.id = statement.columnInt(Id);
    row.depth = statement.columnInt(Depth);
    row.size = statement.columnIntOrNull(Size);
    row.created = statement.columnIntOrNull(Created);
    row.modified = statement.columnIntOrNull(Modified);
    row.accessed = statement.columnIntOrNull(Accessed);
    std::tie(row.nameStart, row.nameLength) = appendText(block, statement, Name);
    std::tie(row.attribStart, row.attribLength) = appendText(block, statement, Attrib);
    std::tie(row.descriptionStart, row.descriptionLength) = appendText(block, statement, Description);
}

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

// The database's order of names without regard to case: bytes compared with only the letters
// A-Z folded, a name before the longer names it begins.
int compareNames(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const auto x = static_cast<unsigned char>(lowerAscii(a[i]));
        const auto y = static_cast<unsigned char>(lowerAscii(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// The first eight bytes of a name, folded as compareNames folds them, as one number that orders
// like them: most names differ within it, and one comparison of numbers settles their order.
std::uint64_t namePrefix(std::string_view name) {
    std::uint64_t prefix = 0;
    for (std::size_t i = 0; i < 8; ++i)
        prefix = prefix << 8 | (i < name.size() ? static_cast<unsigned char>(lowerAscii(name[i])) : 0u);
    return prefix;
}

Statement prepareFiles(const Database& db, const QString& tableName, int depth, bool sorted) {
    Statement files = db.prepare(
        QStringLiteral("SELECT %1 FROM %2 WHERE \"depth\" <= ?1 AND \"parent\" = ?2%3")
            .arg(kRowColumns, quoteIdentifier(FilesTable(tableName)),
                 sorted ? QStringLiteral(" ORDER BY \"name\" COLLATE NOCASE ASC, \"ID\" ASC") : QString()));
    files.bind(1, depth);
    return files;
}

} // namespace

VolumeRowReader::VolumeRowReader(const Database& db, const QString& tableName, int depth, bool withFiles)
    : db_(db), tableName_(tableName), depth_(depth),
      folders_(db.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE \"depth\" <= ?1 ORDER BY \"ID\" ASC")
                              .arg(kRowColumns, quoteIdentifier(DirsTable(tableName))))) {
    folders_.bind(1, depth);
    if (withFiles)
        files_ = prepareFiles(db, tableName, depth, false);
    block_.rows.reserve(2 * kBlockRows);
    block_.text.reserve(2 * kBlockText);
}

bool VolumeRowReader::full() const {
    return block_.rows.size() >= kBlockRows || block_.text.size() >= kBlockText;
}

const VolumeRowBlock* VolumeRowReader::next() {
    block_.rows.clear();
    block_.text.clear();
    try {
        while (!done_ && !full()) {
            if (inSortedFolder_) {
                inSortedFolder_ = sortedFiles_->step();
                if (inSortedFolder_)
                    appendRow(block_, *sortedFiles_, false);
                continue;
            }
            if (!folders_.step()) {
                done_ = true;
                break;
            }
            appendRow(block_, folders_, true);
            if (files_)
                readFiles(folders_.columnInt(Id));
        }
    } catch (const SqlError&) {
        // The rows end here; the listing lacks what could not be read.
        done_ = true;
    }
    return block_.rows.empty() ? nullptr : &block_;
}

// The folder's files are read in the database's own order and sorted here, which costs far
// less than having the database sort every folder.
void VolumeRowReader::readFiles(std::int64_t folderId) {
    const std::size_t firstRow = block_.rows.size();
    const std::size_t firstText = block_.text.size();
    files_->reset();
    files_->bind(2, folderId);
    while (files_->step()) {
        if (block_.rows.size() - firstRow == kFilesSortedHere ||
            block_.text.size() - firstText > kTextSortedHere) {
            block_.rows.resize(firstRow);
            block_.text.resize(firstText);
            if (!sortedFiles_)
                sortedFiles_ = prepareFiles(db_, tableName_, depth_, true);
            sortedFiles_->reset();
            sortedFiles_->bind(2, folderId);
            inSortedFolder_ = true;
            return;
        }
        appendRow(block_, *files_, false);
    }
    // Keys are sorted rather than the rows, which are many times larger.
    keys_.clear();
    const std::string_view text(block_.text);
    for (std::size_t i = firstRow; i < block_.rows.size(); ++i) {
        const VolumeRow& row = block_.rows[i];
        keys_.push_back({namePrefix(text.substr(row.nameStart, row.nameLength)), row.nameStart,
                         row.nameLength, row.id, i});
    }
    std::sort(keys_.begin(), keys_.end(), [text](const SortKey& a, const SortKey& b) {
        if (a.prefix != b.prefix)
            return a.prefix < b.prefix;
        const int order =
            compareNames(text.substr(a.nameStart, a.nameLength), text.substr(b.nameStart, b.nameLength));
        return order != 0 ? order < 0 : a.id < b.id;
    });
    sorted_.clear();
    for (const SortKey& key : keys_)
        sorted_.push_back(block_.rows[key.row]);
    std::copy(sorted_.begin(), sorted_.end(), block_.rows.begin() + std::ptrdiff_t(firstRow));
}

} // namespace mendor
