'use strict';
// The personal word list's file: read, and changed under a lock shared by every process that
// writes it, so that concurrent changes all land. The file stays the user's: a symlink is
// written through, and its mode, owner, byte order mark and line ends are kept.

const crypto = require('node:crypto');
const fs = require('node:fs');
const path = require('node:path');

// Loaded with the first lock: it hooks the process's exit to remove the locks it holds, which a
// provider without a list file has no need of.
let lockLibrary = null;

const name = 'native-spellchecker/provider';

// A word as the list can hold it: one line of UTF-8.
function checkListWord(word) {
  if (typeof word !== 'string') throw new TypeError(`${name}: the word must be a string`);
  if (word === '' || /[\n\r\0]/.test(word) || !word.isWellFormed()) {
    throw new RangeError(
        `${name}: ${JSON.stringify(word)} cannot be a line of the word list (empty, a line ` +
        'break, a NUL or a lone surrogate)');
  }
}

function listError(file, problem, cause) {
  const error = new Error(
      `${name}: the personal word list ${file} ${problem}; it is left as it is until it is ` +
          'mended, moved away or another file is named',
      {cause});
  error.code = 'ERR_SPELLCHECKER_WORD_LIST';
  error.path = file;
  return error;
}

// What identifies one version of the file: a rename puts a new inode in place.
const stampOf = (stat) => `${stat.ino}:${stat.size}:${stat.mtimeMs}`;

const byteOrderMark = Buffer.from([0xef, 0xbb, 0xbf]);

// The file a path finally names, through any symlinks, whether it exists yet or not: the list is
// replaced there, so a link (dotfiles kept in a repository) stays a link.
function finalTarget(file) {
  let current = file;
  for (let hops = 0; hops < 40; ++hops) {
    let link;
    try {
      link = fs.readlinkSync(current);
    } catch (error) {
      if (['EINVAL', 'ENOENT', 'UNKNOWN', 'ENOTDIR'].includes(error.code)) return current;
      throw listError(file, `cannot be resolved (${error.code ?? error.message})`, error);
    }
    current = path.resolve(path.dirname(current), link);
  }
  throw listError(file, 'is a loop of symlinks');
}

// Temporary files are "<list>.<16 hex digits>.tmp"; older writers named theirs
// "<list>.<pid>-<n>.tmp". Either kind found while the lock is held is a killed writer's.
function isTemporaryOf(base, entry) {
  if (!entry.startsWith(`${base}.`) || !entry.endsWith('.tmp')) return false;
  const middle = entry.slice(base.length + 1, -4);
  return /^[0-9a-f]{16}$/.test(middle) || /^\d+-\d+$/.test(middle);
}

// Windows refuses to replace a file that another process holds open for a moment (a reader, a
// virus scanner); such a refusal is tried again for a short while.
const renameRetryMilliseconds = 100;
function replaceFile(from, to) {
  const deadline = Date.now() + renameRetryMilliseconds;
  for (;;) {
    try {
      fs.renameSync(from, to);
      return;
    } catch (error) {
      const refused = ['EPERM', 'EACCES', 'EBUSY'].includes(error.code);
      if (process.platform !== 'win32' || !refused || Date.now() >= deadline) throw error;
    }
  }
}

// A renderer's main thread may not block in Atomics.wait; there the wait spins instead.
const sleeper = new Int32Array(new SharedArrayBuffer(4));
function sleepSync(milliseconds) {
  try {
    Atomics.wait(sleeper, 0, 0, milliseconds);
  } catch {
    const until = Date.now() + milliseconds;
    while (Date.now() < until) {
    }
  }
}

const defaultStaleMilliseconds = 10_000;
// Holders keep the lock for one read and one write; a wait this long means a lock that is
// neither released nor left to go stale, which is reported rather than waited on for ever.
const lockWaitMilliseconds = 30_000;

/**
 * The store of one list file. `staleMilliseconds` (at least 2000, the lock library's floor) is
 * how long a lock whose holder stopped refreshing it is respected: a holder killed mid-change
 * holds the others up that long at most.
 */
function createWordListStore(file, {staleMilliseconds = defaultStaleMilliseconds} = {}) {
  const stale = Math.max(staleMilliseconds, 2000);

  // The list's words in file order, its stamp ('' when there is no file yet), and how it is
  // written: a byte order mark, "\r\n" or "\n", and the mode and owner to keep.
  function read() {
    let bytes;
    let stat;
    try {
      const fd = fs.openSync(file, 'r');
      try {
        stat = fs.fstatSync(fd);
        bytes = fs.readFileSync(fd);
      } finally {
        fs.closeSync(fd);
      }
    } catch (error) {
      if (error.code === 'ENOENT') return {words: [], stamp: '', format: null};
      throw listError(file, `cannot be read (${error.code ?? error.message})`, error);
    }
    const nul = bytes.indexOf(0);
    if (nul !== -1) throw listError(file, `holds a NUL byte at offset ${nul}`);
    let text;
    try {
      // Strips a byte order mark, as an editor may write one.
      text = new TextDecoder('utf-8', {fatal: true}).decode(bytes);
    } catch (error) {
      throw listError(file, 'is not valid UTF-8', error);
    }
    const firstEnd = text.indexOf('\n');
    const format = {
      bom: bytes.subarray(0, 3).equals(byteOrderMark),
      eol: firstEnd > 0 && text[firstEnd - 1] === '\r' ? '\r\n' : '\n',
      mode: stat.mode & 0o7777,
      uid: stat.uid,
      gid: stat.gid,
    };
    const lines = text.split('\n').map((line) => line.endsWith('\r') ? line.slice(0, -1) : line);
    return {
      words: [...new Set(lines.filter((line) => line !== ''))],
      stamp: stampOf(stat),
      format,
    };
  }

  // The current stamp, '' when there is no file: a stat, to notice another writer's change.
  function stamp() {
    try {
      return stampOf(fs.statSync(file));
    } catch (error) {
      if (error.code === 'ENOENT') return '';
      throw listError(file, `cannot be read (${error.code ?? error.message})`, error);
    }
  }

  function lock(target) {
    const options = {stale, realpath: false, lockfilePath: `${target}.lock`};
    // The lock library's synchronous form makes one attempt, taking a dead holder's lock over
    // once it is stale.
    const deadline = Date.now() + Math.max(lockWaitMilliseconds, 2 * stale);
    for (let pause = 1;; pause = Math.min(pause * 2, 50)) {
      try {
        lockLibrary ??= require('proper-lockfile');
        return lockLibrary.lockSync(target, options);
      } catch (error) {
        if (error.code !== 'ELOCKED' || Date.now() >= deadline) {
          throw listError(file, `cannot be locked (${error.code ?? error.message})`, error);
        }
      }
      sleepSync(pause + Math.random() * pause);
    }
  }

  function removeLeftovers(target) {
    const dir = path.dirname(target);
    const base = path.basename(target);
    let entries;
    try {
      entries = fs.readdirSync(dir);
    } catch {
      return;
    }
    for (const entry of entries) {
      if (isTemporaryOf(base, entry)) fs.rmSync(path.join(dir, entry), {force: true});
    }
  }

  // Replaces the target in one step: a reader, or a crash at any moment, sees the old list or
  // the new one. Answers the new file's stamp.
  function write(target, words, format) {
    if (format !== null) {
      // A rename would replace a file this process may not write whenever the folder allows it.
      try {
        fs.accessSync(target, fs.constants.W_OK);
      } catch (error) {
        throw listError(file, `cannot be written (${error.code ?? error.message})`, error);
      }
    }
    const eol = format?.eol ?? '\n';
    const text = words.map((word) => `${word}${eol}`).join('');
    const bytes = format?.bom ? Buffer.concat([byteOrderMark, Buffer.from(text)]) : text;
    const temporary = `${target}.${crypto.randomBytes(8).toString('hex')}.tmp`;
    let result;
    try {
      const fd = fs.openSync(temporary, 'wx', format?.mode ?? 0o666);
      try {
        if (format !== null) {
          // The owner first: a change of owner may clear the set-id bits that the mode restores.
          try {
            fs.fchownSync(fd, format.uid, format.gid);
          } catch {
            // Only a privileged process may give a file to another user.
          }
          fs.fchmodSync(fd, format.mode);
        }
        fs.writeFileSync(fd, bytes);
        fs.fsyncSync(fd);
        result = stampOf(fs.fstatSync(fd));
      } finally {
        fs.closeSync(fd);
      }
      replaceFile(temporary, target);
    } catch (error) {
      fs.rmSync(temporary, {force: true});
      throw listError(file, `cannot be written (${error.code ?? error.message})`, error);
    }
    return result;
  }

  // Reads the list afresh under the lock, applies `change` (words in, words out; the same array
  // for no change) and writes the result. Answers the list as read() does.
  function change(changeWords) {
    const target = finalTarget(file);
    const release = lock(target);
    try {
      removeLeftovers(target);
      const current = read();
      const words = changeWords(current.words);
      if (words === current.words) return current;
      return {words, stamp: write(target, words, current.format), format: current.format};
    } finally {
      try {
        release();
      } catch {
        // A lock taken over as stale is gone already.
      }
    }
  }

  return {file, read, stamp, change};
}

module.exports = {
  createWordListStore,
  checkListWord,
  listError
};
