#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace zentra {

// The encodings of the text files we read (order and item reports, book CSV
// files): what the seller back office, spreadsheets and older versions of this
// program write.
enum class TextEncoding { Utf8, Utf16Le, Utf16Be, Gbk };

// "UTF-8", "UTF-16LE", "UTF-16BE", "GBK".
std::string_view encodingName(TextEncoding encoding);

struct DetectedEncoding {
    TextEncoding encoding = TextEncoding::Utf8;
    std::size_t markBytes = 0; // the byte-order mark to skip
};

// How much of a file's start detectEncoding() looks at.
constexpr std::size_t kEncodingSampleBytes = std::size_t(1) << 20;

// The encoding of a file from its first bytes: a byte-order mark (UTF-8,
// UTF-16LE, UTF-16BE) decides; without one, zero bytes in nearly every other
// place mean UTF-16 without a mark (a CSV file always holds commas and digits,
// whose UTF-16 units have a zero byte); then UTF-8 when its valid multi-byte
// sequences outnumber the bytes that are not UTF-8 (so a UTF-8 file with a
// stray GBK line stays UTF-8); otherwise GBK.
DetectedEncoding detectEncoding(std::string_view head);

// Turns a file's bytes into UTF-8, a piece at a time, so that a file of any
// size is read in constant memory. A byte sequence that is not valid in the
// encoding comes out as the byte 0xFF, which never occurs in UTF-8: text
// holding it fails isValidUtf8() and is refused rather than stored. UTF-8
// input passes as it is (its invalid bytes stay invalid).
class TextDecoder {
public:
    virtual ~TextDecoder() = default;
    // Appends the UTF-8 of `bytes` to `out`. A sequence cut at the end of
    // `bytes` waits for the next call; `last` ends the input, and a sequence
    // still cut then is invalid.
    virtual void decode(std::string_view bytes, bool last, std::string &out) = 0;
};

std::unique_ptr<TextDecoder> makeTextDecoder(TextEncoding encoding);

}
