#include "core/templates/TemplateLibrary.h"
#include "core/templates/TemplateSync.h"

#include "core/config/AppState.h"
#include "core/config/ConfigFile.h"
#include "core/config/DataFolder.h"
#include "core/data/DbConnection.h"
#include "core/templates/FieldCatalogue.h"
#include "core/templates/TemplateFile.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zentra {
namespace {

std::string baseName(const std::string &path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool copyFile(const std::string &from, const std::string &to, std::string &error)
{
    std::string bytes;
    if (!readFile(from, bytes)) {
        error = "cannot read " + from;
        return false;
    }
    return writeFileAtomically(to, bytes, 0644, &error);
}

}

std::vector<std::string> listTemplateFiles(const DataFolder &folder)
{
    std::vector<std::string> names;
    const std::string dir = folder.templateDir();
    DIR *d = opendir(dir.c_str());
    if (!d)
        return names;
    while (const dirent *e = readdir(d)) {
        const std::string name = e->d_name;
        const auto dot = name.find_last_of('.');
        if (dot == std::string::npos || name.compare(dot + 1, std::string::npos, "ttp") != 0)
            continue;
        struct stat st {};
        if (stat((dir + name).c_str(), &st) == 0 && S_ISREG(st.st_mode))
            names.push_back(name);
    }
    closedir(d);
    std::sort(names.begin(), names.end());
    return names;
}

std::string templateNameOfFile(std::string_view fileName)
{
    return std::string(fileName.substr(0, fileName.find(".ttp")));
}

bool readDefaultTemplate(const DataFolder &folder, Template &out)
{
    if (!fileExists(folder.configPath()))
        return false;
    const std::string name = templateNameOfFile(ConfigFile(folder.configPath()).readText("Template", "Default"));
    const std::string path = name.empty() ? std::string() : templateFilePath(folder, name);
    return !path.empty() && readTemplateFile(path, out);
}

bool templateNameTaken(const DataFolder &folder, std::string_view name)
{
    const auto files = listTemplateFiles(folder);
    return std::any_of(files.begin(), files.end(),
                       [&](const std::string &f) { return templateNameOfFile(f) == name; });
}

bool isSheetSize(std::string_view centimetres)
{
    double value = 0;
    const char *end = centimetres.data() + centimetres.size();
    const auto [stop, error] = std::from_chars(centimetres.data(), end, value);
    return error == std::errc() && stop == end && value > 0 && value <= kMaxSheetCentimetres;
}

std::string sheetSizeProblem(std::string_view width, std::string_view height)
{
    if (width.empty())
        return "请输入图片宽度";
    if (height.empty())
        return "请输入图片高度";
    if (!isSheetSize(width))
        return "图片宽度应大于0厘米且不超过10000厘米";
    if (!isSheetSize(height))
        return "图片高度应大于0厘米且不超过10000厘米";
    return {};
}

std::string newTemplateProblem(const NewTemplateInput &in)
{
    if (in.imgData.empty())
        return "请导入图片";
    if (in.name.empty())
        return "请输入模板名称";
    return sheetSizeProblem(in.imgWidth, in.imgHeight);
}

std::string backgroundProblem(std::string_view imgData, std::string_view width, std::string_view height)
{
    if (imgData.empty())
        return "请导入图片";
    return sheetSizeProblem(width, height);
}

Template buildNewTemplate(const NewTemplateInput &in, const std::vector<int> &fieldIndexes,
                          const AppState &settings)
{
    Template t;
    t.imgData = in.imgData;
    t.imgWidth = in.imgWidth;
    t.imgHeight = in.imgHeight;
    t.leftMargin = "0";
    t.topMargin = "0";
    for (int index : fieldIndexes) {
        if (!hasField(index))
            continue;
        auto &slot = t.items[static_cast<std::size_t>(index)];
        if (!slot)
            slot = makeDefaultItem(index, settings);
    }
    return t;
}

bool readPictureAsBase64(const std::string &path, std::string &base64, std::string &error)
{
    std::string bytes;
    if (!readFile(path, bytes)) {
        error = "cannot read " + path;
        return false;
    }
    if (bytes.empty()) {
        error = path + " is empty";
        return false;
    }
    base64 = encodeBase64Lines(bytes);
    return true;
}

bool isImportableTemplate(const std::string &path, std::string &error)
{
    // A damaged file would be imported without the items after the damage.
    Template t;
    return readSoundTemplateFile(path, t, error);
}

BatchResult importTemplates(const DataFolder &folder, const std::vector<std::string> &paths)
{
    BatchResult r;
    for (const std::string &path : paths) {
        const std::string target = templateFilePath(folder, templateNameOfFile(baseName(path)));
        if (target.empty() || baseName(path).size() < 5 || !baseName(path).ends_with(".ttp")) {
            r = {false, r.done, path, path + " is not a .ttp file"};
            return r;
        }
        std::string error;
        if (!isImportableTemplate(path, error) || !copyFile(path, folder.templateDir() + baseName(path), error)) {
            r = {false, r.done, path, error};
            syncTemplates(folder);
            return r;
        }
        ++r.done;
    }
    // The shop's other stations get them from the shared database.
    if (const TemplateSyncResult s = syncTemplates(folder); !s.ok)
        r = {false, r.done, paths.empty() ? std::string() : paths.back(), s.error};
    return r;
}

BatchResult exportTemplates(const DataFolder &folder, const std::vector<std::string> &fileNames,
                            const std::string &targetDir)
{
    BatchResult r;
    // What is exported is the shop's current version.
    if (const TemplateSyncResult s = syncTemplates(folder); !s.ok) {
        r = {false, 0, fileNames.empty() ? std::string() : fileNames.front(), s.error};
        return r;
    }
    std::string dir = targetDir;
    if (!dir.empty() && dir.back() != '/')
        dir += '/';
    for (const std::string &name : fileNames) {
        std::string error = dataFileOverwriteProblem(folder, dir + name);
        if (!error.empty() || name.find('/') != std::string::npos ||
            !copyFile(folder.templateDir() + name, dir + name, error)) {
            r = {false, r.done, name, error.empty() ? "bad file name " + name : error};
            return r;
        }
        ++r.done;
    }
    return r;
}

BatchResult deleteTemplates(const DataFolder &folder, const std::vector<std::string> &names)
{
    BatchResult r;
    DbConnection db;
    if (!db.open(folder.databasePath())) {
        r = {false, 0, names.empty() ? std::string() : names.front(), db.lastError()};
        return r;
    }
    for (const std::string &name : names) {
        auto fail = [&](std::string why) {
            r = {false, r.done, name, std::move(why)};
            return r;
        };
        const std::string path = templateFilePath(folder, name);
        if (path.empty())
            return fail("bad template name");
        std::string bytes; // to put the file back should the commit fail
        const bool haveBytes = readFile(path, bytes);
        Transaction tx(db);
        if (!tx.active())
            return fail(db.lastError());
        if (db.execute("delete from freight where " + db.dialect().folded("tmpName") + "=" + db.dialect().folded("?"),
                       {name}) < 0)
            return fail(db.lastError());
        // On a shared database the other stations delete their copies too.
        if (folder.isSharedDatabase() && !markTemplateDeleted(db, name))
            return fail(db.lastError());
        if (::unlink(path.c_str()) != 0)
            return fail(path + ": " + std::strerror(errno)); // the transaction rolls the rows back
        if (!tx.commit()) {
            const std::string why = db.lastError();
            if (haveBytes)
                writeFileAtomically(path, bytes); // the rows stayed, so the file comes back
            return fail(why);
        }
        ++r.done;
    }
    return r;
}

}
