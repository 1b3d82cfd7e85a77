#include "FuzzTargets.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>

namespace {

// Every input saved for a fuzz target (seeds, and each input that once broke a reader) keeps
// the reader's invariants.
TEST(FuzzCorpus, EverySavedInputKeepsItsReadersInvariants) {
    const struct {
        const char* folder;
        bool (*read)(const std::uint8_t*, std::size_t);
    } targets[] = {
        {"zip", mendor::fuzz::ListZipArchive},
        {"descript", mendor::fuzz::ReadDescriptIon},
        {"profile", mendor::fuzz::ReadProfileStrings},
        {"marker", mendor::fuzz::IdentifyFromMarker},
    };
    for (const auto& target : targets) {
        const QDir folder(QStringLiteral(MENDOR_FUZZ_CORPUS_DIR "/") + QLatin1String(target.folder));
        const QStringList inputs = folder.entryList(QDir::Files);
        EXPECT_FALSE(inputs.isEmpty()) << target.folder;
        for (const QString& input : inputs) {
            QFile file(folder.filePath(input));
            ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << input.toStdString();
            const QByteArray bytes = file.readAll();
            EXPECT_TRUE(target.read(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                    std::size_t(bytes.size())))
                << target.folder << "/" << input.toStdString();
        }
    }
}

} // namespace
