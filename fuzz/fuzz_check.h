// What every fuzz target checks of the files the program writes.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace fuzz {

// Stops the run with a message: the fuzzer keeps the input that did it.
[[noreturn]] inline void fail(const char* what, std::string_view detail = {}) {
    std::fprintf(stderr, "FUZZ CHECK FAILED: %s [%.*s]\n", what, static_cast<int>(detail.size()), detail.data());
    std::abort();
}

inline void check(bool ok, const char* what, std::string_view detail = {}) {
    if (!ok) fail(what, detail);
}

// Bytes a Windows-1252 file may hold: every byte but the five the code page
// leaves unused, and no control character but tab, line feed and carriage
// return (0x1A least of all: it is what a converter leaves for a lost
// character).
inline bool isWrittenText(std::string_view bytes) {
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D) return false;
        if ((b < 0x20 && b != '\t' && b != '\n' && b != '\r') || b == 0x7F) return false;
    }
    return true;
}

}  // namespace fuzz
