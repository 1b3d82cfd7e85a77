#pragma once
// The drive prompt: asked when a catalogued item is not found on the drive it was catalogued
// from. The user inserts the medium and tries again, or picks another drive to search.
//
//     const QString drive = DrivePrompt::ChooseDrive(DriveSource::system(), QLatin1Char('E'), window);
//     if (drive.isEmpty()) ...  // Cancel
#include "catalog/ui/DriveSource.h"

#include <QDialog>

class QComboBox;
class QPushButton;

namespace mendor {

class DrivePrompt : public QDialog {
    Q_OBJECT
public:
    static const QString kPromptText;

    /// Lists the drives of the source; the drive of preferredLetter is chosen first, when there is one.
    DrivePrompt(const DriveSource& drives, QChar preferredLetter, QWidget* parent = nullptr);

    /// Shows the prompt modally: the chosen drive ("F:") after OK, the empty text after Cancel.
    static QString ChooseDrive(const DriveSource& drives, QChar preferredLetter, QWidget* parent);

    /// Fills a drive list as the prompt's own: each drive's letter in lower case with its label in
    /// brackets, its picture, and its name ("F:") as the item's data; the drive of
    /// preferredLetter becomes the current item.
    static void FillDriveList(QComboBox& list, const DriveSource& drives, QChar preferredLetter);

    /// What OK or Cancel left: the chosen drive or the empty text.
    const QString& chosenDrive() const { return chosenDrive_; }

    QComboBox* driveChooser() const { return drive1_; }
    QPushButton* okButton() const { return command1_; }
    QPushButton* cancelButton() const { return command2_; }

private:
    QComboBox* drive1_;
    QPushButton* command1_;
    QPushButton* command2_;
    QString chosenDrive_;
};

} // namespace mendor
