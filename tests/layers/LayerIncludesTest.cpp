// Reads every quoted #include under src/ and checks it against the layer order: a file includes
// only its own layer and those below it, core code never includes a ui/ header, and the
// command-line tool never includes widgets.
#include <gtest/gtest.h>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QStringList>

namespace {

const QStringList kLayers = {QStringLiteral("shell"),   QStringLiteral("platform"), QStringLiteral("store"),
                             QStringLiteral("catalog"), QStringLiteral("browse"),   QStringLiteral("search"),
                             QStringLiteral("export"),  QStringLiteral("retrieve")};

/// Rank in the layer order; app and cli stand above every subsystem.
int rankOf(const QString& subsystem) {
    const qsizetype found = kLayers.indexOf(subsystem);
    return found >= 0 ? int(found) : int(kLayers.size());
}

struct Place {
    QString subsystem;
    bool ui = false;
};

Place placeOf(const QString& relativePath) {
    const QStringList parts = relativePath.split(QLatin1Char('/'));
    return {parts.first(), parts.size() > 2 && parts.at(1) == QLatin1String("ui")};
}

/// Why including header from file breaks the order; empty when it does not.
QString violation(const QString& file, const QString& header) {
    const Place from = placeOf(file);
    const Place to = placeOf(header);
    if (to.subsystem == QLatin1String("app") && from.subsystem != QLatin1String("app"))
        return QStringLiteral("includes the desktop program");
    if (to.subsystem == QLatin1String("cli") && from.subsystem != QLatin1String("cli"))
        return QStringLiteral("includes the command-line tool");
    if (to.ui && !from.ui && from.subsystem != QLatin1String("app"))
        return QStringLiteral("core code includes a ui/ header");
    if (rankOf(to.subsystem) > rankOf(from.subsystem))
        return QStringLiteral("includes a layer above its own");
    return {};
}

TEST(LayerIncludesTest, EveryIncludePointsDownTheOrder) {
    const QString root = QStringLiteral(MENDOR_TEST_SOURCE_DIR);
    const QRegularExpression include(QStringLiteral(R"re(^\s*#\s*include\s+"([^"]+)")re"),
                                     QRegularExpression::MultilineOption);
    int checked = 0;
    QDirIterator files(root, {QStringLiteral("*.h"), QStringLiteral("*.cpp")}, QDir::Files,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        const QString file = path.mid(root.size() + 1);
        QFile source(path);
        ASSERT_TRUE(source.open(QIODevice::ReadOnly)) << path.toStdString();
        const QString text = QString::fromUtf8(source.readAll());
        for (auto match = include.globalMatch(text); match.hasNext();) {
            const QString header = match.next().captured(1);
            EXPECT_EQ(violation(file, header), QString())
                << file.toStdString() << " -> " << header.toStdString();
            ++checked;
        }
    }
    EXPECT_GT(checked, 100);
}

TEST(LayerIncludesTest, TheRuleRefusesWhatItMust) {
    EXPECT_NE(violation(QStringLiteral("shell/Settings.cpp"), QStringLiteral("store/DatabaseList.h")),
              QString());
    EXPECT_NE(violation(QStringLiteral("store/Schema.cpp"), QStringLiteral("store/ui/MoveVolumeDialog.h")),
              QString());
    EXPECT_NE(violation(QStringLiteral("search/ui/SearchPane.cpp"), QStringLiteral("app/MainWindow.h")),
              QString());
    EXPECT_NE(violation(QStringLiteral("cli/main.cpp"), QStringLiteral("shell/ui/ImageLibrary.h")),
              QString());
    EXPECT_EQ(
        violation(QStringLiteral("catalog/ui/CatalogDialog.cpp"), QStringLiteral("shell/ui/ClipPlayer.h")),
        QString());
    EXPECT_EQ(violation(QStringLiteral("app/MainWindow.cpp"), QStringLiteral("search/ui/SearchPane.h")),
              QString());
}

} // namespace
