#include "ui/main_window.h"

namespace sb {

namespace {

struct Caption {
    int label;  // index into Text4
    const char* italian;
    const char* english;
};

// Label texts in the order the switch writes them.
constexpr Caption kLabels[] = {
    {0, "Titolo Sito", "Title of Web-Site"},
    {1, "Nome immagine", "Image name"},
    {3, "Numero Gruppi desiderati (1-20..)", "Number favorites Groups (1-20..)"},
    {4, "Selezionare l'immagine da usare per i Pulsanti dei Gruppi", "Select the image for utilize for Bottons of Groups"},
    {5, "Selezionare l'immagine da usare come sfondo generale delle immagini del Gruppo scelto",
     "Select the image for utilize with Background of the select Group"},
    {6, "Descrizione Sito", "Description Site"},
    {7, "Numero Righe (1-4..)", "Rows Number (1-4..)"},
    {8, "Numero Immagini per Riga  (1-4..)", "Number Images for Row  (1-4..)"},
    {9, "Selezionare l'immagine da usare come sfondo per le Miniature delle immagini",
     "Select the image for utilize with Background for Icons (Micro-Images)"},
    {10, "Larghezza diapositive (135)", "Width of Icons (Micro-Images)  (135)"},
    {11, "Altezza diapositiva (100)", "Height of Icons (Micro-Images) (100)"},
    {12, "Posizione Immagine Sfondo Diapositiva (400) X=", "Position Background of Icons (Micro-Images) (400) X="},
    {13, "Posizione Immagine Sfondo Diapositiva (190) Y=", "Position Background of Icons (Micro-Images) (190) Y="},
    {14, "Posizione Immagine Piccola sopra Diapositiva (200) Y=", "Position image over Icons (Micro-Images) (200) Y="},
    {15, "Posizione Immagine Grande (220) X=", "Position Big image (220) X="},
    {18, "Posizione Immagine Grande (80)  Y=", "Position Big image (80)  Y="},
    {16, "Indicare la cartella e il Nome del Sito che volete creare o gestire",
     "Select Folder and Name of your Web-Site for create and management"},
    {17, "Indicare l'immagine da utilizare come Sfondo della Homepage del vostro  Sito Internet",
     "Select image for utilize with Background of Homepage your Web-Site"},
    {19, "Posizione Pulsanti Gruppi (30) Y=", "Position of Bottons Groups (30) Y="},
    {20, "Spaziatura verticale tra i Gruppi  (95)", "Vertical width thru Groups (95)"},
};

constexpr const char* kTabsItalian[kTabCount] = {
    "Titolo", "Sfondo", "Gruppi", "Argomenti", "Diapositive", "Immagini_Piccole",
    "Immagini_Grandi", "Pulsanti", "Testata", "Commenti", "Anteprima Sito"};
constexpr const char* kTabsEnglish[kTabCount] = {
    "Title", "Background", "Groups", "Argoments", "Icons", "Micro-Images",
    "Big-Images", "Bottons", "Head", "Note", "Preview Web-Site"};

struct Placeholder {
    const char* field;
    const char* italian;
    const char* english;
};
constexpr Placeholder kPlaceholders[] = {
    {"Titolo_Sito", "Titolo del Sito", "Title of Web-Site"},
    {"Des_Sito", "Descrizione del Sito", "Description of Web-Site"},
};

}  // namespace

void MainWindow::Image2_Click(int index) {
    const bool english = index != 0;
    auto pick = [english](const char* italian, const char* eng) { return std::string(english ? eng : italian); };

    title = kProgramTitle;
    setText("Command1", -1, pick("Sfoglia ...", "Search ..."));
    setText("Command5", -1, pick("Copia Img.", "Copy Img."));
    // On the last parameter tab and on the preview the confirm button creates
    // the site, and says so; elsewhere it confirms the tab's parameters.
    const bool creates = selectedTab >= state_.Ultimo_Tab_Parametri && state_.Ultimo_Tab_Parametri > 0;
    setText("Pulsante_Conferma", -1,
            creates ? pick("Conferma creazione Sito", "Confirm site creation")
                    : pick("Conferma parametri", "Confirmation of parameters"));
    for (const Caption& c : kLabels) setText("Text4", c.label, pick(c.italian, c.english));
    // On the first tab the row label names the site's folder, not an image.
    if (selectedTab == 1) setText("Text4", 1, pick("Nome Sito", "Site name"));
    for (const Placeholder& p : kPlaceholders) {
        const std::string other = english ? p.italian : p.english;
        if (text(p.field) == other) setText(p.field, -1, pick(p.italian, p.english));
    }
    for (int i = 0; i < kTabCount; ++i) tabs[static_cast<std::size_t>(i)] = pick(kTabsItalian[i], kTabsEnglish[i]);
    touch();
}

}  // namespace sb
