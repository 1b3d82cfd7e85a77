#pragma once
// The content list of the Browse pane: what the node selected in the catalog tree holds, in one
// of four list modes (browse/ListColumns.h), with the totals in the status bar.
//
// Created after the tree and attached to it (see CatalogTree.h); the tree's selection handler
// calls the column setup and the listings. The main window reads liveColumnWidths() and
// columnCount() for the settings (CaptureFilePaneWidths / SaveFilePaneWidths).
//
// Widths are in pixels, the main window's scale unit. Sorting compares the displayed texts of the
// sort column without regard to case; a header click toggles the order and moves the marker.
#include "browse/ColumnSort.h"

#include <QList>
#include <QStringList>
#include <QTreeView>

class QMenu;

namespace mendor {

class CatalogTree;
class ContentListModel;
class MainWindowServices;

class ContentList : public QTreeView {
    Q_OBJECT

public:
    ContentList(MainWindowServices& services, CatalogTree& tree, QWidget* parent = nullptr);
    ~ContentList() override;

    /// Column setup for a mode: nothing when gListMode is already that mode; otherwise saves the
    /// widths of the mode being left, loads and applies the new mode's, sorts by the mode's sort
    /// column ascending and sets gListMode.
    void SetFolderColumns();
    void SetVolumeColumns();
    void SetDatabaseColumns();
    void SetZipColumns();
    void setListMode(int mode);

    /// Removes every item.
    void ClearContentList();

    /// Listings of the node selected in the tree (modes 1/4, 2 and 3). ListFolder does nothing
    /// while gBusy is set; the volume and database lists are filled regardless, since a catalog
    /// run refreshes the tree (and with it the database list) before it clears gBusy.
    void ListFolder();
    void ListVolumes();
    void ListDatabases();

    /// A click on a column header: toggles the order, moves the marker, re-sorts.
    void ColumnClick(int column);

    int columnCount() const;
    QList<int> liveColumnWidths() const;
    QString headerCaption(int column) const;

    int itemCount() const;
    QString itemKey(int row) const;
    QString itemText(int row, int column) const;
    QString itemIconKey(int row) const;
    /// Keys of the selected items, in list order.
    QStringList selectedKeys() const;
    /// Selects the one item with this key; false when there is none.
    bool selectItem(const QString& key);

    int sortColumn() const { return sort_.column(); }
    int sortOrder() const { return sort_.order(); } ///< 0 ascending, 1 descending
    bool isSorted() const { return sort_.isOn(); }

    /// The double-click action on the selected item.
    void openSelectedItem();
    /// Puts a command of the "&Item" menu (delete_item, copy_item, quick_copy, describe_item) into
    /// the menu: only commands that something carries out are offered, in their fixed order.
    void enableItemCommand(const QString& command);

    /// The right-button release action: pops up the "&Item" menu when allowed.
    void showItemMenu(const QPoint& globalPosition);
    /// Whether the "&Item" menu may pop up for the current list and selection.
    bool itemMenuAllowed() const;

signals:
    /// A command of the "&Item" popup menu: delete_item, copy_item, quick_copy, describe_item;
    /// it acts on selectedKeys().
    void itemCommand(const QString& command);
    /// A file item was double-clicked: open it from the inserted volume.
    void openFileRequested(const QString& key);

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void applySort();

    MainWindowServices& services_;
    CatalogTree& tree_;
    ContentListModel* model_;
    QMenu* itemMenu_ = nullptr;
    QSet<QString> enabledItemCommands_;
    ColumnSort sort_;
};

} // namespace mendor
