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

test('slides fill the rows of a page from (POS_X_DIA, POS_Y_DIA), the thumbnail inside each', () => {
  const s = settings({ MAX_NUM_RIGHE: 2, MAX_NUM_IMG_RIGA: 3, LARGH_X_DIA: 135, ALT_DIA: 100, POS_X_DIA: 400, POS_Y_DIA: 190, POS_Y_IMG: 205 });
  const places = g.slidePlaces(s, 5);
  assert.deepEqual(places.map((p) => [p.left, p.top, p.width, p.height]),
    [[400, 190, 135, 100], [555, 190, 135, 100], [710, 190, 135, 100], [400, 320, 135, 100], [555, 320, 135, 100]]);
  for (const place of places) assert.deepEqual(place.thumbnail, { left: 10, top: 15, width: 115, height: 80 });
});

test('a group is split into pages of rows x slides', () => {
  const s = settings({ MAX_NUM_RIGHE: 1, MAX_NUM_IMG_RIGA: 3 });
  const cases = [
    // pictures, pages, range of the last page, numbered buttons
    [1, 1, [0, 1], []], [3, 1, [0, 3], []], [7, 3, [6, 7], [1, 2, 3]], [9, 3, [6, 9], [1, 2, 3]],
    [2000, 667, [1998, 2000], [1, 2, 3, 4, 5, 6, 7, 8, 9, 10]],
  ];
  for (const [pictures, pages, last, numbered] of cases) {
    assert.equal(g.pageCount(s, pictures), pages, `${pictures} pictures`);
    const range = g.pageRange(s, pages, pictures);
    assert.deepEqual([range.first, range.end], last, `${pictures} pictures`);
    assert.deepEqual(g.numberedPages(pages), numbered);
  }
  assert.equal(g.numberedButton(3), 'Pulsante_03.gif');
  assert.equal(g.numberedButton(10), 'Pulsante_10.gif');
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
  const list = [['A', [['1.jpg', 't.jpg']]], 'rotto', ['B', 'rotto'], ['C', [['', ''], [5], ['2.jpg']]], ['D', [['3.jpg', 4]]], ['E', [['4.jpg', '']]]];
  const groups = g.readGroups(list, settings({ MAX_NUM_ARG: 3 }));
  assert.deepEqual(groups.map((group) => [group.name, group.pictures.map((p) => p.file + ':' + p.thumbnail)]),
    [['A', ['1.jpg:t.jpg']], ['C', ['2.jpg:']], ['D', ['3.jpg:']]]);
  assert.deepEqual(g.readGroups(undefined, defaults), []);
});

test('the big picture starts where the parameters say, fitted to the window', () => {
  const cases = [
    // window, room
    [[1280, 900], { left: 220, top: 80, maxWidth: 1030, maxHeight: 790 }],
    [[400, 300], { left: 30, top: 30, maxWidth: 340, maxHeight: 240 }],  // too small for the parameters' place
    [[20, 20], { left: 30, top: 30, maxWidth: 1, maxHeight: 1 }],
  ];
  for (const [[width, height], room] of cases) assert.deepEqual(g.bigPictureRoom(defaults, width, height), room);
});

test('the arrow keys step through the pictures or the pages to the last, Escape goes back', () => {
  const s = settings({ MAX_NUM_RIGHE: 1, MAX_NUM_IMG_RIGA: 2 });
  const [group] = g.readGroups([['G', ['a', 'b', 'c', 'd', 'e'].map((n) => [n + '.jpg', ''])]], s);  // three pages
  const cases = [
    // key, page, picture on view (-1: none), where it leads
    ['ArrowRight', 1, -1, '#gruppo=G&pagina=2'], ['ArrowRight', 2, -1, '#gruppo=G&pagina=3'], ['ArrowRight', 3, -1, null],
    ['ArrowLeft', 2, -1, '#gruppo=G'], ['ArrowLeft', 1, -1, null], ['Escape', 2, -1, '#'], ['x', 1, -1, null],
    ['ArrowRight', 2, 3, '#gruppo=G&foto=e.jpg'], ['ArrowRight', 3, 4, null], ['ArrowLeft', 1, 0, null], ['Escape', 2, 3, '#gruppo=G&pagina=2'],
  ];
  for (const [key, page, picture, target] of cases) {
    assert.equal(g.keyTarget(key, { group: 0, page, picture }, group, s), target, `${key} on page ${page}, picture ${picture}`);
  }
});

test('the picture list is read as the Windows-1252 it is written in', () => {
  const made = [];
  const document = { head: { appendChild() {} }, readyState: 'loading', addEventListener() {},
    createElement: () => { const e = { setAttribute(k, v) { e[k] = v; } }; made.push(e); return e; } };
  require('node:vm').runInNewContext(require('node:fs').readFileSync(engine, 'utf8'), { document, URL });
  const list = made.find((e) => e.src === 'Immagini_by_Velmora.js');
  assert.equal(new TextDecoder(list.charset).decode(Uint8Array.of(0x43, 0x69, 0x74, 0x74, 0xE0)), 'Citt\u00e0');
});
