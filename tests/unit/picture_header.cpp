#include "picture_header.h"

#include <fstream>

namespace sb {

namespace {

unsigned be16(const unsigned char* p) { return (p[0] << 8) | p[1]; }
unsigned le16(const unsigned char* p) { return p[0] | (p[1] << 8); }

std::optional<PixelSize> valid(long w, long h) {
    if (w <= 0 || h <= 0 || w > 100000 || h > 100000) return std::nullopt;
    return PixelSize{static_cast<int>(w), static_cast<int>(h)};
}

std::optional<PixelSize> jpegSize(std::ifstream& in) {
    // Walk the segments up to the first start-of-frame marker.
    in.seekg(2);
    unsigned char b[9];
    for (int guard = 0; guard < 1000; ++guard) {
        if (!in.read(reinterpret_cast<char*>(b), 2)) return std::nullopt;
        if (b[0] != 0xFF) return std::nullopt;
        unsigned marker = b[1];
        while (marker == 0xFF) {
            if (!in.read(reinterpret_cast<char*>(b + 1), 1)) return std::nullopt;
            marker = b[1];
        }
        if (marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) continue;
        if (!in.read(reinterpret_cast<char*>(b), 2)) return std::nullopt;
        const unsigned length = be16(b);
        if (length < 2) return std::nullopt;
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (!in.read(reinterpret_cast<char*>(b), 5)) return std::nullopt;
            return valid(be16(b + 3), be16(b + 1));
        }
        in.seekg(length - 2, std::ios::cur);
    }
    return std::nullopt;
}

}  // namespace

std::optional<PixelSize> readPictureSize(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    unsigned char h[10] = {};
    in.read(reinterpret_cast<char*>(h), sizeof h);
    const auto got = in.gcount();
    in.clear();
    if (got >= 10 && h[0] == 'G' && h[1] == 'I' && h[2] == 'F') return valid(le16(h + 6), le16(h + 8));
    if (got >= 4 && h[0] == 0xFF && h[1] == 0xD8) return jpegSize(in);
    return std::nullopt;
}

}  // namespace sb
