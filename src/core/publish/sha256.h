// SHA-256, for telling which files of a site changed since the last publish.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sb::publish {

class Sha256 {
public:
    Sha256();
    void add(const void* bytes, std::size_t count);
    std::array<std::uint8_t, 32> finish();

private:
    void block(const std::uint8_t* p);
    std::array<std::uint32_t, 8> state_;
    std::array<std::uint8_t, 64> buffer_{};
    std::size_t used_ = 0;
    std::uint64_t length_ = 0;
};

std::string toHex(const std::array<std::uint8_t, 32>& digest);
std::string sha256Hex(std::string_view bytes);
// The hash of a file's contents in hex; nothing when it cannot be read.
std::optional<std::string> sha256OfFile(const std::string& path);

}  // namespace sb::publish
