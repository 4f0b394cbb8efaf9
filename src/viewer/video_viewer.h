#pragma once

#include <QPointer>

#include <ctime>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "viewer/viewer_state.h"

class QWidget;

namespace vantrel {

class MediaPlayer;
class VideoWindow;

// The Douyin video viewer of the whole run: the state the window shows, the
// row links it plays from and the one video window, while it is open. The
// links and the sound switch belong to the main window's state.
class VideoViewer {
  public:
    VideoViewer(MediaPlayer& player, const std::vector<std::string>& clickedLinks,
                bool& videoSoundOn);
    ~VideoViewer();
    VideoViewer(const VideoViewer&) = delete;
    VideoViewer& operator=(const VideoViewer&) = delete;

    // A Douyin row was activated and its links stored: opens the window owned
    // by owner, starting with the first link, or, while it is open, plays a
    // random one of the links.
    void ShowLinks(QWidget* owner);
    VideoWindow* Window() const;

    // Position 0 .. links - 1, uniformly; -1 without links.
    int RandomLinkIndex();

    MediaPlayer& Player() { return player_; }
    ViewerState& State() { return state_; }
    const std::vector<std::string>& ClickedLinks() const { return clickedLinks_; }
    bool& VideoSoundOn() { return videoSoundOn_; }
    // The local time a download is named by; tests set their own.
    std::function<std::tm()> localTime;

  private:
    MediaPlayer& player_;
    const std::vector<std::string>& clickedLinks_;
    bool& videoSoundOn_;
    ViewerState state_;
    QPointer<VideoWindow> window_;
    std::mt19937 random_;
};

}  // namespace vantrel
