#include <png.h>

#include <csetjmp>
#include <cstring>

#include "model/image.h"

namespace vantrel {

namespace {

// Pictures larger than this are refused rather than allocated.
constexpr png_uint_32 kMaxSide = 16384;

struct PngReader {
    std::span<const std::uint8_t> bytes;
    std::size_t offset = 0;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t length) {
    auto* reader = static_cast<PngReader*>(png_get_io_ptr(png));
    if (reader->bytes.size() - reader->offset < length) png_error(png, "truncated");
    std::memcpy(out, reader->bytes.data() + reader->offset, length);
    reader->offset += length;
}

// libpng reports through longjmp; these keep it from printing to stderr.
void QuietError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void QuietWarning(png_structp, png_const_charp) {}

// Every colour type and depth becomes 8-bit RGBA.
void RequestRgba(png_structp png, png_infop info) {
    const int colorType = png_get_color_type(png, info);
    if (png_get_bit_depth(png, info) == 16) png_set_strip_16(png);
    if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) {
        png_set_expand_gray_1_2_4_to_8(png);
        png_set_gray_to_rgb(png);
    }
    if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
    if (!(colorType & PNG_COLOR_MASK_ALPHA)) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
}

// Holds the only setjmp: no C++ object lives in this frame, and everything it
// fills is reached through pointers owned by the caller.
bool ReadInto(png_structp png, png_infop info, PngReader* reader, Image* image,
              std::vector<png_bytep>* rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_read_fn(png, reader, ReadFromMemory);
    png_set_user_limits(png, kMaxSide, kMaxSide);
    png_read_info(png, info);
    RequestRgba(png, info);
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    if (png_get_rowbytes(png, info) != std::size_t{width} * 4) return false;
    image->width = static_cast<int>(width);
    image->height = static_cast<int>(height);
    image->rgba.resize(std::size_t{width} * height * 4);
    rows->resize(height);
    for (png_uint_32 y = 0; y < height; ++y) {
        (*rows)[y] = image->rgba.data() + std::size_t{y} * width * 4;
    }
    png_read_image(png, rows->data());
    png_read_end(png, nullptr);
    return true;
}

}  // namespace

Image DecodePng(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 8 || png_sig_cmp(bytes.data(), 0, 8) != 0) return {};
    png_structp png =
        png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, QuietError, QuietWarning);
    if (!png) return {};
    png_infop info = png_create_info_struct(png);
    PngReader reader{bytes};
    Image image;
    std::vector<png_bytep> rows;
    const bool ok = info && ReadInto(png, info, &reader, &image, &rows);
    png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    return ok ? image : Image{};
}

Image DecodeImage(std::span<const std::uint8_t> bytes) {
    if (bytes.size() >= 8 && png_sig_cmp(bytes.data(), 0, 8) == 0) return DecodePng(bytes);
    return DecodeJpeg(bytes);
}

}  // namespace vantrel
