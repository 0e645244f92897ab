#include "site/parametri.h"

#include "common/text.h"

namespace sb {

std::string underFolder(const std::string& folder, const std::string& relative) {
    std::string path = folder;
    path += kSeparator;
    for (char c : relative) path += c == '/' ? kSeparator : c;
    return path;
}

Parametri_Sito defaultParameters(const std::string& applicationFolder) {
    auto image = [&applicationFolder](const char* relative) { return underFolder(applicationFolder, relative); };
    namespace d = default_images;
    Parametri_Sito p;
    p.Cartella_Sito = image("LAYOUT_01/");
    p.MAX_NUM_ARG = 5;
    p.MAX_NUM_RIGHE = 4;
    p.MAX_NUM_IMG_RIGA = 4;
    p.POS_Y_GRUPPI = 30;
    p.ALT_GRUPPI = 95;
    p.LARGH_X_DIA = 135;
    p.ALT_DIA = 100;
    p.POS_X_DIA = 400;
    p.POS_Y_DIA = 190;
    p.POS_Y_IMG = 200;
    p.POS_X_IMG_GRANDE = 220;
    p.POS_Y_IMG_GRANDE = 80;
    p.Nome_Immagine_Sfondo_Sito = image(d::Sfondo_Sito);
    p.Nome_Sfondo_Pagina_Immagini = image(d::Sfondo_Pagina_Immagini);
    p.Nome_Immagine_Sfondo_Diapositiva = image(d::Sfondo_Diapositiva);
    p.Nome_Immagine_Testata = image(d::Testata);
    p.Nome_Immagine_Sfondo_Fumetto_1 = image(d::Sfondo_Fumetto_1);
    p.Nome_Immagine_Pulsanti_Argomenti = image(d::Pulsanti_Argomenti);
    p.Nome_Immagine_Pulsante_X_1 = image(d::Pulsante_X_1);
    p.Nome_Immagine_Pulsante_X_2 = image(d::Pulsante_X_2);
    return p;
}

}  // namespace sb
