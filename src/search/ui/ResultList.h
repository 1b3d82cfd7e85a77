#pragma once
// The search result list (SearchView) and its blank cover (Hider): a report-style list of the
// ten result columns over a ResultListModel, holding a million rows without freezing. A click on
// a header sorts by that column's displayed text (browse/ColumnSort.h).
//
// What is done with the items (opening one, copying them) is wired from outside: the list
// reports the double-click and the commands of its popup menu, which offers only the commands
// something carries out.
#include "browse/ColumnSort.h"
#include "search/ResultRow.h"

#include <QList>
#include <QSet>
#include <QTreeView>

class QMenu;

namespace mendor {

class MainWindowServices;
class ResultListModel;

class ResultList : public QTreeView {
    Q_OBJECT
public:
    explicit ResultList(MainWindowServices& services, QWidget* parent = nullptr);
    ~ResultList() override;

    ResultListModel& model() const { return *model_; }

    /// Replaces the columns: their captions and widths in pixels. Sorting is left as it is.
    void setColumns(const QStringList& captions, const QList<int>& widths);
    QString headerCaption(int column) const;
    int columnCount() const;
    QList<int> liveColumnWidths() const;

    ColumnSort& sort() { return sort_; }
    const ColumnSort& sort() const { return sort_; }
    /// Marks the sort column's caption and sorts the rows when sorting is on.
    void applySort();
    /// A click on a column header: the column's rows sorted by the rule of both lists.
    void ColumnClick(int column);

    /// The selected rows, in list order.
    QList<ResultRow> selectedResults() const;

    /// Puts a command of the popup menu (s_quick_copy, s_copy_items) into the menu, in its fixed
    /// place among the others.
    void enableItemCommand(const QString& command);
    /// The right-button release action: pops up the menu when it offers a command.
    void showItemMenu(const QPoint& globalPosition);

signals:
    /// A row was double-clicked with the left button: open it.
    void openRequested(const ResultRow& row);
    /// A command of the popup menu, for the selected rows (selectedResults).
    void itemCommand(const QString& command);

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    ResultListModel* model_;
    ColumnSort sort_;
    QSet<QString> enabledItemCommands_;
    QMenu* itemMenu_ = nullptr;
};

} // namespace mendor
