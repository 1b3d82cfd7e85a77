#pragma once
// "Verify Volume...": the medium in a chosen drive compared with the catalog of one database
// (catalog/VolumeVerification.h). The differences fill a list, the summary goes below it; the
// Close button reads "Abort" while the medium is walked. Neither the catalog nor the medium is
// changed.
#include "catalog/ui/DriveSource.h"
#include "catalog/VolumeVerification.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace mendor {

class VerifyDialog : public QDialog {
    Q_OBJECT
public:
    VerifyDialog(QString databaseName, const QString& volumeName, DriveSource drives, Prompter& prompter,
                 QWidget* parent = nullptr);

    QComboBox* driveChooser() const { return drives_; }
    QPushButton* verifyButton() const { return verify_; }
    QPushButton* closeButton() const { return close_; }
    QTreeWidget* differenceList() const { return list_; }
    QLabel* summaryLabel() const { return summary_; }

    /// The Verify button's work: walks the medium (the window stays responsive) and shows the
    /// outcome.
    void verifySelectedDrive();
    void reject() override;

private:
    void showOutcome(const VerifyOutcome& outcome);

    QString databaseName_;
    DriveSource driveSource_;
    Prompter& prompter_;
    QComboBox* drives_;
    QPushButton* verify_;
    QPushButton* close_;
    QLabel* status_;
    QTreeWidget* list_;
    QLabel* summary_;
    bool running_ = false;
};

} // namespace mendor
