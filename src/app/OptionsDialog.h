#pragma once
// The Options dialog: the option flags, the default drive to catalogue and the data folder.
// "Save" applies the choices to the running program, writes the settings file and closes;
// "Close" closes without changes. The catalog tree and the volume chooser are refilled only when
// the data folder changed (compared without regard to case).
#include <array>
#include <cstdint>
#include <QDialog>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace mendor {

class MainWindow;

class OptionsDialog : public QDialog {
    Q_OBJECT
public:
    /// The check box indices of the option flags; there is no index 1.
    static constexpr std::array<int, 9> kFlagIndices = {0, 2, 3, 4, 5, 6, 7, 8, 9};

    /// driveNames are the drives offered as the default drive ("C:", "D:", ...); by default the
    /// drives of the drive table.
    explicit OptionsDialog(MainWindow& window, const QStringList& driveNames = systemDriveNames());

    static QStringList systemDriveNames();

    QCheckBox* flagBox(int index) const;
    QLineEdit* dataFolder() const { return dir1_; }
    QComboBox* driveChooser() const { return realDrive_; }
    QLabel* defaultDrive() const { return defaultDrive_; }
    QPushButton* saveButton() const { return command1_; }
    QPushButton* closeButton() const { return command2_; }

    /// The "Save" button's work.
    void save();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void loadValues();
    void chooseFolder();
    void onDriveChosen(int index);

    MainWindow& window_;
    std::array<QCheckBox*, 10> check1_{};
    QLineEdit* dir1_;
    QPushButton* browse_;
    QComboBox* realDrive_;
    QLabel* defaultDrive_;
    QPushButton* command1_;
    QPushButton* command2_;
    QString folderAtActivation_;
};

} // namespace mendor
