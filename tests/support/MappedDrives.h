#pragma once
// Drives for retrieval tests: letters mapped to fresh folders through the "Drives" section of a
// settings file, as a user maps a folder, a drive prompt that answers from a script, and a
// launcher that records what it would open.
#include "platform/DriveTable.h"
#include "retrieve/ItemFinder.h"
#include "retrieve/ItemOpener.h"
#include "support/TestFiles.h"

#include <deque>
#include <gtest/gtest.h>
#include <QDir>
#include <QStringList>
#include <QTemporaryDir>

namespace mendor::test {

class MappedDrives {
public:
    /// Maps the letter to a new empty folder and returns that folder.
    QString map(QChar letter) {
        const QString root = base_.filePath(QStringLiteral("drive-") + letter);
        QDir().mkpath(root);
        lines_ += QStringLiteral("%1:=%2\r\n").arg(letter).arg(root);
        WriteBytes(settingsPath(), "[Drives]\r\n" + lines_.toUtf8());
        return root;
    }

    DriveTable table() const {
        DriveTableSources sources;
        sources.roots.sys = base_.filePath(QStringLiteral("no-sys"));
        sources.roots.udevData = sources.roots.sys;
        sources.settingsPath = settingsPath();
        return DriveTable::load(sources);
    }

    /// A local folder outside every drive (a destination).
    QString folder(const QString& name) const {
        const QString path = base_.filePath(name);
        QDir().mkpath(path);
        return path;
    }

private:
    QString settingsPath() const { return base_.filePath(QStringLiteral("MNP3.ini")); }

    QTemporaryDir base_;
    QString lines_;
};

/// Answers each drive prompt with the next scripted drive ("" cancels) and records the paths it
/// was asked about; a prompt beyond the script fails the test and cancels.
class ScriptedDriveChooser : public DriveChooser {
public:
    explicit ScriptedDriveChooser(QStringList answers = {}) : answers_(answers.begin(), answers.end()) {}
    ~ScriptedDriveChooser() override { EXPECT_TRUE(answers_.empty()) << "drive answers left over"; }
    ScriptedDriveChooser(const ScriptedDriveChooser&) = delete;
    ScriptedDriveChooser& operator=(const ScriptedDriveChooser&) = delete;

    /// Starts a new script.
    void script(const QStringList& answers) {
        answers_.assign(answers.begin(), answers.end());
        asked.clear();
    }

    QString chooseDrive(const QString& cataloguedPath) override {
        asked.append(cataloguedPath);
        if (answers_.empty()) {
            ADD_FAILURE() << "unexpected drive prompt for " << cataloguedPath.toStdString();
            return {};
        }
        const QString answer = answers_.front();
        answers_.pop_front();
        return answer;
    }

    QStringList asked;

private:
    std::deque<QString> answers_;
};

/// Records what would be opened or started, as "open PATH" or "start PATH in FOLDER".
class RecordingLauncher : public ItemLauncher {
public:
    void openWithDesktop(const QString& localPath) override { calls.append("open " + localPath); }
    void startProgram(const QString& localPath, const QString& folder) override {
        calls.append("start " + localPath + " in " + folder);
    }
    QStringList calls;
};

} // namespace mendor::test
