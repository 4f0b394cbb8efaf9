// The video window's drawn glyphs against reference pictures kept with the
// tests. A glyph is drawn from coordinates, so a slip in one of them moves a
// stroke by a pixel or more; anti-aliasing may differ by a shade between
// processors, which the tolerance allows.
//
// After a deliberate change to a glyph, run with VANTREL_UPDATE_PICTURES=1 to
// write new references, and look at them before committing.

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "support/qt_app.h"
#include "viewer/icon_button.h"

namespace vantrel {
namespace {

constexpr int kTolerance = 8;  // per channel, out of 255

QString ReferencePath(const std::string& name) {
    return QString::fromStdString(std::string(VANTREL_TEST_DATA_DIR) + "/viewer/" + name + ".png");
}

// How many pixels differ from the reference by more than the tolerance in any
// channel; -1 when the sizes differ.
int DifferingPixels(const QImage& actual, const QImage& reference) {
    const QImage a = actual.convertToFormat(QImage::Format_ARGB32);
    const QImage r = reference.convertToFormat(QImage::Format_ARGB32);
    if (a.size() != r.size()) return -1;
    int differing = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = r.pixel(x, y);
            differing += std::abs(qRed(p) - qRed(q)) > kTolerance ||
                         std::abs(qGreen(p) - qGreen(q)) > kTolerance ||
                         std::abs(qBlue(p) - qBlue(q)) > kTolerance ||
                         std::abs(qAlpha(p) - qAlpha(q)) > kTolerance;
        }
    }
    return differing;
}

void ExpectLooksAsReference(const std::string& name, const QImage& actual) {
    const QString path = ReferencePath(name);
    if (std::getenv("VANTREL_UPDATE_PICTURES")) {
        QDir().mkpath(QFileInfo(path).path());
        ASSERT_TRUE(actual.save(path, "PNG")) << path.toStdString();
        return;
    }
    const QImage reference(path);
    ASSERT_FALSE(reference.isNull()) << "no reference picture " << path.toStdString();
    const int differing = DifferingPixels(actual, reference);
    if (differing != 0) {
        const QString kept = QDir::temp().filePath(QString::fromStdString(name) + "-actual.png");
        actual.save(kept, "PNG");
        ADD_FAILURE() << name << ": " << differing << " pixels differ (-1: the size); drawn as "
                      << kept.toStdString();
    }
}

QImage Button(IconButton::Glyph glyph, bool selected, int size = 40) {
    IconButton button(glyph, nullptr);
    button.resize(size, size);  // 40: the size the video window gives them
    button.SetSelected(selected);
    // Without the window's background, which is the style's and not the glyph's.
    QImage picture(button.size(), QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    button.render(&picture, QPoint(), QRegion(), QWidget::DrawChildren);
    return picture;
}

TEST(GlyphPictureTest, EachButtonGlyphLooksAsDrawnForIt) {
    ExpectLooksAsReference("sound", Button(IconButton::Glyph::kSound, false));
    ExpectLooksAsReference("sound-muted", Button(IconButton::Glyph::kSound, true));
    ExpectLooksAsReference("shuffle", Button(IconButton::Glyph::kShuffle, false));
    ExpectLooksAsReference("download", Button(IconButton::Glyph::kDownload, false));
    // A glyph is drawn to the button's size.
    ExpectLooksAsReference("download-24", Button(IconButton::Glyph::kDownload, false, 24));
}

TEST(GlyphPictureTest, TheCountPicturesLookAsDrawnForThem) {
    ExpectLooksAsReference("heart", HeartPicture(40));
    ExpectLooksAsReference("comment", CommentPicture(40));
}

// The tolerance is not so wide that a stroke a pixel off passes.
TEST(GlyphPictureTest, AGlyphMovedByOnePixelIsTold) {
    const QImage heart = HeartPicture(40);
    QImage moved(heart.size(), heart.format());
    moved.fill(Qt::transparent);
    for (int y = 0; y + 1 < heart.height(); ++y)
        for (int x = 0; x < heart.width(); ++x)
            moved.setPixel(x, y + 1, heart.pixel(x, y));
    EXPECT_EQ(DifferingPixels(heart, heart), 0);
    EXPECT_GT(DifferingPixels(moved, heart), 0);
}

}  // namespace
}  // namespace vantrel
