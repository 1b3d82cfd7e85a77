#include "browse/ui/ContentList.h"

#include "browse/BrowseStatus.h"
#include "browse/CatalogQueries.h"
#include "browse/ListColumns.h"
#include "browse/NodeKeys.h"
#include "browse/ui/CatalogTree.h"
#include "browse/ui/ContentListModel.h"
#include "browse/ui/ItemCommandMenu.h"
#include "browse/ui/ItemListView.h"
#include "catalog/ArchiveLister.h"
#include "catalog/VolumeTypes.h"
#include "shell/BusyScope.h"
#include "shell/Options.h"
#include "shell/Settings.h"
#include "shell/TextFormats.h"
#include "shell/ui/MainWindowServices.h"
#include "store/Keys.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>

namespace mendor {

namespace {

// Rows are handed to the view in batches, and the event loop runs between batches at most this
// often, so that a folder of many thousands of files lists without freezing the window.
constexpr int kBatchRows = 2000;
constexpr qint64 kYieldIntervalMs = 30;
constexpr qint64 kAnimationDelayMs = 1000;

void yieldToWindowSystem() {
    QCoreApplication::processEvents();
}

void writeStatus(MainWindowServices& services, const StatusTexts& texts) {
    for (int panel = 0; panel < int(texts.size()); ++panel)
        services.setStatusText(panel + 1, texts[panel]);
}

// Shows the browse animation once a listing has run for a second, and yields now and then.
class ListingPacer {
public:
    explicit ListingPacer(MainWindowServices& services) : services_(services) {
        started_.start();
        lastYield_.start();
    }

    void check() {
        if (!animating_ && started_.elapsed() >= kAnimationDelayMs) {
            animating_ = true;
            services_.startBrowseAnimation();
            yieldToWindowSystem();
            lastYield_.restart();
        }
        if (lastYield_.elapsed() >= kYieldIntervalMs) {
            yieldToWindowSystem();
            lastYield_.restart();
        }
    }

private:
    MainWindowServices& services_;
    QElapsedTimer started_;
    QElapsedTimer lastYield_;
    bool animating_ = false;
};

// The tree is unavailable to the user while a listing runs; it comes back when the listing
// ends, also when it ends early. Disabling the tree hands its keyboard focus on to the next
// widget; the focus returns with the tree unless the user has put it elsewhere meanwhile, so
// that F2 and Delete go on acting on the tree.
class TreeLock {
public:
    explicit TreeLock(CatalogTree& tree) : tree_(tree), hadFocus_(tree.window()->focusWidget() == &tree) {
        tree_.setEnabled(false);
        standIn_ = tree_.window()->focusWidget();
    }
    ~TreeLock() {
        tree_.setEnabled(true);
        if (hadFocus_ && tree_.window()->focusWidget() == standIn_)
            tree_.setFocus(Qt::OtherFocusReason);
    }
    TreeLock(const TreeLock&) = delete;
    TreeLock& operator=(const TreeLock&) = delete;

private:
    CatalogTree& tree_;
    bool hadFocus_;
    QPointer<QWidget> standIn_;
};

QStringList folderTexts(const QString& text, const ItemRow& info) {
    return {ShowName(text),
            FormatSizeKB(info.size),
            QStringLiteral("(Folder)"),
            FormatDate(info.created),
            FormatDate(info.modified),
            LastAccessText(info.accessed, info.modified),
            info.attrib,
            info.description};
}

} // namespace

ContentList::ContentList(MainWindowServices& services, CatalogTree& tree, QWidget* parent)
    : QTreeView(parent), services_(services), tree_(tree),
      model_(new ContentListModel([&services](const QString& key) { return services.image(key); }, this)) {
    setObjectName(QStringLiteral("ListView"));
    setModel(model_);
    SetUpItemListView(*this);
    connect(header(), &QHeaderView::sectionClicked, this, &ContentList::ColumnClick);
    tree_.attachContentList(this);
}

ContentList::~ContentList() = default;

void ContentList::SetFolderColumns() {
    setListMode(kFolderMode);
}
void ContentList::SetVolumeColumns() {
    setListMode(kVolumeMode);
}
void ContentList::SetDatabaseColumns() {
    setListMode(kDatabaseMode);
}
void ContentList::SetZipColumns() {
    setListMode(kZipMode);
}

void ContentList::setListMode(int mode) {
    // A list that has no columns yet (a new widget) is set up even when the mode is the same.
    if (gListMode == mode && columnCount() > 0)
        return;
    // A failed save leaves the file whole; exit writes the widths again and reports a failure.
    SaveFilePaneWidths(gListMode, columnCount());
    ClearContentList();
    for (int m = kFolderMode; m <= kZipMode; ++m) {
        for (int c = 1; c <= 10; ++c) {
            if (gColumnWidths[m][c] < 0)
                gColumnWidths[m][c] = 100;
        }
    }
    model_->setColumns({});
    LoadFilePaneWidths(mode);
    model_->setColumns(ColumnsOfMode(mode));
    for (int column = 0; column < columnCount(); ++column)
        header()->resizeSection(column, gColumnWidths[mode][column + 1]);
    sort_.reset(InitialSortColumn(mode));
    gListMode = std::int16_t(mode);
}

void ContentList::ClearContentList() {
    if (model_->rowCount() == 0)
        return;
    model_->clearRows();
    services_.pause(5);
}

void ContentList::ListFolder() {
    if (isBusy())
        return;
    const TreeLock lock(tree_);
    const BusyScope busy;
    ListingPacer pacer(services_);
    yieldToWindowSystem();
    ClearContentList();

    const QString key = tree_.selectedKey();
    QList<ContentListModel::Row> rows;
    for (const QString& childKey : tree_.childKeys(key)) {
        const QString text = tree_.nodeText(childKey);
        const ItemRow* info = tree_.folderInfo(childKey);
        const ItemRow none;
        rows.append({childKey,
                     IsArchiveFolderName(text) ? QStringLiteral("zip_closed") : QStringLiteral("closed"),
                     folderTexts(text, info != nullptr ? *info : none)});
    }
    model_->appendRows(std::move(rows));
    rows = {};
    pacer.check();

    const QString databaseFile = DbFileNameFromKey(key);
    const QString tableName = TableNameFromKey(key);
    const QList<ItemRow> files =
        ReadFolderFiles(DbPathFromKey(key), tableName, FolderIdFromKey(key).toLongLong());
    const bool zipList = gListMode == kZipMode;
    const QSet<QString> imageKeys = services_.imageKeys();
    QHash<QString, QString> typeNames; // by the text after the last "."; the lookup is slow
    const QString keyPrefix = databaseFile + QLatin1Char('_') + tableName + QLatin1String("_f");
    for (const ItemRow& file : files) {
        const qsizetype dot = file.name.lastIndexOf(QLatin1Char('.'));
        const QString extension = dot < 0 ? QString() : file.name.mid(dot);
        auto typeName = typeNames.find(extension);
        if (typeName == typeNames.end())
            typeName = typeNames.insert(extension, FileTypeName(file.name));
        QStringList texts;
        if (zipList)
            texts = {ShowName(file.name), FormatSizeKB(file.size), typeName.value(), FormatDate(file.created),
                     ZipPathCase(file.description)};
        else
            texts = {ShowName(file.name),
                     FormatSizeKB(file.size),
                     typeName.value(),
                     FormatDate(file.created),
                     FormatDate(file.modified),
                     LastAccessText(file.accessed, file.modified),
                     file.attrib,
                     file.description};
        rows.append(
            {keyPrefix + QString::number(file.id), FileIconKey(file.name, imageKeys), std::move(texts)});
        if (rows.size() >= kBatchRows) {
            model_->appendRows(std::move(rows));
            rows = {};
            pacer.check();
        }
    }
    model_->appendRows(std::move(rows));
    applySort();

    for (int i = 0; i < 5; ++i)
        yieldToWindowSystem();
    services_.stopBrowseAnimation();
}

void ContentList::ListVolumes() {
    const TreeLock lock(tree_);
    const BusyScope busy;
    ClearContentList();
    // The volumes arrive in the tree's order, which is by name.
    sort_.turnOff();
    yieldToWindowSystem();

    const QString key = tree_.selectedKey();
    const QStringList volumeKeys = tree_.childKeys(key);
    if (volumeKeys.isEmpty()) {
        writeStatus(services_, EmptyDatabaseStatus());
        return;
    }
    QStringList tableNames;
    for (const QString& volumeKey : volumeKeys)
        tableNames.append(TableNameFromKey(volumeKey));
    const VolumeListing listing = ReadVolumeRecords(DbPathFromKey(key), tableNames);

    CatalogTotals totals;
    QList<ContentListModel::Row> rows;
    for (int i = 0; i < listing.volumes.size(); ++i) {
        const VolumeRecord& volume = listing.volumes.at(i);
        totals += CatalogTotals{1, volume.size, volume.used, volume.free, volume.dirs, volume.files};
        rows.append({volumeKeys.at(i),
                     VolumeTypeKey(volume.volumeType),
                     {ShowName(tree_.nodeText(volumeKeys.at(i))), VolumeTypeName(volume.volumeType),
                      FormatSizeMB(volume.size).trimmed(), FormatSizeMB(volume.used).trimmed(),
                      FormatSizeMB(volume.free).trimmed(), FormatDate(volume.date), volume.description,
                      FormatCount(volume.dirs), FormatCount(volume.files)}});
    }
    model_->appendRows(std::move(rows));
    // A listing that failed midway keeps its items and leaves the status bar as it was.
    if (listing.volumes.size() == volumeKeys.size())
        writeStatus(services_, VolumeListStatus(totals, listing.fileBytes));
}

void ContentList::ListDatabases() {
    const TreeLock lock(tree_);
    const BusyScope busy;
    ClearContentList();

    CatalogTotals grand;
    QList<ContentListModel::Row> rows;
    const QStringList databaseKeys = tree_.databaseKeys();
    for (const QString& databaseKey : databaseKeys) {
        const CatalogTotals totals = ReadDatabaseTotals(DbPathFromKey(databaseKey));
        grand += totals;
        rows.append({databaseKey,
                     QStringLiteral("database"),
                     {ShowName(tree_.nodeText(databaseKey)), FormatCount(totals.volumes),
                      FormatSizeMB(totals.size), FormatSizeMB(totals.used), FormatSizeMB(totals.free),
                      FormatCount(totals.dirs), FormatCount(totals.files)}});
    }
    model_->appendRows(std::move(rows));
    applySort();
    writeStatus(services_, DatabaseListStatus(databaseKeys.size(), grand));
}

void ContentList::applySort() {
    if (sort_.isOn())
        model_->sortByText(sort_.column(), sort_.descending());
}

QString ContentList::headerCaption(int column) const {
    return model_->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
}

void ContentList::ColumnClick(int column) {
    if (column < 0 || column >= columnCount())
        return;
    QStringList captions = model_->captions();
    sort_.click(SortColumnForKey(gListMode, model_->columns().at(column).key), captions);
    model_->setCaptions(captions);
    applySort();
}

int ContentList::columnCount() const {
    return model_->columnCount();
}

QList<int> ContentList::liveColumnWidths() const {
    QList<int> widths;
    for (int column = 0; column < columnCount(); ++column)
        widths.append(header()->sectionSize(column));
    return widths;
}

int ContentList::itemCount() const {
    return model_->rowCount();
}

QString ContentList::itemKey(int row) const {
    return model_->row(row).key;
}

QString ContentList::itemText(int row, int column) const {
    return model_->data(model_->index(row, column), Qt::DisplayRole).toString();
}

QString ContentList::itemIconKey(int row) const {
    return model_->row(row).iconKey;
}

QStringList ContentList::selectedKeys() const {
    QList<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    QStringList keys;
    for (int row : rows)
        keys.append(itemKey(row));
    return keys;
}

bool ContentList::selectItem(const QString& key) {
    for (int row = 0; row < itemCount(); ++row) {
        if (itemKey(row) == key) {
            const QModelIndex index = model_->index(row, 0);
            selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                         QItemSelectionModel::Rows);
            scrollTo(index);
            return true;
        }
    }
    return false;
}

void ContentList::openSelectedItem() {
    if (isBusy() || gListMode == kZipMode)
        return;
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return;
    const QString key = itemKey(current.row());
    tree_.setCurrentKey(key);
    if (IsFileKey(key)) {
        emit openFileRequested(key);
        return;
    }
    // The widths the user left in the list stay with its mode when the mode changes here.
    CaptureFilePaneWidths(gListMode, liveColumnWidths());
    const auto treeKind = tree_.kindOf(tree_.selectedKey());
    if (treeKind == NodeKind::Root) {
        SetVolumeColumns();
        tree_.selectNode(key);
        ListVolumes();
    } else if (treeKind == NodeKind::Database) {
        SetFolderColumns();
        tree_.selectNode(key);
        ListFolder();
    } else {
        tree_.selectNode(key);
        if (IsArchiveFolderName(tree_.nodeText(key)))
            SetZipColumns();
        ListFolder();
    }
}

bool ContentList::itemMenuAllowed() const {
    if (itemCount() == 0 || gListMode == kZipMode)
        return false;
    const QModelIndex current = currentIndex();
    if (!current.isValid() || NodeKindOfKey(itemKey(current.row())) == NodeKind::Database)
        return false;
    return tree_.kindOf(tree_.selectedKey()) != NodeKind::Database;
}

void ContentList::enableItemCommand(const QString& command) {
    enabledItemCommands_.insert(command);
    delete itemMenu_;
    itemMenu_ = nullptr;
}

void ContentList::showItemMenu(const QPoint& globalPosition) {
    if (!itemMenuAllowed() || enabledItemCommands_.isEmpty())
        return;
    if (itemMenu_ == nullptr) {
        itemMenu_ = MakeItemCommandMenu(
            QStringLiteral("&Item"),
            {{QStringLiteral("delete_item"), QStringLiteral("&Delete item(s) from volume")},
             {QStringLiteral("copy_item"), QStringLiteral("&Copy item(s) to a new location...")},
             {QStringLiteral("quick_copy"), QStringLiteral("&Quick Copy item(s) to your Desktop")},
             {QStringLiteral("describe_item"), QStringLiteral("Add D&escription(s)")}},
            enabledItemCommands_, this, [this](const QString& command) { emit itemCommand(command); });
    }
    itemMenu_->popup(globalPosition);
}

void ContentList::mouseDoubleClickEvent(QMouseEvent* event) {
    QTreeView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).isValid())
        openSelectedItem();
}

void ContentList::mouseReleaseEvent(QMouseEvent* event) {
    QTreeView::mouseReleaseEvent(event);
    if (event->button() == Qt::RightButton)
        showItemMenu(event->globalPosition().toPoint());
}

} // namespace mendor
