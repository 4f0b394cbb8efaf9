#include "viewer/video_viewer.h"

#include "viewer/video_window.h"

namespace vantrel {

namespace {
std::tm LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}
}  // namespace

VideoViewer::VideoViewer(MediaPlayer& player, const std::vector<std::string>& clickedLinks,
                         bool& videoSoundOn)
    : localTime(LocalNow),
      player_(player),
      clickedLinks_(clickedLinks),
      videoSoundOn_(videoSoundOn),
      random_(std::random_device{}()) {}

VideoViewer::~VideoViewer() {
    delete window_.data();
}

void VideoViewer::ShowLinks(QWidget* owner) {
    if (clickedLinks_.empty()) return;
    if (window_) {
        window_->LoadVideo(clickedLinks_[RandomLinkIndex()]);
        return;
    }
    window_ = new VideoWindow(*this, owner);
    window_->PlaceBesideOwner();
    window_->show();
    window_->Start();
}

VideoWindow* VideoViewer::Window() const {
    return window_;
}

int VideoViewer::RandomLinkIndex() {
    if (clickedLinks_.empty()) return -1;
    std::uniform_int_distribution<int> pick(0, static_cast<int>(clickedLinks_.size()) - 1);
    return pick(random_);
}

}  // namespace vantrel
