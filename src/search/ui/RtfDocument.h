#pragma once
// Qt reads no Rich Text Format. The search report uses a small part of it, which this renders
// into a document for printing: groups, \b and \b0, \fs (half-points), \par, the escapes \\ \{
// \} \'xx and \uN, and skipped groups (the font and colour tables, \* destinations). Any other
// control word is passed over.
#include <memory>
#include <QByteArray>

class QTextDocument;

namespace mendor {

/// The document of an RTF text given in UTF-8.
std::unique_ptr<QTextDocument> RenderRtf(const QByteArray& rtfUtf8);

} // namespace mendor
