#pragma once
// The rows of the search result list: a million rows of found folders and files, appended in
// batches while a search runs, each shown in the ten result columns (search/ResultRow.h).
#include "browse/ui/TextSortModel.h"
#include "search/ResultRow.h"

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
    const ResultRow& row(int index) const { return rows_[std::size_t(order_[std::size_t(index)])]; }

    /// The image key of a row's icon: "closed" for a folder, "zip_closed" for an archive
    /// catalogued as a folder, else the file type's key or "leaf".
    QString iconKey(const ResultRow& row) const;

protected:
    QString sortText(int row, int column) const override;
    void reorderRows(const std::vector<int>& order) override;

private:
    std::function<QIcon(const QString&)> iconFor_;
    QSet<QString> imageKeys_;
    mutable QHash<QString, QIcon> icons_;
    QStringList captions_;
    // A deque grows without moving its rows: no second copy of a million rows in memory. The
    // rows stay where they arrived; a sort only rearranges order_ (list row to arrival index).
    std::deque<ResultRow> rows_;
    std::vector<int> order_;
};

} // namespace mendor
