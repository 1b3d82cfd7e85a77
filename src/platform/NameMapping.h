#pragma once
// Directory entry names between the local file system (any bytes but '/' and NUL) and the catalog
// (Unicode text whose paths are split at backslashes).
//
// The mapping from local bytes to catalog text is reversible, so an item found in the catalog can
// always be reached again:
//   - valid UTF-8 is decoded as it stands;
//   - a backslash inside a name becomes U+F05C, so it never splits a catalogued path;
//   - every byte of an invalid UTF-8 sequence (0x80..0xFF) becomes U+F700 + the byte
//     (U+F780..U+F7FF), so names in legacy encodings keep their exact bytes;
//   - a name that literally contains one of those private-use characters (U+F05C or
//     U+F780..U+F7FF) has the bytes of that character escaped the same way, so the reverse
//     mapping cannot confuse it with a mapped byte.
// LocalNameFromCatalog(CatalogNameFromLocal(b)) == b for every byte string b. Pure-ASCII names
// without a backslash, by far the most common, are copied without any decoding work.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace mendor {

QString CatalogNameFromLocal(const QByteArray& bytes);
/// True when the catalog name of these bytes is their own UTF-8 text: valid UTF-8 without a
/// backslash or a character the mapping uses. Such a name needs no conversion at all.
bool IsOwnCatalogName(QByteArrayView bytes);
QString CatalogNameFromLocal(const char* bytes, qsizetype length);

QByteArray LocalNameFromCatalog(const QString& name);

} // namespace mendor
