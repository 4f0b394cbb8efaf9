#include "media/video_control.h"

#include <QAudioOutput>
#include <QKeyEvent>
#include <QMouseEvent>

#include "media/player_automation.h"
#include "media/video_surface.h"

namespace vantrel {

VideoControl::VideoControl(QWidget* parent)
    : QWidget(parent),
      player_(new QMediaPlayer(this)),
      audio_(new QAudioOutput(this)),
      surface_(new VideoSurface(this)) {
    setObjectName(QStringLiteral("MediaPlayerControl"));
    setMouseTracking(true);
    surface_->setAttribute(Qt::WA_TransparentForMouseEvents);
    player_->setAudioOutput(audio_);
    player_->setVideoSink(surface_->Sink());
    automation_ = MakePlayerAutomation(this);
    ConnectPlayer();
}

VideoControl::~VideoControl() {
    sink_ = nullptr;
    player_->stop();
}

std::vector<int> VideoControl::EventNumbers() const {
    return {kOpenStateChange, kStatusChange,    kPlayStateChange, kAudioLanguageChange,
            kPositionChange,  kBufferingEvent,  kError,           kCdromMediaChange,
            kMediaError,      kPlayerReconnect, kClick,           kDoubleClick,
            kKeyDown,         kKeyPress,        kKeyUp,           kMouseDown,
            kMouseMove,       kMouseUp};
}

void VideoControl::ConnectPlayer() {
    auto stateChanged = [this] {
        const int state = State();
        if (state == lastState_) return;
        lastState_ = state;
        Fire(kPlayStateChange, {state});
        Fire(kStatusChange);
    };
    connect(player_, &QMediaPlayer::playbackStateChanged, this, stateChanged);
    connect(player_, &QMediaPlayer::mediaStatusChanged, this, [this, stateChanged] {
        if (openPending_ && player_->mediaStatus() != QMediaPlayer::LoadingMedia) {
            Open();
            return;
        }
        Fire(kOpenStateChange, {OpenState()});
        stateChanged();
    });
    connect(player_, &QMediaPlayer::bufferProgressChanged, this,
            [this](float progress) { Fire(kBufferingEvent, {progress < 1.0f}); });
    connect(player_, &QMediaPlayer::positionChanged, this, [this](qint64 position) {
        Fire(kPositionChange, {0.0, position / 1000.0});
    });
    connect(player_, &QMediaPlayer::errorOccurred, this,
            [this](QMediaPlayer::Error, const QString& text) {
                if (openPending_) {
                    Open();
                    return;
                }
                // The backend now and then fails a start at once ("Internal
                // data stream error"); the second start goes through.
                if (!retried_ && !url_.isEmpty()) {
                    retried_ = true;
                    Retry();
                    return;
                }
                Fire(kError);
                Fire(kMediaError, {text});
            });
}

void VideoControl::Retry() {
    player_->setSource(QUrl());
    Open();
}

void VideoControl::SetUrl(const QString& url) {
    url_ = url;
    retried_ = false;
    // A new source while the last one is still opening would wait on the
    // opening (which needs this thread) for a second: it waits its turn instead.
    if (player_->mediaStatus() == QMediaPlayer::LoadingMedia) {
        openPending_ = true;
        return;
    }
    Open();
}

void VideoControl::Open() {
    openPending_ = false;
    player_->setSource(url_.isEmpty() ? QUrl() : QUrl(url_));
    if (!url_.isEmpty() && autoStart) player_->play();
}

VideoControl::PlayState VideoControl::State() const {
    const QMediaPlayer::MediaStatus media = player_->mediaStatus();
    switch (player_->playbackState()) {
        case QMediaPlayer::PlayingState:
            if (media == QMediaPlayer::StalledMedia || media == QMediaPlayer::BufferingMedia)
                return kBuffering;
            return media == QMediaPlayer::LoadingMedia ? kTransitioning : kPlaying;
        case QMediaPlayer::PausedState:
            return kPaused;
        case QMediaPlayer::StoppedState:
            break;
    }
    switch (media) {
        case QMediaPlayer::NoMedia:
        case QMediaPlayer::InvalidMedia:
            return kUndefined;
        case QMediaPlayer::EndOfMedia:
            return kMediaEnded;
        case QMediaPlayer::LoadingMedia:
            return kTransitioning;
        case QMediaPlayer::LoadedMedia:
            return kReady;
        default:
            return kStopped;
    }
}

int VideoControl::OpenState() const {
    switch (player_->mediaStatus()) {
        case QMediaPlayer::LoadingMedia:
            return 11;  // media loading
        case QMediaPlayer::StalledMedia:
            return 20;  // media waiting
        case QMediaPlayer::NoMedia:
        case QMediaPlayer::InvalidMedia:
            return 0;
        default:
            return 13;  // media open
    }
}

QString VideoControl::StatusText() const {
    if (player_->error() != QMediaPlayer::NoError) return player_->errorString();
    switch (State()) {
        case kPlaying:
            return QStringLiteral("Playing");
        case kPaused:
            return QStringLiteral("Paused");
        case kBuffering:
            return QStringLiteral("Buffering");
        case kTransitioning:
            return QStringLiteral("Opening media");
        case kMediaEnded:
        case kStopped:
            return QStringLiteral("Stopped");
        case kReady:
            return QStringLiteral("Ready");
        default:
            return {};
    }
}

bool VideoControl::SetUiMode(const QString& mode) {
    static const QStringList known = {QStringLiteral("invisible"), QStringLiteral("none"),
                                      QStringLiteral("mini"), QStringLiteral("full"),
                                      QStringLiteral("custom")};
    const QString lower = mode.toLower();
    if (!known.contains(lower)) return false;
    uiMode_ = lower;
    // The control has no buttons to show: every mode but "invisible" is the picture alone.
    surface_->setVisible(lower != QStringLiteral("invisible"));
    return true;
}

void VideoControl::resizeEvent(QResizeEvent*) {
    surface_->setGeometry(rect());
}

void VideoControl::Fire(int number, const QVariantList& parameters) {
    if (sink_) sink_(number, parameters);
}

namespace {
QVariantList MouseParameters(const QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    return {static_cast<int>(event->button()), static_cast<int>(event->modifiers() >> 25), at.x(),
            at.y()};
}
}  // namespace

void VideoControl::mousePressEvent(QMouseEvent* event) {
    Fire(kMouseDown, MouseParameters(event));
}

void VideoControl::mouseReleaseEvent(QMouseEvent* event) {
    Fire(kMouseUp, MouseParameters(event));
    if (rect().contains(event->position().toPoint())) Fire(kClick, MouseParameters(event));
}

void VideoControl::mouseDoubleClickEvent(QMouseEvent* event) {
    Fire(kDoubleClick, MouseParameters(event));
}

void VideoControl::mouseMoveEvent(QMouseEvent* event) {
    Fire(kMouseMove, MouseParameters(event));
}

void VideoControl::keyPressEvent(QKeyEvent* event) {
    Fire(kKeyDown, {event->key(), static_cast<int>(event->modifiers() >> 25)});
    if (!event->text().isEmpty())
        Fire(kKeyPress, {static_cast<int>(event->text().at(0).unicode())});
}

void VideoControl::keyReleaseEvent(QKeyEvent* event) {
    Fire(kKeyUp, {event->key(), static_cast<int>(event->modifiers() >> 25)});
}

}  // namespace vantrel
