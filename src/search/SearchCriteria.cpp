#include "search/SearchCriteria.h"

#include "shell/Prompter.h"

#include <cmath>
#include <QLocale>
#include <QStringList>

namespace mendor {

namespace {

const QString kStar = QStringLiteral("*");
const QString kStarDotStar = QStringLiteral("*.*");

// Significant digits that a double carries reliably.
constexpr int kSignificantDigits = 15;

QString rewriteDateText(const QString& text) {
    QString rewritten = text;
    for (QChar& c : rewritten) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            c = QLatin1Char('/');
    }
    return rewritten;
}

// Day before month, as the user's locale writes short dates; the C locale writes month first.
bool dayComesFirst() {
    static const bool dayFirst = [] {
        const QLocale system = QLocale::system();
        if (system.language() == QLocale::C)
            return false;
        const QString format = system.dateFormat(QLocale::ShortFormat);
        const qsizetype day = format.indexOf(QLatin1Char('d'));
        const qsizetype month = format.indexOf(QLatin1Char('M'));
        return day >= 0 && month >= 0 && day < month;
    }();
    return dayFirst;
}

int fullYear(const QString& digits) {
    const int year = digits.toInt();
    if (digits.size() > 2)
        return year;
    return year < 30 ? 2000 + year : 1900 + year;
}

QString jetDate(const QDate& date) {
    return QStringLiteral("%1/%2/%3")
        .arg(date.month())
        .arg(date.day())
        .arg(date.year(), 4, 10, QLatin1Char('0'));
}

} // namespace

QString NamePattern(const QString& nameText) {
    QString s = nameText;
    if (s == kStar || s == kStarDotStar)
        return s;
    if (s.size() > 3 && s.endsWith(kStarDotStar))
        s.chop(2);
    if (!s.isEmpty() && s.startsWith(kStar) && s.endsWith(kStar)) {
        s.chop(1);
        s.remove(0, 1);
    }
    QString pattern;
    bool leading = false;
    bool trailing = false;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s.at(i);
        if (c == QLatin1Char('*') || c == QLatin1Char('?'))
            (i == 0 ? leading : trailing) = true;
        else
            pattern += c;
    }
    if (!leading && !trailing)
        leading = trailing = true;
    if (leading)
        pattern.prepend(kStar);
    if (trailing)
        pattern.append(kStar);
    return pattern;
}

std::optional<QDate> ParseSearchDate(const QString& text) {
    const QStringList parts = text.split(QLatin1Char('/'));
    if (parts.size() != 3)
        return std::nullopt;
    for (const QString& part : parts) {
        if (part.isEmpty() || part.size() > 4)
            return std::nullopt;
    }
    int year = 0;
    int month = 0;
    int day = 0;
    if (parts[0].size() > 2) {
        year = parts[0].toInt();
        month = parts[1].toInt();
        day = parts[2].toInt();
    } else {
        year = fullYear(parts[2]);
        month = parts[dayComesFirst() ? 1 : 0].toInt();
        day = parts[dayComesFirst() ? 0 : 1].toInt();
    }
    // The engine's dates run from the year 100 to 9999.
    if (year < 100 || year > 9999 || !QDate::isValid(year, month, day))
        return std::nullopt;
    return QDate(year, month, day);
}

std::optional<double> ParseKilobytes(const QString& text) {
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QString PlainDecimal(double value) {
    if (value == std::trunc(value) && std::fabs(value) < 1e15)
        return QString::number(static_cast<long long>(value));
    const int integerDigits = value == 0 ? 1 : int(std::floor(std::log10(std::fabs(value)))) + 1;
    QString text = QString::number(value, 'f', std::max(0, kSignificantDigits - integerDigits));
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    return text;
}

std::optional<QString> BuildSearchCondition(SearchCriteria& criteria, Prompter& prompter) {
    criteria.firstDate = rewriteDateText(criteria.firstDate);
    criteria.lastDate = rewriteDateText(criteria.lastDate);

    const QString& name = criteria.name;
    if (name != kStar && name != kStarDotStar && !criteria.searchFolders && !criteria.searchFiles) {
        prompter.message(kNoKindMessage);
        return std::nullopt;
    }

    QString condition;
    const auto appendCriterion = [&condition](const QString& criterion) {
        if (!condition.isEmpty())
            condition += QStringLiteral(" and ");
        condition += criterion;
    };
    if (!name.isEmpty())
        condition = QStringLiteral("name like \"") + NamePattern(name) + QLatin1Char('"');

    const std::optional<QDate> first = ParseSearchDate(criteria.firstDate);
    const std::optional<QDate> last = ParseSearchDate(criteria.lastDate);
    if (first && last) {
        static const QString fields[] = {QStringLiteral("createdate"), QStringLiteral("moddate"),
                                         QStringLiteral("lastdate")};
        const QString field = fields[int(criteria.dateField)];
        if (criteria.firstDate.compare(criteria.lastDate, Qt::CaseInsensitive) != 0)
            appendCriterion(
                QStringLiteral("[%1] between #%2# and #%3#").arg(field, jetDate(*first), jetDate(*last)));
        else
            appendCriterion(QStringLiteral("[%1] = #%2#").arg(field, jetDate(*first)));
    }

    if (!criteria.description.isEmpty())
        appendCriterion(QStringLiteral("description like '*") + criteria.description + QStringLiteral("*'"));

    if (const std::optional<double> kilobytes =
            criteria.sizeKilobytes.isEmpty() ? std::nullopt : ParseKilobytes(criteria.sizeKilobytes)) {
        QString comparison = QStringLiteral("size = ");
        if (criteria.sizeComparison == kSizeLarger)
            comparison = QStringLiteral("size >= ");
        else if (criteria.sizeComparison == kSizeSmaller)
            comparison = QStringLiteral("size <= ");
        appendCriterion(comparison + PlainDecimal(*kilobytes * 1024));
    }
    return condition;
}

} // namespace mendor
