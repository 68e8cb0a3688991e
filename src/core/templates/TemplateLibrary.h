#pragma once

#include "core/templates/Template.h"

#include <string>
#include <string_view>
#include <vector>

namespace zentra {

class DataFolder;
struct AppState;

// The whole-template operations of the template folder: listing, the new
// template of the wizard, import, export and the delete that takes a
// template's freight rates with it. Widgets and zentra-cli both call these, so
// the rules and their messages live here once.

// The template files of the template folder (file names with ".ttp"), sorted
// by name. Only names whose extension after the last "." is exactly "ttp".
std::vector<std::string> listTemplateFiles(const DataFolder &folder);

// A file name up to its first ".ttp" ("a.ttp" -> "a").
std::string templateNameOfFile(std::string_view fileName);

// Reads the default template of the configuration (section Template, key
// Default, "NAME.ttp"); false when none is set or it cannot be read.
bool readDefaultTemplate(const DataFolder &folder, Template &out);

// True when a listed template's name equals `name` exactly (letter case counts).
bool templateNameTaken(const DataFolder &folder, std::string_view name);

// What the wizard gathers before it builds a template.
struct NewTemplateInput {
    std::string name;
    std::string imgWidth;
    std::string imgHeight;
    std::string imgData; // Base64 text of the picture file
};

// The largest sheet side, in centimetres (100 m).
constexpr double kMaxSheetCentimetres = 10000;

// Whether a width or height text is a sheet size: a number of centimetres
// above 0 and at most kMaxSheetCentimetres.
bool isSheetSize(std::string_view centimetres);
// The checks of a typed sheet size, as the message to show: width given,
// height given, then each a sheet size; empty when all pass.
std::string sheetSizeProblem(std::string_view width, std::string_view height);

// The first failed check of the wizard's first page, in its order, as the
// message to show ("请导入图片", "请输入模板名称", then the size's checks);
// empty when all pass. Nothing is written before they pass.
std::string newTemplateProblem(const NewTemplateInput &in);
// The change-background dialog's checks: picture, then the size's.
std::string backgroundProblem(std::string_view imgData, std::string_view width, std::string_view height);

// A new template: the picture and sizes typed, margins "0", one item per field
// index (in the order given; slots without a field and repeats are skipped) at
// its default place with the default font of the settings.
Template buildNewTemplate(const NewTemplateInput &in, const std::vector<int> &fieldIndexes,
                          const AppState &settings);

// Reads a picture file whole and gives its bytes as Base64 lines. False (with
// the reason) when it cannot be read or is empty.
bool readPictureAsBase64(const std::string &path, std::string &base64, std::string &error);

// The outcome of a multi-file operation: it stops at the first failure.
struct BatchResult {
    bool ok = true;
    std::size_t done = 0;       // files handled before the failure
    std::string failed;         // the file or template that failed
    std::string error;          // why
};

// True when the file holds a template our reader accepts; a damaged file is
// never copied into the template folder.
bool isImportableTemplate(const std::string &path, std::string &error);

// Copies each file into the template folder under its own name, replacing a
// template of that name.
BatchResult importTemplates(const DataFolder &folder, const std::vector<std::string> &paths);

// Copies each template file (names with ".ttp") into `targetDir`, replacing
// files of the same name; never into the data folder's own template folder.
BatchResult exportTemplates(const DataFolder &folder, const std::vector<std::string> &fileNames,
                            const std::string &targetDir);

// Deletes each template (names without ".ttp") with its freight rates: the
// rows go first inside a transaction, then the file; when the file cannot be
// removed the rows come back and the template stays whole. Stops at the first
// template that cannot be deleted.
BatchResult deleteTemplates(const DataFolder &folder, const std::vector<std::string> &names);

}
