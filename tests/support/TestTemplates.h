#pragma once

#include "core/templates/Template.h"

#include <string>
#include <utility>

namespace zentra::test {

// The item of field `field` at canvas (left, top), 300 x 30 pixels, showing
// `text`.
inline TemplateItem textItem(int field, int left, int top, std::string text)
{
    TemplateItem it;
    it.id = 100 + field;
    it.left = left;
    it.top = top;
    it.right = left + 300;
    it.bottom = top + 30;
    it.text = std::move(text);
    return it;
}

}
