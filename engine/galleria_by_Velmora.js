// The gallery engine of a site written by the Site Builder.
// Copyright (c) 2026 The Site Builder developers.
// SPDX-License-Identifier: MIT (the licence text: https://opensource.org/license/mit)
//
// The home page loads it right after the parameter script. It loads the list
// of groups and pictures lying beside it and builds, in the visitor's
// browser, the group buttons of the home page, the pages of slides of each
// group and the big picture. Plain JavaScript without any library, so that a
// site works from a folder or a USB stick (file://) as well as from any web
// server, in today's browsers and in older Chromium-based ones. The file
// stays ASCII: the home page declares no character set.
//
// Every view has an address of its own in the fragment of the URL, so that
// the browser's Back button and bookmarks work:
//   #                               the home page
//   #gruppo=Mare&pagina=2           a page of a group
//   #gruppo=Mare&foto=Faro.jpg      a big picture
// Opening a group or a page is a step of the browser's history; stepping
// from one big picture to another replaces the picture's step, so that one
// Back leaves the pictures.
//
// Where the window is wide enough for the places the parameters give, the
// pages stand there; in a narrower window (a phone, a tablet) the same
// content flows in the width there is, every control large enough to touch.
(function (root) {
  'use strict';

  var LIST_FILE = 'Immagini_by_Velmora.js';
  var FAVICON = 'favicon_by_Velmora.png';

  // The numbers of the parameter script, each with the value taken when the
  // script leaves it out or holds one the pages cannot be built with, and
  // the range of whole pixels (or counts) that makes sense for it.
  var NUMBERS = {
    MAX_NUM_ARG: [5, 1, 100],
    MAX_NUM_RIGHE: [4, 1, 50],
    MAX_NUM_IMG_RIGA: [4, 1, 50],
    POS_Y_GRUPPI: [30, 0, 10000],
    ALT_GRUPPI: [95, 30, 2000],
    LARGH_X_DIA: [135, 21, 2000],   // the thumbnail is 20 pixels narrower
    ALT_DIA: [100, 21, 2000],       // and 20 lower than its slide
    POS_X_DIA: [400, 0, 10000],
    POS_Y_DIA: [190, 0, 10000],
    POS_Y_IMG: [200, 0, 10000],
    POS_X_IMG_GRANDE: [220, 0, 10000],
    POS_Y_IMG_GRANDE: [80, 0, 10000]
  };

  // The pictures of the parameter script, with the program's own ones for
  // names left out.
  var PICTURES = {
    Nome_Immagine_Sfondo_Sito: 'Sfondo_Bello_Azzurro_Moderno_main-bg_1024x768_RID.jpg',
    Nome_Immagine_Pulsanti_Argomenti: 'Tela_Vuota_Quadro_3_200x152_RID.jpg',
    Nome_Sfondo_Pagina_Immagini: 'Tela_Vuota_Quadro_3_RID.jpg',
    Nome_Immagine_Sfondo_Diapositiva: 'Sfondo_Diapositiva_Oro_01.gif',
    Nome_Immagine_Testata: 'Image5.jpg',
    Nome_Immagine_Sfondo_Fumetto_1: 'Fumetto_01.gif',
    Nome_Immagine_Pulsante_X_1: 'Pulsante_tondo_Annulla_thumbdown.gif',
    Nome_Immagine_Pulsante_X_2: 'Pulsante_X_Chiudi_Finestra_by_Velmora_03.GIF'
  };

  // The engine's own words, in the language the program was in when it
  // wrote the site; a list written before the words were part of it gets
  // the Italian ones.
  var WORDS = {
    home: 'Home', page: 'Pagina {k} di {n}', previous: 'Precedente', next: 'Successiva', close: 'Chiudi',
    download: 'Scarica l\'originale', slideshow: 'Presentazione', pause: 'Pausa', fullscreen: 'Schermo intero',
    loading: 'Caricamento\u2026', first: 'Prima', last: 'Ultima'
  };
  // What a picture that cannot be shown says, by language.
  var UNREADABLE = { it: 'immagine non leggibile', en: 'picture cannot be read' };

  // Places that no parameter gives, in CSS pixels.
  var GROUP_LEFT = 100;      // the group buttons stand where the groups sample page shows them
  var GROUP_GAP = 10;        // from one group button's bottom to the next one's top
  var SLIDE_GAP = 20;        // between the slides of a row
  var CAPTION_ROOM = 30;     // under each slide, for its caption
  var THUMB_INSET = 10;      // the thumbnail's left inside its slide
  var BAR_HEIGHT = 40;       // the page bar: arrows and numbered buttons
  var NUMBERED_PAGES = 10;   // Pulsante_01.gif to Pulsante_10.gif
  var NUMBERED_SIZE = [110, 40];  // their pixels
  var MARGIN = 30;           // around the big picture, room for its close button
  var SMALLEST_BIG = 160;    // a big picture is never squeezed below this
  var EDGE = 10;             // the least room kept between the slides and the window's right edge
  var NARROW_PAD = 8;        // around the content of a narrow window
  var NARROW_GAP = 12;       // between the slides of a narrow window
  var TOUCH = 44;            // the least side of anything to touch
  var SMALL_SIDE = 1024, LARGE_SIDE = 2048;  // the long sides of the web-sized copies
  var SLIDESHOW_MS = 4000;   // how long the slideshow shows each picture

  // --- the pure part: what goes where ---------------------------------------

  function wholeNumber(value, rule) {
    var n = typeof value === 'number' ? value :
      typeof value === 'string' && value.trim() !== '' ? Number(value) : NaN;
    if (!isFinite(n)) return rule[0];
    n = Math.round(n);
    return n >= rule[1] && n <= rule[2] ? n : rule[0];
  }

  function text(value) { return typeof value === 'string' ? value : ''; }

  // The settings the pages are built with, from the parameter script's
  // variables (`globals` is where they live: the window).
  function readSettings(globals) {
    var s = {}, name;
    for (name in NUMBERS) s[name] = wholeNumber(globals[name], NUMBERS[name]);
    for (name in PICTURES) {
      var value = globals[name];
      s[name] = typeof value === 'string' && value !== '' ? value : PICTURES[name];
    }
    return s;
  }

  // The language of the pages ('it' or 'en') and the engine's words, from
  // the list's variables; a word missing or empty is the Italian one.
  function readWords(globals) {
    var given = globals.Parole_Galleria, words = {};
    for (var key in WORDS) {
      var word = given && typeof given === 'object' ? given[key] : null;
      words[key] = typeof word === 'string' && word.trim() !== '' ? word : WORDS[key];
    }
    var lang = globals.Lingua_Galleria === 'en' ? 'en' : 'it';
    words.unreadable = UNREADABLE[lang];
    return { lang: lang, words: words };
  }

  function pageWords(words, page, pages) {
    return words.page.replace('{k}', String(page)).replace('{n}', String(pages));
  }

  // The groups of the list, checked: a group is a name and at least one
  // picture; a picture is a file name, the names of its thumbnail and of
  // its large and small copies ('' for none) and its size in pixels (0 for
  // unknown); a list of an older site holds the first two alone. Only the
  // first MAX_NUM_ARG groups are part of the site.
  function readGroups(list, s) {
    var groups = [];
    if (!Array.isArray(list)) return groups;
    list.forEach(function (entry) {
      if (!Array.isArray(entry) || typeof entry[0] !== 'string' || !Array.isArray(entry[1])) return;
      var pictures = entry[1].filter(function (p) {
        return Array.isArray(p) && typeof p[0] === 'string' && p[0] !== '';
      }).map(function (p) {
        var width = wholeNumber(p[4], [0, 1, 1e6]), height = wholeNumber(p[5], [0, 1, 1e6]);
        return { file: p[0], thumbnail: text(p[1]), large: text(p[2]), small: text(p[3]),
          width: width && height ? width : 0, height: width && height ? height : 0, caption: caption(p[0]) };
      });
      if (pictures.length > 0 && groups.length < s.MAX_NUM_ARG) groups.push({ name: entry[0], pictures: pictures });
    });
    return groups;
  }

  // A picture's caption: its file name without the extension, "_" read as a blank.
  function caption(file) {
    var name = file.replace(/\.[^.]*$/, '').replace(/_/g, ' ');
    return name.trim() === '' ? file : name;
  }

  // One path segment (a file or folder name) as a URL holds it.
  function segment(name) {
    try {
      return encodeURIComponent(name);
    } catch (e) {  // a lone surrogate: keep what can be kept
      return encodeURIComponent(name.replace(/[\ud800-\udfff]/g, '\ufffd'));
    }
  }

  function pictureUrl(group, file) { return segment(group) + '/' + segment(file); }

  // The layout for a window `width` CSS pixels wide: the parameters' own
  // places when the slides of a full row fit beside POS_X_DIA, otherwise the
  // narrow flow with as many columns of slides as fit (the parameters' count
  // at most), slides made smaller only when one alone does not fit. Controls
  // are large enough to touch in the narrow flow and on touch screens.
  function layoutFor(s, width, touch) {
    var row = s.MAX_NUM_IMG_RIGA * (s.LARGH_X_DIA + SLIDE_GAP) - SLIDE_GAP;
    if (s.POS_X_DIA + row + EDGE <= width) {
      return { narrow: false, touch: !!touch, columns: s.MAX_NUM_IMG_RIGA, slideWidth: s.LARGH_X_DIA, slideHeight: s.ALT_DIA };
    }
    var room = Math.max(1, width - 2 * NARROW_PAD);
    var columns = Math.max(1, Math.min(s.MAX_NUM_IMG_RIGA, Math.floor((room + NARROW_GAP) / (s.LARGH_X_DIA + NARROW_GAP))));
    var slideWidth = Math.min(s.LARGH_X_DIA, room);
    return { narrow: true, touch: true, columns: columns, slideWidth: slideWidth,
      slideHeight: Math.round(s.ALT_DIA * slideWidth / s.LARGH_X_DIA) };
  }

  // Group buttons of the home page: one under the other, each as high as the
  // spacing allows, so that they never overlap.
  function groupButtonPlaces(s, count) {
    var places = [];
    for (var k = 0; k < Math.min(count, s.MAX_NUM_ARG); k++) {
      places.push({ left: GROUP_LEFT, top: s.POS_Y_GRUPPI + k * s.ALT_GRUPPI, height: s.ALT_GRUPPI - GROUP_GAP });
    }
    return places;
  }

  function picturesPerPage(s) { return s.MAX_NUM_RIGHE * s.MAX_NUM_IMG_RIGA; }

  function pageCount(s, pictures) { return Math.max(1, Math.ceil(pictures / picturesPerPage(s))); }

  function pageOf(s, index) { return Math.floor(index / picturesPerPage(s)) + 1; }

  // The pictures of a page: indexes [first, end).
  function pageRange(s, page, pictures) {
    var first = (page - 1) * picturesPerPage(s);
    return { first: first, end: Math.min(pictures, first + picturesPerPage(s)) };
  }

  // The slides' grid in the parameters' places: its top left at (POS_X_DIA,
  // POS_Y_DIA), or centred in a window wider than the parameters' design
  // (the same margin left and right); the thumbnail inside each slide, 20
  // pixels narrower and lower, its top at POS_Y_IMG as the page goes.
  function gridPlace(s, width) {
    var row = s.MAX_NUM_IMG_RIGA * (s.LARGH_X_DIA + SLIDE_GAP) - SLIDE_GAP;
    return {
      left: Math.max(s.POS_X_DIA, Math.floor((width - row) / 2)), top: s.POS_Y_DIA,
      rowHeight: s.ALT_DIA + CAPTION_ROOM, gap: SLIDE_GAP,
      thumbnail: { left: THUMB_INSET, top: s.POS_Y_IMG - s.POS_Y_DIA, width: s.LARGH_X_DIA - 20, height: s.ALT_DIA - 20 }
    };
  }

  // The page bar stands above the slides when there is room for it, under
  // them otherwise; the header fills what is left above.
  function pageLayout(s) {
    var above = s.POS_Y_DIA - BAR_HEIGHT - 10;
    var barTop = above >= 10 ? above : s.POS_Y_DIA + s.MAX_NUM_RIGHE * (s.ALT_DIA + CAPTION_ROOM);
    var headerHeight = Math.max(40, Math.min(barTop, s.POS_Y_DIA) - 30);
    return { left: s.POS_X_DIA, barTop: barTop, headerTop: 10, headerHeight: headerHeight };
  }

  // The numbered buttons of the page bar: the first page, the last, the
  // current one and its neighbours, 0 for a gap between them; a gap never
  // hides a single page (its number takes the gap's place). Seven at most.
  function pageBar(page, pages) {
    if (pages <= 1) return [];
    var shown = [1, page - 1, page, page + 1, pages].filter(function (n, k, all) {
      return n >= 1 && n <= pages && all.indexOf(n) === k;
    }).sort(function (a, b) { return a - b; });
    var bar = [];
    shown.forEach(function (n, k) {
      if (k > 0 && n - shown[k - 1] === 2) bar.push(n - 1);
      else if (k > 0 && n - shown[k - 1] > 2) bar.push(0);
      bar.push(n);
    });
    return bar;
  }

  // The numbered buttons are the parameters' pictures as long as there are
  // ten pages at most and the window has the parameters' layout.
  function numberedButton(page) { return 'Pulsante_' + (page < 10 ? '0' : '') + page + '.gif'; }

  function pictureButtons(pages, layout) { return !layout.narrow && pages <= NUMBERED_PAGES; }

  // Where the big picture goes in a window of `width` x `height`: right of
  // POS_X_IMG_GRANDE and under POS_Y_IMG_GRANDE, centred in the rest; a
  // window too small for that place (or a narrow layout) gives the picture
  // the whole window.
  function bigPictureRoom(s, width, height, narrow) {
    var left = s.POS_X_IMG_GRANDE, top = s.POS_Y_IMG_GRANDE, margin = MARGIN;
    if (narrow) left = top = margin = 0;
    else if (width - left - MARGIN < SMALLEST_BIG || height - top - MARGIN < SMALLEST_BIG) left = top = MARGIN;
    return { left: left, top: top, maxWidth: Math.max(1, width - left - margin), maxHeight: Math.max(1, height - top - margin) };
  }

  // Which file to show a picture from in a room of `width` x `height` CSS
  // pixels at `density` device pixels each: the smallest of the web-sized
  // copies that is sharp there, the original when none is (or for a list
  // without copies). Past two device pixels to a CSS pixel the eye sees no
  // more detail on a phone, and the bytes would cost a slow line dearly.
  function bigPictureSource(picture, width, height, density) {
    var long = Math.max(picture.width, picture.height), sharp = Math.min(2, Math.max(1, density || 1)), needed;
    if (long > 0) needed = Math.ceil(long * Math.min(1, sharp * Math.min(width / picture.width, height / picture.height)));
    else needed = Math.ceil(sharp * Math.max(width, height));
    if (picture.small && (long > 0 ? Math.min(long, SMALL_SIDE) : SMALL_SIDE) >= needed) return 'small';
    if (picture.large && (long > 0 ? Math.min(long, LARGE_SIDE) : LARGE_SIDE) >= needed) return 'large';
    return 'original';
  }

  // The view an address names: { group, page, picture } (names, or null).
  function readFragment(hash) {
    var view = { group: null, page: 1, picture: null };
    String(hash || '').replace(/^#/, '').split('&').forEach(function (part) {
      var equals = part.indexOf('=');
      if (equals < 0) return;
      var key = part.slice(0, equals), value;
      try { value = decodeURIComponent(part.slice(equals + 1)); } catch (e) { return; }
      if (key === 'gruppo') view.group = value;
      else if (key === 'foto') view.picture = value;
      else if (key === 'pagina' && /^\d{1,6}$/.test(value)) view.page = Math.max(1, parseInt(value, 10));
    });
    return view;
  }

  function fragment(group, page, picture) {
    if (group == null) return '#';
    var address = '#gruppo=' + segment(group);
    if (picture != null) return address + '&foto=' + segment(picture);
    return page > 1 ? address + '&pagina=' + page : address;
  }

  // What to show for a view: a group and a page of it, maybe one of its
  // pictures big (indexes); an unknown group gives the home page, an unknown
  // picture its group's page, a page beyond the last one the last.
  function resolve(view, groups, s) {
    var g = -1;
    for (var k = 0; k < groups.length; k++) if (groups[k].name === view.group) { g = k; break; }
    if (g < 0) return { group: -1, page: 1, picture: -1 };
    var pictures = groups[g].pictures, picture = -1;
    for (var i = 0; view.picture != null && i < pictures.length; i++) {
      if (pictures[i].file === view.picture) { picture = i; break; }
    }
    var page = picture >= 0 ? pageOf(s, picture) : Math.min(view.page, pageCount(s, pictures.length));
    return { group: g, page: page, picture: picture };
  }

  // Where a key leads from a view ({ group, page, picture } as resolve gives
  // it, with `pictures` the group's count): { page, picture, step } with
  // picture -1 for the page itself, group -1 for the home page; step says
  // how the browser's history takes it: 'push' a step of its own, 'replace'
  // the view's step, 'close' back out of the pictures. null for a key that
  // leads nowhere.
  function keyTarget(view, key, pictures, s) {
    if (view.group < 0) return null;
    var pages = pageCount(s, pictures), i = view.picture;
    if (i >= 0) {
      var to = key === 'ArrowLeft' ? i - 1 : key === 'ArrowRight' ? i + 1 :
        key === 'Home' ? 0 : key === 'End' ? pictures - 1 : -1;
      if (key === 'Escape') return { group: view.group, page: pageOf(s, i), picture: -1, step: 'close' };
      if (to < 0 || to >= pictures || to === i) return null;
      return { group: view.group, page: pageOf(s, to), picture: to, step: 'replace' };
    }
    if (key === 'Escape') return { group: -1, page: 1, picture: -1, step: 'push' };
    var page = key === 'ArrowLeft' || key === 'PageUp' ? view.page - 1 :
      key === 'ArrowRight' || key === 'PageDown' ? view.page + 1 :
      key === 'Home' ? 1 : key === 'End' ? pages : 0;
    if (page < 1 || page > pages || page === view.page) return null;
    return { group: view.group, page: page, picture: -1, step: 'push' };
  }

  var pure = {
    readSettings: readSettings, readWords: readWords, pageWords: pageWords, readGroups: readGroups, caption: caption,
    segment: segment, pictureUrl: pictureUrl, layoutFor: layoutFor, groupButtonPlaces: groupButtonPlaces,
    pageCount: pageCount, pageRange: pageRange, gridPlace: gridPlace, pageLayout: pageLayout, pageBar: pageBar,
    numberedButton: numberedButton, pictureButtons: pictureButtons, bigPictureRoom: bigPictureRoom,
    bigPictureSource: bigPictureSource, readFragment: readFragment, fragment: fragment, resolve: resolve,
    keyTarget: keyTarget
  };
  if (typeof module === 'object' && module.exports) {
    module.exports = pure;
    return;
  }

  // --- the browser part ---------------------------------------------------

  var document = root.document;
  var settings, groups, words, lang, box, homeChildren = [], homeBackground, homeTitle, homeDescription;
  var layout = null, bigPicture = null, shown = null, slideshow = null, openedFrom = null;

  var STYLE = [
    // The home page keeps its own background, made to cover the window; a
    // group's pages stretch theirs over the whole window, as a wall for the
    // slides. The home page's own content stays out of a group's pages.
    'body{background-size:cover;background-repeat:no-repeat;background-attachment:fixed;background-position:center}',
    'html.gv-pagine body>:not(#galleria){display:none!important}',
    '#galleria{font-family:"DejaVu Sans",Verdana,Arial,sans-serif}',
    '#galleria a{outline-offset:3px}',
    '#galleria a:focus-visible,#galleria button:focus-visible{outline:3px solid #ffd54a}',
    '.gv-gruppo,.gv-dia,.gv-barra,.gv-testata,.gv-griglia{position:absolute;display:block;text-decoration:none}',
    '.gv-gruppo,.gv-dia{transition:transform .15s ease,filter .15s ease;filter:drop-shadow(0 3px 5px rgba(0,0,0,.35))}',
    '.gv-gruppo:hover,.gv-gruppo:focus,.gv-dia:hover,.gv-dia:focus{transform:translateY(-3px) scale(1.04);filter:drop-shadow(0 8px 10px rgba(0,0,0,.45))}',
    '.gv-gruppo{background-size:100% 100%;background-repeat:no-repeat}',
    '.gv-gruppo .gv-prima{position:absolute;left:10%;top:10%;width:80%;height:56%;object-fit:cover;box-shadow:inset 0 0 2px #000}',
    '.gv-gruppo .gv-nome{position:absolute;left:6%;right:6%;top:68%;bottom:6%;display:flex;align-items:center;justify-content:center;overflow:hidden}',
    '.gv-nome span{display:block;max-width:100%;color:#3b2410;font-weight:bold;text-align:center;line-height:1.1;overflow-wrap:anywhere}',
    '.gv-griglia{display:grid;align-items:start}',
    '.gv-dia{position:relative}',
    '.gv-telaio{position:relative;display:block;background-size:100% 100%;background-repeat:no-repeat}',
    '.gv-dia .gv-mini{position:absolute;object-fit:cover}',
    '.gv-didascalia{display:block;margin-top:4px;padding:1px 6px;border-radius:9px;font-size:12px;line-height:14px;',
    'text-align:center;color:#222;background:rgba(255,255,255,.85);overflow-wrap:anywhere}',
    '.gv-testata img{display:block;width:auto;height:auto;max-width:100%;box-shadow:0 4px 12px rgba(0,0,0,.35)}',
    '.gv-testata .gv-titolo{position:absolute;right:18px;top:8px;bottom:8px;max-width:60%;display:flex;align-items:flex-end;overflow:hidden;',
    'margin:0;color:#fff;font-size:26px;font-weight:bold;line-height:1.1;text-align:right;text-shadow:0 2px 4px rgba(0,0,0,.8)}',
    '.gv-titolo span{display:block;max-width:100%;overflow-wrap:anywhere}',
    '.gv-barra{display:flex;flex-wrap:wrap;align-items:center;gap:6px;min-height:' + BAR_HEIGHT + 'px}',
    '.gv-barra img{display:block;height:32px;width:auto}',
    '.gv-icona{display:block;box-sizing:border-box;width:40px;height:40px;background-position:center;background-size:contain;',
    'background-repeat:no-repeat;background-origin:content-box}',
    '.gv-barra .gv-icona{width:32px;height:32px}',
    '.gv-barra .gv-numero{opacity:.72;transition:opacity .15s;text-decoration:none}',
    '.gv-barra .gv-numero:hover,.gv-barra .gv-attuale{opacity:1}',
    '.gv-barra .gv-attuale{filter:drop-shadow(0 0 4px #fff) drop-shadow(0 0 2px #fff)}',
    '.gv-barra .gv-testo{display:flex;align-items:center;justify-content:center;box-sizing:border-box;min-width:36px;height:32px;',
    'padding:0 8px;border-radius:16px;font-size:15px;font-weight:bold;color:#fff;',
    'background:linear-gradient(#5b8fd0,#1f4f95);box-shadow:inset 0 1px 0 rgba(255,255,255,.5),0 1px 3px rgba(0,0,0,.4)}',
    '.gv-barra .gv-testo.gv-attuale{background:linear-gradient(#ffcf5a,#c7851a);color:#2b1800}',
    '.gv-salto{color:#222;font-weight:bold;padding:0 2px}',
    '.gv-a-capo{display:none}',
    '.gv-casa,.gv-conta{font-size:14px;color:#222;background:rgba(255,255,255,.85);border-radius:16px;padding:6px 12px;text-decoration:none}',
    '.gv-velo{position:fixed;left:0;top:0;right:0;bottom:0;background:rgba(12,12,16,.9);z-index:10;touch-action:pinch-zoom;',
    '-webkit-user-select:none;user-select:none}',
    '.gv-scena{position:absolute;display:flex;align-items:center;justify-content:center}',
    '.gv-grande{position:relative;display:block;line-height:0}',
    '.gv-grande .gv-foto{display:block;box-sizing:border-box;border:6px solid #fff;border-radius:3px;box-shadow:0 10px 40px rgba(0,0,0,.7);',
    'background:#fff;opacity:0;transition:opacity .25s;object-fit:contain}',
    '.gv-grande .gv-foto.gv-pronta{opacity:1}',
    '.gv-attesa{position:absolute;left:0;top:0;width:100%;height:100%;background-size:cover;background-position:center;',
    'filter:blur(6px);opacity:.8}',
    '.gv-ruota{position:absolute;left:50%;top:50%;width:40px;height:40px;margin:-20px 0 0 -20px;border-radius:50%;',
    'border:4px solid rgba(255,255,255,.35);border-top-color:#fff;box-sizing:border-box;animation:gv-gira .9s linear infinite}',
    '@keyframes gv-gira{to{transform:rotate(360deg)}}',
    '.gv-chiudi{position:absolute;right:-20px;top:-20px;display:block;line-height:0}',
    '.gv-lato{position:absolute;left:10px;display:flex;flex-direction:column;align-items:center;gap:12px}',
    '.gv-fumetto{position:relative;width:100%}',
    '.gv-fumetto img{display:block;width:100%}',
    '.gv-fumetto span{position:absolute;left:9%;right:9%;top:7%;height:62%;display:flex;align-items:center;justify-content:center;',
    'text-align:center;font-size:15px;font-weight:bold;color:#333;overflow:hidden;overflow-wrap:anywhere}',
    '.gv-passi,.gv-strumenti{display:flex;flex-wrap:wrap;align-items:center;justify-content:center;gap:10px;color:#eee;font-size:14px}',
    '.gv-passi a{display:block;line-height:0}',
    '.gv-strumenti button,.gv-strumenti a{font:inherit;font-size:14px;color:#fff;background:rgba(255,255,255,.14);border:1px solid rgba(255,255,255,.5);',
    'border-radius:18px;padding:6px 12px;cursor:pointer;text-decoration:none;display:inline-flex;align-items:center;justify-content:center}',
    '.gv-strumenti button:hover,.gv-strumenti a:hover{background:rgba(255,255,255,.3)}',
    '.gv-errore{color:#eee;font-size:16px;padding:20px;line-height:1.3}',
    '.gv-nascosto{position:absolute;width:1px;height:1px;overflow:hidden;clip:rect(0 0 0 0);white-space:nowrap}',
    // Touch screens: nothing to touch smaller than a fingertip.
    'html.gv-tocco .gv-barra .gv-numero{display:flex;align-items:center;min-height:' + TOUCH + 'px}',
    'html.gv-tocco .gv-icona,html.gv-tocco .gv-barra .gv-icona{width:' + TOUCH + 'px;height:' + TOUCH + 'px;padding:2px}',
    'html.gv-tocco .gv-barra .gv-testo{min-width:' + TOUCH + 'px;height:' + TOUCH + 'px;font-size:16px}',
    'html.gv-tocco .gv-casa,html.gv-tocco .gv-conta,html.gv-tocco .gv-strumenti button,html.gv-tocco .gv-strumenti a{min-height:' + TOUCH +
      'px;box-sizing:border-box;display:inline-flex;align-items:center}',
    // A narrow window: everything flows in its width.
    'html.gv-stretta #Scritta_Testata_01,html.gv-stretta #Scritta_Testata_02{position:static!important;margin:10px ' + NARROW_PAD +
      'px;max-width:calc(100% - ' + 2 * NARROW_PAD + 'px);overflow:hidden}',
    // The home page's sliding description cannot wrap: a narrow window shows it as a paragraph.
    'html.gv-stretta #Scritta_Testata_01{display:none!important}',
    '.gv-descrizione{display:none}',
    'html.gv-stretta .gv-descrizione{display:block;margin:4px 0 14px;font-size:22px;font-weight:bold;line-height:1.2;text-align:center;',
    'color:#10243e;overflow-wrap:anywhere}',
    'html.gv-stretta #galleria{padding:' + NARROW_PAD + 'px;box-sizing:border-box;width:100%}',
    'html.gv-stretta .gv-gruppo,html.gv-stretta .gv-testata,html.gv-stretta .gv-barra,html.gv-stretta .gv-griglia{position:relative}',
    'html.gv-stretta .gv-gruppi{display:flex;flex-direction:column;align-items:center;gap:16px}',
    'html.gv-stretta .gv-gruppo .gv-nome span{font-size:15px}',
    'html.gv-stretta .gv-testata{margin:0 auto 12px;width:max-content;max-width:100%}',
    'html.gv-stretta .gv-testata .gv-titolo{position:static;max-width:none;display:block;margin-top:8px;font-size:20px;',
    'color:#3b2410;text-shadow:0 1px 2px #fff;text-align:center}',
    'html.gv-stretta .gv-barra{justify-content:center;gap:2px;margin-bottom:12px}',
    'html.gv-stretta .gv-salto{padding:0;font-size:14px}',
    'html.gv-stretta .gv-barra .gv-casa{order:-3}',
    'html.gv-stretta .gv-barra .gv-conta{order:-2}',
    'html.gv-stretta .gv-a-capo{display:block;order:-1;flex-basis:100%;height:0}',
    'html.gv-stretta .gv-griglia{justify-content:center;gap:16px ' + NARROW_GAP + 'px}',
    'html.gv-stretta .gv-didascalia{font-size:13px;line-height:16px}',
    'html.gv-stretta .gv-scena{left:0!important;top:0!important;width:100%!important;height:100%!important}',
    'html.gv-stretta .gv-grande .gv-foto{border:0;border-radius:0;box-shadow:none;background:transparent}',
    'html.gv-stretta .gv-chiudi{position:fixed;right:4px;top:4px}',
    'html.gv-stretta .gv-lato{position:fixed;left:0!important;right:0;bottom:0;top:auto!important;width:auto!important;gap:6px;',
    'padding:8px ' + NARROW_PAD + 'px;background:rgba(0,0,0,.6);transition:opacity .2s}',
    'html.gv-stretta .gv-fumetto img{display:none}',
    'html.gv-stretta .gv-fumetto span{position:static;height:auto;color:#fff;font-size:15px}',
    'html.gv-stretta .gv-passi{gap:16px}',
    '.gv-velo.gv-senza-comandi .gv-lato,.gv-velo.gv-senza-comandi .gv-chiudi{opacity:0;pointer-events:none}'
  ].join('\n');

  // An element with attributes, styles (numbers in pixels) and children.
  function el(tag, attributes, style, children) {
    var node = document.createElement(tag), key;
    for (key in attributes || {}) {
      if (key === 'text') node.textContent = attributes[key];
      else node.setAttribute(key, attributes[key]);
    }
    for (key in style || {}) node.style[key] = typeof style[key] === 'number' ? style[key] + 'px' : style[key];
    (children || []).forEach(function (child) { if (child) node.appendChild(child); });
    return node;
  }

  function cssUrl(address) { return 'url("' + address.replace(/["\\\n\r]/g, function (c) { return encodeURIComponent(c); }) + '")'; }

  // A picture of the site (one of the parameter script's), by file name.
  function sitePicture(name, alt, style, className, size) {
    var image = el('img', { src: segment(name), alt: alt || '', 'class': className || '' }, style), early = fetched[name];
    if (!size && early && early.complete && early.naturalWidth > 0) size = [early.naturalWidth, early.naturalHeight];
    if (size) {  // the room it takes is known before it is drawn: nothing below it moves
      image.setAttribute('width', size[0]);
      image.setAttribute('height', size[1]);
    }
    return image;
  }

  // A link drawn as a picture that changes under the pointer; its name is
  // `label`. The picture is drawn within the link, never larger than its
  // own pixels, the link made large enough to touch around it.
  function hoverLink(href, plain, hover, label, className) {
    var link = el('a', { href: href, title: label, 'aria-label': label, 'class': 'gv-icona ' + (className || '') },
      { backgroundImage: cssUrl(segment(plain)) });
    link.addEventListener('mouseenter', function () { link.style.backgroundImage = cssUrl(segment(hover)); });
    link.addEventListener('mouseleave', function () { link.style.backgroundImage = cssUrl(segment(plain)); });
    return link;
  }

  function thumbnailUrl(name) { return segment(root.Cartella_Miniature || 'Miniature_by_Velmora') + '/' + segment(name); }

  // A thumbnail beside its caption or name: the text names it, so it has
  // no words of its own.
  function thumbnail(picture, style, className) {
    if (!picture.thumbnail) return null;
    var image = el('img', { src: thumbnailUrl(picture.thumbnail), alt: '', 'class': className, draggable: 'false' }, style);
    image.addEventListener('error', function () { image.style.display = 'none'; });
    return image;
  }

  function showHome(on) {
    homeChildren.forEach(function (node) { node.style.display = on ? node.dataset.gvDisplay : 'none'; });
    document.documentElement.classList.toggle('gv-pagine', !on);
    document.body.style.backgroundImage = on ? homeBackground : cssUrl(segment(settings.Nome_Sfondo_Pagina_Immagini));
  }

  // A name shown whole: wrapped, and made smaller while it still overflows its box.
  function fitName(span, box, smallest) {
    var size = parseFloat(root.getComputedStyle(span).fontSize);
    while (size > smallest && (box.scrollHeight > box.clientHeight + 1 || span.scrollWidth > span.clientWidth + 1)) {
      size -= 1;
      span.style.fontSize = size + 'px';
    }
  }

  function homePage() {
    showHome(true);
    document.title = homeTitle;
    if (homeDescription) box.appendChild(el('p', { 'class': 'gv-descrizione', text: homeDescription }));
    var list = el('div', { 'class': 'gv-gruppi' });
    var buttons = [];
    groupButtonPlaces(settings, groups.length).forEach(function (place, k) {
      var group = groups[k], first = group.pictures[0];
      var name = el('span', { text: group.name }, layout.narrow ? null : { fontSize: Math.max(10, Math.round(place.height * 0.13)) });
      var nameBox = el('div', { 'class': 'gv-nome' }, null, [name]);
      var button = el('a', { href: fragment(group.name), title: group.name + ' (' + group.pictures.length + ')', 'class': 'gv-gruppo' },
        layout.narrow ? null : { left: place.left, top: place.top }, [thumbnail(first, null, 'gv-prima'), nameBox]);
      button.style.backgroundImage = cssUrl(segment(settings.Nome_Immagine_Pulsanti_Argomenti));
      list.appendChild(button);
      buttons.push({ button: button, name: name, nameBox: nameBox, height: place.height });
    });
    box.appendChild(list);
    // The button's picture gives the buttons their size (the program's own
    // picture's until it is there): as high as the parameters allow, never
    // larger than its pixels, nor wider than a narrow window.
    var frame = fetched[settings.Nome_Immagine_Pulsanti_Argomenti] || new root.Image();
    function size(width, height) {
      buttons.forEach(function (b) {
        var h = Math.min(height, layout.narrow ? height : b.height);
        if (layout.narrow) h = Math.min(h, Math.floor((root.innerWidth - 2 * NARROW_PAD) * height / width));
        b.button.style.width = Math.round(h * width / height) + 'px';
        b.button.style.height = h + 'px';
      });
    }
    function sized() {
      if (frame.naturalWidth > 0) size(frame.naturalWidth, frame.naturalHeight);
      buttons.forEach(function (b) { fitName(b.name, b.nameBox, layout.narrow ? 12 : 8); });
    }
    size(200, 152);
    if (frame.complete && frame.src) return sized();
    frame.onload = frame.onerror = sized;
    if (!frame.src) frame.src = segment(settings.Nome_Immagine_Pulsanti_Argomenti);
  }

  function pageBarElement(group, page, pages, left, top) {
    var bar = el('nav', { 'class': 'gv-barra', 'aria-label': pageWords(words, page, pages) },
      layout.narrow ? null : { left: left, top: top, maxWidth: Math.max(200, root.innerWidth - left - EDGE) },
      [el('a', { href: '#', 'class': 'gv-casa', text: '\u2302 ' + words.home })]);
    if (pages > 1) bar.appendChild(el('span', { 'class': 'gv-a-capo' }));
    if (page > 1) bar.appendChild(hoverLink(fragment(group.name, page - 1), 'Icona_Indietro_1.gif', 'Icona_Indietro_2.gif', words.previous));
    var pictured = pictureButtons(pages, layout);
    pageBar(page, pages).forEach(function (n) {
      if (n === 0) {
        bar.appendChild(el('span', { 'class': 'gv-salto', 'aria-hidden': 'true', text: '\u2026' }));
        return;
      }
      var attributes = { href: fragment(group.name, n), 'class': 'gv-numero' + (pictured ? '' : ' gv-testo') + (n === page ? ' gv-attuale' : '') };
      if (n === page) attributes['aria-current'] = 'page';
      if (n === 1) attributes.title = words.first;
      else if (n === pages) attributes.title = words.last;
      bar.appendChild(el('a', attributes, null, [pictured ? sitePicture(numberedButton(n), String(n), null, '', NUMBERED_SIZE) : document.createTextNode(String(n))]));
    });
    if (page < pages) bar.appendChild(hoverLink(fragment(group.name, page + 1), 'Icona_Avanti_1.gif', 'Icona_Avanti_2.gif', words.next));
    if (pages > 1) bar.appendChild(el('span', { 'class': 'gv-conta', text: pageWords(words, page, pages) }));
    return bar;
  }

  // A group's header: the parameters' picture with the group's name on it.
  function groupHeader(name) {
    var place = pageLayout(settings), left = layout.narrow ? 0 : gridPlace(settings, root.innerWidth).left;
    var title = el('span', { text: name }), titleBox = el('h1', { 'class': 'gv-titolo' }, null, [title]);
    box.appendChild(el('div', { 'class': 'gv-testata' }, layout.narrow ? null : { left: left, top: place.headerTop }, [
      sitePicture(settings.Nome_Immagine_Testata, '', layout.narrow ? { maxHeight: 100 } : { maxHeight: place.headerHeight }), titleBox
    ]));
    if (!layout.narrow) fitName(title, titleBox, 12);
  }

  function groupPage(g, page) {
    var group = groups[g], pages = pageCount(settings, group.pictures.length);
    var range = pageRange(settings, page, group.pictures.length), place = pageLayout(settings);
    var grid = gridPlace(settings, root.innerWidth), left = layout.narrow ? 0 : grid.left;
    showHome(false);
    document.title = group.name + ' - ' + homeTitle;
    groupHeader(group.name);
    var bar = pageBarElement(group, page, pages, left, place.barTop);

    var t = grid.thumbnail, w = layout.slideWidth, h = layout.slideHeight;
    var slides = el('div', { 'class': 'gv-griglia' }, layout.narrow ? { gridTemplateColumns: 'repeat(' + layout.columns + ',' + w + 'px)' } : {
      left: left, top: grid.top, gridTemplateColumns: 'repeat(' + layout.columns + ',' + w + 'px)', columnGap: grid.gap
    });
    var frame = cssUrl(segment(settings.Nome_Immagine_Sfondo_Diapositiva));
    for (var i = range.first; i < range.end; i++) {
      var picture = group.pictures[i];
      slides.appendChild(el('a', { href: fragment(group.name, 0, picture.file), 'class': 'gv-dia' },
        layout.narrow ? null : { minHeight: grid.rowHeight }, [
          el('span', { 'class': 'gv-telaio' }, { height: h, backgroundImage: frame }, [
            thumbnail(picture, { left: 100 * t.left / settings.LARGH_X_DIA + '%', top: 100 * t.top / settings.ALT_DIA + '%',
              width: 100 * t.width / settings.LARGH_X_DIA + '%', height: 100 * t.height / settings.ALT_DIA + '%' }, 'gv-mini')
          ]),
          el('span', { 'class': 'gv-didascalia', text: picture.caption })
        ]));
    }
    // Above the slides, the bar must not reach them: they move down when it
    // takes more than its one line.
    if (layout.narrow) {
      box.appendChild(bar);
      box.appendChild(slides);
    } else {
      box.appendChild(bar);
      box.appendChild(slides);
      var overlap = bar.offsetTop + bar.offsetHeight + 6 - grid.top;
      if (place.barTop < grid.top && overlap > 0) slides.style.top = grid.top + overlap + 'px';
    }
  }

  // The file a picture is shown from in a room, by the screen's density.
  function sourceFor(picture, group, room) {
    var kind = bigPictureSource(picture, room.maxWidth, room.maxHeight, root.devicePixelRatio || 1);
    return kind === 'original' ? pictureUrl(group.name, picture.file) : thumbnailUrl(picture[kind]);
  }

  function fitBigPicture() {
    if (!bigPicture) return;
    var room = bigPictureRoom(settings, root.innerWidth, root.innerHeight, layout.narrow);
    var stage = bigPicture.stage.style;
    stage.left = room.left + 'px';
    stage.top = room.top + 'px';
    stage.width = room.maxWidth + 'px';
    stage.height = room.maxHeight + 'px';
    bigPicture.image.style.maxWidth = room.maxWidth + 'px';
    bigPicture.image.style.maxHeight = room.maxHeight + 'px';
    // While the file loads, the picture's thumbnail stands where it will be.
    var p = bigPicture.picture, scale = p.width ? Math.min(room.maxWidth / p.width, room.maxHeight / p.height, 1) : 0;
    bigPicture.waiting.style.width = scale ? Math.round(p.width * scale) + 'px' : Math.min(room.maxWidth, 320) + 'px';
    bigPicture.waiting.style.height = scale ? Math.round(p.height * scale) + 'px' : Math.min(room.maxHeight, 240) + 'px';
    if (!layout.narrow) {
      bigPicture.side.style.top = room.top + 'px';
      bigPicture.side.style.width = Math.max(120, Math.min(260, room.left - 20)) + 'px';
    }
    return room;
  }

  function stopSlideshow() {
    if (!slideshow) return;
    root.clearTimeout(slideshow);
    slideshow = null;
    if (bigPicture) bigPicture.play.textContent = words.slideshow;
  }

  function nextSlide() {
    slideshow = null;
    if (!shown || shown.picture < 0) return;
    var pictures = groups[shown.group].pictures;
    if (shown.picture + 1 >= pictures.length) return stopSlideshow();
    go({ group: shown.group, page: pageOf(settings, shown.picture + 1), picture: shown.picture + 1, step: 'replace' });
    slideshow = root.setTimeout(nextSlide, SLIDESHOW_MS);
    if (bigPicture) bigPicture.play.textContent = words.pause;
  }

  function toggleSlideshow() {
    if (slideshow) return stopSlideshow();
    slideshow = root.setTimeout(nextSlide, SLIDESHOW_MS);
    if (bigPicture) bigPicture.play.textContent = words.pause;
  }

  function fullscreenOn() { return document.fullscreenElement || document.webkitFullscreenElement; }

  function toggleFullscreen() {
    var page = document.documentElement;
    try {
      if (fullscreenOn()) (document.exitFullscreen || document.webkitExitFullscreen).call(document);
      else (page.requestFullscreen || page.webkitRequestFullscreen).call(page);
    } catch (e) { /* the browser said no */ }
  }

  // The big picture over its group's page, from the copy that suits the screen.
  function bigPage(g, i) {
    var group = groups[g], picture = group.pictures[i], back = fragment(group.name, pageOf(settings, i));
    var count = group.pictures.length, next = i + 1 < count ? fragment(group.name, 0, group.pictures[i + 1].file) : null;
    var image = el('img', { alt: picture.caption, 'class': 'gv-foto', draggable: 'false' });
    var waiting = el('div', { 'class': 'gv-scena-attesa', role: 'status' }, { position: 'relative' }, [
      picture.thumbnail ? el('div', { 'class': 'gv-attesa' }, { backgroundImage: cssUrl(thumbnailUrl(picture.thumbnail)) }) : null,
      el('div', { 'class': 'gv-ruota' }), el('span', { 'class': 'gv-nascosto', text: words.loading })
    ]);
    var frame = el('a', { href: next || back, 'class': 'gv-grande', draggable: 'false', 'data-gv-passo': next ? 'replace' : 'close' }, null, [image]);
    var close = hoverLink(back, settings.Nome_Immagine_Pulsante_X_1, settings.Nome_Immagine_Pulsante_X_2, words.close, 'gv-chiudi');
    close.setAttribute('data-gv-passo', 'close');
    var holder = el('div', { 'class': 'gv-cornice-foto' }, { position: 'relative', display: 'none' }, [frame, close]);
    var stage = el('div', { 'class': 'gv-scena' }, null, [waiting, holder]);
    function shownNow() {
      if (waiting.parentNode) waiting.parentNode.removeChild(waiting);
      holder.style.display = '';
    }
    image.addEventListener('load', function () {
      shownNow();
      image.className = 'gv-foto gv-pronta';
    });
    image.addEventListener('error', function () {
      shownNow();
      frame.replaceChild(el('div', { 'class': 'gv-errore', text: picture.caption + ': ' + words.unreadable }), image);
    });
    var previous = i > 0 ? hoverLink(fragment(group.name, 0, group.pictures[i - 1].file), 'Icona_Indietro_1.gif', 'Icona_Indietro_2.gif', words.previous) : null;
    var following = next ? hoverLink(next, 'Icona_Avanti_1.gif', 'Icona_Avanti_2.gif', words.next) : null;
    if (previous) previous.setAttribute('data-gv-passo', 'replace');
    if (following) following.setAttribute('data-gv-passo', 'replace');
    var play = el('button', { type: 'button', text: slideshow ? words.pause : words.slideshow });
    play.addEventListener('click', toggleSlideshow);
    var full = document.fullscreenEnabled || document.webkitFullscreenEnabled ? el('button', { type: 'button', text: words.fullscreen }) : null;
    if (full) full.addEventListener('click', toggleFullscreen);
    var tools = el('div', { 'class': 'gv-strumenti' }, null, [next || slideshow ? play : null, full,
      el('a', { href: pictureUrl(group.name, picture.file), download: picture.file, text: words.download })]);
    var balloon = el('span', { text: picture.caption }), balloonPicture = sitePicture(settings.Nome_Immagine_Sfondo_Fumetto_1, '');
    // A long caption is made smaller to stay whole inside the balloon.
    balloonPicture.addEventListener('load', function () { if (!layout.narrow) fitName(balloon, balloon, 10); });
    var side = el('div', { 'class': 'gv-lato' }, null, [
      el('div', { 'class': 'gv-fumetto' }, null, [balloonPicture, balloon]),
      el('div', { 'class': 'gv-passi' }, null, [previous, el('span', { text: (i + 1) + ' / ' + count }), following]),
      tools
    ]);
    var veil = el('div', { 'class': 'gv-velo', role: 'dialog', 'aria-label': picture.caption }, null, [side, stage]);
    veil.addEventListener('click', function (event) { if (event.target === veil || event.target === stage) close.click(); });
    box.appendChild(veil);
    bigPicture = { picture: picture, stage: stage, image: image, waiting: waiting, side: side, veil: veil, play: play };
    var room = fitBigPicture();
    image.src = sourceFor(picture, group, room);
    // The neighbours load while this one is looked at.
    [i - 1, i + 1].forEach(function (k) {
      if (k >= 0 && k < count) new root.Image().src = sourceFor(group.pictures[k], group, room);
    });
  }

  function render() {
    setLayout();
    var view = resolve(readFragment(root.location.hash), groups, settings);
    var pageChanged = !shown || shown.group !== view.group || shown.page !== view.page;
    // A picture opened from its group's page by a click: closing it goes back there.
    if (view.picture >= 0 && shown && shown.picture < 0 && shown.group === view.group) openedFrom = root.location.href;
    else if (view.picture < 0) openedFrom = null;
    if (view.picture < 0) stopSlideshow();
    shown = view;
    builtWidth = root.innerWidth;
    bigPicture = null;
    // Each view is a new page for the browser: nothing of the last one moves.
    var fresh = el('main', { id: 'galleria' });
    box.parentNode.replaceChild(fresh, box);
    box = fresh;
    if (view.group < 0) homePage();
    else groupPage(view.group, view.page);
    if (view.picture >= 0) bigPage(view.group, view.picture);
    if (pageChanged && view.picture < 0) root.scrollTo(0, 0);
  }

  // Goes to a view the way its step says: a step of history of its own, the
  // current step replaced, or back to the page a picture was opened from.
  function go(target) {
    var group = target.group < 0 ? null : groups[target.group];
    var address = group ? fragment(group.name, target.page, target.picture >= 0 ? group.pictures[target.picture].file : null) : '#';
    if (target.step === 'close' && openedFrom) {
      openedFrom = null;
      root.history.back();
    } else if (target.step === 'push') {
      root.location.hash = address;
    } else {
      root.history.replaceState(root.history.state, '', address);
      render();
    }
  }

  // Links between big pictures and the close button take the history steps
  // of the keys.
  function onClick(event) {
    if (event.defaultPrevented || event.button !== 0 || event.ctrlKey || event.metaKey || event.shiftKey || event.altKey) return;
    var link = event.target.closest ? event.target.closest('a[data-gv-passo]') : null;
    if (!link || !shown || shown.group < 0) return;
    var view = resolve(readFragment(link.getAttribute('href')), groups, settings);
    event.preventDefault();
    if (link.getAttribute('data-gv-passo') === 'close') view.step = 'close';
    else view.step = 'replace';
    if (view.picture < 0) view.step = 'close';
    go(view);
  }

  function onKey(event) {
    if (!shown || shown.group < 0 || event.altKey || event.ctrlKey || event.metaKey) return;
    var inPicture = shown.picture >= 0;
    if (slideshow && event.key !== ' ') stopSlideshow();
    // A focused button or link takes its own keys.
    if ((event.key === ' ' || event.key === 'Enter') && event.target && /^(A|BUTTON)$/.test(event.target.tagName)) return;
    if (inPicture && event.key === ' ') {
      event.preventDefault();
      return toggleSlideshow();
    }
    if (inPicture && (event.key === 'f' || event.key === 'F')) return toggleFullscreen();
    var target = keyTarget(shown, event.key, groups[shown.group].pictures.length, settings);
    if (!target) return;
    event.preventDefault();
    go(target);
  }

  // Swipes on a big picture step to its neighbours; on a touch screen a tap
  // shows or hides the controls.
  var press = null, swallowClick = false;
  function onPointerDown(event) {
    swallowClick = false;
    if (!bigPicture || !event.isPrimary || (event.pointerType === 'mouse' && event.button !== 0)) return;
    if (event.target.closest && event.target.closest('.gv-lato,.gv-chiudi')) return;
    press = { x: event.clientX, y: event.clientY, type: event.pointerType };
  }
  function onPointerUp(event) {
    if (!press || !bigPicture || !event.isPrimary) { press = null; return; }
    var dx = event.clientX - press.x, dy = event.clientY - press.y, type = press.type;
    press = null;
    if (Math.abs(dx) > 40 && Math.abs(dx) > 1.5 * Math.abs(dy)) {
      swallowClick = true;
      if (slideshow) stopSlideshow();
      var target = keyTarget(shown, dx < 0 ? 'ArrowRight' : 'ArrowLeft', groups[shown.group].pictures.length, settings);
      if (target) go(target);
    } else if (type !== 'mouse' && Math.abs(dx) < 12 && Math.abs(dy) < 12) {
      swallowClick = true;
      bigPicture.veil.classList.toggle('gv-senza-comandi');
    }
  }
  function onClickCapture(event) {
    if (!swallowClick) return;
    swallowClick = false;
    event.preventDefault();
    event.stopPropagation();
  }

  function setLayout() {
    // The width once the styles in force are applied: a phone widens its
    // window for a page wider than the screen, as the home page is before
    // the narrow styles hold.
    void document.documentElement.offsetWidth;
    var touch = !!(root.matchMedia && root.matchMedia('(pointer: coarse)').matches);
    var next = layoutFor(settings, root.innerWidth, touch);
    var changed = !layout || next.narrow !== layout.narrow || next.columns !== layout.columns ||
      next.slideWidth !== layout.slideWidth || next.touch !== layout.touch;
    layout = next;
    var classes = document.documentElement.classList;
    classes.toggle('gv-stretta', layout.narrow);
    classes.toggle('gv-tocco', layout.touch);
    return changed;
  }

  // A new layout, or a new width for the slides' centring, builds the view
  // again; a change of height alone (a phone's address bar coming and
  // going) only fits the big picture.
  var resizing = 0, builtWidth = 0;
  function onResize() {
    root.clearTimeout(resizing);
    resizing = root.setTimeout(function () {
      if (setLayout() || (!layout.narrow && shown && shown.group >= 0 && root.innerWidth !== builtWidth)) render();
      else fitBigPicture();
    }, 80);
  }

  // What a search engine and a phone need to know of the home page, added
  // to it here, since its own file keeps the bytes it has.
  function describePage() {
    var head = document.head, html = document.documentElement;
    html.setAttribute('lang', lang);
    var said = document.getElementById('Scritta_Testata_01');
    homeDescription = (said ? said.textContent : '').replace(/\s+/g, ' ').trim();
    if (!document.querySelector('meta[name="description"]')) {
      head.appendChild(el('meta', { name: 'description', content: homeDescription || homeTitle }));
    }
  }

  // Before the browser reads the home page's body: the viewport, the icon
  // and the styles are in place, so that a phone lays the page out once at
  // its own width and the home page's content never shows on a group's
  // page; the largest picture of the view the address names starts loading
  // now rather than once the list is read.
  var fetched = {};
  function prepare() {
    settings = readSettings(root);
    var head = document.head || document.documentElement;
    if (!document.querySelector('meta[name="viewport"]')) {
      head.appendChild(el('meta', { name: 'viewport', content: 'width=device-width, initial-scale=1' }));
    }
    if (!document.querySelector('link[rel~="icon"]')) head.appendChild(el('link', { rel: 'icon', href: FAVICON }));
    head.appendChild(el('style', { text: STYLE }));
    var group = readFragment(root.location.hash).group != null;
    document.documentElement.classList.toggle('gv-pagine', group);
    if (group) head.appendChild(el('style', { text: 'html.gv-pagine body{background-image:' + cssUrl(segment(settings.Nome_Sfondo_Pagina_Immagini)) + '}' }));
    setLayout();
    fetchPicture(group ? settings.Nome_Immagine_Testata : settings.Nome_Immagine_Pulsanti_Argomenti, 'high');
  }

  function fetchPicture(name, priority) {
    if (!fetched[name]) {
      fetched[name] = new root.Image();
      if (priority) fetched[name].fetchPriority = priority;
      fetched[name].src = segment(name);
    }
    return fetched[name];
  }

  function start() {
    groups = readGroups(root.Gruppi_Immagini, settings);
    var chosen = readWords(root);
    words = chosen.words;
    lang = chosen.lang;
    homeTitle = document.title;
    homeBackground = document.body.style.backgroundImage;
    Array.prototype.forEach.call(document.body.children, function (node) {
      if (node.tagName === 'SCRIPT' || node.tagName === 'NOSCRIPT' || node === box) return;
      node.dataset.gvDisplay = node.style.display;
      homeChildren.push(node);
    });
    describePage();
    if (!box) document.body.appendChild(box = el('main', { id: 'galleria' }));
    setLayout();
    root.addEventListener('hashchange', render);
    root.addEventListener('resize', onResize);
    document.addEventListener('keydown', onKey);
    document.addEventListener('click', onClickCapture, true);
    document.addEventListener('click', onClick);
    document.addEventListener('pointerdown', onPointerDown);
    document.addEventListener('pointerup', onPointerUp);
    document.addEventListener('pointercancel', function () { press = null; });
    document.addEventListener('dragstart', function (event) { if (bigPicture) event.preventDefault(); });
    render();
    // The header's size is known by the time a group is opened from the home page.
    fetchPicture(settings.Nome_Immagine_Testata);
  }

  // The list is a script beside this one (file:// allows no other way to
  // read a file), written in Windows-1252 as the parameter script is; the
  // pages are built once it and the page are both there.
  var self = document.currentScript, waiting = 2;
  function ready() { if (--waiting === 0) start(); }
  // A group's page shows its header as soon as the page is read and its
  // picture is there (so that its name never moves), while the list is
  // still on its way.
  function pageRead() {
    var named = readFragment(root.location.hash).group, header = fetched[settings.Nome_Immagine_Testata];
    function sketch() {
      if (box || waiting !== 1 || !header.naturalWidth) return;
      document.body.appendChild(box = el('main', { id: 'galleria' }));
      setLayout();
      groupHeader(named);
    }
    if (waiting === 2 && named != null && header) {
      if (header.complete) root.setTimeout(sketch, 0);
      else header.addEventListener('load', sketch);
    }
    ready();
  }
  var list = document.createElement('script');
  list.setAttribute('charset', 'windows-1252');
  list.fetchPriority = 'high';
  list.src = self && self.src ? new URL(LIST_FILE, self.src).href : LIST_FILE;
  list.onload = list.onerror = ready;
  document.head.appendChild(list);
  prepare();
  if (document.readyState === 'loading') document.addEventListener('DOMContentLoaded', pageRead);
  else ready();
})(this);
