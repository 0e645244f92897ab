// The program's addresses: the layout maker's two sites and the gallery
// engine written into every site, and the sites of the link icon row. They
// live here only, so that a move of any of them is one edit.
#pragma once

#include <array>
#include <string_view>

namespace sb {

// The layout maker's home site; ends with "/" (pages are appended to it).
inline constexpr std::string_view Indirizzo_Sito_Layout = "http://www.velmora.example/";
// The second site, named in the home page's credit comment.
inline constexpr std::string_view Indirizzo_Secondo_Sito = "http://www.velmora-siti.example/";
// The gallery engine script loaded by every home page: the program copies it
// beside the page, so a site works offline and from any server.
inline constexpr std::string_view Indirizzo_Motore_Galleria = "galleria_by_Velmora.js";

// The link icon row along the bottom of the Main Window: each icon's picture
// in the application folder and the folder of the site it opens, in icon
// order. Each address ends with "/": the page in the user's language is
// appended to it.
struct LinkIcon {
    std::string_view picture;
    std::string_view address;
};
inline constexpr std::array<LinkIcon, 7> kLinkIcons = {{
    {"Link_01.gif", "http://www.velmora.example/"},
    {"Link_02.gif", "http://www.velmora-siti.example/"},
    {"Link_03.gif", "http://www.velmora.example/gallerie/"},
    {"Link_04.gif", "http://www.velmora.example/sfondi/"},
    {"Link_05.gif", "http://www.velmora.example/pulsanti/"},
    {"Link_06.gif", "http://www.velmora.example/guide/"},
    {"Link_07.gif", "http://www.velmora.example/contatti/"},
}};

}  // namespace sb
