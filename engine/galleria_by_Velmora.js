// The gallery engine of a site written by the Site Builder.
// Copyright (c) 2026 The Site Builder developers.
// SPDX-License-Identifier: MIT (the licence text: https://opensource.org/license/mit)
//
// The home page loads it right after the parameter script. It loads the list
// of groups and pictures lying beside it and builds, in the visitor's
// browser, the group buttons of the home page, the pages of slides of each
// group and the big picture. Plain JavaScript without any library, so that a
// site works from a folder or a USB stick (file://) as well as from any web
// server, in today's browsers and in older Chromium-based ones.
//
// Every view has an address of its own in the fragment of the URL, so that
// the browser's Back button and bookmarks work:
//   #                               the home page
//   #gruppo=Mare&pagina=2           a page of a group
//   #gruppo=Mare&foto=Faro.jpg      a big picture
(function (root) {
  'use strict';

  var LIST_FILE = 'Immagini_by_Velmora.js';

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

  // Places that no parameter gives, in CSS pixels.
  var GROUP_LEFT = 100;      // the group buttons stand where the groups sample page shows them
  var GROUP_GAP = 10;        // from one group button's bottom to the next one's top
  var SLIDE_GAP = 20;        // between the slides of a row
  var CAPTION_ROOM = 30;     // under each slide, for its caption
  var THUMB_INSET = 10;      // the thumbnail's left inside its slide
  var BAR_HEIGHT = 40;       // the page bar: arrows and numbered buttons
  var NUMBERED_PAGES = 10;   // Pulsante_01.gif to Pulsante_10.gif
  var MARGIN = 30;           // around the big picture, room for its close button
  var SMALLEST_BIG = 160;    // a big picture is never squeezed below this

  // --- the pure part: what goes where ---------------------------------------

  function wholeNumber(value, rule) {
    var n = typeof value === 'number' ? value :
      typeof value === 'string' && value.trim() !== '' ? Number(value) : NaN;
    if (!isFinite(n)) return rule[0];
    n = Math.round(n);
    return n >= rule[1] && n <= rule[2] ? n : rule[0];
  }

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

  // The groups of the list, checked: a group is a name and at least one
  // picture; a picture is a file name and the name of its thumbnail ('' for
  // none). Only the first MAX_NUM_ARG groups are part of the site.
  function readGroups(list, s) {
    var groups = [];
    if (!Array.isArray(list)) return groups;
    list.forEach(function (entry) {
      if (!Array.isArray(entry) || typeof entry[0] !== 'string' || !Array.isArray(entry[1])) return;
      var pictures = entry[1].filter(function (p) {
        return Array.isArray(p) && typeof p[0] === 'string' && p[0] !== '';
      }).map(function (p) {
        return { file: p[0], thumbnail: typeof p[1] === 'string' ? p[1] : '', caption: caption(p[0]) };
      });
      if (pictures.length > 0 && groups.length < s.MAX_NUM_ARG) groups.push({ name: entry[0], pictures: pictures });
    });
    return groups;
  }

  // A picture's caption: its file name without the extension, "_" read as a blank.
  function caption(file) {
    var text = file.replace(/\.[^.]*$/, '').replace(/_/g, ' ');
    return text.trim() === '' ? file : text;
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

  // The slides of a page holding `count` pictures, row by row, the first at
  // (POS_X_DIA, POS_Y_DIA); the thumbnail inside each slide, 20 pixels
  // narrower and lower, its top at POS_Y_IMG as the page goes.
  function slidePlaces(s, count) {
    var places = [];
    for (var i = 0; i < count; i++) {
      var row = Math.floor(i / s.MAX_NUM_IMG_RIGA), column = i % s.MAX_NUM_IMG_RIGA;
      places.push({
        left: s.POS_X_DIA + column * (s.LARGH_X_DIA + SLIDE_GAP),
        top: s.POS_Y_DIA + row * (s.ALT_DIA + CAPTION_ROOM),
        width: s.LARGH_X_DIA, height: s.ALT_DIA,
        thumbnail: { left: THUMB_INSET, top: s.POS_Y_IMG - s.POS_Y_DIA, width: s.LARGH_X_DIA - 20, height: s.ALT_DIA - 20 }
      });
    }
    return places;
  }

  // The page bar stands above the slides when there is room for it, under
  // them otherwise; the header fills what is left above.
  function pageLayout(s) {
    var above = s.POS_Y_DIA - BAR_HEIGHT - 10;
    var barTop = above >= 10 ? above : s.POS_Y_DIA + s.MAX_NUM_RIGHE * (s.ALT_DIA + CAPTION_ROOM);
    var headerHeight = Math.max(40, Math.min(barTop, s.POS_Y_DIA) - 30);
    return { left: s.POS_X_DIA, barTop: barTop, headerTop: 10, headerHeight: headerHeight };
  }

  // The numbered page buttons: one for each of the first ten pages.
  function numberedPages(pages) {
    var numbers = [];
    for (var page = 1; page <= Math.min(pages, NUMBERED_PAGES); page++) numbers.push(page);
    return pages > 1 ? numbers : [];
  }

  function numberedButton(page) { return 'Pulsante_' + (page < 10 ? '0' : '') + page + '.gif'; }

  // Where the big picture goes in a window of `width` x `height`: its top
  // left at (POS_X_IMG_GRANDE, POS_Y_IMG_GRANDE) and fitted into the rest;
  // a window too small for that place gives the picture the whole window.
  function bigPictureRoom(s, width, height) {
    var left = s.POS_X_IMG_GRANDE, top = s.POS_Y_IMG_GRANDE;
    if (width - left - MARGIN < SMALLEST_BIG || height - top - MARGIN < SMALLEST_BIG) left = top = MARGIN;
    return { left: left, top: top, maxWidth: Math.max(1, width - left - MARGIN), maxHeight: Math.max(1, height - top - MARGIN) };
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

  // Where a key leads from what is shown of a group: left and right step
  // through the pictures (or the pages), Escape closes the big picture (or
  // goes home from a group's page); null for any other key or no step left.
  function keyTarget(key, shown, group, s) {
    var i = shown.picture, pages = pageCount(s, group.pictures.length);
    var step = key === 'ArrowLeft' ? -1 : key === 'ArrowRight' ? 1 : 0;
    if (key === 'Escape') return i >= 0 ? fragment(group.name, shown.page) : '#';
    if (step && i >= 0 && group.pictures[i + step]) return fragment(group.name, 0, group.pictures[i + step].file);
    if (step && i < 0 && shown.page + step >= 1 && shown.page + step <= pages) return fragment(group.name, shown.page + step);
    return null;
  }

  var pure = {
    readSettings: readSettings, readGroups: readGroups, caption: caption, segment: segment,
    pictureUrl: pictureUrl, groupButtonPlaces: groupButtonPlaces, pageCount: pageCount, pageRange: pageRange,
    slidePlaces: slidePlaces, pageLayout: pageLayout, numberedPages: numberedPages, numberedButton: numberedButton,
    bigPictureRoom: bigPictureRoom, readFragment: readFragment, fragment: fragment, resolve: resolve, keyTarget: keyTarget
  };
  if (typeof module === 'object' && module.exports) {
    module.exports = pure;
    return;
  }

  // --- the browser part ---------------------------------------------------

  var document = root.document;
  var settings, groups, box, homeChildren = [], homeBackground, homeTitle, bigPicture = null, shown = null;

  var STYLE = [
    '#galleria{font-family:"DejaVu Sans",Verdana,Arial,sans-serif}',
    '#galleria a{outline-offset:3px}',
    '.gv-gruppo,.gv-dia,.gv-barra,.gv-testata{position:absolute;display:block;text-decoration:none}',
    '.gv-gruppo,.gv-dia{transition:transform .15s ease,filter .15s ease;filter:drop-shadow(0 3px 5px rgba(0,0,0,.35))}',
    '.gv-gruppo:hover,.gv-gruppo:focus,.gv-dia:hover,.gv-dia:focus{transform:translateY(-3px) scale(1.04);filter:drop-shadow(0 8px 10px rgba(0,0,0,.45))}',
    '.gv-gruppo .gv-cornice{display:block;width:auto}',
    '.gv-gruppo .gv-prima{position:absolute;left:10%;top:10%;width:80%;height:56%;object-fit:cover;box-shadow:inset 0 0 2px #000}',
    '.gv-gruppo .gv-nome{position:absolute;left:8%;right:8%;top:68%;bottom:8%;display:flex;align-items:center;justify-content:center}',
    '.gv-nome span,.gv-didascalia{display:block;max-width:100%;overflow:hidden;white-space:nowrap;text-overflow:ellipsis}',
    '.gv-nome span{color:#3b2410;font-weight:bold}',
    '.gv-dia .gv-cornice{position:absolute;left:0;top:0;width:100%;height:100%}',
    '.gv-dia .gv-mini{position:absolute;object-fit:cover}',
    '.gv-didascalia{position:absolute;left:0;right:0;top:100%;margin-top:5px;padding:1px 6px;border-radius:9px;font-size:12px;',
    'text-align:center;color:#222;background:rgba(255,255,255,.78)}',
    '.gv-testata img{display:block;width:auto;box-shadow:0 4px 12px rgba(0,0,0,.35)}',
    '.gv-testata .gv-titolo{position:absolute;right:18px;bottom:10px;max-width:60%;color:#fff;font-size:26px;font-weight:bold;',
    'text-shadow:0 2px 4px rgba(0,0,0,.8);white-space:nowrap;overflow:hidden;text-overflow:ellipsis}',
    '.gv-barra{display:flex;align-items:center;gap:6px;height:' + BAR_HEIGHT + 'px;white-space:nowrap}',
    '.gv-barra img{display:block;height:32px;width:auto}',
    '.gv-barra .gv-numero{opacity:.72;transition:opacity .15s}',
    '.gv-barra .gv-numero:hover,.gv-barra .gv-attuale{opacity:1}',
    '.gv-barra .gv-attuale{filter:drop-shadow(0 0 4px #fff) drop-shadow(0 0 2px #fff)}',
    '.gv-casa,.gv-conta{font-size:14px;color:#222;background:rgba(255,255,255,.82);border-radius:16px;padding:6px 12px;text-decoration:none}',
    '.gv-velo{position:fixed;left:0;top:0;right:0;bottom:0;background:rgba(12,12,16,.86);z-index:10}',
    '.gv-grande{position:absolute;display:block}',
    '.gv-grande .gv-foto{display:block;border:6px solid #fff;border-radius:3px;box-shadow:0 10px 40px rgba(0,0,0,.7);',
    'background:#fff;opacity:0;transition:opacity .25s}',
    '.gv-grande .gv-foto.gv-pronta{opacity:1}',
    '.gv-chiudi{position:absolute;right:-20px;top:-20px;display:block}',
    '.gv-chiudi img{display:block;width:40px;height:40px}',
    '.gv-lato{position:absolute;left:10px;display:flex;flex-direction:column;align-items:center;gap:12px}',
    '.gv-fumetto{position:relative;width:100%}',
    '.gv-fumetto img{display:block;width:100%}',
    '.gv-fumetto div{position:absolute;left:9%;right:9%;top:7%;height:62%;display:flex;align-items:center;justify-content:center;',
    'text-align:center;font-size:15px;font-weight:bold;color:#333;overflow:hidden;overflow-wrap:anywhere}',
    '.gv-passi{display:flex;align-items:center;gap:10px;color:#eee;font-size:14px}',
    '.gv-passi img{display:block;width:40px;height:40px}',
    '.gv-errore{color:#eee;font-size:16px;padding:20px}'
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

  // A picture of the site (one of the parameter script's), by file name.
  function sitePicture(name, alt, style, className) {
    return el('img', { src: segment(name), alt: alt || '', 'class': className || '' }, style);
  }

  // A link whose picture changes under the pointer.
  function hoverLink(href, plain, hover, label, className) {
    var picture = sitePicture(plain, label);
    var link = el('a', { href: href, title: label, 'class': className || '' }, null, [picture]);
    link.addEventListener('mouseenter', function () { picture.src = segment(hover); });
    link.addEventListener('mouseleave', function () { picture.src = segment(plain); });
    return link;
  }

  function thumbnail(picture, style, className) {
    if (!picture.thumbnail) return null;
    var image = el('img', { src: segment(root.Cartella_Miniature || 'Miniature_by_Velmora') + '/' + segment(picture.thumbnail),
      alt: picture.caption, 'class': className }, style);
    image.addEventListener('error', function () { image.style.display = 'none'; });
    return image;
  }

  // The home page keeps its own background as the page sets it; a group's
  // pages stretch theirs over the whole window, as a wall for the slides.
  function showHome(on) {
    var body = document.body.style;
    homeChildren.forEach(function (node) { node.style.display = on ? node.dataset.gvDisplay : 'none'; });
    body.backgroundImage = on ? homeBackground : 'url("' + segment(settings.Nome_Sfondo_Pagina_Immagini) + '")';
    body.backgroundSize = on ? '' : 'cover';
    body.backgroundAttachment = on ? '' : 'fixed';
    body.backgroundPosition = on ? '' : 'center';
  }

  function homePage() {
    showHome(true);
    document.title = homeTitle;
    groupButtonPlaces(settings, groups.length).forEach(function (place, k) {
      var group = groups[k], first = group.pictures[0];
      box.appendChild(el('a', { href: fragment(group.name), title: group.name + ' (' + group.pictures.length + ')', 'class': 'gv-gruppo' },
        { left: place.left, top: place.top }, [
          sitePicture(settings.Nome_Immagine_Pulsanti_Argomenti, '', { maxHeight: place.height }, 'gv-cornice'),
          thumbnail(first, null, 'gv-prima'),
          el('div', { 'class': 'gv-nome' }, { fontSize: Math.max(10, Math.round(place.height * 0.13)) },
            [el('span', { text: group.name })])
        ]));
    });
  }

  function groupPage(g, page) {
    var group = groups[g], pages = pageCount(settings, group.pictures.length);
    var range = pageRange(settings, page, group.pictures.length), layout = pageLayout(settings);
    showHome(false);
    document.title = group.name + ' - ' + homeTitle;
    box.appendChild(el('div', { 'class': 'gv-testata' }, { left: layout.left, top: layout.headerTop }, [
      sitePicture(settings.Nome_Immagine_Testata, group.name, { maxHeight: layout.headerHeight }),
      el('div', { 'class': 'gv-titolo', text: group.name })
    ]));

    var bar = el('div', { 'class': 'gv-barra' }, { left: layout.left, top: layout.barTop },
      [el('a', { href: '#', 'class': 'gv-casa', title: 'Pagina iniziale - Home page', text: '\u2302 Home' })]);
    if (page > 1) bar.appendChild(hoverLink(fragment(group.name, page - 1), 'Icona_Indietro_1.gif', 'Icona_Indietro_2.gif', 'Pagina precedente'));
    numberedPages(pages).forEach(function (n) {
      bar.appendChild(el('a', { href: fragment(group.name, n), title: 'Pagina ' + n, 'class': 'gv-numero' + (n === page ? ' gv-attuale' : '') },
        null, [sitePicture(numberedButton(n), String(n))]));
    });
    if (page < pages) bar.appendChild(hoverLink(fragment(group.name, page + 1), 'Icona_Avanti_1.gif', 'Icona_Avanti_2.gif', 'Pagina successiva'));
    if (pages > 1) bar.appendChild(el('span', { 'class': 'gv-conta', text: 'Pagina ' + page + ' di ' + pages }));
    box.appendChild(bar);

    slidePlaces(settings, range.end - range.first).forEach(function (place, k) {
      var picture = group.pictures[range.first + k], t = place.thumbnail;
      box.appendChild(el('a', { href: fragment(group.name, 0, picture.file), title: picture.caption, 'class': 'gv-dia' },
        { left: place.left, top: place.top, width: place.width, height: place.height }, [
          sitePicture(settings.Nome_Immagine_Sfondo_Diapositiva, '', null, 'gv-cornice'),
          thumbnail(picture, { left: t.left, top: t.top, width: t.width, height: t.height }, 'gv-mini'),
          el('span', { 'class': 'gv-didascalia', text: picture.caption })
        ]));
    });
  }

  function fitBigPicture() {
    if (!bigPicture) return;
    var room = bigPictureRoom(settings, root.innerWidth, root.innerHeight);
    bigPicture.frame.style.left = room.left + 'px';
    bigPicture.frame.style.top = room.top + 'px';
    bigPicture.image.style.maxWidth = Math.max(1, room.maxWidth - 12) + 'px';  // within its white border
    bigPicture.image.style.maxHeight = Math.max(1, room.maxHeight - 12) + 'px';
    bigPicture.side.style.top = room.top + 'px';
    bigPicture.side.style.width = Math.max(120, Math.min(260, room.left - 20)) + 'px';
  }

  // The big picture over its group's page; its file is loaded only now.
  function bigPage(g, i) {
    var group = groups[g], picture = group.pictures[i], back = fragment(group.name, pageOf(settings, i));
    var count = group.pictures.length, next = i + 1 < count ? fragment(group.name, 0, group.pictures[i + 1].file) : null;
    var image = el('img', { src: pictureUrl(group.name, picture.file), alt: picture.caption, title: picture.caption, 'class': 'gv-foto' });
    var frame = el('a', { href: next || back, 'class': 'gv-grande' }, null, [image]);
    image.addEventListener('load', function () { image.className = 'gv-foto gv-pronta'; });
    image.addEventListener('error', function () {
      frame.replaceChild(el('div', { 'class': 'gv-errore', text: picture.caption + ': immagine non leggibile' }), image);
    });
    var close = hoverLink(back, settings.Nome_Immagine_Pulsante_X_1, settings.Nome_Immagine_Pulsante_X_2, 'Chiudi (Esc)', 'gv-chiudi');
    var steps = el('div', { 'class': 'gv-passi' }, null, [
      i > 0 ? hoverLink(fragment(group.name, 0, group.pictures[i - 1].file), 'Icona_Indietro_1.gif', 'Icona_Indietro_2.gif', 'Precedente') : null,
      el('span', { text: (i + 1) + ' / ' + count }),
      next ? hoverLink(next, 'Icona_Avanti_1.gif', 'Icona_Avanti_2.gif', 'Successiva') : null
    ]);
    var side = el('div', { 'class': 'gv-lato' }, null, [
      el('div', { 'class': 'gv-fumetto' }, null, [sitePicture(settings.Nome_Immagine_Sfondo_Fumetto_1, ''),
        el('div', { text: picture.caption })]),
      steps
    ]);
    var veil = el('div', { 'class': 'gv-velo' }, null, [side, frame]);
    veil.addEventListener('click', function (event) { if (event.target === veil) root.location.hash = back; });
    frame.appendChild(close);
    box.appendChild(veil);
    bigPicture = { frame: frame, image: image, side: side };
    fitBigPicture();
  }

  function render() {
    var view = resolve(readFragment(root.location.hash), groups, settings);
    var pageChanged = !shown || shown.group !== view.group || shown.page !== view.page;
    shown = view;
    bigPicture = null;
    box.textContent = '';
    if (view.group < 0) homePage();
    else groupPage(view.group, view.page);
    if (view.picture >= 0) bigPage(view.group, view.picture);
    if (pageChanged && view.picture < 0) root.scrollTo(0, 0);
  }

  function onKey(event) {
    if (!shown || shown.group < 0 || event.altKey || event.ctrlKey || event.metaKey) return;
    var target = keyTarget(event.key, shown, groups[shown.group], settings);
    if (target === null) return;
    event.preventDefault();
    root.location.hash = target;
  }

  function start() {
    settings = readSettings(root);
    groups = readGroups(root.Gruppi_Immagini, settings);
    homeTitle = document.title;
    homeBackground = document.body.style.backgroundImage;
    Array.prototype.forEach.call(document.body.children, function (node) {
      if (node.tagName === 'SCRIPT' || node.tagName === 'NOSCRIPT') return;
      node.dataset.gvDisplay = node.style.display;
      homeChildren.push(node);
    });
    document.head.appendChild(el('style', { text: STYLE }));
    box = el('div', { id: 'galleria' });
    document.body.appendChild(box);
    root.addEventListener('hashchange', render);
    root.addEventListener('resize', fitBigPicture);
    document.addEventListener('keydown', onKey);
    render();
  }

  // The list is a script beside this one (file:// allows no other way to
  // read a file); the pages are built once it and the page are both there.
  var self = document.currentScript, waiting = 2;
  function ready() { if (--waiting === 0) start(); }
  var list = document.createElement('script');
  list.setAttribute('charset', 'windows-1252');
  list.src = self && self.src ? new URL(LIST_FILE, self.src).href : LIST_FILE;
  list.onload = list.onerror = ready;
  document.head.appendChild(list);
  if (document.readyState === 'loading') document.addEventListener('DOMContentLoaded', ready);
  else ready();
})(this);
