#include "media/media_player.h"

#include "media/player_codes.h"

namespace vantrel {
namespace {

QString Text(const QVariant& v) {
    return v.isValid() ? v.toString() : QString();
}
double Number(const QVariant& v) {
    return v.isValid() ? v.toDouble() : 0.0;
}
bool Logical(const QVariant& v) {
    return v.isValid() && v.toBool();
}

constexpr const char* kPlayer = "";
constexpr const char* kControls = "Controls";
constexpr const char* kMedia = "CurrentMedia";
constexpr const char* kSettings = "settings";
constexpr const char* kNetwork = "Network";

}  // namespace

MediaPlayer::~MediaPlayer() {
    CloseControl();
}

QWidget* MediaPlayer::CreateControl(QWidget* parent, int left, int top, int width, int height,
                                    int border) {
    window_ = host_.CreateActiveX(parent, MEDIA_PLAYER_CLSID, left, top, width, height, border);
    player_ = host_.GetIDispatch();
    return window_;
}

QRect MediaPlayer::Place() const {
    return window_ ? window_->geometry() : QRect();
}

bool MediaPlayer::Move(const QRect& place) {
    if (!window_) return false;
    window_->setGeometry(place);
    window_->update();
    return true;
}

bool MediaPlayer::MoveEdge(void (QRect::*change)(int), int value) {
    QRect place = Place();
    (place.*change)(value);
    return Move(place);
}

int MediaPlayer::Left(int value, bool set) {
    return set ? MoveEdge(&QRect::moveLeft, value) : Place().x();
}

int MediaPlayer::Top(int value, bool set) {
    return set ? MoveEdge(&QRect::moveTop, value) : Place().y();
}

int MediaPlayer::Width(int value, bool set) {
    return set ? MoveEdge(&QRect::setWidth, value) : Place().width();
}

int MediaPlayer::Height(int value, bool set) {
    return set ? MoveEdge(&QRect::setHeight, value) : Place().height();
}

void MediaPlayer::MoveControl(std::optional<int> left, std::optional<int> top,
                              std::optional<int> width, std::optional<int> height) {
    const QRect now = Place();
    Move(QRect(left.value_or(now.x()), top.value_or(now.y()), width.value_or(now.width()),
               height.value_or(now.height())));
}

bool MediaPlayer::Visible(bool value, bool set) {
    if (!window_) return false;
    if (set) window_->setVisible(value);
    return set || window_->isVisible();
}

bool MediaPlayer::Enabled(bool value, bool set) {
    if (!window_) return false;
    if (set) window_->setEnabled(value);
    return window_->isEnabled();
}

int MediaPlayer::CloseControl() {
    player_.reset();
    if (!window_) return 0;
    delete window_.data();
    return 1;
}

Dispatch MediaPlayer::Target(const char* object) const {
    if (!player_ || !*object) return player_;
    return player_->Object(object);
}

QVariant MediaPlayer::Read(const char* object, const char* member) const {
    const Dispatch target = Target(object);
    return target ? target->Get(member) : QVariant();
}

QVariant MediaPlayer::ReadWrite(const char* object, const char* member, const QVariant& value,
                                bool set) {
    const Dispatch target = Target(object);
    if (!target) return {};
    if (set) target->Put(member, value);
    return target->Get(member);
}

QVariant MediaPlayer::Call(const char* object, const char* member, const QVariantList& arguments) {
    const Dispatch target = Target(object);
    return target ? target->Invoke(member, arguments) : QVariant();
}

// clang-format off
QString MediaPlayer::URL(const QString& v, bool set) { return Text(ReadWrite(kPlayer, "URL", v, set)); }
double MediaPlayer::playState() { return Number(Read(kPlayer, "playState")); }
double MediaPlayer::openState() { return Number(Read(kPlayer, "openState")); }
QString MediaPlayer::status() { return Text(Read(kPlayer, "status")); }
QString MediaPlayer::versionInfo() { return Text(Read(kPlayer, "versionInfo")); }
bool MediaPlayer::isOnline() { return Logical(Read(kPlayer, "isOnline")); }
bool MediaPlayer::fullScreen(bool v, bool set) { return Logical(ReadWrite(kPlayer, "fullScreen", v, set)); }
bool MediaPlayer::enableContextMenu(bool v, bool set) { return Logical(ReadWrite(kPlayer, "enableContextMenu", v, set)); }
QString MediaPlayer::uiMode(const QString& v, bool set) { return Text(ReadWrite(kPlayer, "uiMode", v, set)); }
bool MediaPlayer::stretchToFit(bool v, bool set) { return Logical(ReadWrite(kPlayer, "stretchToFit", v, set)); }
bool MediaPlayer::windowlessVideo(bool v, bool set) { return Logical(ReadWrite(kPlayer, "windowlessVideo", v, set)); }
bool MediaPlayer::isRemote() { return Logical(Read(kPlayer, "isRemote")); }

void MediaPlayer::play() { Call(kControls, "play"); }
void MediaPlayer::pause() { Call(kControls, "pause"); }
void MediaPlayer::stop() { Call(kControls, "stop"); }
void MediaPlayer::fastForward() { Call(kControls, "fastForward"); }
void MediaPlayer::fastReverse() { Call(kControls, "fastReverse"); }
void MediaPlayer::next() { Call(kControls, "next"); }
void MediaPlayer::previous() { Call(kControls, "previous"); }
QString MediaPlayer::currentPositionString() { return Text(Read(kControls, "currentPositionString")); }
double MediaPlayer::currentPosition(double v, bool set) { return Number(ReadWrite(kControls, "currentPosition", v, set)); }

QString MediaPlayer::getItemInfo(const QString& a) { return Text(Call(kMedia, "getItemInfo", {a})); }
void MediaPlayer::setItemInfo(const QString& a, const QString& v) { Call(kMedia, "setItemInfo", {a, v}); }
QString MediaPlayer::getItemInfoByAtom(int atom) { return Text(Call(kMedia, "getItemInfoByAtom", {atom})); }
double MediaPlayer::attributeCount() { return Number(Read(kMedia, "attributeCount")); }
QString MediaPlayer::durationString() { return Text(Read(kMedia, "durationString")); }
double MediaPlayer::duration() { return Number(Read(kMedia, "duration")); }
double MediaPlayer::markerCount() { return Number(Read(kMedia, "markerCount")); }
double MediaPlayer::imageSourceHeight() { return Number(Read(kMedia, "imageSourceHeight")); }
double MediaPlayer::imageSourceWidth() { return Number(Read(kMedia, "imageSourceWidth")); }
QString MediaPlayer::name() { return Text(Read(kMedia, "name")); }
QString MediaPlayer::sourceURL() { return Text(Read(kMedia, "sourceURL")); }

double MediaPlayer::volume(int v, bool set) { return Number(ReadWrite(kSettings, "volume", v, set)); }
double MediaPlayer::balance(int v, bool set) { return Number(ReadWrite(kSettings, "balance", v, set)); }
double MediaPlayer::playCount(int v, bool set) { return Number(ReadWrite(kSettings, "playCount", v, set)); }
bool MediaPlayer::mute(bool v, bool set) { return Logical(ReadWrite(kSettings, "mute", v, set)); }
bool MediaPlayer::autoStart(bool v, bool set) { return Logical(ReadWrite(kSettings, "autoStart", v, set)); }

double MediaPlayer::framesSkipped() { return Number(Read(kNetwork, "framesSkipped")); }
double MediaPlayer::encodedFrameRate() { return Number(Read(kNetwork, "encodedFrameRate")); }
double MediaPlayer::downloadProgress() { return Number(Read(kNetwork, "downloadProgress")); }
double MediaPlayer::maxBandwidth(int v, bool set) { return Number(ReadWrite(kNetwork, "maxBandwidth", v, set)); }
double MediaPlayer::bitRate() { return Number(Read(kNetwork, "bitRate")); }
double MediaPlayer::frameRate() { return Number(Read(kNetwork, "frameRate")); }
double MediaPlayer::bufferingTime(int v, bool set) { return Number(ReadWrite(kNetwork, "bufferingTime", v, set)); }
double MediaPlayer::bufferingProgress() { return Number(Read(kNetwork, "bufferingProgress")); }
double MediaPlayer::bufferingCount() { return Number(Read(kNetwork, "bufferingCount")); }
double MediaPlayer::receptionQuality() { return Number(Read(kNetwork, "receptionQuality")); }
double MediaPlayer::lostPackets() { return Number(Read(kNetwork, "lostPackets")); }
double MediaPlayer::receivedPackets() { return Number(Read(kNetwork, "receivedPackets")); }
double MediaPlayer::recoveredPackets() { return Number(Read(kNetwork, "recoveredPackets")); }
double MediaPlayer::bandWidth() { return Number(Read(kNetwork, "bandWidth")); }

bool MediaPlayer::OnOpenStateChange(EventRoutine r, std::intptr_t u) { return host_.AdviseEvent(PlayerCodes::kOpenStateChange, std::move(r), u); }
bool MediaPlayer::OnPlayStateChange(EventRoutine r, std::intptr_t u) { return host_.AdviseEvent(PlayerCodes::kPlayStateChange, std::move(r), u); }
bool MediaPlayer::OnAudioLanguageChange(EventRoutine r, std::intptr_t u) { return host_.AdviseEvent(PlayerCodes::kAudioLanguageChange, std::move(r), u); }
bool MediaPlayer::OnStatusChange(EventRoutine r, std::intptr_t u) { return host_.AdviseEvent(PlayerCodes::kStatusChange, std::move(r), u); }
bool MediaPlayer::OnBuffering(EventRoutine r, std::intptr_t u) { return host_.AdviseEvent(PlayerCodes::kBufferingEvent, std::move(r), u); }
bool MediaPlayer::OnError(EventRoutine r, std::intptr_t u) { return host_.AdviseEvent(PlayerCodes::kError, std::move(r), u); }
bool MediaPlayer::OnPositionChange(EventRoutine r, std::intptr_t u) { return host_.AdviseEvent(PlayerCodes::kPositionChange, std::move(r), u); }
bool MediaPlayer::OnCdromMediaChange(EventRoutine r, std::intptr_t u) { return host_.AdviseEvent(PlayerCodes::kCdromMediaChange, std::move(r), u); }
bool MediaPlayer::OnMediaError(EventRoutine r, std::intptr_t u) { return host_.AdviseEvent(PlayerCodes::kMediaError, std::move(r), u); }
bool MediaPlayer::OnPlayerReconnect(EventRoutine r, std::intptr_t u) { return host_.AdviseEvent(PlayerCodes::kPlayerReconnect, std::move(r), u); }
bool MediaPlayer::OnClick(EventRoutine r, std::intptr_t u) { return host_.AdviseEvent(PlayerCodes::kClick, std::move(r), u); }
bool MediaPlayer::OnKeyDown(EventRoutine r, std::intptr_t u) { return host_.AdviseEvent(PlayerCodes::kKeyDown, std::move(r), u); }
bool MediaPlayer::OnDoubleClick(EventRoutine r, std::intptr_t u) { return host_.AdviseEvent(PlayerCodes::kDoubleClick, std::move(r), u); }
bool MediaPlayer::OnKeyPress(EventRoutine r, std::intptr_t u) { return host_.AdviseEvent(PlayerCodes::kKeyPress, std::move(r), u); }
bool MediaPlayer::OnKeyUp(EventRoutine r, std::intptr_t u) { return host_.AdviseEvent(PlayerCodes::kKeyUp, std::move(r), u); }
bool MediaPlayer::OnMouseDown(EventRoutine r, std::intptr_t u) { return host_.AdviseEvent(PlayerCodes::kMouseDown, std::move(r), u); }
bool MediaPlayer::OnMouseMove(EventRoutine r, std::intptr_t u) { return host_.AdviseEvent(PlayerCodes::kMouseMove, std::move(r), u); }
bool MediaPlayer::OnMouseUp(EventRoutine r, std::intptr_t u) { return host_.AdviseEvent(PlayerCodes::kMouseUp, std::move(r), u); }
// clang-format on

}  // namespace vantrel
