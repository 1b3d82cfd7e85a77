#pragma once
// The rows of the content list: each an item key, an icon key and its texts (the item text, then
// the sub-items). Rows may hold more texts than there are columns; the extra ones are not shown.
#include "browse/ListColumns.h"
#include "browse/ui/TextSortModel.h"

#include <functional>
#include <QHash>
#include <QIcon>
#include <QList>
#include <QStringList>

namespace mendor {

class ContentListModel : public TextSortModel {
    Q_OBJECT

public:
    struct Row {
        QString key;
        QString iconKey;
        QStringList texts;
    };

    /// iconFor maps an image key to its picture; each key is asked once.
    explicit ContentListModel(std::function<QIcon(const QString&)> iconFor, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    void setColumns(const QList<ListColumn>& columns);
    const QList<ListColumn>& columns() const { return columns_; }
    QStringList captions() const;
    void setCaptions(const QStringList& captions);

    void clearRows();
    void appendRows(QList<Row> rows);
    const Row& row(int index) const { return rows_.at(index); }

protected:
    QString sortText(int row, int column) const override;
    void reorderRows(const std::vector<int>& order) override;

private:
    const QIcon& icon(const QString& key) const;

    std::function<QIcon(const QString&)> iconFor_;
    mutable QHash<QString, QIcon> icons_;
    QList<ListColumn> columns_;
    QList<Row> rows_;
};

} // namespace mendor
