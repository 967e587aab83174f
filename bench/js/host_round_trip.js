'use strict';
// A page's round trip through the spell-check host against the host's own work: a client on a
// worker thread (the page) asks a host served from the main thread (Electron's main process,
// whose provider runs on the host's worker) over a Node.js message port, for 100-word batches of
// running text and for suggestions on misspelled words; each request is followed by the same work
// done by a provider called directly on this thread, with caches of its own, so that both meet
// the same load.
// Both sides use Debian's en_US with Hunspell. Elapsed time (performance.now), median and p99.
// Usage: node bench/js/host_round_trip.js [--runs N] [--build DIR]

const fs = require('node:fs');
const path = require('node:path');
const {parseArgs} = require('node:util');
const {MessageChannel, Worker, isMainThread, parentPort, workerData} =
    require('node:worker_threads');

const root = path.resolve(__dirname, '..', '..');

if (!isMainThread) {
  // The page: nothing but the client and its port. Runs one request when the main thread says.
  const {createSpellCheckClient} = require(path.join(root, 'client.js'));
  const client = createSpellCheckClient(workerData.port);
  const {batches, misspellings} = workerData;
  parentPort.on('message', async ({kind, index}) => {
    if (kind === 'close') {
      client.close();
      parentPort.close();
      return;
    }
    const start = performance.now();
    if (kind === 'check') {
      await new Promise((resolve) => client.spellCheck(batches[index], resolve));
    } else {
      await client.suggest(misspellings[index]);
    }
    parentPort.postMessage(performance.now() - start);
  });
  return;
}

// The direct provider needs the page context that the module exports its class in (Node.js 20 has
// no navigator); the host's worker makes its own.
if (!('navigator' in globalThis)) globalThis.navigator = {};
const {values: options} = parseArgs({
  options: {runs: {type: 'string', default: '200'}, build: {type: 'string', default: 'build'}},
});
const runs = Number(options.runs);
process.env.SPELLCHECKER_NATIVE_MODULE ??= path.resolve(root, options.build, 'spellchecker.node');
const providerOptions = {
  languages: ['en-US'],
  dictionaries: '/usr/share/hunspell'
};
const batchSize = 100;
const warmUp = 10;

// Running text: the licences' words in order, each batch the next 100 of them.
const textDir = '/usr/share/common-licenses';
const text = fs.readdirSync(textDir)
                 .sort()
                 .map((file) => path.join(textDir, file))
                 .filter((file) => fs.statSync(file).isFile())
                 .map((file) => fs.readFileSync(file, 'utf8'))
                 .join('\n');
const words = text.match(/[A-Za-z]+(?:'[A-Za-z]+)?/g);
if (words.length < (runs + warmUp) * batchSize) throw new Error('not enough words');
const batches = [];
for (let run = 0; run < runs + warmUp; ++run) {
  batches.push(words.slice(run * batchSize, (run + 1) * batchSize));
}
// Distinct misspellings: long words of the text with their middle letter doubled.
const misspellings = [
  ...new Set(words.filter((word) => word.length >= 6))
].slice(0, runs + warmUp).map((word) => word.slice(0, 3) + word[3] + word.slice(3));

function summary(times) {
  const sorted = times.slice(warmUp).sort((a, b) => a - b);
  const at = (fraction) =>
      sorted[Math.min(sorted.length - 1, Math.ceil(fraction * sorted.length) - 1)];
  return {median: at(0.5), p99: at(0.99)};
}

async function main() {
  const {createSpellCheckHost, createSpellCheckProvider} = require(path.join(root, 'provider.js'));
  const host = createSpellCheckHost(providerOptions);
  await host.ready;
  const {port1, port2} = new MessageChannel();
  host.serve(port1);
  const page = new Worker(__filename, {
    workerData: {port: port2, batches, misspellings},
    transferList: [port2],
  });
  page.on('error', (error) => {
    throw error;
  });
  const throughHost = (kind, index) => new Promise((resolve) => {
    page.once('message', resolve);
    page.postMessage({kind, index});
  });
  const provider = createSpellCheckProvider(providerOptions);
  const direct = {
    check: (index) => new Promise((resolve) => {
      const start = performance.now();
      // 100 words usually fit in the first slice, which answers within the call.
      provider.spellCheck(batches[index], () => resolve(performance.now() - start));
    }),
    suggest: (index) => {
      const start = performance.now();
      provider.suggest(misspellings[index]);
      return performance.now() - start;
    },
  };
  // Each run through the host, then the same run directly, so both meet the same load.
  const times = {host: {check: [], suggest: []}, own: {check: [], suggest: []}};
  for (const kind of ['check', 'suggest']) {
    for (let index = 0; index < runs + warmUp; ++index) {
      times.host[kind].push(await throughHost(kind, index));
      times.own[kind].push(await direct[kind](index));
    }
  }
  page.postMessage({kind: 'close'});
  provider.close();
  await host.close();
  return times;
}

(async () => {
  const {host, own} = await main();
  const format = (ms) => ms.toFixed(3);
  console.log(`${runs} runs after ${warmUp} warm-up, Node.js ${process.version}, ms:`);
  console.log('| work | client round trip: median | p99 | host\'s own: median | p99 |');
  console.log('|---|---|---|---|---|');
  for (const [label, key] of [
           [`spellCheck, ${batchSize} words`, 'check'], ['suggest', 'suggest']]) {
    const trip = summary(host[key]);
    const work = summary(own[key]);
    console.log(
        `| ${label} | ${format(trip.median)} | ${format(trip.p99)} | ` +
        `${format(work.median)} | ${format(work.p99)} |`);
  }
})();
