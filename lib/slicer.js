'use strict';
// Checks batches of words in slices of bounded time, so that a large batch holds the page for
// one slice at a time: the first slice runs at once, each later one behind whatever the page has
// queued. All the work on a batch happens inside slices, reading its array included, so no
// batch size stretches a slice.

/**
 * `sliceMilliseconds`: how long a slice works; it always does one step at least.
 * `begin()`: run as a batch's first step (the provider notices a changed word list there).
 * `isMisspelled(word)`: a word's verdict; `isOpen()`: false once the batches are to end early.
 * `now` and `schedule` are the clock and the way to run the next slice later.
 * `onMisuse(error)` gets a TypeError for a batch holding a word that is not a string, which is
 * then answered with no words. Whether that is found before spellCheck returns depends on the
 * clock, so it is never thrown.
 */
function createSlicer({
  sliceMilliseconds,
  begin = () => {},
  isMisspelled,
  isOpen = () => true,
  now = () => performance.now(),
  schedule = setImmediate,
  onMisuse = (error) => process.emitWarning(error),
}) {
  // Batches waiting, first come first served, and whether a slice is scheduled.
  const queue = [];
  let scheduled = false;

  function wordError(index) {
    return new TypeError(
        `native-spellchecker/provider: spellCheck takes an array of strings; word ${index} is not`);
  }

  // Works until the slice's time is spent, hands each finished batch its misspelled words and
  // schedules the next slice.
  function runSlice() {
    scheduled = false;
    const start = now();
    let steps = 0;
    const spent = () => steps > 0 && now() - start >= sliceMilliseconds;
    try {
      while (queue.length > 0) {
        const batch = queue[0];
        if (!batch.begun) {
          if (spent()) return;
          batch.begun = true;
          ++steps;
          if (isOpen()) begin();
        }
        const {words} = batch;
        while (isOpen() && batch.next < words.length) {
          if (spent()) return;
          const word = words[batch.next];
          if (typeof word !== 'string') {
            queue.shift();
            batch.callback([]);
            onMisuse(wordError(batch.next));
            break;
          }
          ++batch.next;
          ++steps;
          if (isMisspelled(word)) batch.misspelled.push(word);
        }
        if (queue[0] !== batch) continue;
        queue.shift();
        batch.callback(batch.misspelled);
      }
    } finally {
      if (queue.length > 0 && !scheduled) {
        scheduled = true;
        schedule(runSlice);
      }
    }
  }

  // Takes a batch: `callback` is called once with its misspelled words. The array is read as the
  // slices go, so it must stay as it is until then (webFrame hands each request an array of its
  // own).
  function submit(words, callback) {
    if (!Array.isArray(words)) {
      throw new TypeError('native-spellchecker/provider: spellCheck takes an array of strings');
    }
    if (typeof callback !== 'function') {
      throw new TypeError('native-spellchecker/provider: spellCheck takes a callback function');
    }
    queue.push({words, next: 0, begun: false, misspelled: [], callback});
    // The first slice runs now unless earlier batches wait for theirs.
    if (queue.length === 1 && !scheduled) runSlice();
  }

  return {submit};
}

module.exports = {createSlicer};
