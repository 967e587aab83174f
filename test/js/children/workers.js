'use strict';
// Run by workers.test.js in a process of its own: node children/workers.js SCENARIO
// Prints one JSON line with what the main thread saw; any error ends the process non-zero.

const path = require('node:path');
const {Worker, isMainThread, parentPort, workerData} = require('node:worker_threads');

const root = path.resolve(__dirname, '..', '..', '..');
const fixtures = path.join(root, 'test', 'fixtures', 'js');
const {packageDir} = require('../support');

function loadInPage() {
  if (!('navigator' in globalThis)) globalThis.navigator = {};
  return require(packageDir);
}

// What one thread answers with both backends on its own instances.
function checkBoth(Spellchecker) {
  const hunspell = new Spellchecker(true);
  const system = new Spellchecker();
  return {
    hunspell: [
      hunspell.isHunspell(),
      hunspell.setDictionary('en-JS', fixtures),
      hunspell.isMisspelled('hello'),
      hunspell.isMisspelled('helo'),
      hunspell.getCorrectionsForMisspelling('helo')[0],
    ],
    system: [
      system.isHunspell(),
      system.setDictionary('en-US'),
      system.isMisspelled('hello'),
      system.isMisspelled('helo'),
      system.getCorrectionsForMisspelling('helo').includes('hello'),
    ],
  };
}

const scenarios = {
  // Several workers load the module at once; each gets a class of its own.
  parallel: {
    worker({id}) {
      const exported = loadInPage();
      // Marks this thread's class; no other thread's class may carry the mark.
      exported.Spellchecker.prototype.owner = id;
      const answers = checkBoth(exported.Spellchecker);
      const instance = new exported.Spellchecker(true);
      return {id, keys: Object.keys(exported), owner: instance.owner, ...answers};
    },
    async main() {
      const exported = loadInPage();
      const results = await Promise.all([1, 2, 3, 4].map((id) => runWorker('parallel', {id})));
      const mine = checkBoth(exported.Spellchecker);
      return {results, main: mine, mainOwner: new exported.Spellchecker(true).owner};
    },
  },

  // Workers are terminated while their instances (with dictionaries) are alive.
  terminate: {
    worker() {
      const {Spellchecker} = loadInPage();
      const alive = [];
      for (let i = 0; i < 8; i++) {
        const hunspell = new Spellchecker(true);
        hunspell.setDictionary('en-JS', fixtures);
        const system = new Spellchecker();
        system.setDictionary('en-US');
        alive.push(hunspell, system);
      }
      parentPort.postMessage('ready');
      // Keep the instances reachable until the worker is torn down.
      setInterval(() => alive.length, 1000);
      return undefined;
    },
    async main() {
      const exported = loadInPage();
      const before = new exported.Spellchecker(true);
      before.setDictionary('en-JS', fixtures);
      const codes = [];
      for (let round = 0; round < 3; round++) {
        const workers = [1, 2, 3].map(
            () => new Worker(__filename, {workerData: {scenario: 'terminate', args: {}}}),
        );
        await Promise.all(
            workers.map((worker) => new Promise((resolve, reject) => {
                          worker.once('message', resolve);
                          worker.once('error', reject);
                        })),
        );
        codes.push(...(await Promise.all(workers.map((worker) => worker.terminate()))));
      }
      // The main thread's class and instances outlive every worker's environment.
      const after = checkBoth(exported.Spellchecker);
      return {codes, before: before.isMisspelled('helo'), after};
    },
  },

  // Workers run one after another: each is the only thread with a system backend while it
  // runs, and its teardown must hand COM back for the next one.
  serial: {
    worker() {
      return checkBoth(loadInPage().Spellchecker);
    },
    async main() {
      loadInPage();
      const results = [];
      for (let i = 0; i < 3; i++) results.push(await runWorker('serial', {}));
      return {results};
    },
  },

  // One worker holds COM (so its constructions could get the system backend) and constructs
  // with an argument, while another keeps constructing without one. Each construction must get
  // the backend it asked for.
  race: {
    worker({role, flags, rounds}) {
      const {Spellchecker} = loadInPage();
      const shared = new Int32Array(flags);
      if (role === 'remover') {
        Atomics.store(shared, 0, 1);
        Atomics.notify(shared, 0);
        let constructions = 0;
        while (Atomics.load(shared, 1) === 0) {
          new Spellchecker();
          constructions++;
        }
        return {role, constructions};
      }
      const anchor = new Spellchecker();
      parentPort.postMessage({anchored: !anchor.isHunspell()});
      Atomics.wait(shared, 0, 0, 10_000);
      let wrong = 0;
      for (let i = 0; i < rounds; i++) {
        if (!new Spellchecker(true).isHunspell()) wrong++;
      }
      Atomics.store(shared, 1, 1);
      return {role, wrong, anchorStillSystem: !anchor.isHunspell()};
    },
    async main() {
      loadInPage();
      const flags = new SharedArrayBuffer(8);
      const preferring = new Worker(__filename, {
        workerData: {scenario: 'race', args: {role: 'preferring', flags, rounds: 300}},
      });
      const exited = new Promise((resolve) => preferring.once('exit', resolve));
      const messages = [];
      const done = new Promise((resolve, reject) => {
        preferring.on('message', (message) => {
          messages.push(message);
          if (messages.length === 1) {
            runWorker('race', {role: 'remover', flags})
                .then(
                    (remover) => resolve(remover),
                    reject,
                );
          }
        });
        preferring.once('error', reject);
      });
      const remover = await done;
      await exited;
      return {anchored: messages[0].anchored, preferring: messages[1], remover};
    },
  },
};

let reported = false;

// Resolves with the worker's answer once the worker has exited.
function runWorker(scenario, args) {
  return new Promise((resolve, reject) => {
    const worker = new Worker(__filename, {workerData: {scenario, args}});
    let answer;
    worker.once('message', (message) => {
      answer = message;
    });
    worker.once('error', reject);
    worker.once('exit', () => resolve(answer));
  });
}

if (isMainThread) {
  // A scenario whose promises never settle would otherwise end the process quietly.
  process.on('exit', (code) => {
    if (code === 0 && !process.exitCode && !reported) {
      console.error('scenario did not finish');
      process.exitCode = 1;
    }
  });
  scenarios[process.argv[2]]
      .main()
      .then((result) => {
        reported = true;
        return result;
      })
      .then((result) => console.log(JSON.stringify(result)))
      .catch((error) => {
        console.error(error);
        process.exitCode = 1;
      });
} else {
  const result = scenarios[workerData.scenario].worker(workerData.args);
  if (result !== undefined) parentPort.postMessage(result);
}
