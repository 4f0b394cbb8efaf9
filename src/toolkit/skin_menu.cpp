#include "toolkit/skin_menu.h"

#include <QMenu>

#include "toolkit/skin.h"

namespace vantrel {
namespace {

QString Css(std::uint32_t argb) {
    return ColorFromArgb(argb).name(QColor::HexRgb);
}

}  // namespace

void ApplyMenuSkin(QMenu& menu) {
    menu.setFont(SkinFont(13));
    // No shadow or native frame: the menu is one flat panel like the windows.
    menu.setWindowFlag(Qt::FramelessWindowHint);
    menu.setStyleSheet(
        QStringLiteral("QMenu { background: %1; border: 1px solid %2; padding: 4px; }"
                       "QMenu::item { color: %3; padding: 5px 22px 5px 14px; }"
                       "QMenu::item:selected { background: %4; color: %5; }")
            .arg(Css(skin::kPanel), Css(skin::kWindowEdge), Css(skin::kText),
                 Css(skin::kPanelSelected), Css(skin::kAccent)));
}

}  // namespace vantrel
