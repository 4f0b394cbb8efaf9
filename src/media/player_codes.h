#pragma once

namespace vantrel {

// The numbers the media-player control reports its play states and fires its
// events under, for those who reach it only through its host.
struct PlayerCodes {
    // Play states as the control reports them.
    enum PlayState {
        kUndefined = 0,
        kStopped = 1,
        kPaused = 2,
        kPlaying = 3,
        kBuffering = 6,
        kMediaEnded = 8,
        kTransitioning = 9,
        kReady = 10,
    };
    // Event dispatch numbers.
    enum Event {
        kOpenStateChange = 5001,
        kStatusChange = 5002,
        kPlayStateChange = 5101,
        kAudioLanguageChange = 5102,
        kPositionChange = 5202,
        kBufferingEvent = 5402,
        kError = 5501,
        kCdromMediaChange = 5701,
        kMediaError = 5821,
        kPlayerReconnect = 6504,
        kClick = 6505,
        kDoubleClick = 6506,
        kKeyDown = 6507,
        kKeyPress = 6508,
        kKeyUp = 6509,
        kMouseDown = 6510,
        kMouseMove = 6511,
        kMouseUp = 6512,
    };
};

}  // namespace vantrel
