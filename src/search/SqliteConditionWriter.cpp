#include "search/SqliteConditionWriter.h"

#include "store/Database.h"
#include "store/JetFunctions.h"
#include "store/JetPattern.h"

#include <QStringList>

namespace mendor {

namespace {

bool holdsText(const ConditionNode& node) {
    return node.kind == ConditionNode::Kind::Text ||
           (node.kind == ConditionNode::Kind::Column && IsTextField(node.value));
}

class Writer {
public:
    std::optional<QString> write(const ConditionNode& node) {
        QString sql = expression(node);
        if (malformed_)
            return std::nullopt;
        return sql;
    }

private:
    QString expression(const ConditionNode& node) {
        using Kind = ConditionNode::Kind;
        switch (node.kind) {
        case Kind::Or:
        case Kind::And: {
            QStringList parts;
            for (const ConditionNode& operand : node.operands)
                parts.append(expression(operand));
            return QLatin1Char('(') +
                   parts.join(node.kind == Kind::Or ? QStringLiteral(" OR ") : QStringLiteral(" AND ")) +
                   QLatin1Char(')');
        }
        case Kind::Not:
            return QStringLiteral("(NOT %1)").arg(expression(node.operands[0]));
        case Kind::Compare: {
            const ConditionNode& left = node.operands[0];
            const ConditionNode& right = node.operands[1];
            if (holdsText(left) || holdsText(right))
                return QStringLiteral("(%1 %2 %3)").arg(folded(left), node.value, folded(right));
            return QStringLiteral("(%1 %2 %3)").arg(expression(left), node.value, expression(right));
        }
        case Kind::Like:
            return like(node);
        case Kind::Between:
            return QStringLiteral("(%1 %2BETWEEN %3 AND %4)")
                .arg(expression(node.operands[0]), node.negated ? QStringLiteral("NOT ") : QString(),
                     expression(node.operands[1]), expression(node.operands[2]));
        case Kind::IsNull:
            return QStringLiteral("(%1 IS %2NULL)")
                .arg(expression(node.operands[0]), node.negated ? QStringLiteral("NOT ") : QString());
        case Kind::Column:
            return quoteIdentifier(node.value);
        case Kind::Text:
            return quoteLiteral(node.value);
        case Kind::Number:
            return node.value;
        case Kind::Date:
            return QString::number(node.date);
        }
        return QString();
    }

    QString folded(const ConditionNode& node) {
        return QStringLiteral("%1(%2)").arg(QLatin1String(kJetFoldFunction), expression(node));
    }

    QString like(const ConditionNode& node) {
        const ConditionNode& text = node.operands[0];
        const ConditionNode& pattern = node.operands[1];
        const QString negation = node.negated ? QStringLiteral("NOT ") : QString();
        if (pattern.kind == ConditionNode::Kind::Text) {
            const std::optional<JetPattern> compiled = JetPattern::compile(pattern.value);
            if (!compiled) {
                malformed_ = true;
                return QString();
            }
            // Every text matches "*": true for a text and unknown (NULL) for a missing value, as
            // the comparison of a value with itself gives, without a call per row.
            if (compiled->matchesEverything()) {
                const QString value = expression(text);
                return QStringLiteral("(%1 %2 %1)")
                    .arg(value, node.negated ? QStringLiteral("<>") : QStringLiteral("="));
            }
        }
        return QStringLiteral("(%1%2(%3, %4))")
            .arg(negation, QLatin1String(kJetLikeFunction), expression(text), expression(pattern));
    }

    bool malformed_ = false;
};

} // namespace

std::optional<QString> WriteSqliteCondition(const ConditionNode& condition) {
    return Writer().write(condition);
}

std::optional<QString> TranslateCondition(const QString& jetCondition) {
    const std::optional<ConditionNode> tree = ParseJetCondition(jetCondition);
    if (!tree)
        return std::nullopt;
    return WriteSqliteCondition(*tree);
}

} // namespace mendor
