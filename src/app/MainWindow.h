#pragma once
// The program's only main window. It runs the start-up sequence, hosts the Browse pane (catalog
// tree and content list) and the Search pane (criteria, volume chooser, result list and its
// blank cover) between which the tab strip switches, carries the toolbar, lays its halves out
// around the divider, owns the status bar and the two busy animations, and writes the settings
// when it closes.
//
// The implementation is split by concern: MainWindow.cpp (construction, shared services,
// toolbar), MainWindowLayout.cpp (layout and divider), MainWindowPanes.cpp (pane switch, first
// activation, status texts, animations), MainWindowStartup.cpp (load, placement, exit),
// MainWindowSearch.cpp (the search buttons).
#include "search/SearchCriteria.h"
#include "search/SearchScope.h"
#include "search/ui/ReportBox.h"
#include "shell/Settings.h"
#include "shell/ui/MainWindowServices.h"

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <QHash>
#include <QMainWindow>

class QAction;
class QLabel;
class QTabBar;
class QToolBar;

namespace mendor {

class BackgroundSearch;
class CatalogTree;
class ClipPlayer;
class ContentList;
class DividerBar;
class Prompter;
class ResultList;
struct SearchOutcome;
class SearchPane;
class SplashWindow;
class VolumeChooser;

class MainWindow : public QMainWindow, public MainWindowServices {
    Q_OBJECT
public:
    static constexpr int kVolumesTab = 0;
    static constexpr int kSearchTab = 1;
    static constexpr int kStatusPanelCount = 5;

    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // What the browse widgets and the dialogs ask of the window.
    void setStatusText(int panel, const QString& text) override;
    QString statusText(int panel) const override;
    void startBrowseAnimation() override;
    void stopBrowseAnimation() override;
    void pause(int count) override;
    QIcon image(const QString& key) const override;
    QSet<QString> imageKeys() const override;

    /// The start-up sequence: settings, splash texts, column widths, result columns, catalog
    /// tree, window placement. The splash window may be null.
    void load(SplashWindow* splash);

    /// Adds the toolbar button of a key ("catalog", "newdb", "compact", "options", "Export",
    /// "help") in its fixed place among the buttons. The handler runs after one yield to the
    /// window system; an exception it throws is swallowed, leaving the window as it was.
    QAction* addToolbarAction(const QString& key, const QString& toolTip, std::function<void()> handler);
    /// The button of a key; null when it was not added.
    QAction* toolbarAction(const QString& key) const;

    /// The first activation: opens the Search pane once when oStartupMode is set.
    void handleActivation();
    /// From now on activation no longer opens the Search pane (the Options dialog calls this).
    void markStartupPaneApplied() { startupPaneApplied_ = true; }

    /// Selects a tab as the user would, running the pane switch.
    void selectTab(int tab);
    int currentTab() const;
    /// Told apart by the criteria frame, as the pane switch does.
    bool isSearchPaneShowing() const;

    void saveStatusTexts();
    void restoreStatusTexts();
    void clearStatusTexts();

    void startSearchAnimation();
    void stopSearchAnimation();

    /// Rebuilds the catalog tree / the volume chooser (selecting its first node).
    void refreshCatalogTree();
    void fillVolumeChooser();

    /// The layout of the panes for the current size and pane.
    void layoutPanes();
    /// The width of the left half (the tab strip): 267 in the Search pane, in the Browse pane the
    /// width that the divider gave it.
    int leftHalfWidth() const;
    /// The divider was dropped with its left edge at barLeft.
    void finishDividerDrag(int barLeft);

    /// The placement, widths and state that exit writes.
    LiveLayout liveLayout() const;
    /// Writes every setting (exit, the Options dialog). A file that cannot be written is left as
    /// it was and the user is told so; false then.
    bool saveSettings();
    /// Reads and applies the stored window placement: the window's outer rectangle, frame
    /// included.
    void applyWindowPlacement();

    QTabBar* tabStrip() const { return tabStrip_; }
    DividerBar* splitter() const { return splitter_; }
    SearchPane* searchPane() const { return frame1_; }
    ResultList* searchView() const { return searchView_; }
    ResultList* hider() const { return hider_; }
    /// The report of the last completed search (RichTextBox1).
    const ReportBox& report() const { return report_; }

    /// "Start Search" / "Abort Search", "Find Duplicates" / "Abort Search".
    void startSearchClicked();
    void findDuplicatesClicked();
    void findIdenticalClicked();
    /// Who answers the searches' messages and questions; null: message boxes over the window.
    void setSearchPrompter(Prompter* prompter) { searchPrompter_ = prompter; }
    CatalogTree* contentsTree() const { return contentsTree_; }
    ContentList* listView() const { return listView_; }
    VolumeChooser* searchTree() const { return searchTree_; }
    ClipPlayer* browseAnimation() const { return animation1_; }

signals:
    void catalogTreeRefreshed();
    /// A search or duplicate search has ended and its button handler with it.
    void searchFinished();
    void volumeChooserFilled();
    /// The window has closed and saved the settings: the program ends.
    void exitRequested();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createToolbar();
    void createStatusBar();
    void createPanes();
    void createShortcuts();
    void onTabSelected(int tab);
    void showSearchControls();
    void openSearchClip();
    void showOptions();
    void showAbout();
    void connectSearchPane();
    SearchCriteria searchCriteria() const;
    /// BuildSearchCondition over the pane, then the missing-criteria message when it gives none.
    std::optional<QString> buildSearchCondition();
    SearchScope chosenScope() const;
    Prompter& searchPrompter();
    void onSearchFinished(const SearchOutcome& outcome);
    void finishSearchCommand(bool duplicates);
    /// Turns "Find Duplicates" off while another search runs; finishSearchCommand restores it.
    void holdDuplicatesButton();
    QMargins windowFrameMargins() const;
    void placeFrame();

    QToolBar* toolbar1_ = nullptr;
    QHash<QString, QAction*> toolbarActions_;
    QAction* spacerAction_ = nullptr;
    QAction* animationAction_ = nullptr;
    ClipPlayer* animation1_ = nullptr;

    QWidget* client_ = nullptr;
    QTabBar* tabStrip_ = nullptr;
    QWidget* tabPage_ = nullptr;
    CatalogTree* contentsTree_ = nullptr;
    ContentList* listView_ = nullptr;
    SearchPane* frame1_ = nullptr;
    VolumeChooser* searchTree_ = nullptr;
    ResultList* searchView_ = nullptr;
    ResultList* hider_ = nullptr;
    BackgroundSearch* search_ = nullptr;
    ReportBox report_;
    enum class RunningSearch { None, Normal, Duplicates, Identical } runningSearch_ = RunningSearch::None;
    bool duplicatesWereEnabled_ = false;
    Prompter* searchPrompter_ = nullptr;
    std::unique_ptr<Prompter> ownSearchPrompter_;
    DividerBar* splitter_ = nullptr;

    std::array<QLabel*, kStatusPanelCount> statusPanels_{};
    std::array<QString, kStatusPanelCount> savedStatusTexts_;

    int browseLeftWidth_;
    QRect framePlacement_;
    bool framePlacementPending_ = false;
    bool startupPaneApplied_ = false;
};

} // namespace mendor
