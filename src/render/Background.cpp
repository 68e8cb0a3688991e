#include "render/Background.h"

#include "core/templates/TemplateFile.h"

#include <QPainter>

namespace zentra::render {

bool decodeBackground(const std::string &base64, QImage &out)
{
    const std::string bytes = decodeBase64(base64);
    QImage decoded;
    if (bytes.empty() ||
        !decoded.loadFromData(reinterpret_cast<const uchar *>(bytes.data()), static_cast<int>(bytes.size())))
        return false;
    QImage opaque(decoded.size(), QImage::Format_RGB32);
    opaque.fill(Qt::white);
    QPainter p(&opaque);
    p.drawImage(0, 0, decoded);
    p.end();
    out = std::move(opaque);
    return true;
}

}
