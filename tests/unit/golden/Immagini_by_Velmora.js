//==========================================================================================
//======== Gruppi e Immagini del Sito ======================================================
//==========================================================================================

var Cartella_Miniature='Miniature_by_Velmora';
var Lingua_Galleria='it';
var Parole_Galleria={home:'Home',page:'Pagina {k} di {n}',previous:'Precedente',next:'Successiva',close:'Chiudi',download:'Scarica l\'originale',slideshow:'Presentazione',pause:'Pausa',fullscreen:'Schermo intero',loading:'Caricamento\u2026',first:'Prima',last:'Ultima'};

var Gruppi_Immagini=[
];

