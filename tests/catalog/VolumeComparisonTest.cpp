#include "catalog/VolumeComparison.h"

#include "store/Database.h"
#include "support/CatalogFixture.h"

#include <gtest/gtest.h>

using namespace mendor;

namespace {

/// The catalog as it was: docs\same.txt, docs\resized.txt, docs\touched.txt, docs\edited.txt,
/// gone.txt, and old.zip catalogued as a folder with a member.
FixtureVolume catalogued(const QString& t) {
    FixtureVolume volume(t, t);
    const auto docs = volume.addFolder(1, "docs");
    for (const char* name : {"same.txt", "resized.txt", "touched.txt", "edited.txt"})
        volume.checksums.insert(volume.addFile(docs, name, 100), QByteArray(16, name[0]));
    volume.addFile(1, "gone.txt", 5);
    const auto zip = volume.addZipArchive(1, "old.zip", 4000);
    volume.addZipMember(zip, "inner.txt", 10, "\\");
    return volume;
}

QString describe(const FileDifference& d) {
    static const char* const kinds[] = {"missing", "new", "changed"};
    return QStringLiteral("%1 %2%3%4%5")
        .arg(kinds[int(d.kind)], d.path, d.sizeChanged ? " size" : "", d.dateChanged ? " date" : "",
             d.contentChanged ? " content" : "");
}

} // namespace

TEST(VolumeComparison, FindsMissingNewResizedTouchedAndEditedFilesAndNothingElse) {
    CatalogFixture data;
    FixtureVolume medium = catalogued("b");
    medium.row(4).size = 120;                  // resized.txt
    medium.row(5).modified += 60;              // touched.txt
    medium.checksums[6] = QByteArray(16, 'x'); // edited.txt
    medium.row(7).name = "new.txt";            // gone.txt gone, new.txt new
    const QString path = data.addDatabase("Music", {catalogued("a"), medium, catalogued("c")});
    const Database db = Database::openReadOnly(path);

    const VolumeComparison same = CompareVolumeFiles(db, "a", db, "c");
    EXPECT_TRUE(same.differences.empty());
    EXPECT_EQ(same.catalogFiles, 6); // the archive is a file, its member is not
    EXPECT_EQ(same.contentsCompared, 4);

    const VolumeComparison changed = CompareVolumeFiles(db, "a", db, "b");
    QStringList found;
    for (const FileDifference& d : changed.differences)
        found << describe(d);
    EXPECT_EQ(found, (QStringList{"changed docs\\edited.txt content", "changed docs\\resized.txt size",
                                  "changed docs\\touched.txt date", "missing gone.txt", "new new.txt"}));
    EXPECT_EQ(changed.differences[1].catalogSize, 100);
    EXPECT_EQ(changed.differences[1].mediumSize, 120);
}
