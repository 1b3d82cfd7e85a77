#pragma once
// The move dialog: the database a volume is to be moved into. It offers every database of the
// data folder but the volume's own; when there is no other, it says so and does not open.
#include <functional>
#include <QDialog>
#include <QStringList>

class QComboBox;
class QPushButton;

namespace mendor {

class Prompter;

class MoveVolumeDialog : public QDialog {
    Q_OBJECT
public:
    /// Carries out the move into the database file targetPath.
    using MoveAction = std::function<void(const QString& targetPath)>;

    /// Lists the other databases; with none, the prompter shows the message and hasTargets() is false.
    MoveVolumeDialog(const QString& volumeKey, Prompter& prompter, MoveAction move,
                     QWidget* parent = nullptr);

    /// Opens the dialog modally unless there is no other database.
    static void MoveInteractively(const QString& volumeKey, Prompter& prompter, MoveAction move,
                                  QWidget* parent);

    bool hasTargets() const { return hasTargets_; }

    /// "Ok": moves the volume into the chosen database and closes the dialog.
    void moveToChosenDatabase();

    QComboBox* databaseChooser() const { return combo1_; }
    QPushButton* okButton() const { return command2_; }
    QPushButton* cancelButton() const { return command1_; }

private:
    MoveAction move_;
    bool hasTargets_ = false;
    QComboBox* combo1_;
    QPushButton* command1_;
    QPushButton* command2_;
};

} // namespace mendor
