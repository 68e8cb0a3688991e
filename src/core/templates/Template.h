#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace zentra {

// A colour as red, green, blue (0..255 each).
struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb &, const Rgb &) = default;
};

// One text item of a template: the text box placed over a box of the courier's
// sheet and bound to one field. Units are the template file's own: canvas
// pixels for the rectangle, tenths of a point for the font size.
struct TemplateItem {
    int id = 0; // 100 + field index
    std::string text;
    int left = 0, top = 0, right = 0, bottom = 0;
    std::string fontName = "宋体"; // at most 31 bytes in GBK (see limitFaceName)
    int fontSize = 200;
    Rgb color;
    bool italic = false;
    bool bold = false;

    int fieldIndex() const { return id - 100; }
    friend bool operator==(const TemplateItem &, const TemplateItem &) = default;
};

// A template: the sheet's size and margins as typed (centimetres), the
// background picture as Base64 text, and one optional item per field index.
// The template's name is its file name without ".ttp" and is not part of it.
struct Template {
    static constexpr int kSlotCount = 60;
    static constexpr int kFirstItemId = 100;

    std::string imgWidth;
    std::string imgHeight;
    std::string leftMargin = "0";
    std::string topMargin = "0";
    std::string imgData; // Base64, with the CR LF line breaks as stored
    std::array<std::optional<TemplateItem>, kSlotCount> items;

    friend bool operator==(const Template &, const Template &) = default;
};

}
