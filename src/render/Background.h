#pragma once

#include <QImage>

#include <string>

namespace zentra::render {

// Decodes a template's background from its Base64 text: any picture format Qt
// reads, transparent parts made white as on paper. False (and `out` left as it
// was) when the text holds no picture. Only the canvas shows backgrounds;
// printing never decodes them.
bool decodeBackground(const std::string &base64, QImage &out);

}
