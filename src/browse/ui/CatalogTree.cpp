#include "browse/ui/CatalogTree.h"

#include "browse/BrowseStatus.h"
#include "browse/ui/ContentList.h"
#include "catalog/ArchiveLister.h"
#include "catalog/VolumeTypes.h"
#include "shell/BusyScope.h"
#include "shell/Options.h"
#include "shell/Settings.h"
#include "shell/ui/MainWindowServices.h"
#include "store/DatabaseList.h"
#include "store/Keys.h"

#include <QCursor>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

namespace mendor {

namespace {

constexpr int kKeyRole = Qt::UserRole;
constexpr int kImageRole = Qt::UserRole + 1;
constexpr int kSelectedImageRole = Qt::UserRole + 2;

} // namespace

CatalogTree::CatalogTree(MainWindowServices& services, QWidget* parent)
    : QTreeWidget(parent), services_(services) {
    setObjectName(QStringLiteral("ContentsTree"));
    setHeaderHidden(true);
    setColumnCount(1);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformRowHeights(true);
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);

    databaseMenu_ = makeMenu(QStringLiteral("Database"),
                             {{QStringLiteral("delete_database"), QStringLiteral("&Delete database")},
                              {QStringLiteral("rename_database"), QStringLiteral("&Rename database")},
                              {QStringLiteral("compact_database"), QStringLiteral("&Compact database")}});
    volumeMenu_ = makeMenu(QStringLiteral("Volume"),
                           {{QStringLiteral("delete_volume"), QStringLiteral("&Delete volume")},
                            {QStringLiteral("rename_volume"), QStringLiteral("&Rename Volume")},
                            {QStringLiteral("describe_volume"), QStringLiteral("Add D&escription")},
                            {QStringLiteral("move_volume"), QStringLiteral("&Move to another database")},
                            {QStringLiteral("verify_volume"), QStringLiteral("&Verify Volume...")}});

    connect(this, &QTreeWidget::itemExpanded, this, &CatalogTree::onExpanded);
    connect(this, &QTreeWidget::currentItemChanged, this, &CatalogTree::onCurrentChanged);
    connect(this, &QTreeWidget::itemChanged, this, &CatalogTree::onItemChanged);
}

CatalogTree::~CatalogTree() = default;

QMenu* CatalogTree::makeMenu(const QString& title, const QList<QPair<QString, QString>>& commands) {
    auto* menu = new QMenu(title, this);
    for (const auto& [command, caption] : commands) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(command);
        connect(action, &QAction::triggered, this, [this, command] {
            if (command.startsWith(QLatin1String("rename_")))
                startLabelEdit(popupKey_);
            else
                emit menuCommand(command, popupKey_);
        });
    }
    return menu;
}

void CatalogTree::clearAll() {
    editingKey_.clear();
    clear();
    nodes_.clear();
    folderInfo_.clear();
    volumeRootNames_.clear();
    if (list_ != nullptr)
        list_->ClearContentList();
}

QTreeWidgetItem* CatalogTree::addNode(QTreeWidgetItem* parent, const QString& key, const QString& text,
                                      const QString& image, const QString& selectedImage) {
    // A key that is already in the tree is refused, so a level loaded twice adds nothing.
    if (nodes_.contains(key))
        return nullptr;
    QTreeWidgetItem* node = parent == nullptr ? new QTreeWidgetItem(this) : new QTreeWidgetItem(parent);
    node->setText(0, text);
    node->setData(0, kKeyRole, key);
    node->setData(0, kImageRole, image);
    node->setData(0, kSelectedImageRole, selectedImage.isEmpty() ? image : selectedImage);
    node->setIcon(0, services_.image(image));
    nodes_.insert(key, node);
    return node;
}

QTreeWidgetItem* CatalogTree::addFolderNode(QTreeWidgetItem* parent, const QString& databaseFile,
                                            const QString& tableName, const ItemRow& row) {
    const QString key = FolderKey(databaseFile, tableName, row.id);
    const bool zip = IsArchiveFolderName(row.name);
    QTreeWidgetItem* node = addNode(parent, key, row.name.trimmed(),
                                    zip ? QStringLiteral("zip_closed") : QStringLiteral("closed"),
                                    zip ? QStringLiteral("zip_open") : QStringLiteral("open"));
    if (node != nullptr)
        folderInfo_.insert(key, row);
    return node;
}

void CatalogTree::RefreshCatalogTree() {
    clearAll();
    QTreeWidgetItem* root = addNode(nullptr, kRootKey, kCatalogRootLabel, QStringLiteral("mendor"));
    setCurrentItem(root);
    root->setExpanded(true);

    for (const CatalogDatabase& database : ReadCatalogTree(gDataPath)) {
        QTreeWidgetItem* databaseNode =
            addNode(root, database.fileName, database.fileName.chopped(4), QStringLiteral("database"));
        if (databaseNode == nullptr)
            continue;
        for (const CatalogVolume& volume : database.volumes) {
            const QString volumeKey = database.fileName + QLatin1Char('_') + volume.tableName;
            QTreeWidgetItem* volumeNode =
                addNode(databaseNode, volumeKey, volume.name, VolumeTypeKey(volume.volumeType));
            if (volumeNode == nullptr)
                continue;
            volumeRootNames_.insert(volumeKey, volume.rootName);
            for (const ItemRow& row : volume.firstLevel)
                addFolderNode(volumeNode, database.fileName, volume.tableName, row);
        }
    }

    if (list_ != nullptr) {
        list_->SetDatabaseColumns();
        list_->ListDatabases();
    }
    currentKey_ = kRootKey;
}

void CatalogTree::LoadNextTreeLevel(const QString& key) {
    BusyScope busy;
    QTreeWidgetItem* node = nodeByKey(key);
    if (node == nullptr)
        return;
    if (node->childCount() > 0 && node->child(0)->childCount() > 0)
        return;
    // Only volume and folder nodes have folders below their children; a database node's
    // volumes got their first level at the refresh.
    const NodeKind kind = kindOf(key).value_or(NodeKind::Root);
    if (kind != NodeKind::Volume && kind != NodeKind::Folder)
        return;

    const QString databaseFile = DbFileNameFromKey(key);
    const QString tableName = TableNameFromKey(key);
    QList<std::int64_t> parentIds;
    for (int i = 0; i < node->childCount(); ++i)
        parentIds.append(FolderIdAfterMarker(keyOf(node->child(i))));
    const auto subFolders = ReadSubFolders(DbPathFromKey(key), tableName, parentIds);
    for (int i = 0; i < node->childCount(); ++i) {
        QTreeWidgetItem* child = node->child(i);
        for (const ItemRow& row : subFolders.value(parentIds.at(i)))
            addFolderNode(child, databaseFile, tableName, row);
    }
}

void CatalogTree::onExpanded(QTreeWidgetItem* node) {
    if (!isBusy())
        LoadNextTreeLevel(keyOf(node));
}

void CatalogTree::onCurrentChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous) {
    if (previous != nullptr)
        previous->setIcon(0, services_.image(previous->data(0, kImageRole).toString()));
    if (current != nullptr)
        current->setIcon(0, services_.image(current->data(0, kSelectedImageRole).toString()));
}

QString CatalogTree::keyOf(const QTreeWidgetItem* node) {
    return node == nullptr ? QString() : node->data(0, kKeyRole).toString();
}

QString CatalogTree::imageOf(const QTreeWidgetItem* node) {
    return node == nullptr ? QString() : node->data(0, kImageRole).toString();
}

QString CatalogTree::selectedImageOf(const QTreeWidgetItem* node) {
    return node == nullptr ? QString() : node->data(0, kSelectedImageRole).toString();
}

QTreeWidgetItem* CatalogTree::nodeByKey(const QString& key) const {
    return nodes_.value(key);
}

QString CatalogTree::selectedKey() const {
    return keyOf(currentItem());
}

bool CatalogTree::selectNode(const QString& key) {
    QTreeWidgetItem* node = nodeByKey(key);
    if (node == nullptr)
        return false;
    for (QTreeWidgetItem* up = node->parent(); up != nullptr; up = up->parent())
        up->setExpanded(true);
    setCurrentItem(node);
    scrollToItem(node);
    return true;
}

std::optional<NodeKind> CatalogTree::kindOf(const QString& key) const {
    const QTreeWidgetItem* node = nodeByKey(key);
    if (node == nullptr)
        return std::nullopt;
    if (key.compare(kRootKey, Qt::CaseInsensitive) == 0)
        return NodeKind::Root;
    if (key.endsWith(QLatin1String(".mdb"), Qt::CaseInsensitive))
        return NodeKind::Database;
    const QString parentKey = keyOf(node->parent());
    if (parentKey.endsWith(QLatin1String(".mdb"), Qt::CaseInsensitive))
        return NodeKind::Volume;
    return NodeKind::Folder;
}

QString CatalogTree::nodeText(const QString& key) const {
    const QTreeWidgetItem* node = nodeByKey(key);
    return node == nullptr ? QString() : node->text(0);
}

QStringList CatalogTree::childKeys(const QString& key) const {
    QStringList keys;
    if (const QTreeWidgetItem* node = nodeByKey(key)) {
        for (int i = 0; i < node->childCount(); ++i)
            keys.append(keyOf(node->child(i)));
    }
    return keys;
}

void CatalogTree::setNodeText(const QString& key, const QString& text) {
    if (QTreeWidgetItem* node = nodeByKey(key)) {
        const QSignalBlocker blocker(this);
        node->setText(0, text);
    }
}

void CatalogTree::setFolderDescription(const QString& key, const QString& description) {
    const auto found = folderInfo_.find(key);
    if (found != folderInfo_.end())
        found->description = description;
}

const ItemRow* CatalogTree::folderInfo(const QString& key) const {
    const auto found = folderInfo_.constFind(key);
    return found == folderInfo_.constEnd() ? nullptr : &found.value();
}

QString CatalogTree::volumeRootName(const QString& volumeKey) const {
    return volumeRootNames_.value(volumeKey);
}

void CatalogTree::startLabelEdit(const QString& key) {
    QTreeWidgetItem* node = nodeByKey(key);
    const auto kind = kindOf(key);
    if (node == nullptr || (kind != NodeKind::Database && kind != NodeKind::Volume))
        return;
    editingKey_ = key;
    editingOldText_ = node->text(0);
    {
        const QSignalBlocker blocker(this);
        node->setFlags(node->flags() | Qt::ItemIsEditable);
    }
    editItem(node, 0);
}

void CatalogTree::onItemChanged(QTreeWidgetItem* node, int /*column*/) {
    const QString key = keyOf(node);
    if (editingKey_.isEmpty() || key != editingKey_)
        return;
    const QString oldText = editingOldText_;
    const QString newText = node->text(0);
    editingKey_.clear();
    {
        // The label changes only when the rename itself succeeds (setNodeText or a refresh).
        const QSignalBlocker blocker(this);
        node->setText(0, oldText);
        node->setFlags(node->flags() & ~Qt::ItemIsEditable);
    }
    if (newText != oldText)
        emit labelEdited(key, oldText, newText);
}

void CatalogTree::mouseReleaseEvent(QMouseEvent* event) {
    QTreeWidget::mouseReleaseEvent(event);
    handleSelection(event->button());
}

void CatalogTree::handleSelection(Qt::MouseButton button) {
    if (isBusy())
        return;
    if (list_ != nullptr)
        CaptureFilePaneWidths(gListMode, list_->liveColumnWidths());
    const QString key = selectedKey();
    const auto kind = kindOf(key);
    if (!kind)
        return;

    if (key != currentKey_ && list_ != nullptr) {
        switch (*kind) {
        case NodeKind::Root:
            list_->SetDatabaseColumns();
            currentKey_ = key;
            services_.pause(25);
            list_->ListDatabases();
            break;
        case NodeKind::Database:
            list_->SetVolumeColumns();
            currentKey_ = key;
            services_.pause(25);
            list_->ListVolumes();
            break;
        case NodeKind::Volume:
        case NodeKind::Folder: {
            const StatusTexts texts =
                VolumeSelectionStatus(ReadVolumeFigures(DbPathFromKey(key), TableNameFromKey(key)));
            for (int panel = 0; panel < 5; ++panel)
                services_.setStatusText(panel + 1, texts[panel]);
            currentKey_ = key;
            if (IsArchiveFolderName(nodeText(key)))
                list_->SetZipColumns();
            else
                list_->SetFolderColumns();
            list_->ListFolder();
            services_.pause(25);
            break;
        }
        }
    }

    if (button == Qt::RightButton && (*kind == NodeKind::Database || *kind == NodeKind::Volume)) {
        popupKey_ = key;
        (*kind == NodeKind::Database ? databaseMenu_ : volumeMenu_)->popup(QCursor::pos());
    }
}

void CatalogTree::keyReleaseEvent(QKeyEvent* event) {
    QTreeWidget::keyReleaseEvent(event);
    if (isBusy())
        return;
    const QString key = selectedKey();
    const auto kind = kindOf(key);
    if (kind != NodeKind::Database && kind != NodeKind::Volume)
        return;
    if (event->key() == Qt::Key_Delete)
        emit deleteRequested(key);
    else if (event->key() == Qt::Key_F2)
        startLabelEdit(key);
}

} // namespace mendor
