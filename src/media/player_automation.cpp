#include "media/player_automation.h"

#include <QAudioOutput>
#include <QFileInfo>
#include <QMediaMetaData>
#include <QPointer>

#include <functional>
#include <map>

#include "media/video_control.h"
#include "media/video_surface.h"

namespace vantrel {
namespace {

QString TimeText(qint64 ms) {
    const qint64 seconds = ms / 1000;
    return QStringLiteral("%1:%2")
        .arg(seconds / 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

// Members as a table of readers, writers and methods over a control that may
// be gone; a missing entry, or a gone control, is a missing member.
class MemberTable : public AutomationObject {
  public:
    using Reader = std::function<QVariant(VideoControl&)>;
    using Writer = std::function<bool(VideoControl&, const QVariant&)>;
    using Method = std::function<QVariant(VideoControl&, const QVariantList&)>;

    explicit MemberTable(VideoControl* control) : control_(control) {}

    QVariant Get(std::string_view name) override {
        auto found = readers_.find(name);
        return control_ && found != readers_.end() ? found->second(*control_) : QVariant();
    }
    bool Put(std::string_view name, const QVariant& value) override {
        auto found = writers_.find(name);
        return control_ && found != writers_.end() && found->second(*control_, value);
    }
    QVariant Invoke(std::string_view name, const QVariantList& arguments) override {
        auto found = methods_.find(name);
        return control_ && found != methods_.end() ? found->second(*control_, arguments)
                                                   : QVariant();
    }

  protected:
    void Read(std::string_view name, Reader reader) { readers_.emplace(name, std::move(reader)); }
    void Write(std::string_view name, Writer writer) { writers_.emplace(name, std::move(writer)); }
    void Call(std::string_view name, Method method) { methods_.emplace(name, std::move(method)); }
    QPointer<VideoControl> control_;

  private:
    std::map<std::string, Reader, std::less<>> readers_;
    std::map<std::string, Writer, std::less<>> writers_;
    std::map<std::string, Method, std::less<>> methods_;
};

class ControlsObject : public MemberTable {
  public:
    explicit ControlsObject(VideoControl* control) : MemberTable(control) {
        auto action = [this](std::string_view name, std::function<void(QMediaPlayer&)> act) {
            Call(name, [act](VideoControl& c, const QVariantList&) {
                act(c.Player());
                return QVariant(true);
            });
        };
        action("play", [](QMediaPlayer& p) { p.play(); });
        action("pause", [](QMediaPlayer& p) { p.pause(); });
        action("stop", [](QMediaPlayer& p) {
            p.stop();
            p.setPlaybackRate(1.0);
        });
        action("fastForward", [](QMediaPlayer& p) { p.setPlaybackRate(5.0); });
        Read("currentPositionString",
             [](VideoControl& c) { return QVariant(TimeText(c.Player().position())); });
        Read("currentPosition",
             [](VideoControl& c) { return QVariant(c.Player().position() / 1000.0); });
        Write("currentPosition", [](VideoControl& c, const QVariant& v) {
            c.Player().setPosition(static_cast<qint64>(v.toDouble() * 1000));
            return true;
        });
    }
};

class CurrentMediaObject : public MemberTable {
  public:
    explicit CurrentMediaObject(VideoControl* control) : MemberTable(control) {
        Read("duration", [](VideoControl& c) { return QVariant(c.Player().duration() / 1000.0); });
        Read("durationString",
             [](VideoControl& c) { return QVariant(TimeText(c.Player().duration())); });
        Read("sourceURL", [](VideoControl& c) { return QVariant(c.Url()); });
        Read("name", [](VideoControl& c) {
            return QVariant(QFileInfo(QUrl(c.Url()).path()).completeBaseName());
        });
        Read("imageSourceWidth",
             [](VideoControl& c) { return QVariant(double(c.Surface().FrameSize().width())); });
        Read("imageSourceHeight",
             [](VideoControl& c) { return QVariant(double(c.Surface().FrameSize().height())); });
        Read("attributeCount",
             [](VideoControl& c) { return QVariant(double(c.Player().metaData().keys().size())); });
        Read("markerCount", [](VideoControl&) { return QVariant(0.0); });
        Call("getItemInfo", [](VideoControl& c, const QVariantList& a) {
            return QVariant(ItemInfo(c, a.value(0).toString()));
        });
    }

  private:
    static QString ItemInfo(VideoControl& c, const QString& attribute) {
        if (attribute.compare(QStringLiteral("SourceURL"), Qt::CaseInsensitive) == 0)
            return c.Url();
        if (attribute.compare(QStringLiteral("Duration"), Qt::CaseInsensitive) == 0)
            return QString::number(c.Player().duration() / 1000.0);
        const QMediaMetaData data = c.Player().metaData();
        for (QMediaMetaData::Key key : data.keys()) {
            if (QMediaMetaData::metaDataKeyToString(key).compare(attribute, Qt::CaseInsensitive) ==
                0)
                return data.stringValue(key);
        }
        return {};
    }
};

class SettingsObject : public MemberTable {
  public:
    explicit SettingsObject(VideoControl* control) : MemberTable(control) {
        Read("volume",
             [](VideoControl& c) { return QVariant(std::round(c.Audio().volume() * 100.0)); });
        Write("volume", [](VideoControl& c, const QVariant& v) {
            c.Audio().setVolume(std::clamp(v.toInt(), 0, 100) / 100.0f);
            return true;
        });
        Read("balance", [](VideoControl&) { return QVariant(0.0); });
        Read("playCount", [](VideoControl& c) {
            const int loops = c.Player().loops();
            return QVariant(double(loops < 0 ? 0 : loops));
        });
        Write("playCount", [](VideoControl& c, const QVariant& v) {
            if (v.toInt() < 1) return false;
            c.Player().setLoops(v.toInt());
            return true;
        });
        Read("mute", [](VideoControl& c) { return QVariant(c.Audio().isMuted()); });
        Write("mute", [](VideoControl& c, const QVariant& v) {
            c.Audio().setMuted(v.toBool());
            return true;
        });
        Read("autoStart", [](VideoControl& c) { return QVariant(c.autoStart); });
        Write("autoStart", [](VideoControl& c, const QVariant& v) {
            c.autoStart = v.toBool();
            return true;
        });
    }
};

class NetworkObject : public MemberTable {
  public:
    explicit NetworkObject(VideoControl* control) : MemberTable(control) {
        Read("bufferingProgress", [](VideoControl& c) {
            return QVariant(std::round(c.Player().bufferProgress() * 100.0));
        });
        Read("downloadProgress", [](VideoControl& c) {
            return QVariant(std::round(c.Player().bufferProgress() * 100.0));
        });
        Read("frameRate", [](VideoControl& c) { return FrameRate(c); });
        Read("encodedFrameRate", [](VideoControl& c) { return FrameRate(c); });
        Read("bitRate", [](VideoControl& c) {
            const QMediaMetaData data = c.Player().metaData();
            return QVariant(data.value(QMediaMetaData::VideoBitRate).toDouble() +
                            data.value(QMediaMetaData::AudioBitRate).toDouble());
        });
        Read("bufferingTime", [](VideoControl& c) { return QVariant(double(c.bufferingTime)); });
        Write("bufferingTime", [](VideoControl& c, const QVariant& v) {
            c.bufferingTime = v.toInt();
            return true;
        });
        Read("maxBandwidth", [](VideoControl& c) { return QVariant(double(c.maxBandwidth)); });
        Write("maxBandwidth", [](VideoControl& c, const QVariant& v) {
            c.maxBandwidth = v.toInt();
            return true;
        });
    }

  private:
    static QVariant FrameRate(VideoControl& c) {
        return QVariant(c.Player().metaData().value(QMediaMetaData::VideoFrameRate).toDouble());
    }
};

class PlayerObject : public MemberTable {
  public:
    explicit PlayerObject(VideoControl* control) : MemberTable(control) {
        Read("URL", [](VideoControl& c) { return QVariant(c.Url()); });
        Write("URL", [](VideoControl& c, const QVariant& v) {
            c.SetUrl(v.toString());
            return true;
        });
        Read("playState", [](VideoControl& c) { return QVariant(double(c.State())); });
        Read("openState", [](VideoControl& c) { return QVariant(double(c.OpenState())); });
        Read("status", [](VideoControl& c) { return QVariant(c.StatusText()); });
        Read("versionInfo",
             [](VideoControl&) { return QVariant(QString::fromLatin1(qVersion())); });
        Read("isOnline", [](VideoControl&) { return QVariant(true); });
        Read("isRemote", [](VideoControl&) { return QVariant(false); });
        Read("fullScreen", [](VideoControl&) { return QVariant(false); });
        Read("uiMode", [](VideoControl& c) { return QVariant(c.UiMode()); });
        Write("uiMode",
              [](VideoControl& c, const QVariant& v) { return c.SetUiMode(v.toString()); });
        Read("stretchToFit", [](VideoControl& c) { return QVariant(c.Surface().Stretch()); });
        Write("stretchToFit", [](VideoControl& c, const QVariant& v) {
            c.Surface().SetStretch(v.toBool());
            return true;
        });
        Flag("enableContextMenu", &VideoControl::enableContextMenu);
        Flag("windowlessVideo", &VideoControl::windowlessVideo);
    }

    Dispatch Object(std::string_view name) override {
        if (!control_) return nullptr;
        if (name == "Controls") return std::make_shared<ControlsObject>(control_);
        if (name == "CurrentMedia") return std::make_shared<CurrentMediaObject>(control_);
        if (name == "settings") return std::make_shared<SettingsObject>(control_);
        if (name == "Network") return std::make_shared<NetworkObject>(control_);
        return nullptr;
    }

  private:
    void Flag(std::string_view name, bool VideoControl::*field) {
        Read(name, [field](VideoControl& c) { return QVariant(c.*field); });
        Write(name, [field](VideoControl& c, const QVariant& v) {
            c.*field = v.toBool();
            return true;
        });
    }
};

}  // namespace

Dispatch MakePlayerAutomation(VideoControl* control) {
    return std::make_shared<PlayerObject>(control);
}

}  // namespace vantrel
