// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictures.h"

#include "platform/logging.h"

#include <QImageReader>

namespace runtime {

QPixmap picture(const QString &path)
{
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    const QImage image = reader.read();
    if (image.isNull())
        qCWarning(platform::lcWindows).noquote()
            << "Cannot read the picture" << path << ":" << reader.errorString();
    return QPixmap::fromImage(image);
}

} // namespace runtime
