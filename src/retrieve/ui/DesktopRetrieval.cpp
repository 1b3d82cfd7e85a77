#include "retrieve/ui/DesktopRetrieval.h"

#include "catalog/ui/DrivePrompt.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

namespace mendor {

QString DialogDriveChooser::chooseDrive(const QString& cataloguedPath) {
    return DrivePrompt::ChooseDrive(drives_, cataloguedPath.isEmpty() ? QChar() : cataloguedPath[0], parent_);
}

CopyReport DialogCopyRunner::copy(const MediumPath& source, const QString& destinationFolder) {
    return CopyProgressDialog::Run(source, destinationFolder, parent_, asker_);
}

void DesktopLauncher::openWithDesktop(const QString& localPath) {
    QCoreApplication::processEvents();
    QDesktopServices::openUrl(QUrl::fromLocalFile(localPath));
}

void DesktopLauncher::startProgram(const QString& localPath, const QString& workingFolder) {
    QCoreApplication::processEvents();
    QProcess::startDetached(localPath, {}, workingFolder);
}

} // namespace mendor
