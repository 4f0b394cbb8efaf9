#pragma once

#include <string>

#include "toolkit/skin_window.h"

class QLineEdit;

namespace vantrel {

class CaptionButton;
class IconButton;
class Label;
class PictureBox;
class TitleButton;
class VideoViewer;

// "抖音播放界面": plays the videos of one Douyin billboard row in the media
// player control, with the video's description, counts and author, and
// buttons for sound, another random video and download. Closing it destroys
// the window; the player object and the viewer state stay.
class VideoWindow : public SkinWindow {
    Q_OBJECT
  public:
    static constexpr int kWidth = 370;
    static constexpr int kHeight = 578;

    VideoWindow(VideoViewer& viewer, QWidget* owner);

    // Puts the window beside its owner, on the side with room, so that it
    // covers neither the owner nor the screen's edge.
    void PlaceBesideOwner();
    // Creates the player control, sets it up and loads the first link.
    void Start();

    // Loads one share link and plays it. False when the item answer is not
    // usable; nothing on screen changes then.
    bool LoadVideo(const std::string& link);
    void PlayRandomLink();
    void ToggleSound();
    void DownloadCurrentVideo();
    // Asks for the current author's profile and shows it as the avatar's tooltip.
    void ShowAuthorProfile();

  private:
    void BuildControls();
    void ConnectControls();
    void SetDescription(const QString& text);
    void ShowLink(const QString& link);

    VideoViewer& viewer_;
    Label* title_ = nullptr;
    TitleButton* closeButton_ = nullptr;
    QWidget* videoFrame_ = nullptr;
    Label* description_ = nullptr;
    PictureBox* avatar_ = nullptr;
    Label* nickname_ = nullptr;
    PictureBox* likeIcon_ = nullptr;
    PictureBox* commentIcon_ = nullptr;
    Label* likes_ = nullptr;
    Label* comments_ = nullptr;
    IconButton* soundButton_ = nullptr;
    IconButton* randomButton_ = nullptr;
    IconButton* downloadButton_ = nullptr;
    QLineEdit* linkBox_ = nullptr;
    CaptionButton* playLinkButton_ = nullptr;
};

}  // namespace vantrel
