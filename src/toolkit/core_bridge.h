#pragma once

#include <QImage>
#include <QString>

#include <string>
#include <string_view>

#include "model/image.h"

namespace vantrel {

// The core keeps local text (GB18030) and decoded RGBA pictures; Qt wants
// Unicode and QImage. Conversions happen only at the windows' edge.
QString QStringFromLocal(std::string_view local);
std::string LocalFromQString(const QString& text);
// A null QImage for an empty picture.
QImage QImageFromImage(const Image& image);

}  // namespace vantrel
