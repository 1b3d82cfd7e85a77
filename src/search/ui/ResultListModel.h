#pragma once
// The rows of the search result list: a million rows of found folders and files, appended in
// batches while a search runs, each shown in the ten result columns (search/ResultRow.h).
//
// A million rows are kept lean: the texts that rows share (location, volume, type, attributes,
// description) are kept once and referred to by number, only the name is each row's own.
#include "browse/ui/TextSortModel.h"
#include "search/ResultRow.h"

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <QHash>
#include <QIcon>
#include <QList>
#include <QSet>
#include <QStringList>
#include <vector>

namespace mendor {

class ResultListModel : public TextSortModel {
    Q_OBJECT
public:
    /// iconFor maps an image key to its picture (each key is asked once); imageKeys are the keys
    /// it knows, for the icons of file types.
    ResultListModel(std::function<QIcon(const QString&)> iconFor, QSet<QString> imageKeys,
                    QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    /// The header captions; their number is the number of columns.
    void setCaptions(const QStringList& captions);
    const QStringList& captions() const { return captions_; }

    void clearRows();
    /// Adds the rows at the end in one step, taking them from the list.
    void appendRows(QList<ResultRow>& rows);
    /// Adds the rows of the batches at the end in one step, taking them from the batches.
    void appendRows(std::vector<QList<ResultRow>>& batches);
    /// The row at a place of the list.
    ResultRow row(int index) const { return rowAsFound(std::size_t(order_[std::size_t(index)])); }
    /// The row added as the given one (from 0), whatever the list's order.
    ResultRow rowAsFound(std::size_t arrival) const;

    /// The image key of a row's icon: "closed" for a folder, "zip_closed" for an archive
    /// catalogued as a folder, else the file type's key or "leaf".
    QString iconKey(const ResultRow& row) const;

protected:
    QString sortText(int row, int column) const override;
    /// The rows in the order they were added, as they are kept.
    std::vector<int> readingOrder() const override;
    void reorderRows(const std::vector<int>& order) override;

private:
    struct StoredRow {
        QString name;
        std::int64_t size = 0;
        std::int64_t created = kNoDate;
        std::int64_t modified = kNoDate;
        std::int64_t accessed = kNoDate;
        std::int64_t id = 0;
        std::uint32_t location = 0; ///< numbers of shared texts
        std::uint32_t volume = 0;
        std::uint32_t type = 0;
        std::uint32_t attrib = 0;
        std::uint32_t description = 0;
        bool folder = false;
    };
    // The texts that rows share, by number; 0 is the null text. The rows of a search share the
    // same few texts of a field: each field remembers the texts it met last by where their
    // characters are, and finds those again without a lookup by the characters.
    class SharedTexts {
    public:
        enum Field { Location, Volume, Type, Attrib, Description, kFieldCount };
        std::uint32_t share(const QString& text, Field field);
        const QString& text(std::uint32_t number) const { return texts_[number]; }

    private:
        struct RecentText {
            QString text; ///< also keeps its characters where they are
            std::uint32_t number = 0;
        };
        static constexpr std::size_t kRecentTexts = 64;

        std::vector<QString> texts_ = std::vector<QString>(1);
        QHash<QString, std::uint32_t> numbers_;
        std::array<std::array<RecentText, kRecentTexts>, kFieldCount> recent_;
    };

    std::function<QIcon(const QString&)> iconFor_;
    QSet<QString> imageKeys_;
    mutable QHash<QString, QIcon> icons_;
    QStringList captions_;
    // A deque grows without moving its rows: no second copy of a million rows in memory. The
    // rows stay where they arrived; a sort only rearranges order_ (list row to arrival index).
    std::deque<StoredRow> rows_;
    std::vector<int> order_;
    SharedTexts shared_;
};

} // namespace mendor
