#pragma once
// A search condition in the catalog's query language, read into a small expression tree that a
// writer turns into the SQL of a database engine (search/SqliteConditionWriter.h).
//
// What it reads: "double" and 'single' quoted texts (a doubled quote stands for one), numbers,
// #m/d/yyyy# dates, the fields of a volume table by name or in [brackets], comparisons
// (= <> < > <= >=), [not] like, [not] between ... and ..., is [not] null, and, or, not and
// parentheses. Anything else, such as a quote that ends a text early and leaves words behind it,
// makes the condition unreadable.
#include <cstdint>
#include <optional>
#include <QString>
#include <vector>

namespace mendor {

struct ConditionNode {
    enum class Kind {
        Or,      ///< operands: two or more conditions
        And,     ///< operands: two or more conditions
        Not,     ///< operands: one condition
        Compare, ///< value: the operator; operands: left, right
        Like,    ///< operands: text, pattern; negated for "not like"
        Between, ///< operands: value, first, last; negated for "not between"
        IsNull,  ///< operands: value; negated for "is not null"
        Column,  ///< value: the field's name in lower case
        Text,    ///< value: the text
        Number,  ///< value: the number as written, with its sign ("-5120", "0.5")
        Date,    ///< date: stored seconds of midnight that day
    };

    Kind kind = Kind::Text;
    QString value;
    std::int64_t date = 0;
    bool negated = false;
    std::vector<ConditionNode> operands;
};

/// The fields of a volume's folders and files tables, in lower case.
bool IsVolumeField(const QString& lowerName);
/// Fields that hold text (compared without regard to case).
bool IsTextField(const QString& lowerName);

/// The tree of a condition; nothing when the text is not a condition this reader understands.
std::optional<ConditionNode> ParseJetCondition(const QString& condition);

} // namespace mendor
