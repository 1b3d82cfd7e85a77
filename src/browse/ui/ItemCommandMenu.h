#pragma once
// The right-click menu of a list's items: the commands that are installed, in a fixed order, each
// action named after its command so that tests and the window find it.
#include <functional>
#include <QList>
#include <QMenu>
#include <QPair>
#include <QSet>
#include <QString>

namespace mendor {

/// (command, caption) in menu order.
using ItemCommandList = QList<QPair<QString, QString>>;

/// A menu owned by parent with an action for every command in enabled; choosing one calls
/// trigger with its command.
QMenu* MakeItemCommandMenu(const QString& title, const ItemCommandList& commands,
                           const QSet<QString>& enabled, QWidget* parent,
                           const std::function<void(const QString&)>& trigger);

} // namespace mendor
