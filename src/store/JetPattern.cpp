#include "store/JetPattern.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <QChar>
#include <QList>

namespace mendor {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

constexpr std::array<char, 256> kFoldedBytes = [] {
    std::array<char, 256> table{};
    for (int i = 0; i < 256; ++i)
        table[std::size_t(i)] = char(i >= 'A' && i <= 'Z' ? i - 'A' + 'a' : i);
    return table;
}();

char foldAscii(char c) {
    return kFoldedBytes[static_cast<unsigned char>(c)];
}

// Whether text holds literal (folded, ASCII) anywhere, comparing ASCII letters without case.
bool containsFolded(const char* text, std::size_t length, const std::string& literal) {
    const std::size_t size = literal.size();
    if (size > length)
        return false;
    const char first = literal[0];
    for (std::size_t i = 0; i + size <= length; ++i) {
        if (foldAscii(text[i]) != first)
            continue;
        std::size_t k = 1;
        while (k < size && foldAscii(text[i + k]) == literal[k])
            ++k;
        if (k == size)
            return true;
    }
    return false;
}

bool isAscii(const char* text, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) {
        if (static_cast<unsigned char>(text[i]) >= 0x80)
            return false;
    }
    return true;
}

JetPattern::Element makeElement(JetPattern::Element::Kind kind, char32_t literal = 0) {
    JetPattern::Element element;
    element.kind = kind;
    element.literal = literal;
    return element;
}

// One code point from UTF-8 at text[i], advancing i; malformed input gives U+FFFD.
char32_t decodeUtf8(const char* text, std::size_t length, std::size_t& i) {
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
    const unsigned char lead = byte(i++);
    if (lead < 0x80)
        return lead;
    int extra = 0;
    char32_t c = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        extra = 1;
        c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        extra = 2;
        c = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3;
        c = lead & 0x07;
    } else {
        return kReplacement;
    }
    for (int k = 0; k < extra; ++k) {
        if (i >= length || (byte(i) & 0xC0) != 0x80)
            return kReplacement;
        c = (c << 6) | (byte(i++) & 0x3F);
    }
    // Overlong forms, surrogates and values beyond Unicode are not characters.
    const char32_t smallest[] = {0, 0x80, 0x800, 0x10000};
    if (c < smallest[extra] || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
        return kReplacement;
    return c;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

std::u32string codePointsOf(const QString& text) {
    std::u32string result;
    result.reserve(std::size_t(text.size()));
    for (const char32_t c : text.toUcs4())
        result += c;
    return result;
}

} // namespace

char32_t FoldCase(char32_t c) {
    if (c < 0x80)
        return char32_t(foldAscii(char(c)));
    return QChar::toCaseFolded(c);
}

std::string FoldCaseUtf8(const char* text, std::size_t length) {
    std::string folded;
    folded.reserve(length);
    AppendFoldedUtf8(folded, text, length);
    return folded;
}

void AppendFoldedUtf8(std::string& out, const char* text, std::size_t length) {
    // Plain ASCII, the usual name, is folded byte by byte in place; other text from its start.
    const std::size_t start = out.size();
    out.resize(start + length);
    char* folded = out.data() + start;
    std::size_t ascii = 0;
    // Eight bytes at a time: each of A to Z gains 0x20, found by the carries of two additions.
    constexpr std::uint64_t kOnes = 0x0101010101010101;
    constexpr std::uint64_t kHigh = 0x80 * kOnes;
    for (; ascii + 8 <= length; ascii += 8) {
        std::uint64_t bytes;
        std::memcpy(&bytes, text + ascii, 8);
        if (bytes & kHigh)
            break;
        const std::uint64_t upper =
            (bytes + (0x80 - 'A') * kOnes) & ~(bytes + (0x80 - 'Z' - 1) * kOnes) & kHigh;
        bytes |= upper >> 2;
        std::memcpy(folded + ascii, &bytes, 8);
    }
    while (ascii < length && static_cast<unsigned char>(text[ascii]) < 0x80) {
        folded[ascii] = foldAscii(text[ascii]);
        ++ascii;
    }
    if (ascii == length)
        return;
    out.resize(start);
    for (std::size_t i = 0; i < length;)
        appendUtf8(out, FoldCase(decodeUtf8(text, length, i)));
}

std::optional<JetPattern> JetPattern::compile(const QString& pattern) {
    const std::u32string source = codePointsOf(pattern);
    JetPattern compiled;
    std::vector<Element>& elements = compiled.elements_;
    for (std::size_t i = 0; i < source.size(); ++i) {
        const char32_t c = source[i];
        if (c == U'*') {
            if (elements.empty() || elements.back().kind != Element::Kind::Star)
                elements.push_back(makeElement(Element::Kind::Star));
        } else if (c == U'?') {
            elements.push_back(makeElement(Element::Kind::AnyOne));
        } else if (c == U'#') {
            elements.push_back(makeElement(Element::Kind::Digit));
        } else if (c == U'[') {
            const std::size_t close = source.find(U']', i + 1);
            if (close == std::u32string::npos)
                return std::nullopt;
            Element set = makeElement(Element::Kind::Set);
            std::size_t at = i + 1;
            if (at < close && source[at] == U'!') {
                set.negated = true;
                ++at;
            }
            for (; at < close; ++at) {
                char32_t first = source[at];
                char32_t last = first;
                if (at + 2 < close && source[at + 1] == U'-') {
                    last = source[at + 2];
                    at += 2;
                }
                if (first > last)
                    return std::nullopt;
                set.ranges.push_back({FoldCase(first), FoldCase(last)});
            }
            // "[]" stands for no character at all; "[!]" for any one.
            if (!set.ranges.empty() || set.negated)
                elements.push_back(std::move(set));
            i = close;
        } else {
            elements.push_back(makeElement(Element::Kind::Literal, FoldCase(c)));
        }
    }

    compiled.matchesEverything_ = elements.size() == 1 && elements.front().kind == Element::Kind::Star;
    if (elements.size() >= 3 && elements.front().kind == Element::Kind::Star &&
        elements.back().kind == Element::Kind::Star) {
        std::string infix;
        for (std::size_t k = 1; k + 1 < elements.size(); ++k) {
            const Element& e = elements[k];
            if (e.kind != Element::Kind::Literal || e.literal >= 0x80) {
                infix.clear();
                break;
            }
            infix += char(e.literal);
        }
        if (!infix.empty()) {
            // The Kelvin sign folds to k, the long s to s: with these the text must be decoded.
            compiled.infixNeedsUnicode_ = infix.find_first_of("ks") != std::string::npos;
            compiled.asciiInfix_ = std::move(infix);
        }
    }
    return compiled;
}

bool JetPattern::matchesOne(const Element& element, char32_t c) {
    switch (element.kind) {
    case Element::Kind::AnyOne:
        return true;
    case Element::Kind::Digit:
        return c >= U'0' && c <= U'9';
    case Element::Kind::Literal:
        return c == element.literal;
    case Element::Kind::Set: {
        bool listed = false;
        for (const Range& range : element.ranges) {
            if (c >= range.first && c <= range.last) {
                listed = true;
                break;
            }
        }
        return listed != element.negated;
    }
    case Element::Kind::Star:
        break;
    }
    return false;
}

// Matching with one remembered star: each element other than a star takes exactly one
// character, so retrying from the last star with one more character swallowed finds a match
// whenever there is one.
template <typename Char>
bool JetPattern::matchElements(const Char* text, std::size_t length) const {
    std::size_t p = 0;
    std::size_t t = 0;
    std::size_t starElement = std::size_t(-1);
    std::size_t starText = 0;
    const std::size_t count = elements_.size();
    while (t < length) {
        if (p < count && elements_[p].kind == Element::Kind::Star) {
            starElement = p++;
            starText = t;
        } else if (p < count && matchesOne(elements_[p], char32_t(text[t]))) {
            ++p;
            ++t;
        } else if (starElement != std::size_t(-1)) {
            p = starElement + 1;
            t = ++starText;
        } else {
            return false;
        }
    }
    while (p < count && elements_[p].kind == Element::Kind::Star)
        ++p;
    return p == count;
}

bool JetPattern::matchesUtf8(const char* text, std::size_t length) const {
    if (matchesEverything_)
        return true;
    // A byte of a longer UTF-8 sequence is never an ASCII letter, so unless the literal holds a
    // letter that some other character folds to, the raw bytes can be searched as they are.
    if (asciiInfix_ && (!infixNeedsUnicode_ || isAscii(text, length)))
        return containsFolded(text, length, *asciiInfix_);
    if (isAscii(text, length)) {
        thread_local std::string folded;
        folded.assign(text, length);
        for (char& c : folded)
            c = foldAscii(c);
        return matchElements(reinterpret_cast<const unsigned char*>(folded.data()), length);
    }
    thread_local std::u32string wide;
    wide.clear();
    for (std::size_t i = 0; i < length;)
        wide += FoldCase(decodeUtf8(text, length, i));
    return matchElements(wide.data(), wide.size());
}

bool JetPattern::matches(const QString& text) const {
    const QByteArray utf8 = text.toUtf8();
    return matchesUtf8(utf8.constData(), std::size_t(utf8.size()));
}

} // namespace mendor
