// Runs every engine over the same corpus, each in a process of its own, for several rounds, and
// prints one table of medians with each figure's ratio against direct Hunspell calls measured in
// the same round. Usage: node bench/peers/run.mjs [--build DIR] [--rounds N] [--json FILE]
import {spawnSync} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {fileURLToPath} from 'node:url';

import {buildCorpus, writeCorpus} from './corpus.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const root = path.resolve(here, '../..');
const DICTIONARY_DIR = '/usr/share/hunspell';

function parseArgs(argv) {
  const args =
      {build: path.join(root, 'build-peers'), rounds: 5, json: null, suggestBudgetMs: 20000};
  for (let i = 0; i < argv.length; i++) {
    const value = argv[i + 1];
    if (argv[i] === '--build')
      args.build = path.resolve(value), i++;
    else if (argv[i] === '--rounds')
      args.rounds = Number(value), i++;
    else if (argv[i] === '--json')
      args.json = path.resolve(value), i++;
    else if (argv[i] === '--suggest-budget-ms')
      args.suggestBudgetMs = Number(value), i++;
    else
      throw new Error(`unknown argument ${argv[i]}`);
  }
  return args;
}

function findModule(buildDir) {
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
  const cpu = os.cpus()[0]?.model ?? 'unknown CPU';
  return `${cpu}, ${os.cpus().length} cores, ${Math.round(os.totalmem() / 2 ** 30)} GiB, ` +
      `Node.js ${process.version}, ${os.type()} ${os.release()}`;
}

function main() {
  const args = parseArgs(process.argv.slice(2));
  const direct = path.join(args.build, 'bench', 'bench_hunspell_direct');
  if (!fs.existsSync(direct)) throw new Error(`${direct} is missing: run scripts/bench.sh`);
  const modulePath = findModule(args.build);
  const corpusDir = path.join(args.build, 'bench-corpus');
  const corpus = buildCorpus();
  writeCorpus(corpusDir, corpus);

  const aff = path.join(DICTIONARY_DIR, 'en_US.aff');
  const dic = path.join(DICTIONARY_DIR, 'en_US.dic');
  const nodeArgs = ['--expose-gc', path.join(here, 'engine.mjs')];
  const floorPath = path.join(args.build, 'bench', 'bench_napi_floor.node');
  const jsOptions = JSON.stringify({
    modulePath,
    floorPath,
    dictionaryDir: DICTIONARY_DIR,
    suggestBudgetMs: args.suggestBudgetMs
  });
  const engines = [
    {
      name: 'hunspell',
      label: 'Hunspell, direct C++ calls (baseline)',
      dict: 'Debian en_US',
      run: () => runChild(direct, [corpusDir, aff, dic, String(args.suggestBudgetMs)])
    },
  ];
  if (fs.existsSync(floorPath)) {
    engines.push({
      name: 'floor',
      label: 'plain Node-API call (reads the word, answers false)',
      dict: '-',
      timingOnly: true,
      run: () => runChild(process.execPath, [...nodeArgs, 'floor', corpusDir, jsOptions])
    });
  }
  if (modulePath) {
    engines.push({
      name: 'ours',
      label: 'this module (Hunspell backend)',
      dict: 'Debian en_US',
      run: () => runChild(process.execPath, [...nodeArgs, 'ours', corpusDir, jsOptions])
    });
  } else {
    console.error('bench: no built module found; "this module" is left out');
  }
  for (const [name, label] of [
           ['nspell', 'nspell (JavaScript)'], ['typo-js', 'typo-js (JavaScript)'],
           ['hunspell-asm', 'hunspell-asm (WebAssembly)']]) {
    engines.push({
      name,
      label,
      dict: 'dictionary-en',
      run: () => runChild(process.execPath, [...nodeArgs, name, corpusDir, jsOptions])
    });
  }

  const rounds = [];
  for (let round = 0; round < args.rounds; round++) {
    const results = {};
    for (const engine of engines) {
      results[engine.name] = engine.run();
      const r = results[engine.name];
      console.error(
          `round ${round + 1}/${args.rounds} ${engine.name}: ` +
          `${r.runningNsPerWord.toFixed(0)} ns/word running, ` +
          `${r.distinctNsPerWord.toFixed(0)} ns/word distinct`);
    }
    rounds.push(results);
  }

  const rows = engines.map((engine) => summarize(engine, rounds));
  const table = formatTable(rows, corpus.manifest, args.rounds);
  console.log(table);
  const goals = checkGoals(rows, rounds);
  if (goals) console.log(goals);
  if (args.json)
    fs.writeFileSync(args.json, JSON.stringify({machine: machine(), rows, rounds}, null, 1));
}

// Per metric: the median over rounds, and the median over rounds of the ratio against the
// baseline of the same round.
function summarize(engine, rounds) {
  const metric = (pick) => {
    const values = rounds.map((round) => pick(round[engine.name], round.hunspell));
    const ratios = rounds.map((round) => {
      const base = pick(round.hunspell, round.hunspell);
      return pick(round[engine.name], round.hunspell) / base;
    });
    return {value: median(values), ratio: median(ratios)};
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
  const last = rounds[rounds.length - 1][engine.name];
  if (engine.timingOnly) {
    return {
      ...engine,
      running: metric((r) => r.runningNsPerWord),
      distinct: metric((r) => r.distinctNsPerWord)
    };
  }
  return {
    ...engine,
    load: metric((r) => r.loadMs),
    memory: metric((r) => r.rssKiB / 1024),
    running: metric((r) => r.runningNsPerWord),
    distinct: metric((r) => r.distinctNsPerWord),
    suggestMedian: metric(suggestOver(median)),
    suggestP95: metric(suggestOver((v) => percentile(v, 95))),
    suggestRepeat: metric((r) => r.suggestRepeatMs),
    prepareMs: median(rounds.map((round) => round[engine.name].prepareMs ?? 0)),
    prepareMiB: median(rounds.map((round) => (round[engine.name].prepareKiB ?? 0) / 1024)),
    suggestWords: last.suggestMs.length,
    agreement: agreement(last, rounds[rounds.length - 1].hunspell),
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

function cell({value, ratio}, digits) {
  return `${value.toFixed(digits)} (${ratio.toFixed(2)}x)`;
}

function formatTable(rows, manifest, roundCount) {
  const lines = [];
  lines.push(`Machine: ${machine()}`);
  lines.push(
      `Corpus: ${manifest.tokens} tokens (${manifest.distinct} distinct) of English text ` +
      `from Debian's licence texts and fortunes package, ${manifest.typos} with seeded typos; ` +
      `${manifest.suggest} misspelled words for suggestions. Medians of ${roundCount} rounds, ` +
      'each engine in a process of its own; ratios against direct Hunspell calls in the same ' +
      `round. Times are ${process.env.BENCH_CLOCK === 'wall' ? 'elapsed' : 'process CPU'} time.`);
  lines.push('');
  lines.push(
      '| Engine | Dictionary | Load ms | Memory after load MiB | Running text ns/word | ' +
      'Distinct words ns/word | Suggest median ms | Suggest p95 ms | Same verdict as Hunspell |');
  lines.push('|---|---|---|---|---|---|---|---|---|');
  for (const row of rows) {
    if (row.timingOnly) {
      lines.push(
          `| ${row.label} | ${row.dict} | - | - | ${cell(row.running, 0)} | ` +
          `${cell(row.distinct, 0)} | - | - | - |`);
      continue;
    }
    const partial = row.suggestWords < manifest.suggest ? ` [${row.suggestWords} words]` : '';
    lines.push(
        `| ${row.label} | ${row.dict} | ${cell(row.load, 1)} | ${cell(row.memory, 1)} | ` +
        `${cell(row.running, 0)} | ${cell(row.distinct, 0)} | ` +
        `${cell(row.suggestMedian, 1)}${partial} | ${cell(row.suggestP95, 1)}${partial} | ` +
        `${(row.agreement * 100).toFixed(1)}% |`);
  }
  const base = rows.find((row) => row.name === 'hunspell');
  const ours = rows.find((row) => row.name === 'ours');
  lines.push('');
  lines.push(
      'Memory is the growth of the resident set while the dictionary loads. Suggestion ' +
      'figures of an engine that ran over its time budget cover the words in brackets, ' +
      'compared with the baseline over the same words. typo-js returns at most 5 suggestions.');
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

function checkGoals(rows, rounds) {
  const ours = rows.find((row) => row.name === 'ours');
  const nspell = rows.find((row) => row.name === 'nspell');
  const base = rows.find((row) => row.name === 'hunspell');
  if (!ours) return null;
  const lines = ['', 'Goals (ratios against direct Hunspell in the same round):'];
  const goal = (text, ratio, met) => lines.push(`- ${met ? 'met' : 'NOT met'}: ${text} (${ratio})`);
  const oursVsNspell =
      median(rounds.map((r) => r.ours.runningNsPerWord / r.nspell.runningNsPerWord));
  goal(
      'isMisspelled on running text faster per word than nspell',
      `${ours.running.ratio.toFixed(2)}x ` +
          `against nspell's ${nspell.running.ratio.toFixed(2)}x`,
      oursVsNspell < 1);
  goal(
      'isMisspelled on never-repeating words within 1.15x', `${ours.distinct.ratio.toFixed(2)}x`,
      ours.distinct.ratio <= 1.15);
  goal('load within 1.05x', `${ours.load.ratio.toFixed(2)}x`, ours.load.ratio <= 1.05);
  goal(
      'memory after load within 1.1x', `${ours.memory.ratio.toFixed(2)}x`,
      ours.memory.ratio <= 1.1);
  goal(
      'suggest median within 1.05x', `${ours.suggestMedian.ratio.toFixed(2)}x`,
      ours.suggestMedian.ratio <= 1.05);
  const fm = base.findMisspellings;
  if (fm) {
    const within = (m) => m.ratio <= 1.1;
    goal(
        'FindMisspellings within 1.10x of split + spell, cache on, every word new',
        `${fm.distinct.cached.ratio.toFixed(2)}x`, within(fm.distinct.cached));
    goal(
        'FindMisspellings within 1.10x of split + spell, cache off, running text',
        `${fm.running.uncached.ratio.toFixed(2)}x`, within(fm.running.uncached));
    goal(
        'FindMisspellings faster with the cache on running text',
        `${fm.running.cached.ratio.toFixed(2)}x`, fm.running.cached.ratio < 1);
  }
  return lines.join('\n');
}

main();
