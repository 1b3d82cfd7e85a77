#pragma once
// An export's view for tests: records which volumes were exported and may act at every folder.
#include "export/ExportRun.h"

#include <functional>
#include <QList>

namespace mendor::test {

class RecordingExportView : public ExportRunView {
public:
    void status(const QString&) override {}
    void setProgressMaximum(int) override {}
    void setProgressValue(int value) override {
        if (value > 0 && onFolder)
            onFolder(value);
    }
    void volumeExported(int index) override { exported.append(index); }

    std::function<void(int)> onFolder;
    QList<int> exported;
};

} // namespace mendor::test
