#pragma once

class QString;
class QWidget;

namespace vantrel {

struct SettingsFields;

// The running program as its settings reach it: the values it runs with and
// one call per effect a setting has. Start-up and the settings window both
// go through these calls, so each setting has one road to its effect.
class SettingsTarget {
  public:
    virtual SettingsFields& Settings() = 0;

    // "时钟_自动更新" refreshes every `ms`; 0 stops it.
    virtual void ApplyRefreshPeriod(int ms) = 0;
    // "时钟_靠边" ticks while the window docks at the screen edge.
    virtual void ApplyDocking(bool on) = 0;
    // The opacity 0..255 of the frame, the four source buttons and the second list.
    virtual void ApplyOpacity(int opacity) = 0;
    virtual void SetTopMost(bool on) = 0;
    virtual void ApplyTaskbarButton(bool shown) = 0;
    virtual void ApplyLaunchAtStartup(bool on) = 0;
    // Starts "时钟_自动保存" afresh from the settings, or stops it.
    virtual void RestartAutoSaveTimer() = 0;
    // Opens the rules window "规则" (rules.json lives beside the settings file).
    virtual void OpenRules() = 0;

    // The window the settings window belongs to, and a tip in the program's style.
    virtual QWidget& Window() = 0;
    virtual void ShowTip(const QString& text) = 0;

  protected:
    ~SettingsTarget() = default;
};

}  // namespace vantrel
