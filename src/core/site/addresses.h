// The addresses written into every site: the layout maker's two sites and
// the gallery engine that builds the site's pages in the visitor's browser.
// They live here only, so that a move of any of them is one edit.
#pragma once

#include <string_view>

namespace sb {

// The layout maker's home site; ends with "/" (pages are appended to it).
inline constexpr std::string_view Indirizzo_Sito_Layout = "http://www.velmora.example/";
// The second site, named in the home page's credit comment.
inline constexpr std::string_view Indirizzo_Secondo_Sito = "http://www.velmora-siti.example/";
// The gallery engine script loaded by every home page: the program copies it
// beside the page, so a site works offline and from any server.
inline constexpr std::string_view Indirizzo_Motore_Galleria = "galleria_by_Velmora.js";

}  // namespace sb
