#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <limits>

#include "app/main_window.h"
#include "app/marker_images.h"
#include "toolkit/core_bridge.h"
#include "toolkit/list_view.h"

// Before the application object exists: every window is drawn at twice the density.
static const bool kScaledTwice = ::setenv("QT_SCALE_FACTOR", "2", 1) == 0;

#include "support/qt_app.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

FetchResult RankedList() {
    FetchResult result{FetchStatus::kParsed, 0, {}};
    for (int i = 0; i < 30; ++i)
        result.entries.push_back({"entry " + std::to_string(i), "", "", ""});
    return result;
}

// Mean colour difference over the opaque pixels of `marker` laid on `picture` at (x, y).
double Difference(const QImage& picture, const QImage& marker, int x, int y) {
    double sum = 0;
    int count = 0;
    for (int my = 0; my < marker.height(); ++my) {
        for (int mx = 0; mx < marker.width(); ++mx) {
            const QRgb m = marker.pixel(mx, my);
            if (qAlpha(m) < 255) continue;
            const QRgb p = picture.pixel(x + mx, y + my);
            sum += std::abs(qRed(m) - qRed(p)) + std::abs(qGreen(m) - qGreen(p)) +
                   std::abs(qBlue(m) - qBlue(p));
            ++count;
        }
    }
    return count ? sum / (3.0 * count) : std::numeric_limits<double>::max();
}

// The best fit of `marker` anywhere in `area` of the picture.
double BestFit(const QImage& picture, const QImage& marker, const QRect& area) {
    double best = std::numeric_limits<double>::max();
    for (int y = area.top(); y + marker.height() <= area.bottom() + 1; ++y) {
        for (int x = area.left(); x + marker.width() <= area.right() + 1; ++x)
            best = std::min(best, Difference(picture, marker, x, y));
    }
    return best;
}

TEST(HiDpi, RankMarkersComeFromTheirDoubleSizePictures) {
    ASSERT_TRUE(kScaledTwice);
    const fs::path settings =
        fs::temp_directory_path() / ("vantrel-hidpi-" + std::to_string(::getpid()) + ".ini");
    MainWindow window(settings);
    window.Refresh().SetFetchRoutine(SourceId::kWeibo, RankedList);
    window.StartUp();
    window.show();
    ListView& view = window.ListControl();
    ASSERT_EQ(view.devicePixelRatioF(), 2.0);

    const QImage picture = view.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(picture.width(), view.width() * 2);
    const QRect cell = view.CellRect(1, 0);  // rank 1: the red marker
    const QRect area(cell.x() * 2, cell.y() * 2, cell.width() * 2, cell.height() * 2);

    // Drawn pixel for pixel from the double-size picture: its glyph edges are
    // there exactly; the single-size picture doubled would blur or block them.
    const QImage sharp = QImageFromImage(MarkerImage(ImageGroup::kRankIcons, 1, 2))
                             .convertToFormat(QImage::Format_ARGB32);
    auto doubled = [](Qt::TransformationMode mode) {
        return QImageFromImage(MarkerImage(ImageGroup::kRankIcons, 1, 1))
            .scaled(40, 40, Qt::IgnoreAspectRatio, mode)
            .convertToFormat(QImage::Format_ARGB32);
    };
    ASSERT_EQ(sharp.size(), QSize(40, 40));
    const double fit = BestFit(picture, sharp, area);
    const double blocky = BestFit(picture, doubled(Qt::FastTransformation), area);
    const double blurred = BestFit(picture, doubled(Qt::SmoothTransformation), area);
    // Measured: 0 against 2.8 (blocks) and 3.6 (blurred).
    EXPECT_LT(fit, 0.5);
    EXPECT_GT(blocky, 1.5);
    EXPECT_GT(blurred, 1.5);
    window.close();
    fs::remove(settings);
}

}  // namespace
}  // namespace vantrel
