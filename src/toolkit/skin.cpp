#include "toolkit/skin.h"

#include <QFontDatabase>

#include <algorithm>

namespace vantrel {

QColor ColorFromArgb(std::uint32_t argb) {
    return QColor::fromRgba(static_cast<QRgb>(argb));
}

std::uint32_t ArgbFromColor(const QColor& color) {
    return static_cast<std::uint32_t>(color.rgba());
}

QString SkinFontFamily() {
    static const QString family = [] {
        const QStringList installed = QFontDatabase::families();
        for (const QString& wanted : {QStringLiteral("微软雅黑"), QStringLiteral("Microsoft YaHei"),
                                      QStringLiteral("WenQuanYi Micro Hei")}) {
            if (installed.contains(wanted, Qt::CaseInsensitive)) return wanted;
        }
        // Let fontconfig pick any family that covers Chinese.
        const QStringList chinese = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
        return chinese.isEmpty() ? QString() : chinese.front();
    }();
    return family;
}

QFont SkinFont(int pixelSize, bool bold) {
    QFont font(SkinFontFamily());
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

double OpacityFraction(int opacity) {
    return std::clamp(opacity, 0, 255) / 255.0;
}

}  // namespace vantrel
