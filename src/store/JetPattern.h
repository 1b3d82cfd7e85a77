#pragma once
// The "like" of the catalog's query language: "*" matches any run of characters, "?" any one
// character, "#" one digit 0-9, "[abc]" one of the listed characters, "[!abc]" one not listed,
// "[a-z]" one within the range; inside brackets "*", "?" and "#" stand for themselves, and "[]"
// matches nothing at all (zero characters). Every other character matches itself. Letters are
// compared without regard to case, for every script (É matches é), by Unicode case folding.
#include <cstddef>
#include <optional>
#include <QString>
#include <string>
#include <vector>

namespace mendor {

/// The case-folded form of one code point.
char32_t FoldCase(char32_t c);

/// Case-folded UTF-8 text; invalid sequences become U+FFFD.
std::string FoldCaseUtf8(const char* text, std::size_t length);
/// The same, appended to out: no text of its own for callers that gather many.
void AppendFoldedUtf8(std::string& out, const char* text, std::size_t length);

class JetPattern {
public:
    /// Nothing when the pattern is malformed: a "[" without its "]", or a range whose first
    /// character comes after its last ("[z-a]").
    static std::optional<JetPattern> compile(const QString& pattern);

    /// Whether the whole of the UTF-8 text matches.
    bool matchesUtf8(const char* text, std::size_t length) const;
    bool matches(const QString& text) const;

    /// True when every text matches (the pattern is made of "*" only).
    bool matchesEverything() const { return matchesEverything_; }

    struct Range {
        char32_t first;
        char32_t last;
    };
    struct Element {
        enum class Kind { Star, AnyOne, Digit, Literal, Set } kind = Kind::Literal;
        char32_t literal = 0;      ///< folded
        bool negated = false;      ///< Set: "[!...]"
        std::vector<Range> ranges; ///< Set: bounds folded; a range compares folded characters
    };

private:
    JetPattern() = default;

    template <typename Char>
    bool matchElements(const Char* text, std::size_t length) const;
    static bool matchesOne(const Element& element, char32_t c);

    std::vector<Element> elements_;
    bool matchesEverything_ = false;
    /// "*literal*" with an ASCII literal: a substring search on ASCII texts.
    std::optional<std::string> asciiInfix_;
    bool infixNeedsUnicode_ = false;
};

} // namespace mendor
