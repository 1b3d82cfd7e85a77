#pragma once
// The search criteria frame of the main window's Search pane: the name pattern, the date range
// and which date it applies to, the description text, the size comparison, the kinds of items,
// the volume chooser and the search buttons. The controls are laid out at designed positions in
// twips for a frame 4635 twips high; a taller frame gives the excess to the volume chooser and
// moves the controls below it down. The search buttons take one row, "Print" and
// "Save Report..." the row below.
#include <array>
#include <QFrame>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace mendor {

class ClipPlayer;

class SearchPane : public QFrame {
    Q_OBJECT
public:
    static constexpr int kDesignedHeightTwips = 4635;
    static constexpr int kVolumeChooserHeightTwips = 795;

    explicit SearchPane(QWidget* parent = nullptr);

    /// Puts the volume chooser in its place (the pane takes ownership).
    void setVolumeChooser(QWidget* chooser);
    QWidget* volumeChooser() const { return volumeChooser_; }

    QLineEdit* namePattern() const { return text1_; } ///< "Search for..."
    QLineEdit* firstDate() const { return text2_; }   ///< "Between these dates:"
    QLineEdit* lastDate() const { return text3_; }    ///< "and"
    QRadioButton* dateField(int index) const {
        return option1_[index];
    }                                                     ///< 0 created, 1 modified, 2 accessed
    QLineEdit* descriptionText() const { return text4_; } ///< "Description contains..."
    QComboBox* sizeComparison() const { return combo1_; } ///< "File Size..."
    QLineEdit* sizeKilobytes() const { return text5_; }
    QCheckBox* searchFolders() const { return check1_; }
    QCheckBox* searchFiles() const { return check2_; }
    QPushButton* startButton() const { return command1_; }        ///< "Start Search" / "Abort Search"
    QPushButton* duplicatesButton() const { return command2_; }   ///< "Find Duplicates"
    QPushButton* printButton() const { return command3_; }        ///< "Print"
    QPushButton* saveReportButton() const { return saveReport_; } ///< "Save Report..."
    ClipPlayer* animation() const { return animation2_; }

    /// Pixels from twips with this widget's logical resolution.
    int twipsToPixelsX(int twips) const;
    int twipsToPixelsY(int twips) const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void place(QWidget* widget, int leftTwips, int topTwips, int widthTwips, int heightTwips);
    void layoutControls();
    void setTabOrder();

    QLabel* searchForLabel_;
    QLineEdit* text1_;
    QLabel* datesLabel_;
    QLineEdit* text2_;
    QLabel* andLabel_;
    QLineEdit* text3_;
    std::array<QRadioButton*, 3> option1_;
    QLabel* descriptionLabel_;
    QLineEdit* text4_;
    QLabel* sizeLabel_;
    QComboBox* combo1_;
    QLineEdit* text5_;
    QLabel* kbLabel_;
    QCheckBox* check1_;
    QCheckBox* check2_;
    QLabel* chooserLabel_;
    ClipPlayer* animation2_;
    QWidget* volumeChooser_;
    QPushButton* command1_;
    QPushButton* command2_;
    QPushButton* command3_;
    QPushButton* saveReport_;
};

} // namespace mendor
