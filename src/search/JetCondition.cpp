#include "search/JetCondition.h"

#include "shell/StoredDate.h"

#include <algorithm>
#include <QDate>
#include <QSet>
#include <QStringList>
#include <QTimeZone>

namespace mendor {

namespace {

// Parentheses and "not" nest no deeper than this; a deeper condition is refused, not recursed.
constexpr int kMaxNesting = 200;

struct Token {
    enum class Kind { Word, Name, Text, Number, Date, Symbol, End } kind = Kind::End;
    QString text; ///< Word: lower case; Name: as written in brackets; Symbol: the operator
    std::int64_t date = 0;
};

ConditionNode makeNode(ConditionNode::Kind kind, const QString& value = QString()) {
    ConditionNode node;
    node.kind = kind;
    node.value = value;
    return node;
}

Token makeToken(Token::Kind kind, const QString& text = QString(), std::int64_t date = 0) {
    Token token;
    token.kind = kind;
    token.text = text;
    token.date = date;
    return token;
}

bool isWordStart(QChar c) {
    return c.isLetter() || c == QLatin1Char('_');
}

bool isWordPart(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// A date literal's text, always month first: m/d/yyyy (a two-digit year as 19xx or 20xx).
std::optional<std::int64_t> parseDateLiteral(const QString& text) {
    const QStringList parts = text.trimmed().split(QLatin1Char('/'));
    if (parts.size() != 3)
        return std::nullopt;
    int numbers[3] = {};
    for (int i = 0; i < 3; ++i) {
        const QString& part = parts[i];
        if (part.isEmpty() || part.size() > 4 || !std::all_of(part.begin(), part.end(), isDigit))
            return std::nullopt;
        numbers[i] = part.toInt();
    }
    int year = numbers[2];
    if (parts[2].size() <= 2)
        year += year < 30 ? 2000 : 1900;
    const QDate date(year, numbers[0], numbers[1]);
    if (!date.isValid() || year < 100)
        return std::nullopt;
    return ToStoredSeconds(QDateTime(date, QTime(0, 0), QTimeZone::utc()));
}

std::optional<std::vector<Token>> tokenize(const QString& source) {
    std::vector<Token> tokens;
    const qsizetype n = source.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = source.at(i);
        if (c.isSpace()) {
            ++i;
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            QString text;
            for (++i;; ++i) {
                if (i >= n)
                    return std::nullopt;
                if (source.at(i) == c) {
                    if (i + 1 < n && source.at(i + 1) == c) {
                        text += c;
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                text += source.at(i);
            }
            tokens.push_back(makeToken(Token::Kind::Text, text));
        } else if (c == QLatin1Char('#')) {
            const qsizetype close = source.indexOf(QLatin1Char('#'), i + 1);
            if (close < 0)
                return std::nullopt;
            const std::optional<std::int64_t> date = parseDateLiteral(source.mid(i + 1, close - i - 1));
            if (!date)
                return std::nullopt;
            tokens.push_back(makeToken(Token::Kind::Date, QString(), *date));
            i = close + 1;
        } else if (c == QLatin1Char('[')) {
            const qsizetype close = source.indexOf(QLatin1Char(']'), i + 1);
            if (close < 0)
                return std::nullopt;
            tokens.push_back(makeToken(Token::Kind::Name, source.mid(i + 1, close - i - 1)));
            i = close + 1;
        } else if (isDigit(c) || (c == QLatin1Char('.') && i + 1 < n && isDigit(source.at(i + 1)))) {
            const qsizetype start = i;
            while (i < n && isDigit(source.at(i)))
                ++i;
            if (i < n && source.at(i) == QLatin1Char('.')) {
                ++i;
                while (i < n && isDigit(source.at(i)))
                    ++i;
            }
            if (i < n && isWordPart(source.at(i)))
                return std::nullopt; // "12abc" is neither a number nor a name
            QString number = source.mid(start, i - start);
            if (number.startsWith(QLatin1Char('.')))
                number.prepend(QLatin1Char('0'));
            if (number.endsWith(QLatin1Char('.')))
                number.chop(1);
            tokens.push_back(makeToken(Token::Kind::Number, number));
        } else if (isWordStart(c)) {
            const qsizetype start = i;
            while (i < n && isWordPart(source.at(i)))
                ++i;
            tokens.push_back(makeToken(Token::Kind::Word, source.mid(start, i - start).toLower()));
        } else {
            static const QStringList symbols = {
                QStringLiteral("<>"), QStringLiteral("<="), QStringLiteral(">="),
                QStringLiteral("="),  QStringLiteral("<"),  QStringLiteral(">"),
                QStringLiteral("("),  QStringLiteral(")"),  QStringLiteral("-")};
            const auto found = std::find_if(symbols.begin(), symbols.end(), [&](const QString& symbol) {
                return QStringView(source).mid(i, symbol.size()) == symbol;
            });
            if (found == symbols.end())
                return std::nullopt;
            tokens.push_back(makeToken(Token::Kind::Symbol, *found));
            i += found->size();
        }
    }
    tokens.push_back(makeToken(Token::Kind::End));
    return tokens;
}

// Recursive descent over the tokens; every method returns nothing on the first thing it does
// not understand, and the whole condition is then unreadable.
class Parser {
public:
    explicit Parser(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

    std::optional<ConditionNode> parseAll() {
        std::optional<ConditionNode> condition = parseOr();
        if (!condition || peek().kind != Token::Kind::End)
            return std::nullopt;
        return condition;
    }

private:
    const Token& peek(std::size_t ahead = 0) const {
        return tokens_[std::min(position_ + ahead, tokens_.size() - 1)];
    }
    bool atWord(const char* word, std::size_t ahead = 0) const {
        return peek(ahead).kind == Token::Kind::Word && peek(ahead).text == QLatin1String(word);
    }
    bool atSymbol(const char* symbol) const {
        return peek().kind == Token::Kind::Symbol && peek().text == QLatin1String(symbol);
    }
    void advance() { ++position_; }

    std::optional<ConditionNode> joined(ConditionNode::Kind kind, const char* word,
                                        std::optional<ConditionNode> (Parser::*next)()) {
        std::optional<ConditionNode> first = (this->*next)();
        if (!first || !atWord(word))
            return first;
        ConditionNode node = makeNode(kind);
        node.operands.push_back(std::move(*first));
        while (atWord(word)) {
            advance();
            std::optional<ConditionNode> more = (this->*next)();
            if (!more)
                return std::nullopt;
            node.operands.push_back(std::move(*more));
        }
        return node;
    }

    std::optional<ConditionNode> parseOr() {
        return joined(ConditionNode::Kind::Or, "or", &Parser::parseAnd);
    }
    std::optional<ConditionNode> parseAnd() {
        return joined(ConditionNode::Kind::And, "and", &Parser::parseNot);
    }

    std::optional<ConditionNode> parseNot() {
        if (!atWord("not"))
            return parsePredicate();
        if (depth_ >= kMaxNesting)
            return std::nullopt;
        ++depth_;
        advance();
        std::optional<ConditionNode> operand = parseNot();
        --depth_;
        if (!operand)
            return std::nullopt;
        ConditionNode node = makeNode(ConditionNode::Kind::Not);
        node.operands.push_back(std::move(*operand));
        return node;
    }

    // A parenthesis opens either a condition or a value; the value is tried first, then the
    // reader goes back and reads a condition.
    std::optional<ConditionNode> parsePredicate() {
        const std::size_t start = position_;
        if (std::optional<ConditionNode> left = parseValue()) {
            if (std::optional<ConditionNode> predicate = parseRest(std::move(*left)))
                return predicate;
        }
        position_ = start;
        if (!atSymbol("(") || depth_ >= kMaxNesting)
            return std::nullopt;
        ++depth_;
        advance();
        std::optional<ConditionNode> inner = parseOr();
        --depth_;
        if (!inner || !atSymbol(")"))
            return std::nullopt;
        advance();
        return inner;
    }

    std::optional<ConditionNode> parseRest(ConditionNode left) {
        const Token& next = peek();
        if (next.kind == Token::Kind::Symbol && next.text != QLatin1String("(") &&
            next.text != QLatin1String(")") && next.text != QLatin1String("-")) {
            ConditionNode node = makeNode(ConditionNode::Kind::Compare, next.text);
            advance();
            std::optional<ConditionNode> right = parseValue();
            if (!right)
                return std::nullopt;
            node.operands = {std::move(left), std::move(*right)};
            return node;
        }
        if (atWord("is")) {
            advance();
            ConditionNode node = makeNode(ConditionNode::Kind::IsNull);
            if (atWord("not")) {
                node.negated = true;
                advance();
            }
            if (!atWord("null"))
                return std::nullopt;
            advance();
            node.operands.push_back(std::move(left));
            return node;
        }
        const bool negated = atWord("not") && (atWord("like", 1) || atWord("between", 1));
        if (negated)
            advance();
        if (atWord("like")) {
            advance();
            std::optional<ConditionNode> pattern = parseValue();
            if (!pattern)
                return std::nullopt;
            ConditionNode node = makeNode(ConditionNode::Kind::Like);
            node.negated = negated;
            node.operands = {std::move(left), std::move(*pattern)};
            return node;
        }
        if (atWord("between")) {
            advance();
            std::optional<ConditionNode> first = parseValue();
            if (!first || !atWord("and"))
                return std::nullopt;
            advance();
            std::optional<ConditionNode> last = parseValue();
            if (!last)
                return std::nullopt;
            ConditionNode node = makeNode(ConditionNode::Kind::Between);
            node.negated = negated;
            node.operands = {std::move(left), std::move(*first), std::move(*last)};
            return node;
        }
        return std::nullopt;
    }

    std::optional<ConditionNode> parseValue() {
        const Token token = peek();
        switch (token.kind) {
        case Token::Kind::Text:
            advance();
            return makeNode(ConditionNode::Kind::Text, token.text);
        case Token::Kind::Number:
            advance();
            return makeNode(ConditionNode::Kind::Number, token.text);
        case Token::Kind::Date: {
            advance();
            ConditionNode node = makeNode(ConditionNode::Kind::Date);
            node.date = token.date;
            return node;
        }
        case Token::Kind::Name:
        case Token::Kind::Word: {
            const QString name = token.text.toLower();
            if (!IsVolumeField(name))
                return std::nullopt;
            advance();
            return makeNode(ConditionNode::Kind::Column, name);
        }
        case Token::Kind::Symbol:
            if (token.text == QLatin1String("-") && peek(1).kind == Token::Kind::Number) {
                advance();
                const QString digits = peek().text;
                advance();
                return makeNode(ConditionNode::Kind::Number, QLatin1Char('-') + digits);
            }
            if (token.text == QLatin1String("(")) {
                if (depth_ >= kMaxNesting)
                    return std::nullopt;
                ++depth_;
                advance();
                std::optional<ConditionNode> inner = parseValue();
                --depth_;
                if (!inner || !atSymbol(")"))
                    return std::nullopt;
                advance();
                return inner;
            }
            return std::nullopt;
        case Token::Kind::End:
            return std::nullopt;
        }
        return std::nullopt;
    }

    std::vector<Token> tokens_;
    std::size_t position_ = 0;
    int depth_ = 0;
};

} // namespace

bool IsVolumeField(const QString& lowerName) {
    static const QSet<QString> fields = {QStringLiteral("id"),          QStringLiteral("parent"),
                                         QStringLiteral("name"),        QStringLiteral("size"),
                                         QStringLiteral("description"), QStringLiteral("attrib"),
                                         QStringLiteral("createdate"),  QStringLiteral("moddate"),
                                         QStringLiteral("lastdate"),    QStringLiteral("depth")};
    return fields.contains(lowerName);
}

bool IsTextField(const QString& lowerName) {
    return lowerName == QLatin1String("name") || lowerName == QLatin1String("description") ||
           lowerName == QLatin1String("attrib");
}

std::optional<ConditionNode> ParseJetCondition(const QString& condition) {
    std::optional<std::vector<Token>> tokens = tokenize(condition);
    if (!tokens)
        return std::nullopt;
    return Parser(std::move(*tokens)).parseAll();
}

} // namespace mendor
