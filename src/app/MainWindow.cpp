#include "app/MainWindow.h"

#include "app/AboutDialog.h"
#include "app/DividerBar.h"
#include "app/OptionsDialog.h"
#include "app/PaneGeometry.h"
#include "browse/ui/CatalogTree.h"
#include "browse/ui/ContentList.h"
#include "browse/ui/VolumeChooser.h"
#include "export/ui/ExportDialog.h"
#include "search/ui/BackgroundSearch.h"
#include "search/ui/ResultList.h"
#include "search/ui/SearchPane.h"
#include "shell/Options.h"
#include "shell/Prompter.h"
#include "shell/ui/ClipPlayer.h"
#include "shell/ui/ImageLibrary.h"

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QTabBar>
#include <QThread>
#include <QToolBar>

namespace mendor {

namespace {

constexpr int kToolbarIconSize = 24;
constexpr int kAnimationSize = 24;
constexpr int kPauseSleepMilliseconds = 5;

} // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent), browseLeftWidth_(kSearchPaneLeftWidth) {
    setWindowTitle(kProgramTitle);
    setWindowIcon(ImageLibrary::icon(QStringLiteral("mendor")));
    createToolbar();
    createStatusBar();
    createPanes();
    createShortcuts();
    addToolbarAction(QStringLiteral("options"), tr("Options"), [this] { showOptions(); });
    addToolbarAction(QStringLiteral("Export"), tr("Export data"), [this] {
        ExportDialogSetup setup;
        setup.dataPath = gDataPath;
        ExportDialog::Show(setup, this);
    });
    addToolbarAction(QStringLiteral("help"), tr("Help and About"), [this] {
        showAbout();
    })->setShortcut(QKeySequence::HelpContents);
}

MainWindow::~MainWindow() = default;

void MainWindow::createToolbar() {
    toolbar1_ = addToolBar(tr("Toolbar"));
    toolbar1_->setObjectName(QStringLiteral("Toolbar1"));
    toolbar1_->setMovable(false);
    toolbar1_->setFloatable(false);
    toolbar1_->setIconSize(QSize(kToolbarIconSize, kToolbarIconSize));
    toolbar1_->setToolButtonStyle(Qt::ToolButtonIconOnly);

    auto* spacer = new QWidget(toolbar1_);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    spacerAction_ = toolbar1_->addWidget(spacer);
    animation1_ = new ClipPlayer(toolbar1_);
    animation1_->setFixedSize(kAnimationSize, kAnimationSize);
    animationAction_ = toolbar1_->addWidget(animation1_);
    animationAction_->setVisible(false);
}

void MainWindow::createStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("SBar"));
    bar->setSizeGripEnabled(true);
    for (int i = 0; i < kStatusPanelCount; ++i) {
        auto* panel = new QLabel(bar);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setMinimumWidth(40);
        // The first panel carries the running texts ("Ready...", progress); the others totals.
        bar->addWidget(panel, i == 0 ? 3 : 2);
        statusPanels_[i] = panel;
    }
}

void MainWindow::createPanes() {
    client_ = new QWidget(this);
    setCentralWidget(client_);
    client_->installEventFilter(this);

    tabPage_ = new QFrame(client_);
    static_cast<QFrame*>(tabPage_)->setFrameShape(QFrame::StyledPanel);
    tabStrip_ = new QTabBar(client_);
    tabStrip_->setObjectName(QStringLiteral("TabStrip1"));
    tabStrip_->setDrawBase(false);
    tabStrip_->addTab(tr("Volumes"));
    tabStrip_->setTabData(kVolumesTab, QStringLiteral("volumes"));
    tabStrip_->setTabToolTip(kVolumesTab, tr("Browse volumes"));
    tabStrip_->addTab(tr("Search"));
    tabStrip_->setTabData(kSearchTab, QStringLiteral("search"));
    tabStrip_->setTabToolTip(kSearchTab, tr("Search volumes"));
    connect(tabStrip_, &QTabBar::currentChanged, this, &MainWindow::onTabSelected);

    contentsTree_ = new CatalogTree(*this, client_);
    listView_ = new ContentList(*this, *contentsTree_, client_);

    frame1_ = new SearchPane(client_);
    searchTree_ = new VolumeChooser(*this);
    frame1_->setVolumeChooser(searchTree_);
    connect(searchTree_, &VolumeChooser::nodeClicked, frame1_->duplicatesButton(),
            [this](bool allVolumes) { frame1_->duplicatesButton()->setEnabled(!allVolumes); });
    frame1_->hide();

    searchView_ = new ResultList(*this, client_);
    searchView_->setObjectName(QStringLiteral("SearchView"));
    searchView_->hide();
    hider_ = new ResultList(*this, client_);
    hider_->setObjectName(QStringLiteral("Hider"));
    hider_->setFocusPolicy(Qt::NoFocus);
    hider_->hide();

    search_ = new BackgroundSearch(this);
    connectSearchPane();

    splitter_ = new DividerBar(client_);
    connect(splitter_, &DividerBar::dropped, this, &MainWindow::finishDividerDrag);

    QWidget::setTabOrder(tabStrip_, contentsTree_);
    QWidget::setTabOrder(contentsTree_, listView_);
}

void MainWindow::createShortcuts() {
    auto* volumes = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_1), this);
    connect(volumes, &QShortcut::activated, this, [this] { selectTab(kVolumesTab); });
    auto* search = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_2), this);
    connect(search, &QShortcut::activated, this, [this] { selectTab(kSearchTab); });
}

QAction* MainWindow::addToolbarAction(const QString& key, const QString& toolTip,
                                      std::function<void()> handler) {
    const QStringList order = ImageLibrary::toolbarImageKeys();
    const int position = order.indexOf(key);
    // Before the first button that comes later in the fixed order, else before the spacer.
    QAction* before = spacerAction_;
    for (int i = position + 1; i < order.size(); ++i) {
        if (QAction* later = toolbarActions_.value(order[i])) {
            before = later;
            break;
        }
    }
    auto* action = new QAction(ImageLibrary::icon(key), toolTip, this);
    action->setToolTip(toolTip);
    action->setData(key);
    toolbar1_->insertAction(before, action);
    toolbarActions_.insert(key, action);
    connect(action, &QAction::triggered, this, [handler = std::move(handler)] {
        QCoreApplication::processEvents();
        try {
            handler();
        } catch (...) {
            // A toolbar command that fails leaves the window as it was; nothing is reported.
        }
    });
    return action;
}

QAction* MainWindow::toolbarAction(const QString& key) const {
    return toolbarActions_.value(key);
}

void MainWindow::setStatusText(int panel, const QString& text) {
    if (panel >= 1 && panel <= kStatusPanelCount)
        statusPanels_[panel - 1]->setText(text);
}

QString MainWindow::statusText(int panel) const {
    if (panel < 1 || panel > kStatusPanelCount)
        return {};
    return statusPanels_[panel - 1]->text();
}

void MainWindow::pause(int count) {
    for (int i = 0; i < count; ++i) {
        QThread::msleep(kPauseSleepMilliseconds);
        QCoreApplication::processEvents();
    }
}

QIcon MainWindow::image(const QString& key) const {
    static QHash<QString, QIcon> cache;
    auto found = cache.find(key);
    if (found == cache.end())
        found = cache.insert(key, ImageLibrary::icon(key));
    return *found;
}

QSet<QString> MainWindow::imageKeys() const {
    const QStringList keys = ImageLibrary::treeImageKeys();
    return QSet<QString>(keys.begin(), keys.end());
}

void MainWindow::showOptions() {
    OptionsDialog dialog(*this);
    dialog.exec();
}

void MainWindow::showAbout() {
    AboutDialog dialog(this);
    dialog.exec();
}

} // namespace mendor
