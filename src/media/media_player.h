#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include <optional>

#include "media/control_host.h"

namespace vantrel {

// The program's one media player: creates the media-player control in a
// window through its control host and reaches the control's members by name.
// Reads of a member give what the control reports; with no control, or a
// member it lacks, they give the empty text, 0 or false, and writes and
// methods do nothing. A read-write member called with set true writes first
// and returns what the control reports after the write.
class MediaPlayer {
  public:
    MediaPlayer() = default;
    ~MediaPlayer();
    MediaPlayer(const MediaPlayer&) = delete;
    MediaPlayer& operator=(const MediaPlayer&) = delete;

    // The control's window in parent, or null when it could not be made.
    QWidget* CreateControl(QWidget* parent = nullptr, int left = 0, int top = 0, int width = 0,
                           int height = 0, int border = 0);

    // The control window's place in its parent's coordinates. With set true
    // they move or size it, keeping the other three values, and return
    // whether there was a window to move.
    int Left(int value = 0, bool set = false);
    int Top(int value = 0, bool set = false);
    int Width(int value = 0, bool set = false);
    int Height(int value = 0, bool set = false);
    void MoveControl(std::optional<int> left = {}, std::optional<int> top = {},
                     std::optional<int> width = {}, std::optional<int> height = {});
    bool Visible(bool value = false, bool set = false);
    bool Enabled(bool value = false, bool set = false);
    // Lets go of the player and closes the control window; true when there was one.
    int CloseControl();
    QWidget* ControlWindow() const { return window_; }

    // Player members.
    QString URL(const QString& value = {}, bool set = false);
    double playState();
    double openState();
    QString status();
    QString versionInfo();
    bool isOnline();
    bool fullScreen(bool value = false, bool set = false);
    bool enableContextMenu(bool value = false, bool set = false);
    QString uiMode(const QString& value = {}, bool set = false);
    bool stretchToFit(bool value = false, bool set = false);
    bool windowlessVideo(bool value = false, bool set = false);
    bool isRemote();
    // "Controls".
    void play();
    void pause();
    void stop();
    void fastForward();
    void fastReverse();
    void next();
    void previous();
    QString currentPositionString();
    double currentPosition(double value = 0, bool set = false);
    // "CurrentMedia".
    QString getItemInfo(const QString& attribute);
    void setItemInfo(const QString& attribute, const QString& value);
    QString getItemInfoByAtom(int atom);
    double attributeCount();
    QString durationString();
    double duration();
    double markerCount();
    double imageSourceHeight();
    double imageSourceWidth();
    QString name();
    QString sourceURL();
    // "settings".
    double volume(int value = 0, bool set = false);
    double balance(int value = 0, bool set = false);
    double playCount(int value = 0, bool set = false);
    bool mute(bool value = false, bool set = false);
    bool autoStart(bool value = false, bool set = false);
    // "Network".
    double framesSkipped();
    double encodedFrameRate();
    double downloadProgress();
    double maxBandwidth(int value = 0, bool set = false);
    double bitRate();
    double frameRate();
    double bufferingTime(int value = 0, bool set = false);
    double bufferingProgress();
    double bufferingCount();
    double receptionQuality();
    double lostPackets();
    double receivedPackets();
    double recoveredPackets();
    double bandWidth();

    // Events: each binds routine and user to one event of the control; false
    // when there is no control. KeyDown has a binding of its own here.
    using EventRoutine = ControlHost::EventRoutine;
    bool OnOpenStateChange(EventRoutine routine, std::intptr_t user = 0);
    bool OnPlayStateChange(EventRoutine routine, std::intptr_t user = 0);
    bool OnAudioLanguageChange(EventRoutine routine, std::intptr_t user = 0);
    bool OnStatusChange(EventRoutine routine, std::intptr_t user = 0);
    bool OnBuffering(EventRoutine routine, std::intptr_t user = 0);
    bool OnError(EventRoutine routine, std::intptr_t user = 0);
    bool OnPositionChange(EventRoutine routine, std::intptr_t user = 0);
    bool OnCdromMediaChange(EventRoutine routine, std::intptr_t user = 0);
    bool OnMediaError(EventRoutine routine, std::intptr_t user = 0);
    bool OnPlayerReconnect(EventRoutine routine, std::intptr_t user = 0);
    bool OnClick(EventRoutine routine, std::intptr_t user = 0);
    bool OnKeyDown(EventRoutine routine, std::intptr_t user = 0);
    bool OnDoubleClick(EventRoutine routine, std::intptr_t user = 0);
    bool OnKeyPress(EventRoutine routine, std::intptr_t user = 0);
    bool OnKeyUp(EventRoutine routine, std::intptr_t user = 0);
    bool OnMouseDown(EventRoutine routine, std::intptr_t user = 0);
    bool OnMouseMove(EventRoutine routine, std::intptr_t user = 0);
    bool OnMouseUp(EventRoutine routine, std::intptr_t user = 0);

  private:
    // The member's object: the player itself for an empty name, else the
    // player's member object of that name, fetched anew each time.
    Dispatch Target(const char* object) const;
    QVariant Read(const char* object, const char* member) const;
    QVariant ReadWrite(const char* object, const char* member, const QVariant& value, bool set);
    QVariant Call(const char* object, const char* member, const QVariantList& arguments = {});
    QRect Place() const;
    bool Move(const QRect& place);
    // The place with one value changed.
    bool MoveEdge(void (QRect::*change)(int), int value);

    ControlHost host_;
    QPointer<QWidget> window_;
    Dispatch player_;
};

}  // namespace vantrel
