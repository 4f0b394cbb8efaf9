#include <QProcess>
#include <QSystemTrayIcon>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

#include "app/main_window.h"
#include "support/qt_app.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

// The window with a tray host on the test display: hiding goes to the tray
// and a click on the icon brings it back; other clicks do nothing.
TEST(Tray, HideToTrayAndRestoreOnAClick) {
    QProcess host;
    host.start(QStringLiteral("trayer"), {QStringLiteral("--edge"), QStringLiteral("bottom")});
    ASSERT_TRUE(host.waitForStarted());
    ASSERT_TRUE(QTest::qWaitFor([] { return QSystemTrayIcon::isSystemTrayAvailable(); }, 15000));

    const fs::path folder =
        fs::temp_directory_path() / ("vantrel-tray-" + std::to_string(::getpid()));
    {
        MainWindow window(folder / "kweld.ini");
        window.StartUp();
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QSystemTrayIcon* tray = window.Tray();
        ASSERT_NE(tray, nullptr);
        EXPECT_TRUE(tray->isVisible());
        EXPECT_EQ(tray->toolTip(), QStringLiteral("Vantrel"));

        window.HideToTray();
        EXPECT_FALSE(window.isVisible());
        emit tray->activated(QSystemTrayIcon::Context);
        EXPECT_FALSE(window.isVisible());
        emit tray->activated(QSystemTrayIcon::Trigger);
        EXPECT_TRUE(window.isVisible());
        EXPECT_FALSE(window.IsTopMost());
    }
    fs::remove_all(folder);
    host.kill();
    host.waitForFinished();
}

}  // namespace
}  // namespace vantrel
