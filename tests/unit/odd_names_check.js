// Run by the OddNames test in a written site's folder: reads the parameter
// script as a browser reads a Windows-1252 page, and checks that every
// picture name it defines, and the home page's background reference resolved
// as a browser resolves it against the page, names a file in this folder.
// Prints what it misses, then how many names it checked.
const fs = require('fs');
const row80 = [0x20AC, 0x81, 0x201A, 0x192, 0x201E, 0x2026, 0x2020, 0x2021, 0x2C6, 0x2030, 0x160, 0x2039, 0x152, 0x8D, 0x17D, 0x8F,
  0x90, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x2DC, 0x2122, 0x161, 0x203A, 0x153, 0x9D, 0x17E, 0x178];
const read = (f) => Array.from(fs.readFileSync(f), (b) => String.fromCodePoint(b >= 0x80 && b < 0xA0 ? row80[b - 0x80] : b)).join('');
const c = {};
require('vm').runInNewContext(read('Parametri_by_Velmora.js'), c);
const names = Object.keys(c).filter((k) => k.startsWith('Nome_')).map((k) => c[k]);
const bg = /<body background='([^']*)'>/.exec(read('index.htm'));
names.push(bg ? require('url').fileURLToPath(new URL(bg[1], 'file:///sito/')).replace('/sito/', '') : 'none');
for (const n of names) if (!fs.existsSync(n)) console.log('missing ' + JSON.stringify(n));
console.log(names.length);
