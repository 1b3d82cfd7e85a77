#include "browse/ui/VolumeChooser.h"

#include "catalog/VolumeTypes.h"
#include "shell/Options.h"
#include "shell/ui/MainWindowServices.h"

#include <QTreeWidgetItemIterator>

namespace mendor {

namespace {

constexpr int kImageRole = Qt::UserRole + 1;
constexpr int kDatabaseFileRole = Qt::UserRole + 2;

} // namespace

VolumeChooser::VolumeChooser(MainWindowServices& services, QWidget* parent)
    : QTreeWidget(parent), services_(services) {
    setObjectName(QStringLiteral("SearchTree"));
    setHeaderHidden(true);
    setColumnCount(1);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(this, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* node) { emit nodeClicked(node == topLevelItem(0)); });
}

void VolumeChooser::FillVolumeChooser() {
    clear();
    const auto addNode = [this](QTreeWidgetItem* parent, const QString& text, const QString& image,
                                const QString& databaseFile) {
        QTreeWidgetItem* node = parent == nullptr ? new QTreeWidgetItem(this) : new QTreeWidgetItem(parent);
        node->setText(0, text);
        node->setIcon(0, services_.image(image));
        node->setData(0, kImageRole, image);
        node->setData(0, kDatabaseFileRole, databaseFile);
        return node;
    };
    QTreeWidgetItem* root =
        addNode(nullptr, QStringLiteral("ALL Volumes"), QStringLiteral("mendor"), QString());
    databases_ = ReadChooserDatabases(gDataPath);
    for (const ChooserDatabase& database : databases_) {
        QTreeWidgetItem* databaseNode =
            addNode(root, database.fileName.chopped(4), QStringLiteral("database"), database.fileName);
        for (const ChooserVolume& volume : database.volumes)
            addNode(databaseNode, volume.name, VolumeTypeKey(volume.volumeType), database.fileName);
    }
    root->setExpanded(true);
    setCurrentItem(root);
}

QList<VolumeChooser::Entry> VolumeChooser::entries() const {
    QList<Entry> result;
    for (QTreeWidgetItemIterator it(const_cast<VolumeChooser*>(this)); *it != nullptr; ++it) {
        const QTreeWidgetItem* node = *it;
        result.append({node->text(0), node->data(0, kImageRole).toString(),
                       node->data(0, kDatabaseFileRole).toString(), node->isSelected()});
    }
    return result;
}

bool VolumeChooser::allVolumesSelected() const {
    const QTreeWidgetItem* first = topLevelItem(0);
    return first != nullptr && first->isSelected();
}

bool VolumeChooser::selectEntry(int position) {
    int at = 1;
    for (QTreeWidgetItemIterator it(this); *it != nullptr; ++it, ++at) {
        if (at == position) {
            setCurrentItem(*it);
            return true;
        }
    }
    return false;
}

} // namespace mendor
