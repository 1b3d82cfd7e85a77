#pragma once
// The progress of one copy: what is being copied, the bytes and items done, and Cancel. The copy
// runs on a worker thread while the dialog shows; the question before an existing file is
// replaced is asked over the dialog, on the user-interface thread, while the copy waits.
//
//     const CopyReport report = CopyProgressDialog::Run(found.medium, folder, window);
#include "retrieve/CopyObserver.h"
#include "retrieve/MediumPath.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <QDialog>
#include <thread>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace mendor {

class CopyProgressDialog : public QDialog, private CopyObserver {
    Q_OBJECT
public:
    /// Asks before an existing file is replaced (OverwriteQuestion::Ask, or a test's script).
    using OverwriteAsker = std::function<OverwriteAnswer(const QString& destinationPath, QWidget* parent)>;

    CopyProgressDialog(MediumPath source, QString destinationFolder, OverwriteAsker asker,
                       QWidget* parent = nullptr);
    ~CopyProgressDialog() override;

    /// Copies source into destinationFolder behind the dialog and returns how it went.
    static CopyReport Run(const MediumPath& source, const QString& destinationFolder, QWidget* parent,
                          OverwriteAsker asker = {});

    /// Starts the copy, shows the dialog until it ends and returns its report.
    CopyReport runCopy();

    QPushButton* cancelButton() const { return cancel_; }
    QProgressBar* progressBar() const { return bar_; }
    QLabel* nameLabel() const { return name_; }

public slots:
    /// Cancel, Escape and the window's close button stop the copy; the dialog closes when it has.
    void reject() override;

private:
    void progress(const CopyProgress& progress) override;
    OverwriteAnswer confirmOverwrite(const QString& destinationPath) override;
    bool cancelRequested() override { return cancelRequested_.load(); }
    void refresh();

    MediumPath source_;
    QString destinationFolder_;
    OverwriteAsker asker_;
    QLabel* name_;
    QLabel* route_;
    QLabel* counts_;
    QProgressBar* bar_;
    QPushButton* cancel_;
    QTimer* timer_;

    std::thread worker_;
    std::mutex mutex_;
    CopyProgress latest_;
    std::atomic<bool> cancelRequested_{false};
    bool finished_ = false;
    CopyReport report_;
};

} // namespace mendor
