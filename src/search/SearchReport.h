#pragma once
// The search report: a Rich Text Format document with one short paragraph per found folder or
// file (its name and size, its volume and location), built while a search runs and finished only
// when the search completes.
//
//   {\rtf1 ... {\fs20 {\b\fs30 MENDOR PRO 3 SEARCH RESULTS...} {\par} {\par}
//   File {\b a.txt} (2kb) on {\b Music CD} in E:\\Docs\\ {\par} {\par}} } }
#include <cstdint>
#include <QByteArray>
#include <QString>

namespace mendor {

/// Every "\" doubled (the escape of a backslash in the report); every other character unchanged.
QString RtfEscapePath(const QString& text);

class SearchReport {
public:
    /// The document header: one font, the sixteen-colour table, a group in 10-point type.
    static const QString kHeader;
    static const QString kTitle;
    static const QString kClosing;

    /// Starts a new report: the header and the title.
    void start();
    /// One entry; the size as the result list shows it, trimmed and lower-cased (12kb).
    void addEntry(bool folder, const QString& name, std::int64_t size, const QString& volume,
                  const QString& location);
    /// Appends the closing text and returns the whole report, in UTF-8 (a report of a million
    /// entries is a hundred megabytes: half of what it would take as a QString).
    QByteArray finish();

private:
    // The rows of a volume share its name and the rows of a folder their location: each is
    // converted once while the rows that share it follow one another.
    struct ConvertedText {
        QString text;
        QByteArray bytes;
    };
    static const QByteArray& converted(ConvertedText& last, const QString& text, bool escapePath);

    QByteArray text_;
    ConvertedText volume_;
    ConvertedText location_;
};

/// The bytes of an .rtf file that holds the report (given in UTF-8): characters of Windows code
/// page 1252 as its bytes (the header declares that code page), every other character as a \uN
/// escape followed by a "?" for readers without Unicode.
QByteArray RtfFileBytes(const QByteArray& reportUtf8);

/// Writes the report as an .rtf file: complete or not at all (a temporary file, flushed to the
/// disk, then renamed over path). Returns an empty text, or why it could not be written.
QString WriteReportFile(const QString& path, const QByteArray& reportUtf8);

} // namespace mendor
