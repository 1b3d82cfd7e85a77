#include "retrieve/ui/OverwriteQuestion.h"

#include <QFileInfo>
#include <QMessageBox>

namespace mendor {

const QString OverwriteQuestion::kTitle = QStringLiteral("Confirm File Replace");

QString OverwriteQuestion::text(const QString& destinationPath) {
    const QFileInfo existing(destinationPath);
    return QStringLiteral(
               "This folder already contains a file called '%1'.\n\n"
               "Would you like to replace the existing file\n\n    %2\n\nwith the one being copied?")
        .arg(existing.fileName(), existing.absolutePath());
}

OverwriteAnswer OverwriteQuestion::Ask(const QString& destinationPath, QWidget* parent) {
    QMessageBox box(QMessageBox::Question, kTitle, text(destinationPath),
                    QMessageBox::Yes | QMessageBox::YesToAll | QMessageBox::No | QMessageBox::Cancel, parent);
    box.setObjectName(QStringLiteral("OverwriteQuestion"));
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return OverwriteAnswer::Yes;
    case QMessageBox::YesToAll:
        return OverwriteAnswer::YesToAll;
    case QMessageBox::No:
        return OverwriteAnswer::No;
    default:
        return OverwriteAnswer::Cancel;
    }
}

} // namespace mendor
