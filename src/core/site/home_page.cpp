#include "site/home_page.h"

#include "common/encoding.h"
#include "common/text.h"
#include "site/addresses.h"
#include "site/script_file.h"
#include "site/site_writer.h"

namespace sb {

namespace {

// The comment lines framing the page's head are this wide.
constexpr std::size_t kLineWidth = 92;

constexpr std::string_view kCreateLineStart = "<!--====== Create Web-Sites Free   Velmora(c)  ";
constexpr std::string_view kCreateLineEnd = "===-->";
constexpr std::string_view kResourcesLineStart = "<!--====== Resources Free Web-Site Velmora(c)  ";
constexpr std::string_view kResourcesLineEnd = "====-->";
static_assert(kCreateLineStart.size() + Indirizzo_Secondo_Sito.size() + 1 + kCreateLineEnd.size() <= kLineWidth,
              "the second site's address leaves no room for the blanks of its comment line");
static_assert(kResourcesLineStart.size() + Indirizzo_Sito_Layout.size() + 2 + kResourcesLineEnd.size() <= kLineWidth,
              "the layout site's address leaves no room for the blanks of its comment line");

constexpr char kQuote = '"';

std::string padded(std::string_view start, std::string_view address, std::string_view end) {
    std::string line(start);
    line += address;
    line.append(kLineWidth - line.size() - end.size(), ' ');
    line += end;
    return line;
}

std::string frameLine() { return "<!--" + std::string(kLineWidth - 7, '=') + "-->"; }

std::string titleLine() {
    std::string line = "<!--======== Home Page del Sito - Site Builder by Velmora ";
    line.append(kLineWidth - line.size() - 3, '=');
    return line + "-->";
}

std::string quoted(std::string_view text) { return kQuote + std::string(text) + kQuote; }

std::string scriptElement(std::string_view source) {
    return "<script language=" + quoted("JavaScript") + " type=" + quoted("text/javascript") + " src=" +
           quoted(source) + "></script>";
}

// Windows-1252 with numeric references, line breaks as CR LF.
std::string encodeForPage(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    const std::u32string text = decodeUtf8(utf8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char32_t cp = text[i];
        if (cp == U'\r' || cp == U'\n') {
            out += "\r\n";
            if (cp == U'\r' && i + 1 < text.size() && text[i + 1] == U'\n') ++i;
            continue;
        }
        if (const int byte = writtenByte(cp); byte >= 0) {
            out.push_back(static_cast<char>(byte));
        } else {
            out += htmlCharRef(cp);
        }
    }
    return out;
}

}  // namespace

std::string pageText(std::string_view utf8) { return encodeForPage(utf8); }


std::vector<std::string> composeHomePage(std::string_view title, std::string_view description,
                                         std::string_view backgroundPath) {
    const std::string background = siteFileName(backgroundPath);
    const std::string layoutSite(Indirizzo_Sito_Layout);
    const std::string notice =
        "Prego abilitare Javascript - Please enable JavaScript, this web-site runing only with javascript";
    const std::string instructions =
        "<a href=" + quoted(layoutSite + "index.htm") + ">See instructions</a><strong></font> <br>";
    auto font = [](const char* colour) {
        return "<font size=" + quoted("2") + " color=" + quoted(colour) + "><strong>";
    };

    return {
        "",
        "<html><head>",
        "",
        "<title>" + pageText(trimBlanks(title)) + std::string(kTitleSuffix) + "</title>",
        "",
        "<meta http-equiv=" + quoted("imagetoolbar") + " content=" + quoted("no") + ">",
        "",
        "<meta http-equiv=" + quoted("Content-Script-Type") + " content=" + quoted("text/javascript") + ">",
        "",
        frameLine(),
        titleLine(),
        padded(kCreateLineStart, Indirizzo_Secondo_Sito, kCreateLineEnd),
        padded(kResourcesLineStart, Indirizzo_Sito_Layout, kResourcesLineEnd),
        frameLine(),
        scriptElement(kScriptFileName),
        frameLine(),
        "<!--=========== Pagina con Pulsanti e Animazioni Angoli Piegati by Velmora(c) ===========-->",
        frameLine(),
        scriptElement(Indirizzo_Motore_Galleria),
        frameLine(),
        "",
        "</head>",
        "",
        "<body background='" + percentEncoded(background, false) + "'>",
        "",
        "<!-- Scritta Testata 01 -->",
        "",
        "<div id='Scritta_Testata_01' STYLE='position:absolute;top:45;left:240;'>",
        "<marquee direction='left' behavior='slide' scrollamount='6' scrolldelay='0'>",
        "<font size='6'>",
        "<strong>",
        pageText(trimBlanks(description)) + std::string(kDescriptionEnd),
        "</marquee>",
        "</div>",
        "",
        "<div id='Scritta_Testata_02' STYLE='position:absolute;top:144;left:500;'>",
        "<font size='2'><em>Layout creato da Velmora(c)</em></font>",
        "</div>",
        "",
        "",
        "<noscript><p>",
        font("black"),
        notice,
        instructions,
        font("white"),
        notice,
        instructions,
        "</noscript>",
        "",
        "</body></html>",
        "",
    };
}

}  // namespace sb
