#pragma once
// The desktop program's answers to what retrieval asks: the "Choose Drive" prompt, the copy
// behind its progress dialog, and opening through the desktop's services.
#include "catalog/ui/DriveSource.h"
#include "retrieve/CopyCommands.h"
#include "retrieve/ItemFinder.h"
#include "retrieve/ItemOpener.h"
#include "retrieve/ui/CopyProgressDialog.h"

class QWidget;

namespace mendor {

/// Shows the drive prompt over parent, with the drive of the missing path chosen first.
class DialogDriveChooser : public DriveChooser {
public:
    DialogDriveChooser(DriveSource drives, QWidget* parent) : drives_(std::move(drives)), parent_(parent) {}
    QString chooseDrive(const QString& cataloguedPath) override;

private:
    DriveSource drives_;
    QWidget* parent_;
};

/// Runs each copy behind a CopyProgressDialog over parent.
class DialogCopyRunner : public CopyRunner {
public:
    explicit DialogCopyRunner(QWidget* parent, CopyProgressDialog::OverwriteAsker asker = {})
        : parent_(parent), asker_(std::move(asker)) {}
    CopyReport copy(const MediumPath& source, const QString& destinationFolder) override;

private:
    QWidget* parent_;
    CopyProgressDialog::OverwriteAsker asker_;
};

/// Opens with the desktop's default application (xdg-open and the like); starts programs
/// detached from this one.
class DesktopLauncher : public ItemLauncher {
public:
    void openWithDesktop(const QString& localPath) override;
    void startProgram(const QString& localPath, const QString& workingFolder) override;
};

} // namespace mendor
