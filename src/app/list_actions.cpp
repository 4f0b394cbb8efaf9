#include "app/list_actions.h"

#include <QDesktopServices>
#include <QEvent>
#include <QUrl>

#include <memory>
#include <utility>

#include "app/main_window.h"
#include "app/rule_highlight.h"
#include "net/local_text.h"
#include "sources/search_links.h"
#include "toolkit/core_bridge.h"
#include "toolkit/label.h"
#include "toolkit/list_view.h"
#include "toolkit/tip_box.h"

namespace vantrel {
namespace {

constexpr int kTitleColumn = 1;
constexpr int kDescriptionColumn = 3;

// Links are local text; the opener reads its bytes as UTF-8.
void OpenLink(const std::string& link) {
    if (link.empty()) return;
    QDesktopServices::openUrl(QUrl::fromEncoded(QByteArray::fromStdString(OpenerLink(link))));
}

std::string CellText(MainWindow& window, int row, int column) {
    const ListModel& list = window.List();
    if (row < 0 || row >= list.ItemCount()) return {};
    const ListRow& cells = list.Row(row);
    if (column >= static_cast<int>(cells.cells.size())) return {};
    return cells.cells[column].text;
}

// A Douyin row keeps its links for the video window, which plays them.
void PlayDouyinLinks(MainWindow& window, const std::string& links) {
    AppState& state = window.State();
    state.clickedLinksText = links;
    state.clickedLinks = SplitText(state.clickedLinksText, "|");
    if (!state.clickedLinks.empty() && window.onDouyinLinks) window.onDouyinLinks();
}

void ShowDescription(MainWindow& window, int row) {
    // The edge tick would hide the window under the tip.
    window.ApplyDocking(false);
    TipOptions tip;
    tip.text = QStringFromLocal(CellText(window, row, kDescriptionColumn));
    const QString rules = window.RowTip(row);
    if (!rules.isEmpty())
        tip.text += (tip.text.isEmpty() ? QString() : QStringLiteral("\n")) + rules;
    tip.displayMs = 5000;
    tip.background = 0xFFFFFFFF;
    tip.textColor = 0xFF4C4C4C;
    tip.maxWidth = 300;
    tip.borderColor = 0x574C4C4C;
    tip.borderWidth = 1;
    tip.font = window.Fonts()[0];
    if (!tip.text.isEmpty()) PopUpTipBox(tip);
}

void HideDescription(MainWindow& window) {
    CloseTipBox();
    window.ApplyDocking(window.State().dockToEdge);
}

// The list takes the keyboard focus when the pointer enters it, so the wheel
// and the arrow keys act on it at once.
class FocusOnEnter : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Enter) static_cast<QWidget*>(watched)->setFocus();
        return false;
    }
};

}  // namespace

void OpenRowLink(MainWindow& window, int row) {
    const AppState& state = window.State();
    const auto at = [row](const std::vector<std::string>& texts) {
        return row >= 0 && row < static_cast<int>(texts.size()) ? texts[row] : std::string();
    };
    OpenListEntry(window, state.currentSource, CellText(window, row, kTitleColumn),
                  at(state.rowPages), at(state.rowLinks));
}

void OpenListEntry(MainWindow& window, SourceId source, const std::string& title,
                   const std::string& page, const std::string& douyinLinks) {
    // Rows of some fallback lists name their own page: it opens directly,
    // with no search to resolve and no video window.
    if (!page.empty()) {
        OpenLink(page);
        return;
    }
    switch (source) {
        case SourceId::kWeibo:
            if (!title.empty()) OpenLink(WeiboSearchLink(title));
            break;
        case SourceId::kBaidu:
            if (!title.empty()) OpenLink(BaiduSearchLink(title));
            break;
        case SourceId::kToutiao:
            if (!title.empty()) OpenLink(ToutiaoSearchLink(title));
            break;
        case SourceId::kDouyin:
            PlayDouyinLinks(window, douyinLinks);
            break;
        default:
            break;
    }
}

void InstallListActions(MainWindow& window) {
    ListView& list = window.ListControl();
    list.setFocusPolicy(Qt::StrongFocus);
    list.installEventFilter(new FocusOnEnter(&list));
    QObject::connect(&list, &ListView::RowActivated, &window,
                     [&window](int row) { OpenRowLink(window, row); });
    // The description goes with the rows however they go, a switch to
    // another source included.
    auto describing = std::make_shared<bool>(false);
    QObject::connect(&list, &ListView::RowHovered, &window, [&window, describing](int row) {
        if (window.State().currentSource != SourceId::kBaidu) return;
        ShowDescription(window, row);
        *describing = true;
    });
    QObject::connect(&list, &ListView::RowsLeft, &window, [&window, describing] {
        if (!std::exchange(*describing, false)) return;
        HideDescription(window);
    });
    LinkLabel& viewAll = window.ViewAllLink();
    QObject::connect(&viewAll, &LinkLabel::Clicked, &window, [&window] {
        OpenLink(FullBoardLink(static_cast<int>(window.State().currentSource)));
    });
    QObject::connect(&viewAll, &LinkLabel::PointerEntered, &window,
                     [&window] { window.ShowTip(QStringLiteral("查看全部")); });
    QObject::connect(&viewAll, &LinkLabel::PointerLeft, &window, [] { CloseTipBox(); });
}

}  // namespace vantrel
