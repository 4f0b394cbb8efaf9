#include "viewer/video_window.h"

#include <QCursor>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QToolTip>

#include <algorithm>

#include "media/media_player.h"
#include "net/http_get_bytes.h"
#include "toolkit/caption_button.h"
#include "toolkit/core_bridge.h"
#include "toolkit/label.h"
#include "toolkit/picture_box.h"
#include "toolkit/skin.h"
#include "toolkit/tip_box.h"
#include "toolkit/title_button.h"
#include "viewer/author_profile.h"
#include "viewer/format_count.h"
#include "viewer/icon_button.h"
#include "viewer/video_download.h"
#include "viewer/video_item.h"
#include "viewer/video_viewer.h"

namespace vantrel {
namespace {

constexpr int kPlayCount = 999;

// A label whose text wraps onto as many lines as fit.
class WrappingLabel : public Label {
  public:
    using Label::Label;

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.setFont(font());
        painter.setPen(ColorFromArgb(TextColor()));
        painter.drawText(rect(), Qt::TextWordWrap | Qt::TextWrapAnywhere | alignment, Text());
    }

  public:
    int alignment = Qt::AlignLeft | Qt::AlignTop;
};

void ShowTip(const QString& text) {
    TipOptions options;
    options.text = text;
    PopUpTipBox(options);
}

QString DownloadProgressText(std::uint64_t received, std::uint64_t total) {
    if (total > 0) return QStringLiteral("正在下载 %1%").arg(received * 100 / total);
    return QStringLiteral("正在下载 %1 KB").arg(received / 1024);
}

}  // namespace

VideoWindow::VideoWindow(VideoViewer& viewer, QWidget* owner) : SkinWindow(owner), viewer_(viewer) {
    setObjectName(QStringLiteral("抖音播放界面"));
    setWindowTitle(QStringLiteral("抖音播放界面"));
    setFixedSize(kWidth, kHeight);
    BuildControls();
    ConnectControls();
}

void VideoWindow::BuildControls() {
    auto name = [](QWidget* widget, const char* objectName) {
        widget->setObjectName(QString::fromUtf8(objectName));
    };
    title_ = new Label(QStringLiteral("抖音播放"), this);
    name(title_, "标签EX2");
    title_->setGeometry(23, 17, 201, 24);
    title_->setFont(SkinFont(15, true));
    title_->SetTextColor(skin::kText);
    title_->setAttribute(Qt::WA_TransparentForMouseEvents);

    closeButton_ = new TitleButton(TitleButton::Glyph::kClose, this);
    name(closeButton_, "按钮EX_关闭");
    closeButton_->setGeometry(332, 17, 16, 16);

    videoFrame_ = new QWidget(this);
    name(videoFrame_, "图片框1");
    videoFrame_->setGeometry(23, 50, 260, 462);
    videoFrame_->setAutoFillBackground(true);
    videoFrame_->setPalette(QPalette(Qt::black));

    // Labels stay empty until a video loads, rather than showing their names.
    auto* description = new WrappingLabel(QString(), this);
    description_ = description;
    name(description_, "标签EX_内容");
    description_->setGeometry(23, 517, 260, 43);
    description_->SetTextColor(skin::kText);

    avatar_ = new PictureBox(this);
    name(avatar_, "图片框EX_头像");
    avatar_->setGeometry(299, 48, 48, 48);
    avatar_->setCursor(Qt::PointingHandCursor);

    auto* nickname = new WrappingLabel(QString(), this);
    nickname->alignment = Qt::AlignHCenter | Qt::AlignTop;
    nickname_ = nickname;
    name(nickname_, "标签EX_名称");
    nickname_->setGeometry(299, 100, 48, 44);

    likeIcon_ = new PictureBox(this);
    name(likeIcon_, "图片框EX1");
    likeIcon_->setGeometry(303, 150, 40, 40);
    likeIcon_->SetPicture(HeartPicture(40));
    commentIcon_ = new PictureBox(this);
    name(commentIcon_, "图片框EX2");
    commentIcon_->setGeometry(303, 210, 40, 40);
    commentIcon_->SetPicture(CommentPicture(40));

    likes_ = new Label(QStringLiteral("0"), this);
    name(likes_, "标签EX_点赞数");
    likes_->setGeometry(299, 192, 48, 16);
    likes_->SetAlignment(Qt::AlignCenter);
    comments_ = new Label(QStringLiteral("0"), this);
    name(comments_, "标签EX_评论数");
    comments_->setGeometry(299, 252, 48, 16);
    comments_->SetAlignment(Qt::AlignCenter);

    soundButton_ = new IconButton(IconButton::Glyph::kSound, this);
    name(soundButton_, "超级按钮EX_声音");
    soundButton_->setGeometry(303, 312, 40, 40);
    randomButton_ = new IconButton(IconButton::Glyph::kShuffle, this);
    name(randomButton_, "超级按钮EX_换一个");
    randomButton_->setGeometry(303, 368, 40, 40);
    downloadButton_ = new IconButton(IconButton::Glyph::kDownload, this);
    name(downloadButton_, "超级按钮EX_下载");
    downloadButton_->setGeometry(303, 424, 40, 40);

    // Holds the share link that plays; a link typed here plays on the button.
    linkBox_ = new QLineEdit(this);
    // Only a click puts the focus here: the window coming up does not.
    linkBox_->setFocusPolicy(Qt::ClickFocus);
    name(linkBox_, "编辑框EX1");
    linkBox_->setGeometry(288, 472, 64, 32);
    linkBox_->setFont(SkinFont(12));
    linkBox_->setStyleSheet(QStringLiteral(
        "QLineEdit { background: #22252E; color: #E6E8EE; border: 1px solid #2C303B; "
        "border-radius: 3px; padding: 0 3px; }"));
    playLinkButton_ = new CaptionButton(QStringLiteral("播放链接"), this);
    name(playLinkButton_, "超级按钮EX1");
    playLinkButton_->setGeometry(288, 520, 72, 24);
    playLinkButton_->setFont(SkinFont(12));
}

void VideoWindow::ConnectControls() {
    // deleteLater: a close during a download or a request, while their waits
    // run the event loop, must not pull the window out from under them.
    connect(closeButton_, &QAbstractButton::clicked, this, [this] {
        CloseTipBox();
        hide();
        deleteLater();
    });
    connect(soundButton_, &QAbstractButton::clicked, this, &VideoWindow::ToggleSound);
    connect(randomButton_, &QAbstractButton::clicked, this, &VideoWindow::PlayRandomLink);
    connect(downloadButton_, &QAbstractButton::clicked, this, &VideoWindow::DownloadCurrentVideo);
    connect(avatar_, &PictureBox::Clicked, this, &VideoWindow::ShowAuthorProfile);
    connect(playLinkButton_, &QAbstractButton::clicked, this,
            [this] { LoadVideo(LocalFromQString(linkBox_->text())); });
    struct Tip {
        IconButton* button;
        QString text;
    };
    for (const Tip& tip :
         {Tip{soundButton_, QStringLiteral("声音")}, Tip{randomButton_, QStringLiteral("随机播放")},
          Tip{downloadButton_, QStringLiteral("下载视频")}}) {
        const QString text = tip.text;
        connect(tip.button, &HoverButton::PointerEntered, this, [text] { ShowTip(text); });
        connect(tip.button, &HoverButton::PointerLeft, this, [] { CloseTipBox(); });
    }
}

void VideoWindow::PlaceBesideOwner() {
    const QWidget* owner = parentWidget();
    if (!owner || !owner->screen()) return;
    const QRect beside = owner->frameGeometry();
    const QRect area = owner->screen()->availableGeometry();
    constexpr int kGap = 8;
    // Left of the owner, which opens at the screen's right edge; else right of it.
    int left = beside.x() - kGap - kWidth;
    if (left < area.x()) left = beside.x() + beside.width() + kGap;
    left = std::clamp(left, area.x(), std::max(area.x(), area.x() + area.width() - kWidth));
    const int top =
        std::clamp(beside.y(), area.y(), std::max(area.y(), area.y() + area.height() - kHeight));
    move(left, top);
}

void VideoWindow::Start() {
    MediaPlayer& player = viewer_.Player();
    player.CreateControl(videoFrame_, 0, 0, 260, 462, 0);
    player.uiMode(QStringLiteral("none"), true);
    player.playCount(kPlayCount, true);
    player.stretchToFit();
    // Muted (or not) before the first video starts, so no sound slips out.
    const bool muted = !viewer_.VideoSoundOn();
    soundButton_->SetSelected(muted);
    player.mute(muted, true);
    if (!viewer_.ClickedLinks().empty()) LoadVideo(viewer_.ClickedLinks().front());
}

bool VideoWindow::LoadVideo(const std::string& link) {
    // A copy: the link may live in the row list, which a wait could replace.
    const std::string requested = link;
    VideoViewer& viewer = viewer_;
    VideoItem item;
    QPointer<VideoWindow> alive(this);
    if (!FetchVideoItem(requested, item)) return false;
    ViewerState& state = viewer.State();
    state.currentAuthorUid = item.authorUid;
    state.currentVideoAddress = item.playAddress;
    state.currentAwemeId = item.awemeId;
    if (!alive) return true;
    if (!item.playAddress.empty()) {
        SetDescription(QStringFromLocal(item.description));
        likes_->SetText(QStringFromLocal(FormatCount(item.likeCount)));
        comments_->SetText(QStringFromLocal(FormatCount(item.commentCount)));
        const std::string bytes = HttpGetBytes(item.avatarUrl);
        if (!alive) return true;
        avatar_->SetPicture(QImageFromImage(
            DecodeImage({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()})));
        avatar_->setToolTip({});
        nickname_->SetText(QStringFromLocal(item.nickname));
        ShowLink(QStringFromLocal(requested));
        viewer_.Player().URL(QStringFromLocal(item.playAddress), true);
    }
    return true;
}

void VideoWindow::PlayRandomLink() {
    const int index = viewer_.RandomLinkIndex();
    if (index >= 0) LoadVideo(viewer_.ClickedLinks()[index]);
}

void VideoWindow::ToggleSound() {
    const bool muted = !soundButton_->Selected();
    soundButton_->SetSelected(muted);
    viewer_.Player().mute(muted, true);
    viewer_.VideoSoundOn() = !muted;
}

void VideoWindow::ShowLink(const QString& link) {
    // A link the user typed stays until it plays.
    if (linkBox_->isModified() && linkBox_->text() != link) return;
    linkBox_->setText(link);
    linkBox_->setCursorPosition(0);
}

void VideoWindow::SetDescription(const QString& text) {
    description_->SetText(text);
}

void VideoWindow::DownloadCurrentVideo() {
    const ViewerState state = viewer_.State();
    const std::tm now = viewer_.localTime();
    QPointer<VideoWindow> alive(this);
    // One download at a time: the wait below lets clicks through.
    downloadButton_->setEnabled(false);
    const DownloadOutcome outcome =
        DownloadVideo(state.currentVideoAddress, state.currentAwemeId, VideoFolder(), now,
                      [alive](std::uint64_t received, std::uint64_t total) {
                          if (alive) alive->SetDescription(DownloadProgressText(received, total));
                      });
    if (!alive) return;
    downloadButton_->setEnabled(true);
    switch (outcome) {
        case DownloadOutcome::kNoAddress:
            SetDescription(QStringLiteral("视频地址为空"));
            break;
        case DownloadOutcome::kSaved:
            SetDescription(QStringLiteral("下载成功"));
            break;
        case DownloadOutcome::kFailed:
            SetDescription(QStringLiteral("视频下载【失败】"));
            break;
    }
}

void VideoWindow::ShowAuthorProfile() {
    QPointer<VideoWindow> alive(this);
    const std::optional<AuthorProfile> profile =
        FetchAuthorProfile(viewer_.State().currentAuthorUid);
    if (!alive || !profile) return;
    const QString text = QStringFromLocal(AuthorProfileText(*profile));
    avatar_->setToolTip(text);
    QToolTip::showText(QCursor::pos(), text, avatar_);
}

}  // namespace vantrel
