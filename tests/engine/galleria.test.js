// The gallery engine's pure part: where slides and buttons go, the pages of
// a group, the values that replace missing or absurd ones, the addresses.
'use strict';
const test = require('node:test');
const assert = require('node:assert/strict');
const engine = require.resolve('../../engine/galleria_by_Velmora.js');
const g = require(engine);

const defaults = g.readSettings({});
const settings = (changes) => Object.assign({}, defaults, changes);

test('a missing, unreadable or absurd value falls back to its default', () => {
  const cases = [
    // variable, value in the script, value used
    ['MAX_NUM_RIGHE', undefined, 4], ['MAX_NUM_RIGHE', 0, 4], ['MAX_NUM_RIGHE', 2, 2], ['MAX_NUM_RIGHE', 2.6, 3],
    ['MAX_NUM_IMG_RIGA', -3, 4], ['MAX_NUM_IMG_RIGA', NaN, 4], ['MAX_NUM_IMG_RIGA', Infinity, 4],
    ['MAX_NUM_ARG', 0, 5], ['MAX_NUM_ARG', '7', 7], ['MAX_NUM_ARG', 'abc', 5], ['MAX_NUM_ARG', '', 5], ['MAX_NUM_ARG', null, 5],
    ['LARGH_X_DIA', 20, 135], ['LARGH_X_DIA', 21, 21], ['LARGH_X_DIA', -135, 135], ['ALT_DIA', 1e9, 100],
    ['ALT_GRUPPI', 0, 95], ['ALT_GRUPPI', -95, 95], ['POS_Y_GRUPPI', 0, 0], ['POS_X_DIA', -1, 400],
    ['POS_Y_IMG', {}, 200], ['POS_X_IMG_GRANDE', true, 220], ['POS_Y_IMG_GRANDE', [80], 80],
    ['Nome_Immagine_Testata', '', 'Image5.jpg'], ['Nome_Immagine_Testata', 5, 'Image5.jpg'],
    ['Nome_Immagine_Testata', 'l\'alba.jpg', 'l\'alba.jpg'],
  ];
  for (const [name, value, expected] of cases) {
    assert.equal(g.readSettings({ [name]: value })[name], expected, `${name} = ${String(value)}`);
  }
  assert.deepEqual(
    [defaults.MAX_NUM_ARG, defaults.MAX_NUM_RIGHE, defaults.MAX_NUM_IMG_RIGA, defaults.POS_Y_GRUPPI, defaults.ALT_GRUPPI,
      defaults.LARGH_X_DIA, defaults.ALT_DIA, defaults.POS_X_DIA, defaults.POS_Y_DIA, defaults.POS_Y_IMG,
      defaults.POS_X_IMG_GRANDE, defaults.POS_Y_IMG_GRANDE],
    [5, 4, 4, 30, 95, 135, 100, 400, 190, 200, 220, 80]);
});

test('group buttons stand one under the other, as many as MAX_NUM_ARG allows, never overlapping', () => {
  const s = settings({ MAX_NUM_ARG: 2, POS_Y_GRUPPI: 60, ALT_GRUPPI: 170 });
  assert.deepEqual(g.groupButtonPlaces(s, 3), [{ left: 100, top: 60, height: 160 }, { left: 100, top: 230, height: 160 }]);
  assert.deepEqual(g.groupButtonPlaces(s, 1).length, 1);
  assert.deepEqual(g.groupButtonPlaces(s, 0), []);
});

test('the slides stand at (POS_X_DIA, POS_Y_DIA) where a row fits, centred in a wider window, flowing in a narrower one', () => {
  const s = settings({ MAX_NUM_IMG_RIGA: 3, LARGH_X_DIA: 135, ALT_DIA: 100, POS_X_DIA: 400, POS_Y_DIA: 190, POS_Y_IMG: 205 });
  // a row is 3 x 135 + 2 x 20 = 445 wide: the parameters' places need 400 + 445 + 10
  const cases = [
    // window width, touch, narrow, columns, slide width x height, grid left
    [1280, false, false, 3, 135, 100, 417], [855, false, false, 3, 135, 100, 400], [855, true, false, 3, 135, 100, 400],
    [2000, false, false, 3, 135, 100, 777], [854, false, true, 3, 135, 100], [390, false, true, 2, 135, 100],
    [300, false, true, 2, 135, 100], [280, false, true, 1, 135, 100], [100, false, true, 1, 84, 62], [1, false, true, 1, 1, 1],
  ];
  for (const [width, touch, narrow, columns, w, h, left] of cases) {
    const layout = g.layoutFor(s, width, touch);
    assert.deepEqual([layout.narrow, layout.touch, layout.columns, layout.slideWidth, layout.slideHeight],
      [narrow, narrow || touch, columns, w, h], `${width} px`);
    if (!narrow) assert.equal(g.gridPlace(s, width).left, left, `${width} px`);
  }
  assert.deepEqual(g.gridPlace(s, 1280).thumbnail, { left: 10, top: 15, width: 115, height: 80 });
});

test('a group is split into pages of rows x slides', () => {
  const s = settings({ MAX_NUM_RIGHE: 1, MAX_NUM_IMG_RIGA: 3 });
  const cases = [
    // pictures, pages, range of the last page
    [1, 1, [0, 1]], [3, 1, [0, 3]], [7, 3, [6, 7]], [9, 3, [6, 9]], [2000, 667, [1998, 2000]],
  ];
  for (const [pictures, pages, last] of cases) {
    assert.equal(g.pageCount(s, pictures), pages, `${pictures} pictures`);
    const range = g.pageRange(s, pages, pictures);
    assert.deepEqual([range.first, range.end], last, `${pictures} pictures`);
  }
  assert.equal(g.numberedButton(3), 'Pulsante_03.gif');
  assert.equal(g.numberedButton(10), 'Pulsante_10.gif');
});

test('the page bar shows the first page, the last, the current one and its neighbours, whatever the count', () => {
  const cases = [
    // current page, pages, buttons (0 a gap)
    [1, 1, []], [1, 2, [1, 2]], [2, 2, [1, 2]], [1, 7, [1, 2, 0, 7]], [4, 7, [1, 2, 3, 4, 5, 6, 7]],
    [17, 25, [1, 0, 16, 17, 18, 0, 25]], [25, 25, [1, 0, 24, 25]], [3, 25, [1, 2, 3, 4, 0, 25]], [23, 25, [1, 0, 22, 23, 24, 25]],
  ];
  for (const [page, pages, bar] of cases) assert.deepEqual(g.pageBar(page, pages), bar, `${page} of ${pages}`);
  for (let pages = 1; pages <= 500; pages++) {
    for (let page = 1; page <= pages; page++) {
      const bar = g.pageBar(page, pages), numbers = bar.filter((n) => n > 0);
      const needed = pages > 1 ? [1, page - 1, page, page + 1, pages].filter((n) => n >= 1 && n <= pages) : [];
      const wrong = bar.length > 7 || needed.some((n) => !numbers.includes(n)) ||
        bar.some((n, k) => k > 0 && (n === 0 ? bar[k - 1] === 0 || bar[k + 1] - bar[k - 1] < 3 : bar[k - 1] !== 0 && n !== bar[k - 1] + 1));
      if (wrong) assert.fail(`${page} of ${pages}: ${bar}`);
    }
  }
  assert.equal(g.pictureButtons(10, { narrow: false }), true);
  assert.equal(g.pictureButtons(11, { narrow: false }), false);
  assert.equal(g.pictureButtons(3, { narrow: true }), false);
});

test('the page bar goes above the slides when there is room, under them otherwise', () => {
  assert.deepEqual(g.pageLayout(defaults), { left: 400, barTop: 140, headerTop: 10, headerHeight: 110 });
  const low = g.pageLayout(settings({ POS_Y_DIA: 30, MAX_NUM_RIGHE: 2, ALT_DIA: 100 }));
  assert.equal(low.barTop, 30 + 2 * 130);
  assert.equal(low.headerHeight, 40);
});

test('captions are file names without extension, "_" read as a blank', () => {
  const cases = [['Faro_al_tramonto.jpg', 'Faro al tramonto'], ['foto.tar.JPEG', 'foto.tar'], ['senza estensione', 'senza estensione'],
    ['Mare #1 & "Sole" 100%.jpg', 'Mare #1 & "Sole" 100%'], ['_.png', '_.png'], ['città.gif', 'città']];
  for (const [file, caption] of cases) assert.equal(g.caption(file), caption);
});

test('each path segment is URL-encoded, so odd names reach their files', () => {
  const cases = [
    ['Mare', 'Mare #1 & "Sole" 100%.jpg', 'Mare/Mare%20%231%20%26%20%22Sole%22%20100%25.jpg'],
    ['Città?', 'è l\'ora.png', 'Citt%C3%A0%3F/%C3%A8%20l\'ora.png'],
    ['a/b', '\u{1F600}.jpg', 'a%2Fb/%F0%9F%98%80.jpg'],
    ['x', 'lone \ud800.jpg', 'x/lone%20%EF%BF%BD.jpg'],
  ];
  for (const [group, file, url] of cases) assert.equal(g.pictureUrl(group, file), url);
});

test('keys step through pages and pictures: every page, the last too, a step of history; pictures replace theirs', () => {
  const s = settings({ MAX_NUM_RIGHE: 1, MAX_NUM_IMG_RIGA: 3 });  // 7 pictures: pages 1 to 3
  const cases = [
    // view [page, picture], key, target [page, picture, step] or null
    [[1, -1], 'ArrowRight', [2, -1, 'push']], [[2, -1], 'ArrowRight', [3, -1, 'push']], [[3, -1], 'ArrowRight', null],
    [[3, -1], 'ArrowLeft', [2, -1, 'push']], [[1, -1], 'ArrowLeft', null], [[1, -1], 'PageDown', [2, -1, 'push']],
    [[1, -1], 'End', [3, -1, 'push']], [[3, -1], 'Home', [1, -1, 'push']], [[3, -1], 'End', null], [[2, -1], 'x', null],
    [[1, -1], 'Escape', [1, -1, 'push', -1]],
    [[1, 2], 'ArrowRight', [2, 3, 'replace']], [[3, 6], 'ArrowRight', null], [[1, 0], 'ArrowLeft', null],
    [[2, 3], 'ArrowLeft', [1, 2, 'replace']], [[1, 0], 'End', [3, 6, 'replace']], [[2, 4], 'Escape', [2, -1, 'close']],
  ];
  for (const [[page, picture], key, target] of cases) {
    const result = g.keyTarget({ group: 0, page, picture }, key, 7, s);
    const expected = target && { group: target[3] === undefined ? 0 : target[3], page: target[0], picture: target[1], step: target[2] };
    assert.deepEqual(result, expected, `${key} from ${page}/${picture}`);
  }
  assert.equal(g.keyTarget({ group: -1, page: 1, picture: -1 }, 'ArrowRight', 0, s), null);
  // Right arrows from the first page of 500 reach the last one and stop there.
  let view = { group: 0, page: 1, picture: -1 }, steps = 0;
  for (let next; (next = g.keyTarget(view, 'ArrowRight', 1500, s)); steps++) view = next;
  assert.deepEqual([view.page, steps], [500, 499]);
});

test('every view has an address that leads back to it', () => {
  const groups = g.readGroups([
    ['Mare #1 & 100%', [['a.jpg', 't1.jpg'], ['b.jpg', ''], ['c=d&e.jpg', 't3.jpg'], ['d.jpg', 't4.jpg']]],
    ['Vuoto', []], ['Monti', [['x.jpg', 'tx.jpg']]],
  ], settings({}));
  const s = settings({ MAX_NUM_RIGHE: 1, MAX_NUM_IMG_RIGA: 3 });
  const cases = [
    // address, group index, page, picture index
    [g.fragment(null), -1, 1, -1], ['', -1, 1, -1], ['#gruppo=Nessuno', -1, 1, -1], ['#gruppo=%E0%A4%A', -1, 1, -1],
    [g.fragment('Mare #1 & 100%'), 0, 1, -1], [g.fragment('Mare #1 & 100%', 2), 0, 2, -1],
    [g.fragment('Mare #1 & 100%', 9), 0, 2, -1], [g.fragment('Monti', 1), 1, 1, -1],
    [g.fragment('Mare #1 & 100%', 0, 'c=d&e.jpg'), 0, 1, 2], [g.fragment('Mare #1 & 100%', 0, 'd.jpg'), 0, 2, 3],
    [g.fragment('Mare #1 & 100%', 0, 'sparita.jpg'), 0, 1, -1], ['#gruppo=Monti&pagina=abc', 1, 1, -1],
  ];
  for (const [address, group, page, picture] of cases) {
    assert.deepEqual(g.resolve(g.readFragment(address), groups, s), { group, page, picture }, address);
  }
  assert.deepEqual(groups.map((group) => group.name), ['Mare #1 & 100%', 'Monti']);
});

test('the list is read defensively and only the first MAX_NUM_ARG groups are part of the site', () => {
  const list = [['A', [['1.jpg', 't.jpg'], ['5.jpg', 't5.jpg', 'l5.jpg', 's5.jpg', 4000, 3000], ['6.jpg', '', '', '', 0, 0],
    ['7.jpg', 't', 'l', 's', -5, 300], ['8.jpg', 't', 7, null, '100', 'x']]],
  'rotto', ['B', 'rotto'], ['C', [['', ''], [5], ['2.jpg']]], ['D', [['3.jpg', 4]]], ['E', [['4.jpg', '']]]];
  const groups = g.readGroups(list, settings({ MAX_NUM_ARG: 3 }));
  assert.deepEqual(groups.map((group) => [group.name, group.pictures.map((p) => [p.file, p.thumbnail, p.large, p.small, p.width, p.height].join(':'))]),
    [['A', ['1.jpg:t.jpg:::0:0', '5.jpg:t5.jpg:l5.jpg:s5.jpg:4000:3000', '6.jpg::::0:0', '7.jpg:t:l:s:0:0', '8.jpg:t:::0:0']],
      ['C', ['2.jpg::::0:0']], ['D', ['3.jpg::::0:0']]]);
  assert.deepEqual(g.readGroups(undefined, defaults), []);
});

test('the words are the list\'s, Italian where it has none; the page follows its language', () => {
  const english = { home: 'Home', page: 'Page {k} of {n}', next: 'Next', download: 'Download original' };
  const cases = [
    // Lingua_Galleria, Parole_Galleria, lang, page words, next, download, unreadable
    [undefined, undefined, 'it', 'Pagina 2 di 25', 'Successiva', 'Scarica l\'originale', 'immagine non leggibile'],
    ['en', english, 'en', 'Page 2 of 25', 'Next', 'Download original', 'picture cannot be read'],
    ['fr', { next: '', page: 5 }, 'it', 'Pagina 2 di 25', 'Successiva', 'Scarica l\'originale', 'immagine non leggibile'],
  ];
  for (const [language, given, lang, page, next, download, unreadable] of cases) {
    const chosen = g.readWords({ Lingua_Galleria: language, Parole_Galleria: given });
    assert.deepEqual([chosen.lang, g.pageWords(chosen.words, 2, 25), chosen.words.next, chosen.words.download, chosen.words.unreadable],
      [lang, page, next, download, unreadable], String(language));
  }
});

test('the big picture comes from the smallest copy sharp enough for the room and the screen', () => {
  const full = { small: 's.jpg', large: 'l.jpg', width: 4000, height: 3000 };
  const cases = [
    // picture, room width x height, density, file
    [full, 1030, 690, 1, 'small'], [full, 1800, 1000, 1, 'large'], [full, 1030, 690, 2, 'large'], [full, 390, 844, 3, 'small'],
    [full, 1300, 1000, 2, 'original'], [{ ...full, small: '' }, 390, 844, 1, 'large'],
    [{ small: '', large: '', width: 1600, height: 1200 }, 2500, 1400, 2, 'original'],
    [{ small: 's.jpg', large: '', width: 1600, height: 1200 }, 390, 844, 2, 'small'],
    [{ small: 's.jpg', large: '', width: 1600, height: 1200 }, 1280, 900, 1, 'original'],
    [{ small: 's.jpg', large: 'l.jpg', width: 0, height: 0 }, 800, 600, 1, 'small'],
    [{ small: 's.jpg', large: 'l.jpg', width: 0, height: 0 }, 2560, 1400, 1, 'original'],
    [{ small: '', large: '', width: 0, height: 0 }, 100, 100, 1, 'original'],
  ];
  for (const [picture, width, height, density, file] of cases) {
    assert.equal(g.bigPictureSource(picture, width, height, density), file, `${JSON.stringify(picture)} in ${width}x${height}@${density}`);
  }
});

test('the big picture starts where the parameters say, fitted to the window', () => {
  const cases = [
    // window, room
    [[1280, 900], { left: 220, top: 80, maxWidth: 1030, maxHeight: 790 }],
    [[400, 300], { left: 30, top: 30, maxWidth: 340, maxHeight: 240 }],  // too small for the parameters' place
    [[20, 20], { left: 30, top: 30, maxWidth: 1, maxHeight: 1 }],
    [[390, 844, true], { left: 0, top: 0, maxWidth: 390, maxHeight: 844 }],  // a narrow window: all of it
  ];
  for (const [[width, height, narrow], room] of cases) assert.deepEqual(g.bigPictureRoom(defaults, width, height, narrow), room);
});

test('the picture list is read as the Windows-1252 it is written in', () => {
  const made = [];
  const document = { head: { appendChild() {} }, readyState: 'loading', addEventListener() {}, querySelector: () => null,
    documentElement: { classList: { toggle() {} } },
    createElement: () => { const e = { style: {}, setAttribute(k, v) { e[k] = v; } }; made.push(e); return e; } };
  require('node:vm').runInNewContext(require('node:fs').readFileSync(engine, 'utf8'), { document, URL, location: {}, Image: Object });
  const list = made.find((e) => e.src === 'Immagini_by_Velmora.js');
  assert.equal(new TextDecoder(list.charset).decode(Uint8Array.of(0x43, 0x69, 0x74, 0x74, 0xE0)), 'Citt\u00e0');
});
