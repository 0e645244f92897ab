// The texts of the windows that follow the language, each once, in Italian
// and in English. The designs, the language switches, the tab pages and the
// confirm button all take their captions from here.
#pragma once

#include <span>

#include "ui/window_model.h"

namespace sb {

// The program's name, used as the Main Window's title (followed by one blank,
// so that the viewer caption reads "Site Builder 3/12") and as the title of
// message boxes that give none.
inline constexpr const char* kProgramTitle = "Site Builder ";
inline constexpr const char* kProgramName = "Site Builder";
inline constexpr const char* kSignature = "by Velmora";

struct Caption {
    const char* italian;
    const char* english;
    const char* in(bool english) const { return english ? this->english : italian; }
};

// A control's caption in a window's caption table. The control kWindowTitle
// stands for the window's own title.
struct ControlCaption {
    const char* control;
    int index;
    Caption caption;
};
inline constexpr const char* kWindowTitle = "";

// The browse button. Its caption also tells which language is on view:
// English exactly when it reads "Search ...". As designed, before the first
// switch, it reads kBrowseDesign, which counts as Italian.
inline constexpr Caption kBrowse{"Sfoglia ...", "Search ..."};
inline constexpr const char* kBrowseDesign = "Sfoglia...";

// The confirm button: it confirms a tab's parameters, and on the last
// parameter tab and on the preview it creates the site, and says so.
inline constexpr Caption kConfirmParameters{"Conferma parametri", "Confirmation of parameters"};
inline constexpr Caption kConfirmSite{"Conferma creazione Sito", "Confirm site creation"};

// The label of the path row: an image on most tabs, the site's folder on
// the first. The tab pages write kTabPageRowLabel before each page; the
// switch then gives the row the current language's label.
inline constexpr Caption kImageRowLabel{"Nome immagine", "Image name"};
inline constexpr Caption kSiteRowLabel{"Nome Sito", "Site name"};
inline constexpr const char* kTabPageRowLabel = "Nome Immagine";

// What the title and description fields hold until the user types.
inline constexpr Caption kTitlePlaceholder{"Titolo del Sito", "Title of Web-Site"};
inline constexpr Caption kDescriptionPlaceholder{"Descrizione del Sito", "Description of Web-Site"};

inline constexpr Caption kTabCaptions[] = {
    {"Titolo", "Title"},
    {"Sfondo", "Background"},
    {"Gruppi", "Groups"},
    {"Argomenti", "Argoments"},
    {"Diapositive", "Icons"},
    {"Immagini_Piccole", "Micro-Images"},
    {"Immagini_Grandi", "Big-Images"},
    {"Pulsanti", "Bottons"},
    {"Testata", "Head"},
    {"Commenti", "Note"},
    {"Anteprima Sito", "Preview Web-Site"},
};

// The Main Window's captions, in the order its switch writes them.
inline constexpr ControlCaption kMainWindowCaptions[] = {
    {kWindowTitle, -1, {kProgramTitle, kProgramTitle}},
    {"Command1", -1, kBrowse},
    {"Command5", -1, {"Copia Img.", "Copy Img."}},
    {"Pulsante_Conferma", -1, kConfirmParameters},
    {"Text4", 0, {"Titolo Sito", "Title of Web-Site"}},
    {"Text4", 1, kImageRowLabel},
    {"Text4", 3, {"Numero Gruppi desiderati (1-20..)", "Number favorites Groups (1-20..)"}},
    {"Text4", 4, {"Selezionare l'immagine da usare per i Pulsanti dei Gruppi", "Select the image for utilize for Bottons of Groups"}},
    {"Text4", 5,
     {"Selezionare l'immagine da usare come sfondo generale delle immagini del Gruppo scelto",
      "Select the image for utilize with Background of the select Group"}},
    {"Text4", 6, {"Descrizione Sito", "Description Site"}},
    {"Text4", 7, {"Numero Righe (1-4..)", "Rows Number (1-4..)"}},
    {"Text4", 8, {"Numero Immagini per Riga  (1-4..)", "Number Images for Row  (1-4..)"}},
    {"Text4", 9,
     {"Selezionare l'immagine da usare come sfondo per le Miniature delle immagini",
      "Select the image for utilize with Background for Icons (Micro-Images)"}},
    {"Text4", 10, {"Larghezza diapositive (135)", "Width of Icons (Micro-Images)  (135)"}},
    {"Text4", 11, {"Altezza diapositiva (100)", "Height of Icons (Micro-Images) (100)"}},
    {"Text4", 12, {"Posizione Immagine Sfondo Diapositiva (400) X=", "Position Background of Icons (Micro-Images) (400) X="}},
    {"Text4", 13, {"Posizione Immagine Sfondo Diapositiva (190) Y=", "Position Background of Icons (Micro-Images) (190) Y="}},
    {"Text4", 14, {"Posizione Immagine Piccola sopra Diapositiva (200) Y=", "Position image over Icons (Micro-Images) (200) Y="}},
    {"Text4", 15, {"Posizione Immagine Grande (220) X=", "Position Big image (220) X="}},
    {"Text4", 18, {"Posizione Immagine Grande (80)  Y=", "Position Big image (80)  Y="}},
    {"Text4", 16,
     {"Indicare la cartella e il Nome del Sito che volete creare o gestire",
      "Select Folder and Name of your Web-Site for create and management"}},
    {"Text4", 17,
     {"Indicare l'immagine da utilizare come Sfondo della Homepage del vostro  Sito Internet",
      "Select image for utilize with Background of Homepage your Web-Site"}},
    {"Text4", 19, {"Posizione Pulsanti Gruppi (30) Y=", "Position of Bottons Groups (30) Y="}},
    {"Text4", 20, {"Spaziatura verticale tra i Gruppi  (95)", "Vertical width thru Groups (95)"}},
    {"PublishSite", -1, {"Pubblica il sito", "Publish the site"}},
};

// The Copy Window's captions, in the order its switch writes them.
inline constexpr ControlCaption kCopyWindowCaptions[] = {
    {kWindowTitle, -1, {kProgramTitle, kProgramTitle}},
    {"Frame1", -1, {"Copia Immagini selezionate", "Copy select Images"}},
    {"Command1", -1, kBrowse},
    {"Command2", -1, {"Conferma copia", "Confirmation copying"}},
    {"Command3", -1, {"Sposta immagine", "Move image"}},
    {"Label1", -1, {"Cartella dove copiare le Immagini", "Folder to copy Images"}},
};

// Texts of the Copy Window that follow its language outside the switch. The
// title prefix is followed by the path of the image to copy.
inline constexpr Caption kCopyTitlePrefix{"Copia Immagine ", "Copy Image "};
inline constexpr Caption kMoveQuestionTitle{"Sposta file (Copia e cancella file originale)",
                                            "Move file (copy and delete original file)"};
inline constexpr Caption kMoveQuestion{"Confermi la copia e la cancellazione dell'immagine selezionata (S/N) ?",
                                       "Confirmation copying and deletion of the selected image (Y/N) ?"};
inline constexpr Caption kMoveRefused{"Per la copia normale di un'immagine utilizzare altro pulsante !",
                                      "For the normal copy of a file using another button !"};
inline constexpr Caption kNoImageToCopy{"Non c'è nessuna immagine da copiare !", "There is no image to copy !"};

// A site read back from its folder, and a site not yet written at closing.
// The folder follows each question on a line of its own.
inline constexpr Caption kLoadSiteTitle{"Apri Sito", "Open Web-Site"};
inline constexpr Caption kLoadSiteQuestion{
    "Nella cartella scelta c'è già un Sito creato con questo programma: caricare i suoi parametri (S/N) ?",
    "In the select Folder there is already a Web-Site created with this program: load its parameters (Y/N) ?"};
inline constexpr Caption kUnreadValues{
    "Alcuni parametri del Sito non sono leggibili e mantengono il valore predefinito:",
    "Some parameters of the Web-Site are not readable and keep the default value:"};
inline constexpr Caption kUnreadSiteKept{"I file del Sito restano come sono fino alla prossima registrazione.",
                                         "The files of the Web-Site stay as they are until the next saving."};
inline constexpr Caption kCloseQuestion{
    "I parametri modificati non sono ancora registrati nel Sito: registrare il Sito prima di chiudere (S/N) ?",
    "The changed parameters are not yet saved in the Web-Site: save the Web-Site before closing (Y/N) ?"};
inline constexpr Caption kFolderLine{"Cartella ", "Folder "};

// The Publish window's captions: a control's text or, at index 0, the hint
// that a field shows while it is empty. The window follows the Main Window's
// language.
inline constexpr ControlCaption kPublishWindowCaptions[] = {
    {"Frame1", -1, {"Spazio web", "Web space"}},
    {"AddressLabel", -1, {"Indirizzo", "Address"}},
    {"Address", 0, {"sftp://server/percorso/  oppure  ftps://server/percorso/", "sftp://server/path/  or  ftps://server/path/"}},
    {"UserLabel", -1, {"Utente", "User name"}},
    {"PasswordLabel", -1, {"Password", "Password"}},
    {"Remember", -1, {"Ricorda la password", "Remember the password"}},
    {"KeyLabel", -1, {"Chiave SSH", "SSH key"}},
    {"Key", 0, {"agente SSH, poi ~/.ssh/id_ed25519 o id_rsa", "SSH agent, then ~/.ssh/id_ed25519 or id_rsa"}},
    {"KeyBrowse", -1, kBrowse},
    {"KeyHint", -1,
     {"Senza password, SFTP entra con l'agente SSH o con la chiave.",
      "Without a password, SFTP signs in with the SSH agent or the key."}},
    {"Frame2", -1, {"Avanzamento", "Progress"}},
    {"Status", -1, {"Pronto.", "Ready."}},
    {"Publish", -1, {"Pubblica", "Publish"}},
    {"Cancel", -1, {"Annulla", "Cancel"}},
};

// Texts of the Publish window outside its captions. %1, %2 ... stand for
// what the window puts in.
inline constexpr Caption kPublishTitle{"Pubblica il sito %1", "Publish the site %1"};
inline constexpr Caption kPublishInClearTitle{"Pubblicazione in chiaro", "Publishing in clear"};
inline constexpr Caption kPublishInClear{
    "Con ftp:// la password e i file viaggiano in chiaro: chiunque sia sulla strada può leggerli o cambiarli.\n"
    "Se lo spazio web li offre, usare sftp:// o ftps://.\n\nPubblicare lo stesso in chiaro?",
    "With ftp:// the password and the files travel in clear: anyone on the way can read or change them.\n"
    "If the web space offers them, use sftp:// or ftps://.\n\nPublish in clear all the same?"};
inline constexpr Caption kPublishBadAddress{"Indirizzo non valido: scrivere sftp://server/percorso/ o ftps://server/percorso/",
                                            "Not a valid address: write sftp://server/path/ or ftps://server/path/"};
inline constexpr Caption kPublishNoUser{"Scrivere il nome utente dello spazio web.", "Write the user name of the web space."};
inline constexpr Caption kPublishNoSite{"Nella cartella %1 non c'è un sito: crearlo prima con \"Conferma creazione Sito\".",
                                        "The folder %1 holds no site: create it first with \"Confirm site creation\"."};
inline constexpr Caption kPublishStarted{"Pubblicazione di %1 su %2", "Publishing %1 to %2"};
inline constexpr Caption kPublishCancelling{"Annullamento: il server terrà solo file interi ...",
                                            "Cancelling: the server keeps whole files only ..."};
inline constexpr Caption kPublishUnavailable{"Questa versione del programma non sa pubblicare.",
                                             "This build of the program cannot publish."};
inline constexpr Caption kPublishProgress{"%1 di %2 file, %3 di %4", "%1 of %2 files, %3 of %4"};
inline constexpr Caption kPublishTimeLeft{", circa %1 al termine", ", about %1 left"};
inline constexpr Caption kUnknownHostTitle{"Server SFTP sconosciuto", "Unknown SFTP server"};
inline constexpr Caption kUnknownHost{
    "Il server %1 non è ancora tra quelli conosciuti (~/.ssh/known_hosts).\n\nChiave %2, impronta:\n%3\n\n"
    "Se l'impronta è quella data dal fornitore dello spazio web, fidarsi del server e ricordarlo?",
    "The server %1 is not among the known ones yet (~/.ssh/known_hosts).\n\n%2 key, fingerprint:\n%3\n\n"
    "If the fingerprint is the one the web space's provider gives, trust the server and remember it?"};
inline constexpr Caption kUntrustedCertificateTitle{"Certificato non verificato", "Certificate not verified"};
inline constexpr Caption kUntrustedCertificate{
    "Il certificato del server %1 non si può verificare:\n\n%2\n\nAccettarlo per questo server?",
    "The certificate of the server %1 cannot be verified:\n\n%2\n\nAccept it for this server?"};
// A question's answers (Qt's own words in English) and the thumbnails' progress.
inline constexpr Caption kAnswerYes{"Sì", "&Yes"}, kAnswerNo{"No", "&No"}, kAnswerCancel{"Annulla", "Cancel"};
inline constexpr Caption kThumbnailsProgress{"Miniature delle immagini della galleria...",
                                             "Thumbnails of the gallery's pictures..."};
inline constexpr Caption kPasswordSaved{"Password ricordata nel portachiavi del desktop.",
                                        "Password remembered in the desktop's keyring."};
inline constexpr Caption kPasswordNotSaved{
    "Password non ricordata: il portachiavi del desktop non risponde (%1). Non viene scritta in nessun file.",
    "Password not remembered: the desktop's keyring does not answer (%1). It is written to no file."};

// English is on view in a window exactly when its browse button reads
// "Search ...".
bool Lingua_Inglese(const WindowModel& window);

// Writes every caption of a table in one language.
void applyCaptions(WindowModel& window, std::span<const ControlCaption> captions, bool english);

// The Italian caption a table gives a control; nullptr when it gives none.
const char* italianCaption(std::span<const ControlCaption> captions, const char* control, int index);

}  // namespace sb
