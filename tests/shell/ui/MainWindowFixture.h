#pragma once
// A temporary program folder for the shell's widget tests: settings and databases go there, data
// files (template, help page, clips) come from the staged program folder, and every settings
// global starts from its default.
#include "platform/ProgramFolder.h"
#include "shell/Flags.h"
#include "shell/Options.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QTemporaryDir>

namespace mendor {

class MainWindowFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home_.isValid());
        ASSERT_TRUE(empty_.isValid());
        SetProgramFolderOverride(home_.path());
        SetInstallFolderOverride(QStringLiteral(MENDOR_TEST_PROGRAM_DIR));
        ResetOptionsToDefaults();
        gBusy = kFlagClear;
        gAbort = kFlagClear;
    }

    void TearDown() override {
        SetProgramFolderOverride({});
        SetInstallFolderOverride({});
        ResetOptionsToDefaults();
        gBusy = kFlagClear;
        gAbort = kFlagClear;
    }

    QString programFolder() const { return home_.path(); }
    QString emptyFolder() const { return empty_.path(); }
    QString settingsPath() const { return home_.path() + QStringLiteral("/MNP3.ini"); }

    static void writeFile(const QString& path, const QByteArray& content) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }

    void writeSettings(const QString& content) const { writeFile(settingsPath(), content.toUtf8()); }
    void writeSettings(const char* content) const { writeSettings(QString::fromUtf8(content)); }

    QString readSettings() const {
        QFile file(settingsPath());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll());
    }

    /// A data folder holding one catalog database made from the template.
    QString makeDataFolder(const QString& name) const {
        const QString folder = home_.path() + QLatin1Char('/') + name;
        QDir().mkpath(folder);
        QFile::copy(InstallFile(QStringLiteral("template.qvt")), folder + QStringLiteral("/Music.mdb"));
        return folder;
    }

    static QRect screenArea() { return QGuiApplication::primaryScreen()->availableGeometry(); }

private:
    QTemporaryDir home_;
    QTemporaryDir empty_;
};

} // namespace mendor
