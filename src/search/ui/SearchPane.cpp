#include "search/ui/SearchPane.h"

#include "shell/ui/ClipPlayer.h"

#include <algorithm>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace mendor {

namespace {

constexpr int kTwipsPerInch = 1440;

// Designed positions, in twips from the frame's top left corner. The rows above the volume
// chooser never move; the chooser takes any height beyond the designed one and the buttons row
// moves down with its bottom.
constexpr int kMargin = 90;
constexpr int kRowHeight = 330;
constexpr int kSearchForTop = 60;
constexpr int kDatesLabelTop = 420;
constexpr int kDatesTop = 690;
constexpr int kDateFieldTop = 1050;
constexpr int kDescriptionLabelTop = 1380;
constexpr int kDescriptionTop = 1650;
constexpr int kSizeTop = 2010;
constexpr int kKindsTop = 2370;
constexpr int kChooserLabelTop = 2700;
constexpr int kChooserTop = 3090;
constexpr int kButtonsTop = 3915;
constexpr int kReportButtonsTop = 4290;
constexpr int kButtonHeight = 345;
constexpr int kLabelHeight = 240;
constexpr int kAnimationSide = 360;

QLabel* makeLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

} // namespace

SearchPane::SearchPane(QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);

    searchForLabel_ = makeLabel(tr("Search &for..."), this);
    text1_ = new QLineEdit(this);
    searchForLabel_->setBuddy(text1_);

    datesLabel_ = makeLabel(tr("&Between these dates:"), this);
    text2_ = new QLineEdit(this);
    datesLabel_->setBuddy(text2_);
    andLabel_ = new QLabel(tr("and"), this);
    andLabel_->setAlignment(Qt::AlignCenter);
    text3_ = new QLineEdit(this);

    option1_ = {new QRadioButton(tr("Cr&eated"), this), new QRadioButton(tr("&Modified"), this),
                new QRadioButton(tr("&Last Accessed"), this)};
    option1_[1]->setChecked(true);

    descriptionLabel_ = makeLabel(tr("&Description contains..."), this);
    text4_ = new QLineEdit(this);
    descriptionLabel_->setBuddy(text4_);

    sizeLabel_ = makeLabel(tr("File Si&ze..."), this);
    combo1_ = new QComboBox(this);
    combo1_->addItems({tr("is larger than"), tr("is smaller than"), tr("is equal to")});
    sizeLabel_->setBuddy(combo1_);
    text5_ = new QLineEdit(this);
    kbLabel_ = new QLabel(tr("kb"), this);

    check1_ = new QCheckBox(tr("Search F&olders"), this);
    check2_ = new QCheckBox(tr("Search F&iles"), this);
    check1_->setChecked(true);
    check2_->setChecked(true);

    chooserLabel_ = makeLabel(tr("Searc&h which volume(s)?"), this);
    animation2_ = new ClipPlayer(this);
    volumeChooser_ = new QWidget(this);

    command1_ = new QPushButton(tr("Start Search"), this);
    command1_->setDefault(true);
    command2_ = new QPushButton(tr("Find Duplicates"), this);
    command3_ = new QPushButton(tr("Print"), this);
    saveReport_ = new QPushButton(tr("Save Report..."), this);

    setTabOrder();
}

void SearchPane::setVolumeChooser(QWidget* chooser) {
    delete volumeChooser_;
    volumeChooser_ = chooser;
    volumeChooser_->setParent(this);
    chooserLabel_->setBuddy(volumeChooser_);
    volumeChooser_->show();
    setTabOrder();
    layoutControls();
}

int SearchPane::twipsToPixelsX(int twips) const {
    return twips * logicalDpiX() / kTwipsPerInch;
}

int SearchPane::twipsToPixelsY(int twips) const {
    return twips * logicalDpiY() / kTwipsPerInch;
}

void SearchPane::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    layoutControls();
}

void SearchPane::place(QWidget* widget, int leftTwips, int topTwips, int widthTwips, int heightTwips) {
    widget->setGeometry(twipsToPixelsX(leftTwips), twipsToPixelsY(topTwips),
                        twipsToPixelsX(std::max(0, widthTwips)), twipsToPixelsY(std::max(0, heightTwips)));
}

void SearchPane::layoutControls() {
    const int width = this->width() * kTwipsPerInch / logicalDpiX();
    const int height = this->height() * kTwipsPerInch / logicalDpiY();
    const int excess = std::max(0, height - kDesignedHeightTwips);

    place(searchForLabel_, kMargin, kSearchForTop, 1080, kRowHeight);
    place(text1_, 1200, kSearchForTop, width - 1200 - kMargin, kRowHeight);

    place(datesLabel_, kMargin, kDatesLabelTop, width - 2 * kMargin, kLabelHeight);
    place(text2_, kMargin, kDatesTop, 1530, kRowHeight);
    place(andLabel_, 1650, kDatesTop, 360, kRowHeight);
    place(text3_, 2040, kDatesTop, width - 2040 - kMargin, kRowHeight);

    place(option1_[0], kMargin, kDateFieldTop, 1020, 300);
    place(option1_[1], 1110, kDateFieldTop, 1050, 300);
    place(option1_[2], 2160, kDateFieldTop, width - 2160 - kMargin / 2, 300);

    place(descriptionLabel_, kMargin, kDescriptionLabelTop, width - 2 * kMargin, kLabelHeight);
    place(text4_, kMargin, kDescriptionTop, width - 2 * kMargin, kRowHeight);

    place(sizeLabel_, kMargin, kSizeTop, 870, kRowHeight);
    place(combo1_, 990, kSizeTop, 1650, kRowHeight);
    place(text5_, 2670, kSizeTop, width - 2670 - 450, kRowHeight);
    place(kbLabel_, width - 420, kSizeTop, 330, kRowHeight);

    place(check1_, kMargin, kKindsTop, 1680, 300);
    place(check2_, 1800, kKindsTop, width - 1800 - kMargin, 300);

    place(chooserLabel_, kMargin, kChooserLabelTop, width - kAnimationSide - 3 * kMargin, kAnimationSide);
    place(animation2_, width - kAnimationSide - kMargin, kChooserLabelTop, kAnimationSide, kAnimationSide);

    place(volumeChooser_, kMargin, kChooserTop, width - 2 * kMargin, kVolumeChooserHeightTwips + excess);

    const int buttonsTop = kButtonsTop + excess;
    const int half = (width - 2 * kMargin - 30) / 2;
    place(command1_, kMargin, buttonsTop, half, kButtonHeight);
    place(command2_, kMargin + half + 30, buttonsTop, half, kButtonHeight);
    place(command3_, kMargin, kReportButtonsTop + excess, half, kButtonHeight);
    place(saveReport_, kMargin + half + 30, kReportButtonsTop + excess, half, kButtonHeight);
}

void SearchPane::setTabOrder() {
    const QList<QWidget*> order = {text1_,    text2_,    text3_,    option1_[0], option1_[1], option1_[2],
                                   text4_,    combo1_,   text5_,    check1_,     check2_,     volumeChooser_,
                                   command1_, command2_, command3_, saveReport_};
    for (int i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

} // namespace mendor
