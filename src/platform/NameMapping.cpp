#include "platform/NameMapping.h"

namespace mendor {
namespace {

constexpr char16_t kBackslashStandIn = 0xF05C;
constexpr char16_t kRawByteBase = 0xF700; // raw byte b (0x80..0xFF) -> U+F700 + b

bool IsReservedCodePoint(char32_t c) {
    return c == kBackslashStandIn || (c >= kRawByteBase + 0x80 && c <= kRawByteBase + 0xFF);
}

/// The length of the well-formed UTF-8 sequence at p (1..4) and its code point, or 0 when the
/// bytes there do not start one (stray continuation bytes, overlong forms, surrogates, values
/// above U+10FFFF, truncated sequences).
int DecodeUtf8(const unsigned char* p, const unsigned char* end, char32_t& codePoint) {
    const unsigned char lead = p[0];
    int length = 0;
    char32_t value = 0;
    unsigned char low = 0x80; // allowed range of the second byte
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
        if (lead == 0xE0)
            low = 0xA0; // overlong
        else if (lead == 0xED)
            high = 0x9F; // UTF-16 surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
        if (lead == 0xF0)
            low = 0x90; // overlong
        else if (lead == 0xF4)
            high = 0x8F; // above U+10FFFF
    } else {
        return 0;
    }
    if (end - p < length)
        return 0;
    if (p[1] < low || p[1] > high)
        return 0;
    value = (value << 6) | (p[1] & 0x3F);
    for (int i = 2; i < length; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (p[i] & 0x3F);
    }
    codePoint = value;
    return length;
}

void AppendCodePoint(QString& out, char32_t c) {
    if (c < 0x10000) {
        out.append(QChar(static_cast<char16_t>(c)));
    } else {
        out.append(QChar(QChar::highSurrogate(c)));
        out.append(QChar(QChar::lowSurrogate(c)));
    }
}

void AppendUtf8(QByteArray& out, char32_t c) {
    if (c < 0x80) {
        out.append(static_cast<char>(c));
    } else if (c < 0x800) {
        out.append(static_cast<char>(0xC0 | (c >> 6)));
        out.append(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.append(static_cast<char>(0xE0 | (c >> 12)));
        out.append(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.append(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.append(static_cast<char>(0xF0 | (c >> 18)));
        out.append(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.append(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.append(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

bool IsPlainAscii(const char* bytes, qsizetype length) {
    for (qsizetype i = 0; i < length; ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b >= 0x80 || b == '\\')
            return false;
    }
    return true;
}

} // namespace

QString CatalogNameFromLocal(const char* bytes, qsizetype length) {
    if (IsPlainAscii(bytes, length))
        return QString::fromLatin1(bytes, length);

    QString out;
    out.reserve(length);
    const auto* p = reinterpret_cast<const unsigned char*>(bytes);
    const auto* end = p + length;
    while (p < end) {
        if (*p < 0x80) {
            out.append(*p == '\\' ? QChar(kBackslashStandIn) : QChar(char16_t(*p)));
            ++p;
            continue;
        }
        char32_t c = 0;
        const int n = DecodeUtf8(p, end, c);
        if (n > 0 && !IsReservedCodePoint(c)) {
            AppendCodePoint(out, c);
            p += n;
        } else {
            // An invalid sequence, or a character the mapping itself uses: keep its bytes one by one.
            const int count = n > 0 ? n : 1;
            for (int i = 0; i < count; ++i)
                out.append(QChar(static_cast<char16_t>(kRawByteBase + p[i])));
            p += count;
        }
    }
    return out;
}

bool IsOwnCatalogName(QByteArrayView bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        if (*p < 0x80) {
            if (*p == '\\')
                return false;
            ++p;
            continue;
        }
        char32_t c = 0;
        const int n = DecodeUtf8(p, end, c);
        if (n == 0 || IsReservedCodePoint(c))
            return false;
        p += n;
    }
    return true;
}

QString CatalogNameFromLocal(const QByteArray& bytes) {
    return CatalogNameFromLocal(bytes.constData(), bytes.size());
}

QByteArray LocalNameFromCatalog(const QString& name) {
    const QChar* data = name.constData();
    const qsizetype length = name.size();
    bool ascii = true;
    for (qsizetype i = 0; i < length && ascii; ++i)
        ascii = data[i].unicode() < 0x80;
    if (ascii)
        return name.toLatin1();

    QByteArray out;
    out.reserve(length * 3);
    for (qsizetype i = 0; i < length; ++i) {
        const char16_t u = data[i].unicode();
        if (u == kBackslashStandIn) {
            out.append('\\');
        } else if (u >= kRawByteBase + 0x80 && u <= kRawByteBase + 0xFF) {
            out.append(static_cast<char>(u - kRawByteBase));
        } else if (QChar::isHighSurrogate(u) && i + 1 < length && data[i + 1].isLowSurrogate()) {
            AppendUtf8(out, QChar::surrogateToUcs4(u, data[i + 1].unicode()));
            ++i;
        } else if (QChar::isSurrogate(u)) {
            AppendUtf8(out, QChar::ReplacementCharacter); // a lone surrogate has no UTF-8 form
        } else {
            AppendUtf8(out, u);
        }
    }
    return out;
}

} // namespace mendor
