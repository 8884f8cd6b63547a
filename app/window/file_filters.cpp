#include "app/window/file_filters.h"

#include <QString>

namespace tessaro::window {
namespace {

// "*.xml" as "*.[xX][mM][lL]": a pattern that matches either case of each letter.
QString bothCases(const QString& pattern) {
    QString result;
    for (const QChar c : pattern) {
        const QChar lower = c.toLower();
        const QChar upper = c.toUpper();
        if (c.isLetter() && lower != upper) {
            result += QLatin1Char('[') + lower + upper + QLatin1Char(']');
        } else {
            result += c;
        }
    }
    return result;
}

QStringList patternsOf(const QString& list, bool caseSensitiveNames) {
    QStringList patterns;
    for (const QString& pattern : list.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        if (!caseSensitiveNames) {
            patterns << pattern;
            continue;
        }
        if (pattern == QLatin1String("*.*")) {
            patterns << QStringLiteral("*");
            continue;
        }
        patterns << bothCases(pattern);
        // "NAME.*" also matches a NAME without extension on a case-insensitive system.
        if (pattern.endsWith(QLatin1String(".*")) && !pattern.chopped(2).contains(QLatin1Char('*')))
            patterns << bothCases(pattern.chopped(2));
    }
    return patterns;
}

}  // namespace

QStringList qtNameFilters(std::string_view filter, bool caseSensitiveNames) {
    const QStringList parts = QString::fromUtf8(filter.data(), static_cast<qsizetype>(filter.size())).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts[i];
        const QString patterns = patternsOf(parts[i + 1], caseSensitiveNames).join(QLatin1Char(' '));
        // A description that already ends with its pattern in parentheses is taken as it is.
        if (description.endsWith(QLatin1Char('(') + patterns + QLatin1Char(')')))
            filters << description;
        else
            filters << description + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return filters;
}

}  // namespace tessaro::window
