#pragma once

#include "launch/ProjectDetails.h"

#include <QImage>
#include <QString>

#include <string>

namespace tavrin {

// A title picture's bytes as an image: XYZ through the core's decoder, PNG and BMP only
// (whatever the name says), a side past the largest a game shows refused before anything is
// decoded, with `note` saying so. A null image for anything else.
QImage decodeTitlePicture(const std::string& bytes, details::PictureFormat format, QString& note);

} // namespace tavrin
