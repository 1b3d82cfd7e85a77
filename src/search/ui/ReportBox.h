#pragma once
// The holder of the search report (RichTextBox1): the RTF text of the last completed search,
// printed on a printer the user chooses and saved as an .rtf file.
#include <QByteArray>
#include <QString>

class QPrinter;
class QWidget;

namespace mendor {

class Prompter;

class ReportBox {
public:
    /// The report's RTF text in UTF-8; replaces the one held.
    void setReport(QByteArray rtfUtf8) { report_ = std::move(rtfUtf8); }
    const QByteArray& report() const { return report_; }

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
    QByteArray report_;
};

} // namespace mendor
