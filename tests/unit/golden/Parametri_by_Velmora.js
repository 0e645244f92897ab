//==========================================================================================
//======== Parametri del Sito ==============================================================
//======== Link Siti Velmora(c)  http://www.velmora.example/                        ========
//==========================================================================================

var MAX_NUM_ARG= 5;
var MAX_NUM_RIGHE= 4;
var MAX_NUM_IMG_RIGA= 4;

var POS_Y_GRUPPI= 30;
var ALT_GRUPPI= 95;

var LARGH_X_DIA= 135;
var ALT_DIA= 100;

var POS_X_DIA= 400;
var POS_Y_DIA= 190;

var POS_Y_IMG= 200;

var POS_X_IMG_GRANDE= 220;
var POS_Y_IMG_GRANDE= 80;

var Nome_Immagine_Sfondo_Sito='Sfondo_Bello_Azzurro_Moderno_main-bg_1024x768_RID.jpg';
var Nome_Immagine_Pulsanti_Argomenti='Tela_Vuota_Quadro_3_200x152_RID.jpg';
var Nome_Sfondo_Pagina_Immagini='Tela_Vuota_Quadro_3_RID.jpg';
var Nome_Immagine_Sfondo_Diapositiva='Sfondo_Diapositiva_Oro_01.gif';
var Nome_Immagine_Testata='Image5.jpg';
var Nome_Immagine_Sfondo_Fumetto_1='Fumetto_01.gif';
var Nome_Immagine_Pulsante_X_1='Pulsante_tondo_Annulla_thumbdown.gif';
var Nome_Immagine_Pulsante_X_2='Pulsante_X_Chiudi_Finestra_by_Velmora_03.GIF';

