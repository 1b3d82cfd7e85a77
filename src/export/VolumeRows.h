#pragma once
// The rows of a volume in listing order: each folder in ID order, which is the order the scan
// visited them, followed by its files by name. They come in blocks of a few thousand, so that
// memory stays small whatever the volume holds; a block stays valid until the next one is read.
#include "store/Database.h"

#include <cstdint>
#include <optional>
#include <QString>
#include <string>
#include <string_view>
#include <vector>

namespace mendor {

/// One folder or file row.
struct VolumeRow {
    bool folder = false;
    std::int64_t id = 0;
    std::int64_t depth = 0;
    /// Empty for a field that holds nothing.
    std::optional<std::int64_t> size;
    std::optional<std::int64_t> created;
    std::optional<std::int64_t> modified;
    std::optional<std::int64_t> accessed;
    // Where the texts are in the block's text; a null text is empty.
    std::size_t nameStart = 0;
    std::size_t nameLength = 0;
    std::size_t attribStart = 0;
    std::size_t attribLength = 0;
    std::size_t descriptionStart = 0;
    std::size_t descriptionLength = 0;
};

struct VolumeRowBlock {
    std::vector<VolumeRow> rows;
    std::string text;

    std::string_view name(const VolumeRow& row) const {
        return {text.data() + row.nameStart, row.nameLength};
    }
    std::string_view attrib(const VolumeRow& row) const {
        return {text.data() + row.attribStart, row.attribLength};
    }
    std::string_view description(const VolumeRow& row) const {
        return {text.data() + row.descriptionStart, row.descriptionLength};
    }
};

class VolumeRowReader {
public:
    /// Reads the folders of volume t down to depth and, with files, the files down to it, from
    /// the open database. Raises SqlError when the folders table cannot be read.
    VolumeRowReader(const Database& db, const QString& tableName, int depth, bool withFiles);

    /// The next block, or null when every row has been read. A table that cannot be read ends
    /// the rows early.
    const VolumeRowBlock* next();

private:
    bool full() const;
    void readFiles(std::int64_t folderId);

    const Database& db_;
    QString tableName_;
    int depth_;
    Statement folders_;
    std::optional<Statement> files_;
    /// A folder too large to be sorted here, read sorted by the database across blocks.
    std::optional<Statement> sortedFiles_;
    bool inSortedFolder_ = false;
    bool done_ = false;
    VolumeRowBlock block_;
    // Room for putting a folder's files in order.
    struct SortKey {
        std::uint64_t prefix; ///< the first eight bytes of the name, folded, as a number
        std::size_t nameStart;
        std::size_t nameLength;
        std::int64_t id;
        std::size_t row;
    };
    std::vector<SortKey> keys_;
    std::vector<VolumeRow> sorted_;
};

} // namespace mendor
