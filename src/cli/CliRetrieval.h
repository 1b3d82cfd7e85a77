#pragma once
// What mendor-cli copy and locate share: the catalogued item a command line names, the drive
// prompt answered from --drive, and copies that report on the terminal.
#include "cli/TerminalProgress.h"
#include "retrieve/CopyCommands.h"
#include "retrieve/ItemFinder.h"
#include "retrieve/RetrieveItem.h"

#include <cstdint>
#include <optional>
#include <QElapsedTimer>
#include <QString>

namespace mendor::cli {

/// "E:" or "e:" -> "E:"; nothing for anything else.
std::optional<QString> DriveArgument(const QString& text);

/// The item at PATH (\docs\a.txt) of a volume; nothing after reporting why there is none.
std::optional<RetrieveItem> CataloguedItemArgument(const QString& databaseName, const QString& volumeName,
                                                   const QString& path);

/// The drive prompt answered once per item with --drive: asked again for the same item (not on
/// that drive either), or without --drive, it cancels and says where the item was looked for.
class OptionDriveChooser : public DriveChooser {
public:
    explicit OptionDriveChooser(std::optional<QString> drive) : drive_(std::move(drive)) {}
    QString chooseDrive(const QString& cataloguedPath) override;

private:
    std::optional<QString> drive_;
};

/// How an existing file is treated: asked on the terminal, or answered by an option.
enum class ReplacePolicy { Ask, All, None };

/// Copies on the calling thread with progress on the terminal (TerminalProgress), failures
/// listed on standard error, and Ctrl-C cancelling.
class TerminalCopyRunner : public CopyRunner, private CopyObserver {
public:
    explicit TerminalCopyRunner(ReplacePolicy policy) : policy_(policy) {}
    CopyReport copy(const MediumPath& source, const QString& destinationFolder) override;
    /// Every file met was already there and kept: the copies changed nothing.
    bool changedNothing() const { return copiedFiles_ == 0 && keptFiles_ > 0; }

private:
    void progress(const CopyProgress& progress) override;
    OverwriteAnswer confirmOverwrite(const QString& destinationPath) override;
    bool cancelRequested() override;

    ReplacePolicy policy_;
    TerminalProgress* shown_ = nullptr;
    QElapsedTimer lastStatus_;
    std::int64_t copiedFiles_ = 0;
    std::int64_t keptFiles_ = 0;
};

} // namespace mendor::cli
