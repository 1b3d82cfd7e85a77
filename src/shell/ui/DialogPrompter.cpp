#include "shell/ui/DialogPrompter.h"

#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>

namespace mendor {

namespace {

QString titleOrProgram(const QString& title) {
    return title.isEmpty() ? kProgramTitle : title;
}

} // namespace

void DialogPrompter::message(const QString& text, const QString& title) {
    QMessageBox::information(parent_, titleOrProgram(title), text);
}

bool DialogPrompter::askYesNo(const QString& text, const QString& title) {
    return QMessageBox::question(parent_, titleOrProgram(title), text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::Yes) == QMessageBox::Yes;
}

std::optional<QString> DialogPrompter::inputBox(const QString& prompt, const QString& title,
                                                const QString& defaultText) {
    bool accepted = false;
    const QString text = QInputDialog::getText(parent_, titleOrProgram(title), prompt, QLineEdit::Normal,
                                               defaultText, &accepted);
    if (!accepted)
        return std::nullopt;
    return text;
}

} // namespace mendor
