#pragma once
// The preview pictures of the four listing formats: a page with a few lines of a listing as the
// format writes it, drawn rather than shipped so that they are sharp at every screen scale.
#include "export/ExportVolume.h"

#include <QPixmap>

namespace mendor {

/// The picture of a format, size logical pixels wide and high on a screen of this pixel ratio.
QPixmap ExportPreview(ExportFormat format, QSize size, qreal devicePixelRatio = 1.0);

} // namespace mendor
