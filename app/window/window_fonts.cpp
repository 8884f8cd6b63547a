#include "app/window/window_fonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace tessaro::window {
namespace {

constexpr int kPixelSize = 12;

// The first of `wanted` that is installed, else `fallback`.
QString installed(const QStringList& wanted, const QString& fallback) {
    const QStringList families = QFontDatabase::families();
    for (const QString& family : wanted)
        if (families.contains(family, Qt::CaseInsensitive)) return family;
    return fallback;
}

QFont fontOf(const QStringList& families) {
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(kPixelSize);
    return font;
}

}  // namespace

WindowFonts windowFonts() {
    const QString platformUi = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    const QString ui = installed({QStringLiteral("Segoe UI")}, platformUi);
    const QString chinese = installed({QStringLiteral("微軟正黑體"), QStringLiteral("Microsoft JhengHei")},
                                      installed({QStringLiteral("Noto Sans CJK TC")}, platformUi));
    return {fontOf({ui, chinese}), fontOf({chinese, ui})};
}

}  // namespace tessaro::window
