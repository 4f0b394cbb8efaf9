#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/marker_images.h"
#include "model/image.h"

namespace vantrel {
namespace {

std::vector<std::uint8_t> ReadFixture(const std::string& name) {
    std::ifstream in(std::string(VANTREL_SOURCE_DIR) + "/tests/model/data/" + name,
                     std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Pixel (x, y) as R, G, B, A.
std::vector<int> Pixel(const Image& image, int x, int y) {
    const std::size_t at = (std::size_t(y) * image.width + x) * 4;
    return {image.rgba[at], image.rgba[at + 1], image.rgba[at + 2], image.rgba[at + 3]};
}

void ExpectNear(const std::vector<int>& pixel, const std::vector<int>& want, int tolerance) {
    for (std::size_t i = 0; i < want.size(); ++i) {
        EXPECT_NEAR(pixel[i], want[i], tolerance) << "channel " << i;
    }
}

TEST(ImageTest, EveryMarkerDecodesAsABadgeWithTransparentCorners) {
    for (ImageGroup group : {ImageGroup::kRankIcons, ImageGroup::kTagIcons}) {
        const int side = group == ImageGroup::kRankIcons ? 20 : 16;
        for (int element = 0; element < ImageGroupSize(group); ++element) {
            const Image image = MarkerImage(group, element);
            ASSERT_EQ(image.width, side) << element;
            ASSERT_EQ(image.height, side);
            EXPECT_LT(Pixel(image, 0, 0)[3], 16);          // rounded corner
            EXPECT_EQ(Pixel(image, side / 2, 1)[3], 255);  // badge edge
        }
    }
    // The second-place badge carries the accent orange.
    ExpectNear(Pixel(MarkerImage(ImageGroup::kRankIcons, 2), 10, 1), {0xFF, 0x8E, 0x17, 255}, 2);
    EXPECT_TRUE(MarkerPng(ImageGroup::kTagIcons, 5).empty());
    EXPECT_TRUE(MarkerPng(ImageGroup::kNone, 0).empty());
    EXPECT_EQ(ProgramIconImage().width, 32);
}

TEST(ImageTest, PaletteAndSixteenBitGreyPngBecomeRgba) {
    const Image palette = DecodePng(ReadFixture("palette.png"));
    ASSERT_EQ(palette.width, 5);
    ASSERT_EQ(palette.height, 3);
    EXPECT_EQ(Pixel(palette, 4, 2), (std::vector<int>{0x33, 0x66, 0xCC, 255}));
    const Image grey = DecodePng(ReadFixture("gray16.png"));
    ASSERT_EQ(grey.rgba.size(), 5u * 3 * 4);
    ExpectNear(Pixel(grey, 0, 0), {128, 128, 128, 255}, 1);
}

TEST(ImageTest, RgbGreyAndCmykJpegBecomeRgba) {
    const Image rgb = DecodeImage(ReadFixture("rgb.jpg"));
    ASSERT_EQ(rgb.width, 16);
    ASSERT_EQ(rgb.height, 8);
    ExpectNear(Pixel(rgb, 3, 3), {0x33, 0x66, 0xCC, 255}, 4);
    const Image cmyk = DecodeJpeg(ReadFixture("cmyk.jpg"));
    ASSERT_EQ(cmyk.width, 16);
    ExpectNear(Pixel(cmyk, 3, 3), {0x33, 0x66, 0xCC, 255}, 6);
    // The ends of the scale stay at the ends: white is no ink, black all of it.
    const Image ends = DecodeJpeg(ReadFixture("cmyk_white_black.jpg"));
    ASSERT_EQ(ends.width, 16);
    ExpectNear(Pixel(ends, 2, 4), {255, 255, 255, 255}, 3);
    ExpectNear(Pixel(ends, 13, 4), {0, 0, 0, 255}, 3);
    ExpectNear(Pixel(DecodeJpeg(ReadFixture("gray.jpg")), 0, 0), {128, 128, 128, 255}, 3);
}

TEST(ImageTest, DamagedOrForeignBytesGiveAnEmptyImage) {
    std::vector<std::uint8_t> png(MarkerPng(ImageGroup::kRankIcons, 0).begin(),
                                  MarkerPng(ImageGroup::kRankIcons, 0).end());
    std::vector<std::uint8_t> jpeg = ReadFixture("rgb.jpg");
    std::vector<std::vector<std::uint8_t>> bad = {
        {},
        {0x89, 'P', 'N', 'G'},
        std::vector<std::uint8_t>(png.begin(), png.begin() + png.size() / 2),
        std::vector<std::uint8_t>(jpeg.begin(), jpeg.begin() + jpeg.size() / 2),
        {0xFF, 0xD8, 0xFF, 0x00, 0x01},
    };
    std::vector<std::uint8_t> flipped = png;
    flipped[40] ^= 0xFF;  // inside the compressed data: the CRC no longer matches
    bad.push_back(flipped);
    std::srand(7);
    std::vector<std::uint8_t> noise(4096);
    for (auto& b : noise)
        b = static_cast<std::uint8_t>(std::rand());
    bad.push_back(noise);
    noise[0] = 0xFF, noise[1] = 0xD8;  // looks like a JPEG, is not one
    bad.push_back(noise);
    for (std::size_t i = 0; i < bad.size(); ++i) {
        EXPECT_TRUE(DecodeImage(bad[i]).empty()) << "case " << i;
        EXPECT_TRUE(DecodePng(bad[i]).empty()) << "case " << i;
        EXPECT_TRUE(DecodeJpeg(bad[i]).empty()) << "case " << i;
    }
}

}  // namespace
}  // namespace vantrel
