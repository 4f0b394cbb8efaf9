#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "app/main_window.h"
#include "net/code_page.h"
#include "support/qt_app.h"
#include "toolkit/list_view.h"

namespace vantrel {
namespace {

// Titles as a real board brings them, some too long for the column.
FetchResult BoardSample() {
    const char* titles[] = {
        "全国多地迎来今冬首场降雪",   "新能源汽车下乡活动启动",   "国产大飞机完成新一轮试飞",
        "冬季流感高发期如何防护",     "高校毕业生就业新政策出台", "博物馆夜场门票一票难求",
        "城市地铁新线路今日开通运营", "年度十大流行语发布",       "科学家发现新的深海物种",
        "春运火车票开售时间公布",     "冰雪旅游热度持续攀升",     "新版个人所得税app上线",
        "多家银行下调存款利率",       "今年最后一次超级月亮",     "电影春节档定档影片汇总",
        "智能手机换机潮来临",
    };
    const char* tags[] = {"", "boom", "fei", "hot", "new", "", "jian_yellow", "hot", "", "new",
                          "", "",     "hot", "",    "",    ""};
    FetchResult result{FetchStatus::kParsed, 0, {}};
    for (int i = 0; i < 16; ++i)
        result.entries.push_back({Utf8ToLocal(titles[i]), tags[i], "", ""});
    return result;
}

TEST(WindowLook, FilledWindowOnTheDisplay) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("vantrel-look-" + std::to_string(::getpid()));
    MainWindow window(folder / "kweld.ini");
    window.Refresh().SetFetchRoutine(SourceId::kWeibo, BoardSample);
    window.StartUp();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(window.List().ItemCount(), 16);

    const QImage picture = window.grab().toImage();
    EXPECT_EQ(picture.size(), QSize(308, 542) * picture.devicePixelRatio());
    // Where to keep a picture of the window, for the README.
    if (const char* out = std::getenv("VANTREL_SCREENSHOT")) {
        EXPECT_TRUE(picture.save(QString::fromLocal8Bit(out)));
        if (const char* hold = std::getenv("VANTREL_HOLD_MS")) QTest::qWait(std::atoi(hold));
    }
    window.close();
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace vantrel
