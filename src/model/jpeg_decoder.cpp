#include <cstdio>  // jpeglib.h needs FILE and size_t first

#include <jpeglib.h>
// jerror.h after jpeglib.h: it names the warning codes.
#include <jerror.h>

#include <csetjmp>
#include <vector>

#include "model/image.h"

namespace vantrel {

namespace {

constexpr JDIMENSION kMaxSide = 16384;

// The library's default handler calls exit(); this one jumps back instead.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] void JumpOnError(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

void IgnoreMessage(j_common_ptr) {}

// The library pads a file that ends early with grey and only warns; a cut-off
// download is bad data here, so that warning fails the decode like an error.
void FailOnEarlyEnd(j_common_ptr cinfo, int level) {
    if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF) JumpOnError(cinfo);
}

// One decoded scan line to RGBA. Adobe writes CMYK inverted; others plain.
void LineToRgba(const JSAMPLE* in, int components, bool invertedCmyk, JDIMENSION width,
                std::uint8_t* out) {
    for (JDIMENSION x = 0; x < width; ++x, out += 4, in += components) {
        if (components == 4) {
            int c = in[0], m = in[1], y = in[2], k = in[3];
            if (!invertedCmyk) {
                c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
            }
            out[0] = static_cast<std::uint8_t>(c * k / 255);
            out[1] = static_cast<std::uint8_t>(m * k / 255);
            out[2] = static_cast<std::uint8_t>(y * k / 255);
        } else {
            out[0] = in[0], out[1] = in[1], out[2] = in[2];
        }
        out[3] = 0xFF;
    }
}

// Holds the only setjmp: no C++ object lives in this frame; what it fills
// is owned by the caller.
bool ReadInto(jpeg_decompress_struct* cinfo, ErrorManager* errors,
              std::span<const std::uint8_t> bytes, Image* image, std::vector<JSAMPLE>* line) {
    if (setjmp(errors->jump)) return false;
    jpeg_create_decompress(cinfo);
    jpeg_mem_src(cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
    if (jpeg_read_header(cinfo, TRUE) != JPEG_HEADER_OK) return false;
    const bool cmyk = cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK;
    cinfo->out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    if (cinfo->image_width > kMaxSide || cinfo->image_height > kMaxSide) return false;
    jpeg_start_decompress(cinfo);
    const JDIMENSION width = cinfo->output_width;
    const int components = cinfo->output_components;
    if (components != 3 && components != 4) return false;
    image->width = static_cast<int>(width);
    image->height = static_cast<int>(cinfo->output_height);
    image->rgba.resize(std::size_t{width} * cinfo->output_height * 4);
    line->resize(std::size_t{width} * components);
    while (cinfo->output_scanline < cinfo->output_height) {
        JSAMPROW row = line->data();
        const JDIMENSION y = cinfo->output_scanline;
        if (jpeg_read_scanlines(cinfo, &row, 1) != 1) return false;
        LineToRgba(line->data(), components, cinfo->saw_Adobe_marker, width,
                   image->rgba.data() + std::size_t{y} * width * 4);
    }
    jpeg_finish_decompress(cinfo);
    return true;
}

}  // namespace

Image DecodeJpeg(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 3 || bytes[0] != 0xFF || bytes[1] != 0xD8) return {};
    jpeg_decompress_struct cinfo{};
    ErrorManager errors{};
    cinfo.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = JumpOnError;
    errors.base.output_message = IgnoreMessage;
    errors.base.emit_message = FailOnEarlyEnd;
    Image image;
    std::vector<JSAMPLE> line;
    const bool ok = ReadInto(&cinfo, &errors, bytes, &image, &line);
    jpeg_destroy_decompress(&cinfo);
    return ok ? image : Image{};
}

}  // namespace vantrel
