// The program-wide state shared by both windows. One instance lives as long
// as the process; nothing of it is saved between runs.
#pragma once

#include <cstdint>
#include <string>

#include "common/value.h"
#include "site/parametri.h"

namespace sb {

struct Module1 {
    std::string Percorso_File;

    // Number of the selected tab (1 "Titolo" ... 11 "Anteprima Sito").
    std::int16_t Tab_Corrente = 0;
    // The last parameter tab; the one after it is the site preview.
    std::int16_t Ultimo_Tab_Parametri = 0;
    // Set while the program runs the confirm routine or a sample page on its
    // own behalf: no tab advance, no question, no announcement.
    std::int16_t Esecuzione_Automatica = 0;
    // Set from the end of the Main Window's load until start-up has ended.
    std::int16_t Caricamento_In_Corso = 0;
    // Left of the small image in the slide sample page; empty or 0 means 110.
    Value POS_X_IMG;

    // Viewer state: folder of the listed images (ending with its separator),
    // number of images listed and number of the image on view.
    std::string Cartella_Img;
    std::int16_t N_Img = 0;
    std::int16_t Img_Corrente = 0;

    // Hand-over to the Copy Window: the bare name of the image on view, the
    // destination folder remembered between openings, and the full path of
    // the image handed over (its folder followed by its name), which the
    // window copies whatever the Main Window shows meanwhile.
    std::string Nome_Img_Copia;
    std::string Cartella_Copia;
    std::string copySourcePath;

    Parametri_Sito Parametri;
};

}  // namespace sb
