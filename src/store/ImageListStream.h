#pragma once

#include "store/IconImage.h"

#include <QByteArray>

// The icon stream of results files ("images"): the image-list form of the Windows
// common controls, so files stay exchangeable with the Windows program.
//
// Writing gives version 0x101: 16 x 16 icons, four to a bitmap row, a 32-bit colour
// bitmap with straight alpha plus the 1-bit mask (set = transparent). Icons of
// another size are scaled to 16 x 16 (nearest pixel). At most 65534 icons fit.
//
// Reading accepts versions 0x101, 0x600 and 0x620 at 1, 4, 8, 16, 24 or 32 bits per
// pixel, with or without a mask; the icons come back at the stream's own size.
// Fully transparent pixels read as 0. Damaged data raises EKestrovaError.
QByteArray WriteImageListStream(const TIconList& icons);
TIconList ReadImageListStream(const char* data, size_t size);
inline TIconList ReadImageListStream(const QByteArray& bytes)
{
    return ReadImageListStream(bytes.constData(), static_cast<size_t>(bytes.size()));
}
