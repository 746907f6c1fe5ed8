#include "app/HandCursor.h"

#include <QPixmap>

#include "images/EmbeddedResources.h"

QCursor HandCursor()
{
    const EmbeddedResource* resource = FindEmbeddedResource("IDC_HAND_CURSOR");
    QPixmap picture;
    if (resource && picture.loadFromData(resource->data, static_cast<uint>(resource->size)) &&
        picture.width() == 32 && picture.height() == 32) {
        return QCursor(picture, 6, 0);
    }
    return QCursor(Qt::PointingHandCursor);
}
