#include "core/text/TextDecoder.h"

#include "core/text/Gbk.h"

#include <cerrno>
#include <iconv.h>

namespace zentra {
namespace {

constexpr char kInvalid = '\xFF';

class Utf8Decoder : public TextDecoder {
public:
    void decode(std::string_view bytes, bool, std::string &out) override { out.append(bytes); }
};

// UTF-16 of either byte order. An unpaired surrogate and a last odd byte
// are invalid.
class Utf16Decoder : public TextDecoder {
public:
    explicit Utf16Decoder(bool bigEndian) : bigEndian_(bigEndian) {}

    void decode(std::string_view bytes, bool last, std::string &out) override
    {
        for (char c : bytes) {
            if (!haveByte_) {
                byte_ = static_cast<unsigned char>(c);
                haveByte_ = true;
                continue;
            }
            haveByte_ = false;
            const auto b = static_cast<unsigned char>(c);
            unit(bigEndian_ ? char16_t((byte_ << 8) | b) : char16_t((b << 8) | byte_), out);
        }
        if (last) {
            if (high_) {
                out += kInvalid;
                high_ = 0;
            }
            if (haveByte_) {
                out += kInvalid;
                haveByte_ = false;
            }
        }
    }

private:
    void unit(char16_t u, std::string &out)
    {
        if (high_) {
            if (u >= 0xDC00 && u <= 0xDFFF) {
                appendUtf8(out, 0x10000 + ((char32_t(high_) - 0xD800) << 10) + (u - 0xDC00));
                high_ = 0;
                return;
            }
            out += kInvalid;
            high_ = 0;
        }
        if (u >= 0xD800 && u <= 0xDBFF)
            high_ = u;
        else if (u >= 0xDC00 && u <= 0xDFFF)
            out += kInvalid;
        else
            appendUtf8(out, u);
    }

    bool bigEndian_;
    bool haveByte_ = false;
    unsigned char byte_ = 0;
    char16_t high_ = 0;
};

// GBK, read as GB18030 (its superset) through iconv.
class GbkDecoder : public TextDecoder {
public:
    GbkDecoder() : cd_(iconv_open("UTF-8", "GB18030")) {}
    ~GbkDecoder() override
    {
        if (ok())
            iconv_close(cd_);
    }
    GbkDecoder(const GbkDecoder &) = delete;
    GbkDecoder &operator=(const GbkDecoder &) = delete;

    void decode(std::string_view bytes, bool last, std::string &out) override
    {
        if (!ok()) {
            out.append(bytes.size(), kInvalid);
            return;
        }
        std::string in;
        std::string_view input = bytes;
        if (!carry_.empty()) {
            in = carry_ + std::string(bytes);
            carry_.clear();
            input = in;
        }
        char *inPtr = const_cast<char *>(input.data());
        std::size_t inLeft = input.size();
        char buf[8192];
        while (inLeft > 0) {
            char *outPtr = buf;
            std::size_t outLeft = sizeof buf;
            const std::size_t rc = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
            out.append(buf, static_cast<std::size_t>(outPtr - buf));
            if (rc != static_cast<std::size_t>(-1) || errno == E2BIG)
                continue;
            if (errno == EINVAL && !last && inLeft < 4) {
                carry_.assign(inPtr, inLeft); // a character cut by the piece's end
                return;
            }
            // Not GBK (or cut by the end of the file): one byte is invalid.
            out += kInvalid;
            ++inPtr;
            --inLeft;
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        }
    }

private:
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    iconv_t cd_;
    std::string carry_;
};

}

std::string_view encodingName(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8:
        return "UTF-8";
    case TextEncoding::Utf16Le:
        return "UTF-16LE";
    case TextEncoding::Utf16Be:
        return "UTF-16BE";
    case TextEncoding::Gbk:
        return "GBK";
    }
    return "UTF-8";
}

DetectedEncoding detectEncoding(std::string_view head)
{
    if (head.starts_with("\xEF\xBB\xBF"))
        return {TextEncoding::Utf8, 3};
    if (head.starts_with("\xFF\xFE"))
        return {TextEncoding::Utf16Le, 2};
    if (head.starts_with("\xFE\xFF"))
        return {TextEncoding::Utf16Be, 2};
    if (head.size() > kEncodingSampleBytes)
        head = head.substr(0, kEncodingSampleBytes);

    std::size_t evenZeros = 0, oddZeros = 0;
    for (std::size_t i = 0; i < head.size(); ++i)
        if (head[i] == '\0')
            ++(i % 2 ? oddZeros : evenZeros);
    const std::size_t zeros = evenZeros + oddZeros;
    if (zeros >= 2 && zeros * 16 >= head.size()) {
        if (oddZeros * 20 >= zeros * 19)
            return {TextEncoding::Utf16Le, 0};
        if (evenZeros * 20 >= zeros * 19)
            return {TextEncoding::Utf16Be, 0};
    }

    // Valid multi-byte UTF-8 sequences against bytes that start none.
    std::size_t valid = 0, invalid = 0;
    for (std::size_t i = 0; i < head.size();) {
        const auto c = static_cast<unsigned char>(head[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t len = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
        if (len && i + len > head.size())
            break; // cut by the end of the sample
        bool ok = len != 0;
        for (std::size_t k = 1; ok && k < len; ++k)
            ok = (static_cast<unsigned char>(head[i + k]) & 0xC0) == 0x80;
        if (ok) {
            ++valid;
            i += len;
        } else {
            ++invalid;
            ++i;
        }
    }
    if (invalid == 0 || valid > invalid)
        return {TextEncoding::Utf8, 0};
    return {TextEncoding::Gbk, 0};
}

std::unique_ptr<TextDecoder> makeTextDecoder(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf16Le:
        return std::make_unique<Utf16Decoder>(false);
    case TextEncoding::Utf16Be:
        return std::make_unique<Utf16Decoder>(true);
    case TextEncoding::Gbk:
        return std::make_unique<GbkDecoder>();
    case TextEncoding::Utf8:
        break;
    }
    return std::make_unique<Utf8Decoder>();
}

}
