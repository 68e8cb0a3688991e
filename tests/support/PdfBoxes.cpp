#include "support/PdfBoxes.h"

#include "support/RunCli.h"
#include "support/TempDir.h"

#include <algorithm>
#include <regex>
#include <sstream>

namespace zentra::test {

const PdfBox *PdfSheet::find(const std::string &text) const
{
    for (const auto &w : words)
        if (w.text == text)
            return &w;
    return nullptr;
}

std::vector<PdfSheet> readPdfBoxes(const std::string &path)
{
    const CliResult r = runProgram("/usr/bin/pdftotext", {"-q", "-bbox", path, "-"});
    std::vector<PdfSheet> sheets;
    if (r.exitCode != 0)
        return sheets;
    static const std::regex pageRe(R"re(<page width="([\d.]+)" height="([\d.]+)">)re");
    static const std::regex wordRe(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);) {
        std::smatch m;
        if (std::regex_search(line, m, pageRe))
            sheets.push_back({std::stod(m[1]), std::stod(m[2]), {}});
        else if (!sheets.empty() && std::regex_search(line, m, wordRe))
            sheets.back().words.push_back(
                {std::stod(m[1]), std::stod(m[2]), std::stod(m[3]), std::stod(m[4]), m[5].str()});
    }
    return sheets;
}

InkBox inkBox(const std::string &path, int dpi)
{
    InkBox box;
    TempDir dir;
    const std::string prefix = dir.file("page");
    if (runProgram("/usr/bin/pdftoppm",
                   {"-q", "-f", "1", "-l", "1", "-singlefile", "-gray", "-r", std::to_string(dpi), path, prefix})
            .exitCode != 0)
        return box;
    // A binary greymap: "P5", width, height, the largest value, then one byte
    // a pixel.
    const std::string pgm = slurp(prefix + ".pgm");
    std::istringstream header(pgm);
    std::string magic;
    int width = 0, height = 0, maxValue = 0;
    header >> magic >> width >> height >> maxValue;
    if (magic != "P5" || width <= 0 || height <= 0 || maxValue != 255)
        return box;
    const std::size_t start = static_cast<std::size_t>(header.tellg()) + 1;
    if (pgm.size() < start + static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
        return box;
    int left = width, top = height, right = -1, bottom = -1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (static_cast<unsigned char>(pgm[start + static_cast<std::size_t>(y) * width + x]) < 128) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    if (right < 0)
        return box;
    const double mm = 25.4 / dpi;
    box = {true, left * mm, top * mm, (right + 1) * mm, (bottom + 1) * mm};
    return box;
}

}
