'use strict';
// One-edit typos for the differential run and the benchmark's corpus. Every typo draws, in this
// order, a position, a letter of the alphabet and one of the caller's edits, so each caller's
// words stay fixed by its seed; an edit that does not fit the word (deleting its only letter,
// swapping the last one with nothing) makes the caller's fallback edit instead.
const edits = {
  delete (letters, at) {
    if (letters.length <= 1) return false;
    letters.splice(at, 1);
    return true;
  },
  insert(letters, at, letter) {
    letters.splice(at, 0, letter);
    return true;
  },
  append(letters, at, letter) {
    letters.push(letter);
    return true;
  },
  substitute(letters, at, letter) {
    letters[at] = letter;
    return true;
  },
  // A substitution that always changes the letter: the drawn one, or the next in the alphabet.
  change(letters, at, letter, alphabet) {
    letters[at] = letters[at] === letter ?
        alphabet[(alphabet.indexOf(letter) + 1) % alphabet.length] :
        letter;
    return true;
  },
  swap(letters, at) {
    if (at + 1 >= letters.length) return false;
    [letters[at], letters[at + 1]] = [letters[at + 1], letters[at]];
    return true;
  },
  double(letters, at) {
    letters.splice(at, 0, letters[at]);
    return true;
  },
};

// Returns typo(word, alphabet, next): `kinds` names the edits drawn among, `fallback` the one made
// when the drawn edit does not fit; `next` is a seeded generator of numbers in [0, 1).
function makeTypo(kinds, fallback) {
  const chosen = kinds.map((kind) => edits[kind]);
  return (word, alphabet, next) => {
    const letters = Array.from(word);
    const at = Math.floor(next() * letters.length);
    const letter = alphabet[Math.floor(next() * alphabet.length)];
    const edit = chosen[Math.floor(next() * chosen.length)];
    if (!edit(letters, at, letter, alphabet)) edits[fallback](letters, at, letter, alphabet);
    return letters.join('');
  };
}

module.exports = {makeTypo};
