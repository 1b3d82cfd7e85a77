#pragma once
// Helpers shared by the tests of the database lifecycle, the locks and volume maintenance.
#include "shell/Options.h"
#include "shell/ProgramFolder.h"
#include "shell/ProgressSink.h"
#include "store/Database.h"
#include "support/CatalogFixture.h"
#include "support/DatabaseDump.h"

#include <QDir>
#include <QStringList>

namespace mendor::test {

/// Records the status texts and pauses of an operation.
class RecordingSink : public ProgressSink {
public:
    void status(const QString& text) override { statuses << text; }
    void setProgressMaximum(int) override {}
    void setProgressValue(int) override {}
    void pause(int count) override { pauses += count; }

    QStringList statuses;
    int pauses = 0;
};

/// A catalog fixture that is the data folder for the length of a test.
class DataFolder : public CatalogFixture {
public:
    DataFolder() {
        SetInstallFolderOverride(QStringLiteral(MENDOR_TEST_PROGRAM_DIR));
        gDataPath = dataPath();
    }
    ~DataFolder() { gDataPath.clear(); }

    /// Every entry of the data folder, hidden ones included, sorted.
    QStringList entries() const {
        return QDir(dataPath()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }
};

} // namespace mendor::test
