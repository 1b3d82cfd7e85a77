#pragma once
// A drive medium for catalog tests: its files are a real folder, while its type, sizes, label
// and serial number are whatever the test sets, and hiding and ejecting are recorded.
#include "catalog/DriveMedium.h"

#include <deque>
#include <optional>
#include <QFile>
#include <QStringList>

namespace mendor::test {

class TestDriveMedium : public DriveMedium {
public:
    explicit TestDriveMedium(const QString& root, QChar letter = QLatin1Char('E'))
        : DriveMedium(DriveInfo{letter, root, {}, {}, DriveType::Fixed}) {}

    DiskSpace space() const override {
        ++spaceCalls;
        return diskSpace;
    }
    DriveType type() const override { return driveType; }
    QString label() const override { return volumeLabel; }
    /// Answers from serialAnswers in order; nothing once they are used up.
    std::optional<std::uint32_t> serialNumber() const override {
        ++serialCalls;
        if (serialAnswers.empty())
            return std::nullopt;
        const auto answer = serialAnswers.front();
        serialAnswers.pop_front();
        return answer;
    }
    /// Records the path of the hidden file.
    void hideFile(int fd) const override {
        hiddenFiles.append(QFile::symLinkTarget(QStringLiteral("/proc/self/fd/%1").arg(fd)));
    }
    EjectResult eject() const override {
        ++ejects;
        return EjectResult::Ejected;
    }

    DiskSpace diskSpace{100'000'000'000, 40'000'000'000};
    DriveType driveType = DriveType::Fixed;
    QString volumeLabel;
    mutable std::deque<std::optional<std::uint32_t>> serialAnswers;

    mutable int spaceCalls = 0;
    mutable int serialCalls = 0;
    mutable int ejects = 0;
    mutable QStringList hiddenFiles;
};

} // namespace mendor::test
