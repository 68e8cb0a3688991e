// Feeds arbitrary bytes to the template reader. Besides crashes, leaks and
// hangs it checks that whatever the reader accepts survives our writer: the
// written file reads back as the same template, without any damage reported,
// and rewrites to the same bytes, and the picture text decodes to the same
// bytes after re-encoding.
#include "core/templates/TemplateFile.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace zentra;
    std::string_view input(reinterpret_cast<const char *>(data), size);
    Template t;
    std::string root;
    if (!parseTemplate(input, t, root))
        return 0;

    std::string written = writeTemplate(t);
    Template back;
    std::string backRoot, damage;
    if (!parseTemplate(written, back, backRoot, &damage) || !(back == t)) {
        std::fprintf(stderr, "written template reads back differently:\n%s\n", written.c_str());
        std::abort();
    }
    if (!damage.empty()) {
        std::fprintf(stderr, "our own file reads as damaged (%s):\n%s\n", damage.c_str(), written.c_str());
        std::abort();
    }
    if (writeTemplate(back) != written) {
        std::fprintf(stderr, "template rewrites differently:\n%s\n", written.c_str());
        std::abort();
    }

    std::string picture = decodeBase64(t.imgData);
    if (decodeBase64(encodeBase64Lines(picture)) != picture) {
        std::fprintf(stderr, "picture bytes change after re-encoding\n");
        std::abort();
    }
    return 0;
}
