#pragma once

#include "core/templates/Template.h"

#include <string>
#include <string_view>

namespace zentra {

class DataFolder;

// The template file (.ttp): XML with no declaration, four spaces of indent per
// level, CR LF line ends and every value as element text:
//
//   templateInfo
//       imageInfo: ImgData (Base64 of the picture), ImgWidth, ImgHeight, LeftMargin, TopMargin
//       ceditInfo (one per item, slot order): editID, editName, left, top, right, bottom,
//                 fontName, fontSize, FontColor ("r,g,b"), Italic, Bold
//
// Files are exchanged with installations of the Windows program this one
// replaces, so the writer produces the bytes its XML library (TinyXML) printed
// and the reader is as tolerant as it was: any root name, children in any
// order, unknown elements ignored, TinyXML's white-space condensing.

// Reads and parses a template file. False when the file cannot be read or holds
// no template at all; `out` is left unchanged then.
bool readTemplateFile(const std::string &path, Template &out);

// Parses template XML into a fresh template and assigns it to `out`. A document
// with errors yields whatever TinyXML read before the error, as the Windows
// program loaded it; false (and `out` unchanged) when there is no root element
// or the document holds more markup than a template ever does (a guard
// against files made to exhaust the XML parser).
bool parseTemplate(std::string_view xml, Template &out);
// Same, also giving the root element's name (any name is accepted) and, when
// `damage` is given, what was wrong with a document that still loaded (a
// markup error with its line and column, a NUL byte before the end): empty
// for a sound document.
bool parseTemplate(std::string_view xml, Template &out, std::string &rootName, std::string *damage = nullptr);

// Reads a template that must be whole: false, with the reason in `error`,
// for a file that cannot be read or holds any damage. For copying and
// importing, where a tolerant read would silently drop the items after the
// damage.
bool readSoundTemplateFile(const std::string &path, Template &out, std::string &error);

// The exact bytes of the template file.
std::string writeTemplate(const Template &t);

// Writes the file atomically: readers see the old or the new template, and a
// failed save leaves the old file and returns false with the reason in `error`.
bool saveTemplateFile(const std::string &path, const Template &t, std::string *error = nullptr);

// template/NAME.ttp in the data folder; empty when the name cannot be a file
// name there (empty, "." or "..", or holding a slash, a backslash or a control
// character), so a name never reaches outside the template folder.
std::string templateFilePath(const DataFolder &folder, std::string_view name);

// Base64 with a CR LF after every 76 characters; a final padded group is not
// followed by a line break.
std::string encodeBase64Lines(std::string_view bytes);
// Decodes Base64, skipping line breaks and other characters outside the
// alphabet; "=" ends a group.
std::string decodeBase64(std::string_view text);

// "r,g,b" as the template file and the fontColor setting write it; reading
// splits at the first two commas, keeps at most three characters of each part,
// reads each as a decimal integer masked to 8 bits; missing parts are 0.
Rgb parseColorText(std::string_view text);
std::string formatColorText(Rgb c);

// Font face names are kept to 31 bytes in GBK, the Windows program's limit;
// longer names are cut on a character boundary.
constexpr std::size_t kMaxFaceNameGbkBytes = 31;
std::string limitFaceName(std::string_view utf8);

}
