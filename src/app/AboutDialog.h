#pragma once
// The About window: the program's picture, its version and release date, a link to the support
// web page, and "Help", which opens the help pages in the browser and closes the window.
#include <QDialog>

class QPushButton;

namespace mendor {

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    static const QString kSupportAddress;

    explicit AboutDialog(QWidget* parent = nullptr);

    QPushButton* helpButton() const { return command1_; }

    /// The help page of the install folder, help/default.htm.
    static QString helpPagePath();

    /// The "Help" button's work: opens the help page (a missing page or browser is not
    /// reported) and closes the window.
    void openHelp();

private:
    QPushButton* command1_;
};

} // namespace mendor
