// Opening items from their volume, and items named by their catalogued path.
#include "retrieve/CatalogLookup.h"
#include "retrieve/ItemOpener.h"
#include "shell/Options.h"
#include "store/Keys.h"
#include "support/CatalogFixture.h"
#include "support/MappedDrives.h"

#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>

namespace mendor {
namespace {

TEST(OpenItemTest, OpensWithTheDesktopAndStartsOnlyProgramsThisSystemCanRun) {
    test::MappedDrives drives;
    const QString e = drives.map(QLatin1Char('E'));
    QDir().mkpath(e + "/bin");
    test::WriteBytes(e + "/bin/readme.TXT", "text");
    test::WriteBytes(e + "/bin/Old.zip", "PK\x05\x06");
    test::WriteBytes(e + "/bin/setup.exe", "MZ\x90\x00");
    test::WriteBytes(e + "/bin/run.sh", "#!/bin/sh\n");
    ASSERT_TRUE(QFile::copy("/bin/true", e + "/bin/tool.EXE"));
    for (const char* name : {"setup.exe", "run.sh", "tool.EXE"})
        ASSERT_EQ(::chmod(QFile::encodeName(e + "/bin/" + name).constData(), 0755), 0);

    struct Case {
        const char* folder;
        const char* name;
        const char* call;
    };
    const Case cases[] = {
        {"E:\\bin\\", "readme.TXT", "open %1/bin/readme.TXT"},
        // Inside an archive catalogued as a folder: the archive itself.
        {"E:\\bin\\Old.zip\\", "a.doc", "open %1/bin/Old.zip"},
        {"E:\\bin\\", "tool.EXE", "start %1/bin/tool.EXE in %1/bin"},
        // A Windows program, and a script that is not named as a program, only open.
        {"E:\\bin\\", "setup.exe", "open %1/bin/setup.exe"},
        {"E:\\bin\\", "run.sh", "open %1/bin/run.sh"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::ScriptedDriveChooser chooser;
        ItemFinder finder([&drives] { return drives.table(); }, chooser);
        test::RecordingLauncher launcher;
        EXPECT_TRUE(OpenItem(QString::fromUtf8(c.folder), QString::fromUtf8(c.name), finder, launcher));
        EXPECT_EQ(launcher.calls, QStringList{QString::fromUtf8(c.call).arg(e)});
    }
    test::ScriptedDriveChooser chooser({""});
    ItemFinder finder([&drives] { return drives.table(); }, chooser);
    test::RecordingLauncher launcher;
    EXPECT_FALSE(OpenItem("F:\\bin\\", "readme.TXT", finder, launcher));
    EXPECT_TRUE(launcher.calls.isEmpty());
}

TEST(CatalogLookupTest, FindsItemsByTheirCataloguedPath) {
    CatalogFixture data;
    FixtureVolume volume("0002ffff", "Backup", 2, "E:");
    const auto docs = volume.addFolder(1, "Docs");
    const auto a = volume.addFile(docs, "a");
    const auto zip = volume.addZipArchive(docs, "Old.ZIP", 40);
    volume.addZipMember(zip, "readme.txt", 10, "\\");
    const auto umlaut = volume.addFolder(1, "Ärger");
    volume.addFile(umlaut, "x.txt");
    volume.addFile(umlaut, "X.txt");
    const QString db = data.addDatabase("Music", {volume});

    struct Case {
        const char* path;
        const char* source; ///< nullptr: not found
        bool isFolder;
    };
    const Case cases[] = {
        {"\\Docs\\a", "E:\\Docs\\a", false},
        {"docs", "E:\\Docs", true},
        {"\\docs\\old.zip", "E:\\Docs\\Old.ZIP", false},
        {"\\Docs\\Old.ZIP\\readme.txt", "E:\\Docs\\Old.ZIP\\readme.txt", false},
        {"\\ärger", "E:\\Ärger", true},
        {"\\Ärger\\X.txt", "E:\\Ärger\\X.txt", false},
        // Two names differ from this one in letter case only: neither is meant more than the other.
        {"\\Ärger\\x.TXT", nullptr, false},
        {"\\Docs\\b", nullptr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const auto lookup = FindCataloguedItem(db, "0002ffff", QString::fromUtf8(c.path));
        ASSERT_EQ(lookup.item.has_value(), c.source != nullptr);
        if (lookup.item) {
            EXPECT_EQ(lookup.item->sourcePath, QString::fromUtf8(c.source));
            EXPECT_EQ(lookup.item->isFolder, c.isFolder);
        }
    }
    EXPECT_EQ(FindCataloguedItem(db, "0002ffff", "\\").failure, LookupFailure::VolumeRoot);
    EXPECT_EQ(FindCataloguedItem(db, "nosuch", "\\a").failure, LookupFailure::NoVolume);
    gDataPath = data.dataPath();
    EXPECT_EQ(
        StoredItemNames({ItemKey("Music", "0002ffff", true, a), ItemKey("Music", "0002ffff", false, zip)}),
        (QStringList{"a", "Old.ZIP"}));
}

} // namespace
} // namespace mendor
