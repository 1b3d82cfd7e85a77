#pragma once
// The volume chooser of the Search pane: node 1 "ALL Volumes", then one node per database file
// of the data folder (image "database", text the file name without ".mdb") holding one node per
// volume (image of its type, text the volume's name). Nodes below the first carry no key; the
// search walks entries() in order.
#include "browse/CatalogQueries.h"

#include <QList>
#include <QString>
#include <QTreeWidget>

namespace mendor {

class MainWindowServices;

class VolumeChooser : public QTreeWidget {
    Q_OBJECT

public:
    explicit VolumeChooser(MainWindowServices& services, QWidget* parent = nullptr);

    /// Rebuilds the chooser from gDataPath and selects node 1.
    void FillVolumeChooser();

    /// One node of the chooser, in display order (node 1 first).
    struct Entry {
        QString text;
        QString image;        ///< "mendor", "database" or a volume type's image key
        QString databaseFile; ///< the database file (with ".mdb") of a database or volume node
        bool selected = false;
    };
    QList<Entry> entries() const;
    /// The databases and volumes the chooser was filled with, in its order.
    const QList<ChooserDatabase>& databases() const { return databases_; }

    bool allVolumesSelected() const;
    /// Selects the node with this position (1 is "ALL Volumes"); false when there is none.
    bool selectEntry(int position);

signals:
    /// The user clicked a node; allVolumes when it is node 1 ("Find Duplicates" is then unavailable).
    void nodeClicked(bool allVolumes);

private:
    MainWindowServices& services_;
    QList<ChooserDatabase> databases_;
};

} // namespace mendor
