// Generates the Unicode 6.1 property tables of the regex engine from the npm
// package @unicode/unicode-6.1.0 (ISO 15924 script codes from
// unicode-property-value-aliases-ecmascript), checks them over the whole code
// point range, and writes
//   regex/UnicodeTables.cpp                    the tables (committed, compiled)
//   tests/fixtures/unicode/properties-6.1.txt  a per-code-point digest of the
//                                              same data, which the C++ test
//                                              sweeps through the lookups
// Run it with tools/unicode/generate.sh (installs the packages first).
// Any inconsistency in the data ends the run with an error and writes nothing.

import fs from 'node:fs';
import path from 'node:path';
import { createRequire } from 'node:module';
import { fileURLToPath } from 'node:url';

const require = createRequire(import.meta.url);
const here = path.dirname(fileURLToPath(import.meta.url));
const repo = path.resolve(here, '..', '..');
const UCD = '@unicode/unicode-6.1.0';
const REGEN = 'tools/unicode/generate.sh';

const MAX_CP = 0x10ffff;
const SIZE = MAX_CP + 1;
const PAGE_BITS = 7;
const PAGE = 1 << PAGE_BITS;
const PAGES = SIZE >> PAGE_BITS; // 8704
const SCRIPT_COUNT = 103;
const BLOCK_COUNT = 220;
const FIRST_SCRIPT = 39;
const FIRST_BLOCK = 142;
const PROPERTY_COUNT = 362;

function fail(message) {
  console.error(`generate.js: ${message}`);
  process.exit(1);
}
function check(condition, message) {
  if (!condition) fail(message);
}
const hex = (cp) => cp.toString(16).toUpperCase().padStart(4, '0');

async function ranges(property, value) {
  const mod = await import(`${UCD}/${property}/${value}/ranges.mjs`);
  return mod.default;
}

// ---- general categories: 31 codes in alphabetical order, LC included -------
const aliases = require('unicode-property-value-aliases-ecmascript');
const index = (await import(`${UCD}/index.mjs`)).default;

const categoryCodes = [
  'Cc', 'Cf', 'Cn', 'Co', 'Cs', 'LC', 'Ll', 'Lm', 'Lo', 'Lt', 'Lu', 'Mc', 'Me', 'Mn', 'Nd', 'Nl',
  'No', 'Pc', 'Pd', 'Pe', 'Pf', 'Pi', 'Po', 'Ps', 'Sc', 'Sk', 'Sm', 'So', 'Zl', 'Zp', 'Zs',
];
const majorCodes = ['C', 'L', 'M', 'N', 'P', 'S', 'Z'];
const LC = categoryCodes.indexOf('LC');
const LL = categoryCodes.indexOf('Ll');
const LU = categoryCodes.indexOf('Lu');
const gcAliases = aliases.get('General_Category');

const category = new Uint8Array(SIZE).fill(255);
for (let c = 0; c < categoryCodes.length; ++c) {
  if (c === LC) continue; // a union, no code point has it as its own category
  const long = gcAliases.get(categoryCodes[c]);
  check(long && index.General_Category.includes(long), `no data for category ${categoryCodes[c]}`);
  for (const r of await ranges('General_Category', long)) {
    for (let cp = r.begin; cp < r.end; ++cp) {
      check(category[cp] === 255, `U+${hex(cp)} has two general categories`);
      category[cp] = c;
    }
  }
}
for (let cp = 0; cp < SIZE; ++cp) check(category[cp] !== 255, `U+${hex(cp)} has no general category`);

// ---- scripts: ordered by the primary four-letter code ----------------------
// A script may have several four-letter aliases; the private-use ones
// (Qaaa..Qabx, e.g. Qaac for Coptic, Qaai for Inherited) are secondary.
const scriptAliases = aliases.get('Script');
const codeOf = new Map();
for (const [alias, name] of scriptAliases) {
  if (!/^[A-Z][a-z]{3}$/.test(alias) || /^Qa[a-b][a-z]$/.test(alias)) continue;
  check(!codeOf.has(name) || codeOf.get(name) === alias, `script ${name} has two codes`);
  codeOf.set(name, alias);
}
check(index.Script.includes('Unknown'), 'the data have no Unknown script');
// Katakana_Or_Hiragana has a name and a code but no code points in 6.1, so
// the package lists no data for it; it is a script all the same.
const scriptNames = index.Script.filter((s) => s !== 'Unknown');
check(!scriptNames.includes('Katakana_Or_Hiragana'), 'Katakana_Or_Hiragana unexpectedly has data');
scriptNames.push('Katakana_Or_Hiragana');
for (const s of scriptNames) check(codeOf.has(s), `no ISO 15924 code for script ${s}`);
scriptNames.sort((a, b) => (codeOf.get(a) < codeOf.get(b) ? -1 : 1));
check(scriptNames.length === SCRIPT_COUNT, `${scriptNames.length} scripts, expected ${SCRIPT_COUNT}`);
check(scriptNames.slice(-3).join() === 'Yi,Inherited,Common', 'scripts do not end with Yi, Inherited, Common');

const script = new Uint8Array(SIZE); // 0 = no script
for (let s = 0; s < scriptNames.length; ++s) {
  if (scriptNames[s] === 'Katakana_Or_Hiragana') continue;
  for (const r of await ranges('Script', scriptNames[s])) {
    for (let cp = r.begin; cp < r.end; ++cp) {
      check(script[cp] === 0, `U+${hex(cp)} has two scripts`);
      script[cp] = s + 1;
    }
  }
}
{
  const unknown = new Uint8Array(SIZE);
  for (const r of await ranges('Script', 'Unknown')) unknown.fill(1, r.begin, r.end);
  for (let cp = 0; cp < SIZE; ++cp) {
    check((script[cp] === 0) === (unknown[cp] === 1), `U+${hex(cp)}: Unknown script data disagree`);
  }
}

// ---- blocks: 220 single ranges in code-point order -------------------------
const blocks = [];
for (const name of index.Block) {
  const r = await ranges('Block', name);
  check(r.length === 1, `block ${name} is not one range`);
  blocks.push({ name, first: r[0].begin, last: r[0].end - 1 });
}
blocks.sort((a, b) => a.first - b.first);
check(blocks.length === BLOCK_COUNT, `${blocks.length} blocks, expected ${BLOCK_COUNT}`);
for (let i = 1; i < blocks.length; ++i) {
  check(blocks[i - 1].last < blocks[i].first, `blocks ${blocks[i - 1].name} and ${blocks[i].name} overlap`);
}
check(blocks[0].name === 'Basic_Latin' && blocks[0].first === 0, 'first block is not Basic Latin');
check(blocks.at(-1).name === 'Supplementary_Private_Use_Area_B' && blocks.at(-1).last === MAX_CP,
  'last block is not Supplementary Private Use Area-B');

// ---- simple case mappings --------------------------------------------------
const upperMap = (await import(`${UCD}/Simple_Case_Mapping/Uppercase/code-points.mjs`)).default;
const lowerMap = (await import(`${UCD}/Simple_Case_Mapping/Lowercase/code-points.mjs`)).default;
// The delta is the code point minus its mapping: to upper case for Ll, to
// lower case for Lu; 0 for every other category (those map to themselves).
const delta = new Int32Array(SIZE);
for (let cp = 0; cp < SIZE; ++cp) {
  let target = cp;
  if (category[cp] === LL && upperMap.has(cp)) target = upperMap.get(cp);
  if (category[cp] === LU && lowerMap.has(cp)) target = lowerMap.get(cp);
  check(Number.isInteger(target) && target >= 0 && target <= MAX_CP, `U+${hex(cp)}: bad case mapping`);
  delta[cp] = cp - target;
}

// ---- names of the 362 property values --------------------------------------
const scriptIdent = (name) => name.replace(/_/g, '');
// Block names drop spaces, underscores and hyphens and keep "and"/"for" in
// lower case (CJKSymbolsandPunctuation).
const blockIdent = (name) =>
  'In' + name.split(/[_ -]/).map((w) => (w === 'And' ? 'and' : w === 'For' ? 'for' : w)).join('');
const propertyNames = [
  ...majorCodes, ...categoryCodes, 'unKnown', ...scriptNames.map(scriptIdent), ...blocks.map((b) => blockIdent(b.name)),
];
check(propertyNames.length === PROPERTY_COUNT, `${propertyNames.length} property values, expected ${PROPERTY_COUNT}`);
{
  const seen = new Set();
  for (const n of [...propertyNames, 'L&']) {
    check(/^[A-Za-z0-9&]+$/.test(n), `property name ${n} has characters a pattern cannot name`);
    check(!seen.has(n.toLowerCase()), `property name ${n} is not unique without regard to case`);
    seen.add(n.toLowerCase());
  }
}
// The header's enumeration must list exactly these names in this order.
{
  const header = fs.readFileSync(path.join(repo, 'regex', 'UnicodeProp.h'), 'utf8');
  const body = header.match(/enum TUnicodeProperty[^{]*\{([\s\S]*?)\};/);
  check(body, 'regex/UnicodeProp.h has no TUnicodeProperty enumeration');
  const declared = body[1].replace(/\/\/.*$/gm, '').split(',').map((s) => s.trim()).filter(Boolean);
  check(declared.length === PROPERTY_COUNT, `regex/UnicodeProp.h declares ${declared.length} values`);
  declared.forEach((d, i) => check(d === 'up' + propertyNames[i], `value ${i}: header has ${d}, data give up${propertyNames[i]}`));
}

// ---- character types and the two-stage table -------------------------------
const typeKey = (cp) => `${script[cp]},${category[cp]},${delta[cp]}`;
const typeIndex = new Map();
const types = [];
const typeOf = new Uint16Array(SIZE);
for (let cp = 0; cp < SIZE; ++cp) {
  const key = typeKey(cp);
  let t = typeIndex.get(key);
  if (t === undefined) {
    t = types.length;
    typeIndex.set(key, t);
    types.push({ script: script[cp], category: category[cp], delta: delta[cp] });
  }
  typeOf[cp] = t;
}
check(types.length <= 0xffff, `${types.length} character types do not fit 16 bits`);

const pageIndex = new Map();
const pages = []; // distinct pages, each PAGE type indexes
const stage1 = new Uint8Array(PAGES);
for (let p = 0; p < PAGES; ++p) {
  const page = typeOf.subarray(p * PAGE, (p + 1) * PAGE);
  const key = page.join(',');
  let i = pageIndex.get(key);
  if (i === undefined) {
    i = pages.length;
    check(i <= 0xff, 'more than 256 distinct pages: the first stage no longer fits one byte');
    pageIndex.set(key, i);
    pages.push(page);
  }
  stage1[p] = i;
}

// ---- self-check: decode every code point from the emitted arrays ----------
for (let cp = 0; cp < SIZE; ++cp) {
  const t = types[pages[stage1[cp >> PAGE_BITS]][cp & (PAGE - 1)]];
  check(t.script === script[cp] && t.category === category[cp] && t.delta === delta[cp],
    `U+${hex(cp)} does not decode to its own data`);
}

// ---- write regex/UnicodeTables.cpp -----------------------------------------
const header = [
  '// Unicode 6.1 property tables of the regex engine: two-stage character-type',
  '// index, character-type records, general-category groups, blocks and the',
  '// names of the property values. GENERATED, do not edit; regenerate with',
  `//   ${REGEN}`,
  `// from the npm package ${UCD}.`,
];
const lines = [...header, '', '#include "regex/UnicodeTables.h"', '', 'namespace vantora::unicode_tables {', ''];
const wrap = (values, perLine) => {
  const out = [];
  for (let i = 0; i < values.length; i += perLine) out.push('  ' + values.slice(i, i + perLine).join(', ') + ',');
  return out;
};
lines.push(`constinit const std::uint8_t UnicodeCategory1Table[${PAGES}] = {`, ...wrap([...stage1], 24), '};', '');
lines.push(`constinit const std::uint16_t UnicodeCategory2Table[${pages.length * PAGE}] = {`);
pages.forEach((page, i) => {
  lines.push(`  // page ${i}`);
  lines.push(...wrap([...page], 16));
});
lines.push('};', '');
lines.push(`constinit const TUnicodeCharType UnicodeCharTypeTable[${types.length}] = {`);
lines.push(...wrap(types.map((t) => `{${t.script}, ${t.category}, ${t.delta}}`), 6), '};', '');
const majors = categoryCodes.map((c) => majorCodes.indexOf(c[0]));
lines.push(`constinit const std::uint16_t UnicodeGeneralCategoryTable[${categoryCodes.length}] = {`, ...wrap(majors, 31), '};', '');
lines.push(`constinit const TUnicodeBlockRange UnicodeBlockTable[${BLOCK_COUNT}] = {`);
for (const b of blocks) lines.push(`  {0x${hex(b.first)}, 0x${hex(b.last)}},  // ${blockIdent(b.name)}`);
lines.push('};', '');
lines.push(`constinit const std::string_view UnicodePropertyNameTable[${PROPERTY_COUNT}] = {`);
lines.push(...wrap(propertyNames.map((n) => `"${n}"`), 6), '};', '');
lines.push(`constinit const std::size_t UnicodeCategory2TableSize = ${pages.length * PAGE};`);
lines.push(`constinit const std::size_t UnicodeCharTypeCount = ${types.length};`, '');
lines.push('}  // namespace vantora::unicode_tables', '');

// ---- write the digest that the C++ test sweeps -----------------------------
// Runs of code points with equal category, script and block ("start category
// script block", block "-" for none), then the case mappings of Ll and Lu
// letters that do not map to themselves ("U start target" / "L start target").
const blockOf = new Int16Array(SIZE).fill(-1);
blocks.forEach((b, i) => blockOf.fill(i, b.first, b.last + 1));
const scriptName = (s) => (s === 0 ? 'unKnown' : scriptIdent(scriptNames[s - 1]));
const digest = [
  '# Unicode 6.1 properties of every code point 0..10FFFF, written by tools/unicode/generate.js',
  `# from ${UCD}, independently of the compressed tables. Regenerate with ${REGEN}.`,
  '# R <first code point> <category> <script> <block or ->: a run up to the next R line',
  '# U <code point> <upper case>: an Ll letter that does not map to itself',
  '# L <code point> <lower case>: an Lu letter that does not map to itself',
];
let runs = 0;
for (let cp = 0; cp < SIZE; ++cp) {
  if (cp > 0 && category[cp] === category[cp - 1] && script[cp] === script[cp - 1] && blockOf[cp] === blockOf[cp - 1]) continue;
  const b = blockOf[cp] < 0 ? '-' : blockIdent(blocks[blockOf[cp]].name);
  digest.push(`R ${hex(cp)} ${categoryCodes[category[cp]]} ${scriptName(script[cp])} ${b}`);
  ++runs;
}
for (let cp = 0; cp < SIZE; ++cp) {
  if (delta[cp] === 0) continue;
  digest.push(`${category[cp] === LL ? 'U' : 'L'} ${hex(cp)} ${hex(cp - delta[cp])}`);
}
digest.push('E', '');

fs.writeFileSync(path.join(repo, 'regex', 'UnicodeTables.cpp'), lines.join('\n'));
const digestDir = path.join(repo, 'tests', 'fixtures', 'unicode');
fs.mkdirSync(digestDir, { recursive: true });
fs.writeFileSync(path.join(digestDir, 'properties-6.1.txt'), digest.join('\n'));

console.log(`scripts ${scriptNames.length}, blocks ${blocks.length}, character types ${types.length}, ` +
  `distinct pages ${pages.length}, digest runs ${runs}`);
console.log(`table bytes: stage 1 ${PAGES}, stage 2 ${pages.length * PAGE * 2}, types ${types.length * 8}`);
