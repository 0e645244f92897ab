#include "viewer/sample_pages.h"

#include <cstdio>
#include <filesystem>

#include "common/encoding.h"
#include "common/files.h"
#include "common/text.h"
#include "platform.h"

namespace sb::viewer {

namespace {

constexpr char kQuote = '"';

// Position (0-based) of the first "." of the file name, if any.
std::optional<std::size_t> firstDotOfName(std::string_view path) {
    const std::size_t nameStart = lastSeparator(path);
    const std::size_t dot = path.find('.', nameStart);
    if (dot == std::string_view::npos) return std::nullopt;
    return dot;
}

std::optional<std::string> nameBeforeDot(std::string_view path, std::string_view suffix) {
    const auto dot = firstDotOfName(path);
    if (!dot) return std::nullopt;
    std::string name(path.substr(0, *dot));
    name += suffix;
    return name;
}

std::vector<std::string> encode(std::vector<std::string> lines) {
    for (std::string& line : lines) line = toCp1252(line, htmlCharRef);
    return lines;
}

// The running top of the groups page is a single-precision number.
std::string formatSingle(float value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.7G", static_cast<double>(value));
    return buffer;
}

std::string inQuotes(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    out += kQuote;
    out += text;
    out += kQuote;
    return out;
}

// A picture's path as the page refers to it: percent-encoded, so that the
// browser finds the file whatever its name holds ("%", "#", "?", quotes,
// blanks at either end, line breaks, bytes that are not UTF-8).
std::string reference(std::string_view path) { return inQuotes(percentEncoded(path, true)); }

// A path shown as text: never markup, whatever the name holds.
std::string titleLine(std::string_view path) { return "<title>" + htmlEscaped(path) + "</title>"; }

}  // namespace

std::optional<std::string> backgroundPageName(std::string_view imagePath) {
    const auto dot = firstDotOfName(imagePath);
    if (!dot) return std::nullopt;
    return std::string(imagePath.substr(0, *dot + 1)) + "HTM";
}

std::optional<std::string> slidePageName(std::string_view slideBackground) {
    return nameBeforeDot(slideBackground, "_Esempio_Sfondo7.htm");
}

std::optional<std::string> groupsPageName(std::string_view slideBackground) {
    return nameBeforeDot(slideBackground, "_Esempio_Sfondo8.htm");
}

std::vector<std::string> backgroundPage(std::string_view imagePath) {
    const std::string path(imagePath);
    return encode({
        "<html>",
        "<head>",
        titleLine(path),
        "</head>",
        "<body background=" + reference(path) + "> ",
        "<br>",
        "<br><br><br><br>" + htmlEscaped(path) + "<br><br><br><br>",
        "<br>",
        "</body>",
        "</html>",
    });
}

std::vector<std::string> slidePage(const SlidePageValues& v) {
    return encode({
        "<html>",
        "<head>",
        titleLine(v.slide),
        "</head>",
        "<body background=" + reference(v.background) + "> ",
        "<br>",
        "<div STYLE='position:absolute;top:" + v.slideTop.toText() + ";left:100;'>",
        "<img src=" + reference(v.slide) + " width=" + v.width.toText() + " height=" + v.height.toText() + ">",
        "</div>",
        "<div STYLE='position:absolute;top:" + v.photoTop.toText() + ";left:" + v.photoLeft.toText() + ";'>",
        "<img src=" + reference(v.photo) + " width=" + formatPlain(v.width.number() - 20) +
            " height=" + formatPlain(v.height.number() - 20) + ">",
        "</div>",
        "<br><br><h2>Esempio sfondo con diapositiva</h2><br><br><br><br>",
        "<br>",
        "</body>",
        "</html>",
    });
}

std::vector<std::string> groupsPage(const GroupsPageValues& v) {
    std::vector<std::string> lines = {
        "<html>",
        "<head>",
        titleLine(v.slide),
        "</head>",
        "<body background=" + reference(v.background) + "> ",
        " ",
        "<h2>Esempio sfondo con Pulsanti Gruppi</h2><br><br><br><br>",
        "<br>",
    };
    const std::string image = "<img src=" + reference(v.button) + ">";
    const float step = static_cast<float>(v.buttonHeightTwips) / 15.0f;
    float top = 50.0f;
    for (int k = 1; k <= kMaxSampleButtons && k <= v.groups; ++k) {
        lines.push_back("<div STYLE='position:absolute;top:" + formatSingle(top) + ";left:100;'>");
        lines.push_back(image);
        lines.push_back("</div>");
        top = top + step + 10.0f;
    }
    lines.push_back("<br>");
    lines.push_back("</body>");
    lines.push_back("</html>");
    return encode(std::move(lines));
}

std::string placePage(Platform& platform, const std::string& path, const std::vector<std::string>& lines) {
    std::error_code ec;
    if (std::filesystem::exists(std::filesystem::symlink_status(path, ec))) {
        std::string head;
        for (std::size_t i = 0; i < 3 && i < lines.size(); ++i) head += lines[i] + "\r\n";
        if (files::readPrefix(path, head.size()) != head) {
            // Someone else's file: keep it, and show our page from elsewhere.
            const std::string folder = platform.temporaryFolder();
            if (folder.empty()) return path;  // nowhere of its own: the browser shows what stands there
            const std::string elsewhere = folder + Separa_Percorso(path).name;
            files::writeLines(elsewhere, lines);
            return elsewhere;
        }
    }
    files::writeLines(path, lines);
    return path;
}

}  // namespace sb::viewer
