// How fast the browse views are over a large data folder: 50 databases of 20 volumes each, one
// volume holding a folder of 30,000 files. Reports the median of several rounds for reading the
// tree, refreshing the tree widget (which also lists the databases) and listing the big folder,
// through the core query alone and through the content list as the user sees it.
// Goal: listing the folder of 30,000 files in under 0.5 s.
#include "browse/CatalogQueries.h"
#include "browse/NodeKeys.h"
#include "browse/ui/CatalogTree.h"
#include "browse/ui/ContentList.h"
#include "shell/Options.h"
#include "shell/ui/MainWindowServices.h"
#include "store/Database.h"
#include "store/Schema.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <vector>

using namespace mendor;

namespace {

constexpr int kDatabases = 50;
constexpr int kVolumes = 20;
constexpr int kFoldersPerVolume = 10;
constexpr int kFilesPerFolder = 10;
constexpr int kBigFolderFiles = 30000;
constexpr int kRounds = 5;
constexpr std::int64_t kDate = 983725567;

class QuietServices : public MainWindowServices {
public:
    void setStatusText(int, const QString&) override {}
    QString statusText(int) const override { return {}; }
    void startBrowseAnimation() override {}
    void stopBrowseAnimation() override {}
    void pause(int) override { QCoreApplication::processEvents(); }
    QIcon image(const QString&) const override { return {}; }
    QSet<QString> imageKeys() const override { return {}; }
};

void writeVolume(Database& db, const QString& t, const QString& name, int files) {
    Statement index =
        db.prepare(QStringLiteral("INSERT INTO \"index\" (\"name\", \"tablename\", \"volumetype\", "
                                  "\"thedate\", \"size\", \"used\", \"free\", \"dirs\", \"files\") "
                                  "VALUES (?1, ?2, 2, ?3, 1000000000, 600000000, 400000000, ?4, ?5)"));
    index.bind(1, name).bind(2, t).bind(3, kDate).bind(4, kFoldersPerVolume + (files > 0 ? 1 : 0));
    index.bind(5, kFoldersPerVolume * kFilesPerFolder + files);
    index.execute();
    CreateVolumeTables(db, t);
    const QString columns =
        QStringLiteral("(\"ID\", \"parent\", \"name\", \"size\", \"attrib\", \"createdate\", "
                       "\"lastdate\", \"moddate\", \"depth\") VALUES (?1, ?2, ?3, ?4, ?5, ?6, "
                       "?6, ?6, ?7)");
    Statement dir =
        db.prepare(QStringLiteral("INSERT INTO %1 ").arg(quoteIdentifier(DirsTable(t))) + columns);
    Statement file =
        db.prepare(QStringLiteral("INSERT INTO %1 ").arg(quoteIdentifier(FilesTable(t))) + columns);
    const auto row = [](Statement& insert, std::int64_t id, std::int64_t parent, const QString& itemName,
                        std::int64_t size, const char* attrib, int depth) {
        insert.reset();
        insert.bind(1, id).bind(2, parent).bind(3, itemName).bind(4, size);
        insert.bind(5, QString::fromLatin1(attrib)).bind(6, kDate).bind(7, depth);
        insert.execute();
    };
    std::int64_t id = 1;
    row(dir, id++, 0, QStringLiteral("E:"), 0, "D", 0);
    for (int f = 0; f < kFoldersPerVolume; ++f) {
        const std::int64_t folder = id++;
        row(dir, folder, 1, QStringLiteral("folder %1").arg(f), 0, "D", 0);
        for (int i = 0; i < kFilesPerFolder; ++i)
            row(file, id++, folder, QStringLiteral("file %1.txt").arg(i), 1000 + i, "A", 1);
    }
    if (files > 0) {
        const std::int64_t big = id++;
        row(dir, big, 1, QStringLiteral("big"), 0, "D", 0);
        static const char* const kExtensions[] = {"txt", "jpg", "mp3", "doc", "zip", "c", "h", "pdf"};
        for (int i = 0; i < files; ++i) {
            const QString fileName =
                QStringLiteral("item %1.%2").arg(i).arg(QLatin1String(kExtensions[i % 8]));
            row(file, id++, big, fileName, std::int64_t(i) * 37, "A", 1);
        }
    }
    CreateVolumeIndexes(db, t);
}

void buildDataFolder(const QString& folder, const QString& templatePath) {
    for (int d = 0; d < kDatabases; ++d) {
        const QString path = QStringLiteral("%1/Db%2.mdb").arg(folder).arg(d, 2, 10, QLatin1Char('0'));
        QFile::copy(templatePath, path);
        QFile(path).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        Database db = Database::open(path);
        Transaction transaction(db);
        for (int v = 0; v < kVolumes; ++v) {
            const bool big = d == 0 && v == 0;
            writeVolume(db, QStringLiteral("%1vol%2").arg(d).arg(v), QStringLiteral("Volume %1").arg(v),
                        big ? kBigFolderFiles : 0);
        }
        transaction.commit();
    }
}

double medianMs(const std::function<void()>& run) {
    std::vector<double> times;
    for (int round = 0; round < kRounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        run();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir data;
    QElapsedTimer build;
    build.start();
    buildDataFolder(data.path(), QStringLiteral(MENDOR_BENCH_TEMPLATE));
    std::printf("data folder: %d databases x %d volumes, built in %.1f s\n", kDatabases, kVolumes,
                double(build.elapsed()) / 1000.0);
    gDataPath = data.path();

    const QString bigKey =
        QStringLiteral("Db00.mdb_0vol0_d%1").arg(kFoldersPerVolume * (kFilesPerFolder + 1) + 2);
    const QString databasePath = data.filePath(QStringLiteral("Db00.mdb"));

    std::size_t rows = 0;
    const double readTree = medianMs([&] { rows = ReadCatalogTree(data.path()).size(); });
    std::printf("read the tree of %zu databases:              %8.1f ms\n", rows, readTree);

    QuietServices services;
    CatalogTree tree(services);
    ContentList list(services, tree);
    const double refresh = medianMs([&] { tree.RefreshCatalogTree(); });
    std::printf("refresh the tree widget and list databases: %8.1f ms\n", refresh);

    const std::int64_t bigId = FolderIdFromKey(bigKey).toLongLong();
    const double query =
        medianMs([&] { rows = ReadFolderFiles(databasePath, QStringLiteral("0vol0"), bigId).size(); });
    std::printf("query the %zu files of the big folder:     %8.1f ms\n", rows, query);

    tree.selectNode(bigKey);
    list.SetFolderColumns();
    const double listing = medianMs([&] { list.ListFolder(); });
    std::printf("list the big folder in the content list:    %8.1f ms (%d items; goal < 500 ms)\n", listing,
                list.itemCount());

    // As the user gets it: a click on the database list first, then on the folder node.
    const double click = medianMs([&] {
        tree.selectNode(QStringLiteral("Db00.mdb"));
        tree.handleSelection(Qt::LeftButton);
        tree.selectNode(bigKey);
        tree.handleSelection(Qt::LeftButton);
    });
    std::printf("click a volume list, then the big folder:   %8.1f ms\n", click);
    return list.itemCount() == kBigFolderFiles ? 0 : 1;
}
