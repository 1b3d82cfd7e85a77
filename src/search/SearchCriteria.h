#pragma once
// The criteria of the Search pane and the condition built from them: the text after "where" in
// the catalog's query language, applied to every searched folders and files table (fields name,
// createdate, moddate, lastdate, description, size).
//
//   name text "report", Modified between 1/1/2001 and 2/1/2001, larger than 100 kb gives
//   name like "*report*" and [moddate] between #1/1/2001# and #2/1/2001# and size >= 102400
#include <optional>
#include <QDate>
#include <QString>

namespace mendor {

class Prompter;

/// The three dates a range can apply to, in the order of the pane's option buttons.
enum class DateField { Created = 0, Modified = 1, Accessed = 2 };

/// The pane's controls as the condition reads them; defaults as the pane starts.
struct SearchCriteria {
    QString name;      ///< "Search for..."
    QString firstDate; ///< "Between these dates:"
    QString lastDate;  ///< "and"
    DateField dateField = DateField::Modified;
    QString description;                                       ///< "Description contains..."
    QString sizeComparison = QStringLiteral("is larger than"); ///< "File Size..."
    QString sizeKilobytes;
    bool searchFolders = true;
    bool searchFiles = true;
};

/// The comparisons of "File Size...".
inline const QString kSizeLarger = QStringLiteral("is larger than");
inline const QString kSizeSmaller = QStringLiteral("is smaller than");
inline const QString kSizeEqual = QStringLiteral("is equal to");

inline const QString kNoKindMessage =
    QStringLiteral("Must select file, folders or both in the search area...");
inline const QString kNoCriteriaMessage =
    QStringLiteral("You must enter some search criteria, like a part of the filename, a date range, etc.  "
                   "If you want to search for ALL files/folders, try using a * or *.* for the search text.");

/// Builds the condition. First rewrites both date texts in criteria (every character that is not
/// a digit becomes "/"). When neither kind of item is chosen and the name text is not "*" or
/// "*.*", shows kNoKindMessage and returns nothing. Otherwise returns the condition, empty when
/// the user gave no criterion. The user's texts go in as typed: a quote among them ends its
/// literal early, and such a condition then finds nothing.
std::optional<QString> BuildSearchCondition(SearchCriteria& criteria, Prompter& prompter);

/// The name pattern that the name text gives ("report" gives "*report*", "a*b" gives "ab*").
QString NamePattern(const QString& nameText);

/// A date text as the system reads dates, month first (after the rewriting, 12/31/2001); nothing
/// when it is not a valid date. Two-digit years 00-29 are 2000-2029, 30-99 are 1930-1999.
std::optional<QDate> ParseSearchDate(const QString& text);

/// The text of "kb" as a number, or nothing when it is not one.
std::optional<double> ParseKilobytes(const QString& text);

/// A number as a plain decimal without exponent (1536, 1126.4).
QString PlainDecimal(double value);

} // namespace mendor
