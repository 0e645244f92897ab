#include "platform.h"

#include <unistd.h>

#include <filesystem>

#include "common/text.h"

namespace sb {

bool Platform::changeWorkingDirectory(const std::string& folder) {
    return !folder.empty() && ::chdir(folder.c_str()) == 0;
}

std::string Platform::workingDirectory() {
    std::error_code ec;
    return std::filesystem::current_path(ec).string();
}

std::string Platform::temporaryFolder() {
    std::error_code ec;
    auto base = std::filesystem::temp_directory_path(ec);
    if (ec) base = "/tmp";
    const std::string folder = (base / ("site-builder-" + std::to_string(::getuid()))).string();
    std::filesystem::create_directories(folder, ec);
    return folder + kSeparator;
}

}  // namespace sb
