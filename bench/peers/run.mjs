// Runs every engine over the same corpus with the same dictionary files, each in a process of its
// own, for several rounds, and prints one table of medians per language with each figure's ratios
// against direct Hunspell calls measured in the same round: to the engine this project ships and,
// where the system has one, to the system's own Hunspell library.
// Usage: node bench/peers/run.mjs [--build DIR] [--module PATH] [--languages en_US,de_DE,nl_NL]
//          [--installed DIR] [--rounds N] [--json FILE] [--suggest-budget-ms MS]
// --module picks the .node file measured as this module (default: the one built in DIR);
// --installed adds a row for the package installed in DIR, loaded as an application loads it.
import {spawnSync} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {fileURLToPath} from 'node:url';
import {parseArgs} from 'node:util';

import {buildCorpus, writeCorpus} from './corpus.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const root = path.resolve(here, '../..');
const dictionaryDirectory = '/usr/share/hunspell';

function parseOptions(argv) {
  const {values} = parseArgs({
    args: argv,
    options: {
      'build': {type: 'string'},
      'module': {type: 'string'},
      'installed': {type: 'string'},
      'languages': {type: 'string', default: 'en_US,de_DE,nl_NL'},
      'rounds': {type: 'string', default: '5'},
      'json': {type: 'string'},
      'suggest-budget-ms': {type: 'string', default: '20000'},
    },
  });
  const resolved = (value) => value === undefined ? null : path.resolve(value);
  return {
    build: values.build === undefined ? path.join(root, 'build-peers') : path.resolve(values.build),
    module: resolved(values.module),
    installed: resolved(values.installed),
    languages: values.languages.split(','),
    rounds: Number(values.rounds),
    json: resolved(values.json),
    suggestBudgetMs: Number(values['suggest-budget-ms']),
  };
}

function findModule(buildDir, explicit) {
  if (explicit) return explicit;
  if (process.env.SPELL_MODULE_PATH) return path.resolve(process.env.SPELL_MODULE_PATH);
  const usual = path.join(buildDir, 'spellchecker.node');
  if (fs.existsSync(usual)) return usual;
  const found = [];
  const walk = (dir, depth) => {
    for (const entry of fs.readdirSync(dir, {withFileTypes: true})) {
      const file = path.join(dir, entry.name);
      if (entry.isDirectory() && depth < 3 && !entry.name.startsWith('CMakeFiles')) {
        walk(file, depth + 1);
      } else if (entry.isFile() && entry.name.endsWith('.node')) {
        found.push(file);
      }
    }
  };
  if (fs.existsSync(buildDir)) walk(buildDir, 0);
  return found.find((file) => !path.basename(file).startsWith('bench_')) ?? null;
}

const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const mid = sorted.length >> 1;
  return sorted.length % 2 ? sorted[mid] : (sorted[mid - 1] + sorted[mid]) / 2;
};

const percentile = (values, p) => {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.min(sorted.length - 1, Math.ceil((p / 100) * sorted.length) - 1)];
};

function runChild(command, args) {
  const result = spawnSync(command, args, {encoding: 'utf8', maxBuffer: 64 << 20});
  if (result.status !== 0) {
    throw new Error(`${command} ${args.join(' ')} failed (${result.status}):\n${result.stderr}`);
  }
  return JSON.parse(result.stdout.trim().split('\n').pop());
}

function machine() {
  const cpus = os.cpus();
  return `${cpus[0]?.model ?? 'unknown CPU'}, ${cpus.length} cores, ` +
      `${Math.round(os.totalmem() / 2 ** 30)} GiB, Node.js ${process.version}, ` +
      `${os.type()} ${os.release()}`;
}

// Busy and total jiffies of each core, from /proc/stat.
function cpuTimes() {
  const cores = [];
  for (const line of fs.readFileSync('/proc/stat', 'utf8').split('\n')) {
    const match = /^cpu(\d+)\s+(.*)$/.exec(line);
    if (!match) continue;
    const fields = match[2].trim().split(/\s+/).map(Number);
    const total = fields.slice(0, 8).reduce((a, b) => a + b, 0);
    cores.push({idle: fields[3] + fields[4], total});
  }
  return cores;
}

// What else ran on the machine while the benchmark did: load averages before and after, and each
// core's busy share over the run. The benchmark keeps one core busy at a time, so the rest of the
// busy time is other work.
function loadReport(before, after) {
  const busy = after.cores.map((core, i) => {
    const total = core.total - before.cores[i].total;
    return total > 0 ? 1 - (core.idle - before.cores[i].idle) / total : 0;
  });
  const share = busy.map((b, i) => `core ${i} ${(b * 100).toFixed(0)}%`).join(', ');
  const other = Math.min(Math.max(busy.reduce((a, b) => a + b, 0) - 1, 0), busy.length - 1);
  return `Load: load average ${before.loadavg} before, ${after.loadavg} after; busy over the ` +
      `run: ${share}; besides the benchmark's own core, other work kept ` +
      `${other.toFixed(2)} cores busy (the other core was ${other < 0.1 ? 'idle' : 'not idle'}).`;
}

function sample() {
  return {
    loadavg: fs.readFileSync('/proc/loadavg', 'utf8').split(' ').slice(0, 3).join(' '),
    cores: cpuTimes()
  };
}

function main() {
  const args = parseOptions(process.argv.slice(2));
  const direct = path.join(args.build, 'bench', 'bench_hunspell_direct');
  for (const file of [direct, path.join(args.build, 'bench', 'bench_whole_text')]) {
    if (!fs.existsSync(file)) throw new Error(`${file} is missing: run scripts/bench.sh`);
  }
  const modulePath = findModule(args.build, args.module);
  if (args.module && !fs.existsSync(args.module)) throw new Error(`${args.module} is missing`);
  const before = sample();
  const output = {machine: machine(), modulePath, languages: {}};
  const tables = [];
  for (const tag of args.languages) {
    const result = runLanguage(tag, args, direct, modulePath);
    output.languages[tag] = result.data;
    tables.push(result.text);
  }
  const after = sample();
  output.load = loadReport(before, after);
  console.log(`Machine: ${machine()}`);
  console.log(output.load);
  console.log(`This module: ${modulePath ?? 'not found'}`);
  if (args.installed) console.log(`Installed package: ${args.installed}`);
  for (const text of tables) console.log(`\n${text}`);
  if (args.json) fs.writeFileSync(args.json, JSON.stringify(output, null, 1));
}

function runLanguage(tag, args, direct, modulePath) {
  const corpusDir = path.join(args.build, 'bench-corpus', tag);
  const corpus = buildCorpus(tag);
  writeCorpus(corpusDir, corpus);

  const aff = path.join(dictionaryDirectory, `${tag}.aff`);
  const dic = path.join(dictionaryDirectory, `${tag}.dic`);
  for (const file of [aff, dic]) {
    if (!fs.existsSync(file)) throw new Error(`${file} is missing: run scripts/setup.sh`);
  }
  const dict = `Debian ${tag}`;
  const nodeArgs = ['--expose-gc', path.join(here, 'engine.mjs')];
  const floorPath = path.join(args.build, 'bench', 'bench_napi_floor.node');
  const insidePath = path.join(args.build, 'bench', 'bench_spell_inside.node');
  const options = {
    modulePath,
    floorPath,
    insidePath,
    dictionaryDir: dictionaryDirectory,
    tag,
    suggestBudgetMs: args.suggestBudgetMs
  };
  // run(pass): the full protocol, or with pass "first" or "perCall" a first-sight pass alone.
  const script = (name, changed = {}) => (pass) => runChild(
      process.execPath,
      [...nodeArgs, name, corpusDir, JSON.stringify({...options, ...changed, pass})]);
  const native = (file) => (pass) => runChild(
      file,
      pass ? [pass === 'first' ? '--first' : '--per-call', corpusDir, aff, dic] :
             [corpusDir, aff, dic, String(args.suggestBudgetMs)]);
  const wholeText = path.join(args.build, 'bench', 'bench_whole_text');
  const engines = [
    {
      name: 'hunspell',
      label: 'Hunspell as shipped, direct C++ calls (baseline)',
      dict,
      perCall: true,
      run: (pass) => pass ? native(direct)(pass) :
                            {...native(direct)(), ...runChild(wholeText, [corpusDir, aff, dic])},
    },
  ];
  const system = path.join(args.build, 'bench', 'bench_hunspell_system');
  if (fs.existsSync(system)) {
    engines.push({
      name: 'system',
      label: 'Debian 12\'s Hunspell 1.7.1, direct C++ calls (second baseline)',
      dict,
      perCall: true,
      run: native(system)
    });
  } else {
    console.error(
        'bench: no bench_hunspell_system (libhunspell-dev): the second baseline is left out');
  }
  if (fs.existsSync(floorPath)) {
    engines.push({
      name: 'floor',
      label: 'plain Node-API call (reads the word, answers false)',
      dict: '-',
      timingOnly: true,
      run: script('floor')
    });
  }
  if (fs.existsSync(insidePath)) {
    engines.push({
      name: 'inside',
      label: 'the backend behind a plain Node-API call',
      dict,
      timingOnly: true,
      run: script('inside')
    });
  }
  if (modulePath) {
    engines.push({
      name: 'ours',
      label: 'this module (Hunspell backend)',
      dict,
      perCall: true,
      run: script('ours')
    });
  } else {
    console.error('bench: no built module found; "this module" is left out');
  }
  if (args.installed) {
    // The engine requires the package directory: its entry point picks the prebuild.
    engines.push({
      name: 'installed',
      label: 'this module, installed from the packed tarball',
      dict,
      run: script('ours', {modulePath: args.installed})
    });
  }
  for (const [name, label] of [
           ['nspell', 'nspell (JavaScript)'], ['typo-js', 'typo-js (JavaScript)'],
           ['hunspell-asm', 'hunspell-asm (WebAssembly)']]) {
    engines.push({name, label, dict, run: script(name)});
  }

  // Each engine runs three times a round, each time in a fresh process: the full protocol, every
  // word new, and (for this module and the baselines) every word new with each call timed. An
  // engine that fails is reported as failed and left out of later rounds; the baseline may not.
  const rounds = [];
  const failed = {};
  for (let round = 0; round < args.rounds; round++) {
    const results = {};
    for (const engine of engines) {
      if (failed[engine.name]) continue;
      try {
        const r = engine.run();
        const first = engine.run('first');
        r.firstNsPerWord = first.firstNsPerWord;
        r.firstVerdictsDiffer =
            r.verdicts ? [...r.verdicts].filter((v, i) => v !== first.verdicts[i]).length : 0;
        if (engine.perCall) r.callNs = engine.run('perCall').callNs;
        results[engine.name] = r;
        console.error(
            `${tag} round ${round + 1}/${args.rounds} ${engine.name}: ` +
            `${r.runningNsPerWord.toFixed(0)} ns/word running, ` +
            `${r.againNsPerWord.toFixed(0)} again, ${r.distinctNsPerWord.toFixed(0)} distinct, ` +
            `${r.firstNsPerWord.toFixed(0)} every word new`);
      } catch (error) {
        if (engine.name === 'hunspell') throw error;
        failed[engine.name] = error.message.split('\n').find((line) => /error/i.test(line)) ??
            error.message.split('\n')[0];
        console.error(`${tag} round ${round + 1}: ${engine.name} failed: ${error.message}`);
      }
    }
    rounds.push(results);
  }

  const rows = engines.map((engine) => summarize(engine, rounds, corpus.distinct, failed));
  const text = [
    formatTable(rows, corpus.manifest, rounds), checkGoals(rows, tag)
  ].filter(Boolean).join('\n');
  return {text, data: {manifest: corpus.manifest, rows, rounds}};
}

// Per metric: the median over rounds, and the medians over rounds of the ratios against the
// baselines of the same round (`system` is null without the second baseline). `pick(r, other)`
// reads a figure of r, where needed over what it has in common with the other engine.
function summarize(engine, rounds, distinct, failed) {
  const present = rounds.filter((round) => round[engine.name]);
  if (!present.length) return {...engine, failed: failed[engine.name]};
  const metric = (pick) => {
    const ratioTo = (base) => present.every((round) => round[base]) ?
        median(present.map(
            (round) =>
                pick(round[engine.name], round[base]) / pick(round[base], round[engine.name]))) :
        null;
    const value = median(present.map((round) => pick(round[engine.name], round.hunspell)));
    return {value, ratio: ratioTo('hunspell'), system: ratioTo('system')};
  };
  // Suggestion figures compare the words both engines did within the budget.
  const suggestOver = (fn) => (r, base) =>
      fn(r.suggestMs.slice(0, Math.min(r.suggestMs.length, base.suggestMs.length)));
  const agreement = (r, base) => {
    let same = 0;
    for (let i = 0; i < base.verdicts.length; i++)
      same += r.verdicts[i] === base.verdicts[i] ? 1 : 0;
    return same / base.verdicts.length;
  };
  const last = present[present.length - 1][engine.name];
  const timing = {
    ...engine,
    failed: failed[engine.name],
    running: metric((r) => r.runningNsPerWord),
    again: metric((r) => r.againNsPerWord),
    distinct: metric((r) => r.distinctNsPerWord),
    first: metric((r) => r.firstNsPerWord),
    firstVerdictsDiffer:
        Math.max(...present.map((round) => round[engine.name].firstVerdictsDiffer)),
  };
  if (engine.timingOnly) return timing;
  // Each call of the every-word-new pass, in µs: the 99.9th percentile and the slowest, with
  // the slowest word of the last round.
  const slowest = (calls) => calls.reduce((top, ns, i) => (ns > calls[top] ? i : top), 0);
  const calls = engine.perCall && {
    p999: metric((r) => percentile(r.callNs, 99.9) / 1000),
    slowest: metric((r) => r.callNs[slowest(r.callNs)] / 1000),
    slowestWord: distinct[slowest(last.callNs)],
  };
  return {
    ...timing,
    ...calls,
    load: metric((r) => r.loadMs),
    memory: metric((r) => r.rssKiB / 1024),
    suggestMedian: metric(suggestOver(median)),
    suggestP95: metric(suggestOver((v) => percentile(v, 95))),
    suggestRepeat: metric((r) => r.suggestRepeatMs),
    prepareMs: median(present.map((round) => round[engine.name].prepareMs ?? 0)),
    prepareMiB: median(present.map((round) => (round[engine.name].prepareKiB ?? 0) / 1024)),
    suggestWords: last.suggestMs.length,
    agreement: agreement(last, present[present.length - 1].hunspell),
    findMisspellings: engine.name === 'hunspell' ? wholeText(rounds) : null,
  };
}

function wholeText(rounds) {
  const summary = {};
  for (const key of ['running', 'distinct']) {
    const of = (round) => round.hunspell.findMisspellings[key];
    const metric = (field) => ({
      value: median(rounds.map((round) => of(round)[field])),
      ratio: median(rounds.map((round) => of(round)[field] / of(round).directNsPerWord)),
    });
    summary[key] = {
      words: of(rounds[0]).words,
      direct: metric('directNsPerWord'),
      uncached: metric('uncachedNsPerWord'),
      cached: metric('cachedNsPerWord'),
      consistent: rounds.every(
          (round) => of(round).directRejected === of(round).uncachedRejected &&
              of(round).directRejected === of(round).cachedRejected),
    };
  }
  return summary;
}

// A value with its ratios: against the shipped Hunspell, then against the system's.
function cell({value, ratio, system}, digits) {
  const ratios = [ratio, system].filter((r) => r != null).map((r) => `${r.toFixed(2)}x`);
  return `${value.toFixed(digits)} (${ratios.join(' / ')})`;
}

function formatTable(rows, manifest, rounds) {
  const roundCount = rounds.length;
  const lines = [];
  lines.push(
      `${manifest.language} (${manifest.tag}). Corpus: ${manifest.tokens} tokens ` +
      `(${manifest.distinct} distinct) of ${manifest.language} text from ${manifest.sourceText}, ` +
      `${manifest.typos} with seeded typos; ${manifest.suggest} misspelled words for ` +
      `suggestions. Every engine loads /usr/share/hunspell/${manifest.tag}.aff and .dic. ` +
      `Medians of ${roundCount} rounds, each engine in a process of its own; ratios against ` +
      'direct calls in the same round to Hunspell as shipped' +
      (rows.some((row) => row.name === 'system') ? ' / to Debian\'s Hunspell 1.7.1' : '') +
      `. Times are ${process.env.BENCH_CLOCK === 'wall' ? 'elapsed' : 'process CPU'} time.`);
  lines.push('');
  lines.push(
      '| Engine | Dictionary | Load ms | Memory after load MiB | Running text, first pass ' +
      'ns/word | Same text again ns/word | Every word new ns/word | Distinct words after ' +
      'warm-up ns/word | Every word new: p99.9 call µs | Slowest call µs | Suggest median ms | ' +
      'Suggest p95 ms | Same verdict as Hunspell |');
  lines.push('|---|---|---|---|---|---|---|---|---|---|---|---|---|');
  for (const row of rows) {
    if (row.name === 'inside') continue;
    if (row.failed && !row.first) {
      lines.push(`| ${row.label} | ${row.dict} | failed: ${row.failed} |${' - |'.repeat(10)}`);
      continue;
    }
    const times = `${cell(row.running, 0)} | ${cell(row.again, 0)} | ${cell(row.first, 0)} | ` +
        `${cell(row.distinct, 0)} | ${row.p999 ? cell(row.p999, 0) : '-'} | ` +
        `${row.slowest ? cell(row.slowest, 0) : '-'}`;
    if (row.timingOnly) {
      lines.push(`| ${row.label} | ${row.dict} | - | - | ${times} | - | - | - |`);
      continue;
    }
    const partial = row.suggestWords < manifest.suggest ? ` [${row.suggestWords} words]` : '';
    lines.push(
        `| ${row.label} | ${row.dict} | ${cell(row.load, 1)} | ${cell(row.memory, 1)} | ` +
        `${times} | ${cell(row.suggestMedian, 1)}${partial} | ` +
        `${cell(row.suggestP95, 1)}${partial} | ${(row.agreement * 100).toFixed(1)}% |`);
  }
  const base = rows.find((row) => row.name === 'hunspell');
  const ours = rows.find((row) => row.name === 'ours');
  const inside = rows.find((row) => row.name === 'inside');
  const floor = rows.find((row) => row.name === 'floor');
  lines.push('');
  lines.push(
      'Memory is the growth of the resident set while the dictionary loads. Running text is ' +
      'a page\'s first pass over the text, after a warm-up on words outside it. Every word ' +
      'new: a fresh process loads the dictionary and checks each distinct word once, nothing ' +
      'before them; its calls are timed one by one in another such process. Distinct words ' +
      'after warm-up: the same words in the process that checked the text, with a fresh ' +
      'instance warmed up on words outside the corpus. Suggestion ' +
      'figures of an engine that ran over its time budget cover the words in brackets, ' +
      'compared with the baseline over the same words. typo-js returns at most 5 suggestions.');
  const timed = rows.filter((row) => row.slowestWord !== undefined);
  if (timed.length) {
    lines.push(
        'Slowest call of the last round: ' +
        timed.map((row) => `${row.label} "${row.slowestWord}"`).join('; ') + '.');
  }
  for (const row of rows.filter((row) => row.firstVerdictsDiffer)) {
    lines.push(
        `${row.label}: every word new gave other verdicts than after warm-up on ` +
        `${row.firstVerdictsDiffer} words (the most in one round).`);
  }
  if (ours) {
    lines.push(
        `Load is setDictionary for this module. Before it, constructing the Spellchecker ` +
        `(which first probes the system service, as backend selection requires) took ` +
        `${ours.prepareMs.toFixed(1)} ms and ${ours.prepareMiB.toFixed(1)} MiB.`);
  }
  lines.push(
      `Repeated suggestion request (same word again): baseline ` +
      `${base.suggestRepeat.value.toFixed(2)} ms` +
      (ours ? `, this module ${cell(ours.suggestRepeat, 3)} ms.` : '.'));
  if (inside && floor && ours) lines.push(splitFirstSight(rounds));
  if (base.findMisspellings) {
    lines.push('');
    lines.push(
        'Whole-text check in C++ (FindMisspellings over UTF-16 text), ns/word, against ' +
        'splitting by the same rules plus direct spell calls:');
    for (const [key, what] of [
             ['running', 'running text'], ['distinct', 'each distinct word once']]) {
      const m = base.findMisspellings[key];
      lines.push(
          `- ${what} (${m.words} words): split + spell ${m.direct.value.toFixed(0)}; ` +
          `backend without cache ${cell(m.uncached, 0)}; with cache ${cell(m.cached, 0)}` +
          (m.consistent ? '' : ' — MISMATCH: the three found different numbers of words'));
    }
  }
  return lines.join('\n');
}

// Words seen for the first time, taken apart (medians over rounds, ns/word): this module; the
// backend behind a plain Node-API call; in a tight C++ loop in that process, Hunspell called
// directly, the backend without its cache and the backend itself; the plain call alone. What the
// script-driven calls cost beyond the tight loop plus the plain call is what the engine loses to
// the script work between calls.
function splitFirstSight(rounds) {
  const of = (pick) => median(rounds.map(pick));
  const ratio = (pick) => median(rounds.map((r) => pick(r) / r.hunspell.distinctNsPerWord));
  const parts = {
    ours: (r) => r.ours.distinctNsPerWord,
    script: (r) => r.inside.distinctNsPerWord,
    direct: (r) => r.inside.tightDirectNsPerWord,
    uncached: (r) => r.inside.tightUncachedNsPerWord,
    tight: (r) => r.inside.tightNsPerWord,
    floor: (r) => r.floor.distinctNsPerWord,
    misses: (r) => r.inside.tightNsPerWord - r.inside.tightUncachedNsPerWord,
    binding: (r) => r.ours.distinctNsPerWord - r.inside.distinctNsPerWord,
    between: (r) =>
        r.inside.distinctNsPerWord - r.inside.tightNsPerWord - r.floor.distinctNsPerWord,
  };
  const show = (name) => `${of(parts[name]).toFixed(0)} (${ratio(parts[name]).toFixed(2)}x)`;
  return 'Words seen for the first time, taken apart (ns/word, ratios against direct Hunspell): ' +
      `this module ${show('ours')}; the backend behind a plain Node-API call ${show('script')}; ` +
      `in a tight C++ loop in that process, Hunspell called directly ${show('direct')}, the ` +
      `backend without its cache ${show('uncached')} and with it ${show('tight')}; the plain ` +
      `call alone ${show('floor')}. So the cache's misses cost ${show('misses')}, the binding ` +
      `layer adds ${show('binding')}, and the engine loses ${show('between')} to the script ` +
      'work between calls.';
}

function checkGoals(rows, tag) {
  const find = (name) => rows.find((row) => row.name === name && !(row.failed && !row.first));
  const ours = find('ours');
  const base = find('hunspell');
  const system = find('system');
  if (!ours) return null;
  const lines = ['', 'Goals (ratios against direct Hunspell as shipped in the same round):'];
  const goal = (text, ratio, limit, unit = 'x') =>
      lines.push(`- ${ratio <= limit ? 'met' : 'NOT met'}: ${text} (${ratio.toFixed(2)}${unit})`);
  goal('isMisspelled on running text, first pass, within 0.25x', ours.running.ratio, 0.25);
  goal('isMisspelled on the same text again within 0.25x', ours.again.ratio, 0.25);
  goal('isMisspelled on words seen for the first time within 1.10x', ours.distinct.ratio, 1.1);
  goal('load within 1.05x', ours.load.ratio, 1.05);
  goal('memory after load within 1.10x', ours.memory.ratio, 1.1);
  goal('suggest median within 1.05x', ours.suggestMedian.ratio, 1.05);
  goal('suggest p95 within 1.05x', ours.suggestP95.ratio, 1.05);
  const fm = base.findMisspellings;
  if (fm) {
    goal('FindMisspellings, every word new, within 1.10x', fm.distinct.cached.ratio, 1.1);
    goal('FindMisspellings, running text, within 1.10x', fm.running.cached.ratio, 1.1);
  }
  if (system) {
    lines.push('Goals against Debian\'s Hunspell 1.7.1 called directly in the same round:');
    goal('every word new at most 1.0x', ours.first.system, 1.0);
    goal('suggest median within 1.05x', ours.suggestMedian.system, 1.05);
    goal('suggest p95 within 1.05x', ours.suggestP95.system, 1.05);
    goal('load within 1.05x', ours.load.system, 1.05);
    goal('memory after load within 1.10x', ours.memory.system, 1.1);
  }
  lines.push('Goals against the peers and per call (ratios of the medians):');
  const ahead = (what, key, name) => {
    const peer = find(name);
    if (peer) goal(`${what} ahead of ${name}`, ours[key].value / peer[key].value, 1);
  };
  ahead('every word new', 'first', 'hunspell-asm');
  ahead('running text, first pass', 'running', 'hunspell-asm');
  if (tag === 'en_US') {
    ahead('running text, first pass', 'running', 'typo-js');
    ahead('running text, first pass', 'running', 'nspell');
  }
  goal(
      'every word new: no call over 2 ms at the 99.9th percentile', ours.p999.value / 1000, 2,
      ' ms');
  lines.push(
      `- the slowest call: ${(ours.slowest.value / 1000).toFixed(2)} ms ("${ours.slowestWord}"` +
      ` in the last round)`);
  return lines.join('\n');
}

main();
