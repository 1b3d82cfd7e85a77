#pragma once
// The catalog run: what the catalog dialog's Catalog button does. It waits for the drive,
// classifies and identifies the volume, asks a new volume for its name, scans it into the chosen
// database and keeps the descriptions of a volume that was catalogued before.
//
// Nothing is lost. Everything the run writes into the database (the removal of a known
// volume's old catalog, the new tables, the index row with the totals, the restored
// descriptions) happens in one transaction that commits only when the scan has finished. An
// abort, an engine error or a killed process leaves the database exactly as it was, old catalog
// and descriptions included. Saved rows of older catalog files ("temp_dirs", "temp_files") are
// dropped by the first run on the file; this run keeps its own in temporary tables.
//
// Threads. The run has three phases:
//   prepare()  waits for the drive, identifies the volume, asks for the name: every prompt;
//   scan()     counts the folders, scans, stores the totals, restores descriptions: no prompt,
//              only calls to the view, and may take minutes on a large or slow volume;
//   finish()   shows an engine error if there was one, refreshes the catalogs, ends the run.
// run() does all three on the calling thread. The dialog calls prepare() and finish() on the
// user-interface thread and scan() on a worker thread, giving scan() a view whose calls it
// forwards through queued signals; gAbort is atomic and may be set from any thread.
#include "catalog/DriveMedium.h"
#include "catalog/Scanner.h"
#include "shell/ProgressSink.h"
#include "shell/Prompter.h"
#include "store/Database.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <QString>

namespace mendor {

/// The check boxes of the catalog dialog.
struct CatalogRunOptions {
    bool clearDescriptions = false; ///< the catalogued items of a known volume start without descriptions
    bool eject = false;             ///< the medium is ejected when the scan is done
    ScanOptions scan;               ///< ZIP archives as folders; descript.ion files
};

/// What the catalog dialog shows of a run, beyond the status label and the progress bar of
/// ProgressSink. Every member does nothing unless overridden.
class CatalogRunView : public ProgressSink {
public:
    /// The volume line: "Scanning: " or "Last disk: " followed by the volume name.
    virtual void volumeLine(const QString& text) { (void)text; }
    /// The status label in blue while the folders are counted and scanned, else black.
    virtual void setStatusEmphasis(bool emphasized) { (void)emphasized; }
    /// The Catalog, Eject Disk and Catalog Options buttons.
    virtual void setCommandsEnabled(bool enabled) { (void)enabled; }
    /// The search animation.
    virtual void setAnimationPlaying(bool playing) { (void)playing; }
    /// The hourglass pointer on the dialog and the main window.
    virtual void setWaitCursor(bool waiting) { (void)waiting; }
    /// The Close button captioned "&Abort" (true) or "C&lose" (false).
    virtual void setAbortCaption(bool abort) { (void)abort; }
    /// The catalog tree and the search pane's volume chooser are filled again.
    virtual void refreshCatalogs() {}
};

enum class CatalogRunOutcome {
    Completed, ///< the volume's new catalog is saved
    Aborted,   ///< the user aborted; the database is as before
    Stopped,   ///< the run ended before the scan (drive not ready, no identity, no name, busy)
    Failed,    ///< an engine error; the database is as before
};

class CatalogRun {
public:
    /// databaseName is the name of a database in the data folder, without ".mdb".
    CatalogRun(QString databaseName, const DriveMedium& medium, CatalogRunOptions options, Prompter& prompter,
               CatalogRunView& view);
    ~CatalogRun();
    CatalogRun(const CatalogRun&) = delete;
    CatalogRun& operator=(const CatalogRun&) = delete;

    /// How long to wait for the drive to report a size (15 seconds) and how often to ask.
    void setReadyWait(std::chrono::milliseconds timeout, std::chrono::milliseconds interval);

    /// Everything up to the scan. True when scan() is to follow; false when the run stopped
    /// (the user has been told why) or another long operation is running (gAbort is set then,
    /// as a second click on the Catalog button does).
    bool prepare();
    /// The scan phase (see above). Only after prepare() returned true.
    void scan();
    /// Ends the run on the thread of prepare(). Call it whatever prepare() returned.
    void finish();
    /// prepare(), scan() and finish() in turn.
    CatalogRunOutcome run();

    CatalogRunOutcome outcome() const { return outcome_; }
    /// The table name t and volume name of the run (empty before they are known).
    const QString& tableName() const { return t_; }
    const QString& volumeName() const { return volumeName_; }

private:
    enum class Ending { None, Busy, DriveNotReady, NoIdentity, NoName, Failed, Scanned };

    /// Waits until the root can be listed; false when it cannot within the wait.
    bool waitForDrive();
    bool askVolumeName(const QString& defaultName);
    void replaceCatalog();
    void restoreDescriptions();
    void endRun();

    QString databaseName_;
    const DriveMedium& medium_;
    CatalogRunOptions options_;
    Prompter& prompter_;
    CatalogRunView& view_;
    std::chrono::milliseconds readyTimeout_{15'000};
    std::chrono::milliseconds readyInterval_{100};

    std::optional<Database> db_;
    Ending ending_ = Ending::None;
    CatalogRunOutcome outcome_ = CatalogRunOutcome::Stopped;
    QString engineError_;

    QString root_;
    QString t_;
    QString volumeName_;
    bool found_ = false;
    QString keptDescription_;
    std::int16_t volumeType_ = 0;
    std::int64_t capacity_ = 0;
    std::int64_t used_ = 0;
    std::int64_t free_ = 0;
    std::int64_t catalogDate_ = 0;
};

/// The status text of the last catalog run ("Last disk was ...", "Last catalog action was
/// aborted...", ...), which the catalog dialog shows when it opens; empty before the first run.
QString LastCatalogRunStatus();

} // namespace mendor
