#pragma once
// The name prompt for a new database. Characters that a database name cannot hold are dropped
// as they are typed (or pasted); Enter closes the prompt with the name, Esc with nothing.
#include <QDialog>

class QLineEdit;

namespace mendor {

class DatabaseNameDialog : public QDialog {
    Q_OBJECT
public:
    explicit DatabaseNameDialog(QWidget* parent = nullptr);

    /// Shows the prompt modally and returns the name typed; empty after Esc.
    static QString AskDatabaseName(QWidget* parent);

    /// The text of the name box, which is the answer however the prompt closed.
    QString name() const;
    QLineEdit* nameBox() const { return text1_; }

    /// Esc: the name box is emptied and the prompt closes.
    void reject() override;

protected:
    /// The window's close box keeps what was typed.
    void closeEvent(QCloseEvent* event) override;

private:
    QLineEdit* text1_;
};

} // namespace mendor
