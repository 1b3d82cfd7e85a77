#pragma once
// The holder of the search report (RichTextBox1): the RTF text of the last completed search,
// printed on a printer the user chooses and saved as an .rtf file.
//
// The report of a completed search is the result list's rows in the order found, so the box
// follows the list and writes the text only when it is printed or saved: a million rows would
// otherwise keep a hundred and fifty megabytes of text. Before the list loses or gains rows, the
// box writes the text and keeps it.
#include <QByteArray>
#include <QMetaObject>
#include <QString>

class QPrinter;
class QWidget;

namespace mendor {

class Prompter;
class ResultListModel;

class ReportBox {
public:
    ReportBox() = default;
    ~ReportBox();
    ReportBox(const ReportBox&) = delete;
    ReportBox& operator=(const ReportBox&) = delete;

    /// The report's RTF text in UTF-8; replaces the one held.
    void setReport(QByteArray rtfUtf8);
    /// The report of the rows the list holds now; replaces the one held.
    void setReportOf(const ResultListModel& list);
    /// The report's RTF text in UTF-8.
    QByteArray report() const;

    /// The printer dialog, then the report printed on the chosen printer (or into a PDF file).
    /// Cancelling the dialog ends it silently.
    void print(QWidget* parent) const;
    /// Prints on a printer already set up.
    void printTo(QPrinter& printer) const;

    /// Asks for a file name ("Save Report") and writes the report there; cancelling ends
    /// silently, a failure is reported.
    void save(QWidget* parent, Prompter& prompter) const;
    /// Writes the report to path; false after the message that says why not.
    bool saveTo(const QString& path, Prompter& prompter) const;

private:
    void stopFollowing();

    QByteArray report_;
    const ResultListModel* list_ = nullptr;
    QMetaObject::Connection reset_;
    QMetaObject::Connection inserted_;
    QMetaObject::Connection destroyed_;
};

} // namespace mendor
