#include "publish/plan.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace sb::publish {

namespace {

constexpr std::string_view kManifestHeader = "sitebuilder-manifest 1";

std::string lowerExtension(std::string_view path) {
    const auto slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const auto dot = name.rfind('.');
    std::string extension(dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1));
    for (char& c : extension) c = char(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

}  // namespace

std::string escapePath(std::string_view path) {
    std::string text;
    for (char c : path) {
        if (c == '%') text += "%25";
        else if (c == '\r') text += "%0D";
        else if (c == '\n') text += "%0A";
        else text += c;
    }
    return text;
}

std::string unescapePath(std::string_view text) {
    std::string path;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const std::string_view code = text.substr(i + 1, 2);
            if (code == "25") path += '%';
            else if (code == "0D") path += '\r';
            else if (code == "0A") path += '\n';
            else {
                path += text[i];
                continue;
            }
            i += 2;
        } else {
            path += text[i];
        }
    }
    return path;
}

std::string composeManifest(const Manifest& manifest) {
    std::string text(kManifestHeader);
    text += '\n';
    for (const auto& [path, state] : manifest) {
        text += state.sha256;
        text += ' ';
        text += std::to_string(state.size);
        text += ' ';
        text += escapePath(path);
        text += '\n';
    }
    return text;
}

Manifest parseManifest(std::string_view text) {
    Manifest manifest;
    bool first = true;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (first) {
            first = false;
            if (line != kManifestHeader) return {};
            continue;
        }
        const auto space1 = line.find(' ');
        if (space1 != 64) continue;
        const auto space2 = line.find(' ', space1 + 1);
        if (space2 == std::string_view::npos || space2 + 1 >= line.size()) continue;
        FileState state;
        const auto sizeText = line.substr(space1 + 1, space2 - space1 - 1);
        const auto [end2, error] = std::from_chars(sizeText.data(), sizeText.data() + sizeText.size(), state.size);
        if (error != std::errc() || end2 != sizeText.data() + sizeText.size() || state.size < 0) continue;
        state.sha256 = std::string(line.substr(0, 64));
        if (!std::all_of(state.sha256.begin(), state.sha256.end(),
                         [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }))
            continue;
        manifest[unescapePath(line.substr(space2 + 1))] = state;
    }
    return manifest;
}

int uploadPhase(std::string_view path) {
    if (path == "index.htm") return 3;
    const std::string extension = lowerExtension(path);
    if (extension == "htm" || extension == "html") return 2;
    if (extension == "js" || extension == "css") return 1;
    return 0;
}

std::size_t Plan::uploads() const {
    std::size_t count = 0;
    for (const auto& phase : phases) count += phase.size();
    return count;
}

Plan makePlan(const Manifest& site, const Manifest& previous) {
    Plan plan;
    plan.phases.resize(4);
    for (const auto& [path, state] : site) {
        const auto old = previous.find(path);
        if (old == previous.end() || old->second != state) plan.phases[uploadPhase(path)].push_back(path);
    }
    std::vector<std::pair<int, std::string>> removals;
    for (const auto& [path, state] : previous) {
        if (!site.contains(path)) removals.emplace_back(-uploadPhase(path), path);
    }
    std::sort(removals.begin(), removals.end());
    for (auto& [phase, path] : removals) plan.removals.push_back(std::move(path));
    return plan;
}

std::string temporaryName(std::string_view path) {
    const auto slash = path.rfind('/');
    const std::size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    std::string name(path.substr(0, nameStart));
    name += '.';
    name += path.substr(nameStart);
    name += ".sitebuilder-part";
    return name;
}

}  // namespace sb::publish
