#include "search/ui/ReportBox.h"

#include "search/SearchReport.h"
#include "search/ui/RtfDocument.h"
#include "shell/Prompter.h"

#include <QApplication>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QStandardPaths>
#include <QTextDocument>

namespace mendor {

void ReportBox::print(QWidget* parent) const {
    QPrinter printer;
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    if (dialog.exec() != QDialog::Accepted)
        return;
    printTo(printer);
}

void ReportBox::printTo(QPrinter& printer) const {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    RenderRtf(report_)->print(&printer);
    QApplication::restoreOverrideCursor();
}

void ReportBox::save(QWidget* parent, Prompter& prompter) const {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString path = QFileDialog::getSaveFileName(parent, QObject::tr("Save Report"),
                                                      folder + QStringLiteral("/Search results.rtf"),
                                                      QObject::tr("Rich Text (*.rtf)"));
    if (!path.isEmpty())
        saveTo(path, prompter);
}

bool ReportBox::saveTo(const QString& path, Prompter& prompter) const {
    const QString problem = WriteReportFile(path, report_);
    if (problem.isEmpty())
        return true;
    prompter.message(QObject::tr("The report could not be saved as %1: %2").arg(path, problem));
    return false;
}

} // namespace mendor
