#pragma once
// An INI file read and written one key at a time, the way Windows profile strings behave.
//
// Section and key names match without regard to case; the first matching section and, inside
// it, the first matching key count. A read returns the text after the key's first "=", trimmed
// of blanks, with one pair of matching surrounding quotes (double or single) removed, cut to
// 127 characters (the 128-character buffer of the original program). A write touches only its
// own line, or inserts one line after the last entry of its section, or appends a new section at
// the end of the file; every other byte of the file (comments, unknown sections and keys, blank
// lines, line endings) stays as it was.
#include <optional>
#include <QByteArray>
#include <QString>

namespace mendor {

class ProfileFile {
public:
    /// The longest value a read returns.
    static constexpr qsizetype kMaxValueLength = 127;

    /// Every read looks at the file as it is at that moment.
    explicit ProfileFile(QString path);

    /// Reads the file once now; later reads use that content (and this object's own writes), so a
    /// run of many reads parses a file that nobody else changes meanwhile without re-reading it.
    static ProfileFile snapshotOf(const QString& path);

    /// Reads the file once now and keeps every write in memory until commit(), which replaces the
    /// file once with all of them: a group of keys is saved together or not at all.
    static ProfileFile editOf(const QString& path);

    const QString& path() const { return path_; }

    /// The value of key in section, or defaultValue (cut to 127 characters as well) when the
    /// file, the section or the key is missing.
    QString readString(const QString& section, const QString& key, const QString& defaultValue) const;

    /// Sets key in section to value, creating the file, the section or the key as needed. Line
    /// breaks in the names or the value become blanks, so a write always stays one line. The file
    /// is replaced whole (see shell/SafeFileWrite.h), or only this object's copy after editOf().
    /// False when the file could not be read or written; the file is then unchanged.
    bool writeString(const QString& section, const QString& key, const QString& value);

    /// Writes what an editOf() object collected; true when the file now holds it (or there was
    /// nothing to write). After a failure the file is unchanged.
    bool commit();

    /// Why the last write or commit failed.
    const QString& errorString() const { return error_; }

private:
    /// The text the reads look at: the snapshot, or the file now (empty when missing).
    QByteArray content() const;

    QString path_;
    std::optional<QByteArray> snapshot_;
    bool deferred_ = false;
    bool pending_ = false;
    bool unreadable_ = false; ///< the file exists but could not be read: it must not be replaced
    QString error_;
};

} // namespace mendor
