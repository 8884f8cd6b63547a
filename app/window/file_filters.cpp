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
        const QString written = QLatin1Char('(') + patternsOf(parts[i + 1], false).join(QLatin1Char(' ')) + QLatin1Char(')');
        const QString caption = description.endsWith(written) ? description : description + QLatin1Char(' ') + written;
        filters << caption + QStringLiteral(" (") + patternsOf(parts[i + 1], caseSensitiveNames).join(QLatin1Char(' ')) +
                       QLatin1Char(')');
    }
    return filters;
}

}  // namespace tessaro::window
