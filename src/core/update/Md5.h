#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace zentra {

// MD5 (RFC 1321), fed in pieces. The digest text is the 16 digest bytes as 32
// lower-case hexadecimal digits, the form release file lists carry.
class Md5 {
public:
    Md5();
    void add(std::string_view bytes);
    // Finishes the digest; the object is not to be fed afterwards.
    std::string hexDigest();

private:
    void block(const unsigned char *p);

    std::array<std::uint32_t, 4> state_;
    unsigned char buffer_[64];
    std::size_t buffered_ = 0;
    std::uint64_t length_ = 0;
};

std::string md5Hex(std::string_view bytes);

// The digest of a whole file, or empty when it does not exist or cannot be
// read (a folder, no permission). An empty digest matches no listed digest.
std::string fileDigest(const std::string &path);

}
