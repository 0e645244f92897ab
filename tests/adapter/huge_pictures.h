// Huge pictures made cheaply at run time, and the process's peak memory, for what decoding costs.
#pragma once

#include <malloc.h>
#include <zlib.h>

#include <QtGlobal>

#include <cstring>
#include <fstream>
#include <functional>
#include <string>

namespace sbqt::test {

// Huge pictures of one grey, small on disk: a JPEG (baseline, or progressive with its DC scan
// alone) whose every block takes one or two bits, and a 1-bit PNG compressed row by row.
inline std::function<bool(const std::string&)> hugeGreyJpeg(int side, bool progressive) {
    return [=](const std::string& path) {
        const auto be16 = [](int v) { return std::string{char(v >> 8), char(v & 255)}; };
        std::string head = "\xFF\xD8\xFF\xDB" + be16(67) + '\0' + std::string(64, '\1');
        head += std::string("\xFF") + (progressive ? '\xC2' : '\xC0') + be16(11) + '\x08' + be16(side) + be16(side) + "\x01\x01\x11" + '\0';
        const std::string oneCode = std::string("\x01") + std::string(15, '\0') + '\0';  // symbol 0 coded as "0"
        head += "\xFF\xC4" + be16(2 + 2 * 18) + '\x00' + oneCode + '\x10' + oneCode;  // DC: no change; AC: end of block
        head += "\xFF\xDA" + be16(8) + "\x01\x01" + '\0' + '\0' + (progressive ? '\0' : '\x3F') + '\0';
        const qint64 bits = qint64(side / 8) * (side / 8) * (progressive ? 1 : 2);
        std::ofstream out(path, std::ios::binary);
        out << head << std::string(std::size_t(bits / 8), '\0');
        if (bits % 8) out << char(0xFF >> (bits % 8));
        out << "\xFF\xD9";
        return bool(out.flush());
    };
}

inline std::function<bool(const std::string&)> hugeGreyPng(int side) {
    return [=](const std::string& path) {
        std::ofstream out(path, std::ios::binary);
        const auto chunk = [&](const char* type, const std::string& data) {
            const std::string typed = type + data;
            const auto be32 = [](quint32 v) { return std::string{char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; };
            out << be32(quint32(data.size())) << typed
                << be32(quint32(crc32(0, reinterpret_cast<const Bytef*>(typed.data()), uInt(typed.size()))));
        };
        const std::string sideBytes{char(side >> 24), char(side >> 16), char(side >> 8), char(side)};
        out << "\x89PNG\r\n\x1A\n";
        chunk("IHDR", sideBytes + sideBytes + std::string("\x01\x00\x00\x00\x00", 5));
        z_stream z{};
        deflateInit(&z, 6);
        std::string row(std::size_t(1 + (side + 7) / 8), '\0'), packed, buffer(1 << 16, '\0');
        for (int y = 0; y <= side; ++y) {
            z.next_in = reinterpret_cast<Bytef*>(row.data());
            z.avail_in = y < side ? uInt(row.size()) : 0;
            do {
                z.next_out = reinterpret_cast<Bytef*>(buffer.data());
                z.avail_out = uInt(buffer.size());
                deflate(&z, y < side ? Z_NO_FLUSH : Z_FINISH);
                packed.append(buffer.data(), buffer.size() - z.avail_out);
            } while (z.avail_out == 0);
        }
        deflateEnd(&z);
        chunk("IDAT", packed);
        chunk("IEND", {});
        return bool(out.flush());
    };
}

// The most memory the process held since the last call beyond what it held then (the high-water mark).
inline qint64 peakSinceLastCall() {
    static qint64 base = 0;
    const auto field = [](const char* name) {
        std::ifstream status("/proc/self/status");
        for (std::string line; std::getline(status, line);)
            if (line.starts_with(name)) return std::stoll(line.substr(std::strlen(name))) * 1024;
        return 0LL;
    };
    const qint64 peak = field("VmHWM:") - base;
    ::malloc_trim(0);  // memory freed but kept by the allocator would hide what a decode takes
    std::ofstream("/proc/self/clear_refs") << "5";
    base = field("VmRSS:");
    return peak;
}

}  // namespace sbqt::test
