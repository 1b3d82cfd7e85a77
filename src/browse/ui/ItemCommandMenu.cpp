#include "browse/ui/ItemCommandMenu.h"

namespace mendor {

QMenu* MakeItemCommandMenu(const QString& title, const ItemCommandList& commands,
                           const QSet<QString>& enabled, QWidget* parent,
                           const std::function<void(const QString&)>& trigger) {
    auto* menu = new QMenu(title, parent);
    for (const auto& [command, caption] : commands) {
        if (!enabled.contains(command))
            continue;
        QAction* action = menu->addAction(caption);
        action->setObjectName(command);
        QObject::connect(action, &QAction::triggered, parent, [trigger, command] { trigger(command); });
    }
    return menu;
}

} // namespace mendor
