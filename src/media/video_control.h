#pragma once

#include <QMediaPlayer>
#include <QUrl>
#include <QWidget>

#include "media/hosted_control.h"
#include "media/player_codes.h"

class QAudioOutput;

namespace vantrel {

class VideoSurface;

// The media-player control: plays an HTTP address into its video surface,
// with no buttons of its own. Its members, by the names a script host uses,
// are reached through Automation(); its events go to the host's sink.
class VideoControl : public QWidget, public HostedControl, public PlayerCodes {
    Q_OBJECT
  public:
    explicit VideoControl(QWidget* parent);
    ~VideoControl() override;

    QWidget* Widget() override { return this; }
    Dispatch Automation() override { return automation_; }
    std::vector<int> EventNumbers() const override;
    void SetEventSink(EventSink sink) override { sink_ = std::move(sink); }

    QMediaPlayer& Player() { return *player_; }
    QAudioOutput& Audio() { return *audio_; }
    VideoSurface& Surface() { return *surface_; }

    // Sets the address; plays it at once while autoStart is on. An empty
    // address stops and clears the player.
    void SetUrl(const QString& url);
    QString Url() const { return url_; }
    PlayState State() const;
    int OpenState() const;
    QString StatusText() const;

    // "invisible", "none", "mini", "full" or "custom"; false for anything else.
    bool SetUiMode(const QString& mode);
    QString UiMode() const { return uiMode_; }
    bool autoStart = true;
    bool enableContextMenu = true;
    bool windowlessVideo = false;
    int bufferingTime = 5000;
    int maxBandwidth = 0;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

  private:
    void Fire(int number, const QVariantList& parameters = {});
    void ConnectPlayer();
    void Retry();
    void Open();

    QMediaPlayer* player_;
    QAudioOutput* audio_;
    VideoSurface* surface_;
    Dispatch automation_;
    EventSink sink_;
    QString url_;
    QString uiMode_ = QStringLiteral("full");
    bool retried_ = false;
    bool openPending_ = false;
    int lastState_ = kUndefined;
};

}  // namespace vantrel
