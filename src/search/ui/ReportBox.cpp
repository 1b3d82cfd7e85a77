#include "search/ui/ReportBox.h"

#include "search/SearchReport.h"
#include "search/ui/ResultListModel.h"
#include "search/ui/RtfDocument.h"
#include "shell/Prompter.h"

#include <QApplication>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QStandardPaths>
#include <QTextDocument>

namespace mendor {

namespace {

// The report as the search writes it: one entry per row, in the order found.
QByteArray reportOf(const ResultListModel& list) {
    SearchReport report;
    report.start();
    for (int arrival = 0; arrival < list.rowCount(); ++arrival) {
        const ResultRow row = list.rowAsFound(std::size_t(arrival));
        report.addEntry(row.folder, row.name, row.size, row.volume, row.location);
    }
    return report.finish();
}

} // namespace

ReportBox::~ReportBox() {
    stopFollowing();
}

void ReportBox::setReport(QByteArray rtfUtf8) {
    stopFollowing();
    report_ = std::move(rtfUtf8);
}

void ReportBox::setReportOf(const ResultListModel& list) {
    stopFollowing();
    report_.clear();
    list_ = &list;
    const auto keep = [this] { setReport(reportOf(*list_)); };
    reset_ = QObject::connect(&list, &QAbstractItemModel::modelAboutToBeReset, keep);
    inserted_ = QObject::connect(&list, &QAbstractItemModel::rowsAboutToBeInserted, keep);
    // A list that goes away leaves no rows to write: the box is left empty.
    destroyed_ = QObject::connect(&list, &QObject::destroyed, [this] { setReport(QByteArray()); });
}

void ReportBox::stopFollowing() {
    QObject::disconnect(reset_);
    QObject::disconnect(inserted_);
    QObject::disconnect(destroyed_);
    list_ = nullptr;
}

QByteArray ReportBox::report() const {
    return list_ != nullptr ? reportOf(*list_) : report_;
}

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
    RenderRtf(report())->print(&printer);
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
    const QString problem = WriteReportFile(path, report());
    if (problem.isEmpty())
        return true;
    prompter.message(QObject::tr("The report could not be saved as %1: %2").arg(path, problem));
    return false;
}

} // namespace mendor
