#pragma once
// A temporary program folder for widget tests: settings and databases go there, data files
// (template, help page, clips) come from the staged program folder, and every settings global
// starts from its default.
#include "shell/Flags.h"
#include "shell/Options.h"
#include "shell/ProgramFolder.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QTemporaryDir>

namespace mendor {

class ProgramFolderFixture : public ::testing::Test {
protected:
    void SetUp() override {
        SetProgramFolderOverride(home_.path());
        SetInstallFolderOverride(QStringLiteral(MENDOR_TEST_PROGRAM_DIR));
        reset();
    }
    void TearDown() override {
        SetProgramFolderOverride({});
        SetInstallFolderOverride({});
        reset();
    }

    QString programFolder() const { return home_.path(); }
    QString emptyFolder() const { return empty_.path(); }
    QString settingsPath() const { return home_.filePath("MNP3.ini"); }
    void writeSettings(const QString& content) const { test::WriteBytes(settingsPath(), content.toUtf8()); }
    QString readSettings() const { return QString::fromUtf8(test::ReadBytes(settingsPath())); }

    /// A data folder holding one catalog database made from the template.
    QString makeDataFolder(const QString& name) const {
        const QString folder = home_.filePath(name);
        QDir().mkpath(folder);
        test::CopyTemplate(folder + "/Music.mdb");
        return folder;
    }

private:
    static void reset() {
        ResetOptionsToDefaults();
        gListMode = 0;
        gBusy = kFlagClear;
        gAbort = kFlagClear;
    }

    QTemporaryDir home_;
    QTemporaryDir empty_;
};

} // namespace mendor
