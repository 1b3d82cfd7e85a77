#pragma once
// The desktop program's answer to every message, question and input box of an operation:
// standard dialogs over the given window, titled "Mendor Pro" when the caller gives no title.
#include "shell/Prompter.h"

class QWidget;

namespace mendor {

class DialogPrompter : public Prompter {
public:
    explicit DialogPrompter(QWidget* parent) : parent_(parent) {}

    void message(const QString& text, const QString& title = {}) override;
    bool askYesNo(const QString& text, const QString& title) override;
    std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                    const QString& defaultText) override;

private:
    QWidget* parent_;
};

} // namespace mendor
