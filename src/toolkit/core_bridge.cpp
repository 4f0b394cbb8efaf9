#include "toolkit/core_bridge.h"

#include "net/code_page.h"

namespace vantrel {

QString QStringFromLocal(std::string_view local) {
    return QString::fromStdString(ToUtf8(local));
}

std::string LocalFromQString(const QString& text) {
    const std::string utf8 = text.toStdString();
    return Utf8ToLocal(std::string_view(utf8));
}

QImage QImageFromImage(const Image& image) {
    const auto needed = static_cast<std::size_t>(image.width) * image.height * 4;
    if (image.empty() || image.width <= 0 || image.height <= 0 || image.rgba.size() < needed) {
        return {};
    }
    // copy(): the QImage must own its pixels, the Image may go away.
    return QImage(image.rgba.data(), image.width, image.height, image.width * 4,
                  QImage::Format_RGBA8888)
        .copy();
}

}  // namespace vantrel
