#!/usr/bin/env node
// Generates src/core/text/PinyinTable.cpp, the syllable tables behind
// zentra::toPinyin, from the per-character readings of the npm package
// pinyin 2.11.2 (file data/dict-zi.js; by hotoo, licence MIT; its readings come
// from the pinyin-data set of the Unihan database).
//
//   cd tools/gen-pinyin && npm install --no-package-lock && node generate.js
//
// Characters are addressed by their zone-position code in GB2312: zone * 100 +
// position, zones 16 to 87, positions 1 to 94 (the bytes B0 A1 are 1601).
//
// Level 1 (zones 16 to 55, up to 5589) is sorted by reading, so each syllable
// owns one run of consecutive codes and the table keeps only the first code of
// each run. Characters with several readings were placed by one of them, and
// the package's first reading is not always that one, so the runs are found as
// the non-decreasing assignment of syllables to the level 1 characters that
// agrees with the most characters' readings (fewest runs on a tie).
//
// Level 2 (zones 56 to 87) is sorted by radical: every character gets its
// package's first reading, or none when the package has no reading for it.
//
// Syllables are written in capitals without tones; ü is written V.
const fs = require('fs');
const path = require('path');
const dict = require('pinyin/data/dict-zi.js');

const gbk = new TextDecoder('gbk');
const charAt = (code) => {
  const zone = Math.floor(code / 100);
  const pos = code % 100;
  return gbk.decode(new Uint8Array([zone + 0xa0, pos + 0xa0]));
};

const plain = (reading) =>
  reading
    .normalize('NFD')
    .replace(/u\u0308/g, 'v')
    .replace(/[\u0300-\u036f]/g, '')
    .toUpperCase();

const readingsOf = (ch) => {
  const cp = ch.codePointAt(0);
  const text = dict[cp];
  if (!text) return [];
  return [...new Set(text.split(',').map(plain))].filter((s) => /^[A-Z]+$/.test(s));
};

// ---- Level 1: runs ----
const level1 = [];
for (let zone = 16; zone <= 55; ++zone)
  for (let pos = 1; pos <= (zone === 55 ? 89 : 94); ++pos) {
    const code = zone * 100 + pos;
    const ch = charAt(code);
    level1.push({ code, ch, readings: readingsOf(ch) });
  }

const syllableSet = new Set();
for (const c of level1) c.readings.forEach((r) => syllableSet.add(r));
// GB2312 sorts ü like u, and a syllable with ü right after the same one with u:
// LU, LV (lü), LUAN, LVE (lüe), LUN.
const orderKey = (x) => (x.includes('V') ? x.replace('V', 'U') + '\x01' : x);
const sylls = [...syllableSet].sort((a, b) => (orderKey(a) < orderKey(b) ? -1 : orderKey(a) > orderKey(b) ? 1 : 0));
const S = sylls.length;
const N = level1.length;
const matches = level1.map((c) => new Set(c.readings.map((r) => sylls.indexOf(r))));

// score = 1000 * agreeing characters - runs
const from = new Int16Array(N * S); // previous syllable index of the best path
let prev = new Float64Array(S);
for (let s = 0; s < S; ++s) prev[s] = (matches[0].has(s) ? 1000 : 0) - 1;
for (let i = 1; i < N; ++i) {
  const cur = new Float64Array(S);
  let bestBefore = -Infinity;
  let bestBeforeIdx = -1;
  for (let s = 0; s < S; ++s) {
    let best = prev[s];
    let arg = s;
    if (bestBefore - 1 > best) {
      best = bestBefore - 1;
      arg = bestBeforeIdx;
    }
    cur[s] = best + (matches[i].has(s) ? 1000 : 0);
    from[i * S + s] = arg;
    if (prev[s] > bestBefore) {
      bestBefore = prev[s];
      bestBeforeIdx = s;
    }
  }
  prev = cur;
}
let s = 0;
for (let k = 1; k < S; ++k) if (prev[k] > prev[s]) s = k;
const assigned = new Array(N);
for (let i = N - 1; i >= 0; --i) {
  assigned[i] = s;
  if (i > 0) s = from[i * S + s];
}
const runs = [];
for (let i = 0; i < N; ++i)
  if (i === 0 || assigned[i] !== assigned[i - 1]) runs.push({ code: level1[i].code, syll: sylls[assigned[i]] });
const disagree = level1.filter((c, i) => !matches[i].has(assigned[i]));
console.error(`level 1: ${N} characters, ${runs.length} runs, ${disagree.length} without the run's reading:`);
console.error('  ' + disagree.map((c, i) => `${c.code}${c.ch}(${c.readings.join('/') || '-'})`).join(' '));

// Run starts that every GB2312 table agrees on.
const known = { 1601: 'A', 1603: 'AI', 1616: 'AN', 1625: 'ANG', 1628: 'AO', 1637: 'BA', 3431: 'LV', 5576: 'ZUI', 5580: 'ZUN', 5582: 'ZUO' };
for (const [code, syll] of Object.entries(known))
  if (!runs.some((r) => r.code === Number(code) && r.syll === syll)) throw new Error(`no run ${syll} at ${code}`);

// ---- Level 2: per character ----
const level2 = [];
let missing2 = 0;
for (let zone = 56; zone <= 87; ++zone)
  for (let pos = 1; pos <= 94; ++pos) {
    const r = readingsOf(charAt(zone * 100 + pos));
    if (!r.length) ++missing2;
    level2.push(r.length ? r[0] : null);
  }
console.error(`level 2: ${level2.length} characters, ${missing2} without a reading`);

// ---- Output ----
const all = [...new Set([...runs.map((r) => r.syll), ...level2.filter((x) => x)])].sort();
const index = new Map(all.map((x, i) => [x, i]));
const wrap = (items, perLine) => {
  const lines = [];
  for (let i = 0; i < items.length; i += perLine) lines.push('    ' + items.slice(i, i + perLine).join(', ') + ',');
  return lines.join('\n');
};

const out = `// Generated by tools/gen-pinyin/generate.js from the npm package pinyin 2.11.2
// (data/dict-zi.js, licence MIT). Do not edit; run the generator instead.
#include "core/text/PinyinTable.h"

namespace zentra::pinyin_table {

const std::string_view syllables[syllableCount] = {
${wrap(all.map((x) => `"${x}"`), 10)}
};

const Level1Run level1Runs[level1RunCount] = {
${wrap(runs.map((r) => `{${r.code}, ${index.get(r.syll)}}`), 6)}
};

const std::uint16_t level2Syllables[level2Count] = {
${wrap(level2.map((x) => (x ? index.get(x) : 'noSyllable')), 12)}
};

}
`;
const header = path.join(__dirname, '..', '..', 'src', 'core', 'text', 'PinyinTable.h');
let h = fs.readFileSync(header, 'utf8');
h = h.replace(/syllableCount = \d+/, `syllableCount = ${all.length}`)
  .replace(/level1RunCount = \d+/, `level1RunCount = ${runs.length}`);
fs.writeFileSync(header, h);
const target = path.join(__dirname, '..', '..', 'src', 'core', 'text', 'PinyinTable.cpp');
fs.writeFileSync(target, out);
console.error(`wrote ${all.length} syllables, ${runs.length} runs, ${level2.length} level 2 entries to ${target}`);
