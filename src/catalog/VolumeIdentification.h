#pragma once
// Volume identification: the text that names a physical medium the same way every time it is
// inserted again. Lower-cased and trimmed it becomes the volume's table name t, and finding an
// index row with that table name is how a catalog run knows the volume from before.
//
// Writable media carry a marker file "Mendor.cat" in their root whose first line is the
// identity; CD-ROMs are known by their serial number; when neither can be had, the user types a
// name.
#include "catalog/DriveMedium.h"
#include "shell/ProgressSink.h"
#include "shell/Prompter.h"

#include <cstdint>
#include <optional>
#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace mendor {

inline constexpr char kMarkerFileName[] = "Mendor.cat";
inline const QString kIdentifyTitle = QStringLiteral(" Identify This Disk");

/// A new marker number from the local date and time: (year - 1996) * 31,536,000 + (M + day) *
/// 86,400 + hour * 3,600 + minute * 60 + second, where M is the number of days of the months up
/// to and including the current one (February counted as 28 days). Decimal, no separators.
QString NewMarkerNumber(const QDateTime& localNow = QDateTime::currentDateTime());

/// The identity of a CD-ROM with this serial number: the upper half (the signed serial divided by
/// 65535, truncated toward zero, one less when negative) and the lower half (the low 16 bits,
/// signed) each as upper-case hexadecimal, padded to four digits only when the text reads as a
/// decimal number (also with an exponent letter E or D, as 1E5), cut to four characters, upper
/// half first.
///
/// Two ranges of serials give an upper half outside the signed 16-bit range: 2147450880 to
/// 2147483647 (7FFF8000 to 7FFFFFFF) give 32768, and -2147483648 to -2147450880 (80000000 to
/// 80008000) give -32769. Wrapped to 16 bits they would read 8000 and 7FFF, the upper halves of
/// other serials, and two discs with the same lower half would replace each other's catalog.
/// Such an upper half is written as "1" followed by the four hex digits of its low 16 bits
/// (18000 and 17FFF): five characters, which no other serial produces, so the identity stays
/// unique and the same on every run.
QString SerialIdentity(std::uint32_t serial);

/// A typed name made into an identity: every character that is not a digit 0-9 or a letter
/// A-Z (either case) becomes "1", and a "1" is added at both ends. My Disk! gives 1My1Disk11.
QString TypedIdentity(const QString& typed);

/// The identity that a marker's first line (without its line break) gives: the line
/// lower-cased, without a final ".vol". Lower-cased and trimmed it becomes the table name t, so a
/// line that could not be one is refused (nullopt): one that is not UTF-8, blank, or holds "_"
/// (which ends t inside every key and table name) or a control character.
std::optional<QString> MarkerIdentity(const QByteArray& line);

/// Tells whether an identity already names another volume where the catalog goes.
using IdentityTaken = std::function<bool(const QString& identity)>;

/// The identity of the medium, or the empty text when none could be established (the caller
/// stops then; when a marker could not be written the user has already been told).
/// volumeType is the code of catalog/VolumeTypes.h; code 1 (CD-ROM) uses the serial number,
/// every other code the marker file, which is created (and hidden) on first use. The marker is
/// read and written only when it is a regular file of the root (never through a link, nor a
/// FIFO or device), at most its first few hundred bytes; a first line MarkerIdentity refuses
/// is reported and gives no identity, and the marker is left as it is.
///
/// Marker numbers count seconds, so two media marked within one second would get the same
/// number and the second would replace the first one's catalog. A new marker therefore takes
/// the next number that identityTaken does not report as taken.
QString IdentifyVolume(const DriveMedium& medium, int volumeType, Prompter& prompter, ProgressSink& progress,
                       const IdentityTaken& identityTaken = {});

} // namespace mendor
