// The parameters of the site being built, as last committed from the fields.
#pragma once

#include <string>

#include "common/value.h"

namespace sb {

struct Parametri_Sito {
    // Folder that receives the site; ends with a separator.
    std::string Cartella_Sito;

    // Numbers for the gallery engine. POS_Y_GRUPPI and ALT_GRUPPI are kept
    // as the trimmed text of their fields and only read as numbers when the
    // script is written.
    Value MAX_NUM_ARG;
    Value MAX_NUM_RIGHE;
    Value MAX_NUM_IMG_RIGA;
    Value POS_Y_GRUPPI;
    Value ALT_GRUPPI;
    Value LARGH_X_DIA;
    Value ALT_DIA;
    Value POS_X_DIA;
    Value POS_Y_DIA;
    Value POS_Y_IMG;
    Value POS_X_IMG_GRANDE;
    Value POS_Y_IMG_GRANDE;

    // Full paths of the site's images.
    std::string Nome_Immagine_Sfondo_Sito;
    std::string Nome_Immagine_Pulsanti_Argomenti;
    std::string Nome_Sfondo_Pagina_Immagini;
    std::string Nome_Immagine_Sfondo_Diapositiva;
    std::string Nome_Immagine_Testata;
    std::string Nome_Immagine_Sfondo_Fumetto_1;
    std::string Nome_Immagine_Pulsante_X_1;
    std::string Nome_Immagine_Pulsante_X_2;

    bool operator==(const Parametri_Sito&) const = default;
};

// Relative paths (under the application folder) of the default images.
namespace default_images {
inline constexpr const char* Sfondo_Sito = "SFONDI/Sfondo_Bello_Azzurro_Moderno_main-bg_1024x768_RID.jpg";
inline constexpr const char* Pulsanti_Argomenti = "PULSANTI/Tela_Vuota_Quadro_3_200x152_RID.jpg";
inline constexpr const char* Sfondo_Pagina_Immagini = "SFONDI/Tela_Vuota_Quadro_3_RID.jpg";
inline constexpr const char* Sfondo_Diapositiva = "SFONDI_DIAPOSITIVE/Sfondo_Diapositiva_Oro_01.gif";
inline constexpr const char* Pulsante_X_1 = "PULSANTI/Pulsante_tondo_Annulla_thumbdown.gif";
inline constexpr const char* Pulsante_X_2 = "PULSANTI/Pulsante_X_Chiudi_Finestra_by_Velmora_03.GIF";
inline constexpr const char* Testata = "TESTATE/Image5.jpg";
inline constexpr const char* Sfondo_Fumetto_1 = "TESTATE/Fumetto_01.gif";
}  // namespace default_images

// The parameters every start begins with, for a program in `applicationFolder`
// (without a trailing separator): the site goes into its LAYOUT_01 folder.
Parametri_Sito defaultParameters(const std::string& applicationFolder);

// The application folder followed by a relative path written with "/".
std::string underFolder(const std::string& folder, const std::string& relative);

}  // namespace sb
