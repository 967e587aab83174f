'use strict';
// The messages between a spell-check client (a page's preload) and its host. Plain JavaScript
// with no dependency, so that a sandboxed preload's bundle can carry it.
//
// A request:  {v, id, method, args}           client to host; id a positive safe integer
// A reply:    {v, id, result}                 host to client, once for every request
//             {v, id, error: {name, message, code?, path?}}
// The version changes whenever a shape does; a host answers a request of another version with an
// error, and a client takes a reply of another version as a failure of its request.

const version = 1;
const errorNames = ['Error', 'TypeError', 'RangeError'];

const isString = (value) => typeof value === 'string';
const isStringArray = (value) => Array.isArray(value) && value.every(isString);
const isWord = (args) => args.length === 1 && isString(args[0]);

// Each method's arguments and the result it answers with.
const methods = {
  spellCheck: {args: (args) => args.length === 1 && isStringArray(args[0]), result: isStringArray},
  isMisspelled: {args: isWord, result: (value) => typeof value === 'boolean'},
  suggest: {args: isWord, result: isStringArray},
  add: {args: isWord, result: (value) => value === undefined},
  remove: {args: isWord, result: (value) => value === undefined},
  words: {args: (args) => args.length === 0, result: isStringArray},
};

const isId = (id) => Number.isSafeInteger(id) && id > 0;
const isObject = (value) => typeof value === 'object' && value !== null;

function request(id, method, args) {
  return {v: version, id, method, args};
}

function reply(id, result) {
  return {v: version, id, result};
}

// An error as it crosses: the fields a caller acts on, not its stack.
function failure(id, error) {
  const described = {
    name: errorNames.includes(error?.name) ? error.name : 'Error',
    message: String(error?.message ?? error),
  };
  if (isString(error?.code)) described.code = error.code;
  if (isString(error?.path)) described.path = error.path;
  return {v: version, id, error: described};
}

function protocolError(message) {
  const error = new Error(`native-spellchecker: ${message}`);
  error.code = 'ERR_SPELLCHECKER_PROTOCOL';
  return error;
}

// What a host makes of a message: {id, method, args} to run; {id, error} to answer at once; null
// for a message with no id to answer, which is dropped.
function readRequest(message) {
  if (!isObject(message) || !isId(message.id)) return null;
  const {id} = message;
  if (message.v !== version) {
    return {id, error: protocolError(`protocol version ${message.v} is not ${version}`)};
  }
  const method = Object.hasOwn(methods, message.method) ? methods[message.method] : null;
  if (method === null) {
    return {id, error: protocolError(`no method ${JSON.stringify(message.method)}`)};
  }
  if (!Array.isArray(message.args) || !method.args(message.args)) {
    return {id, error: new TypeError(`native-spellchecker: bad arguments for ${message.method}`)};
  }
  return {id, method: message.method, args: message.args};
}

// What a client makes of a message for a request of `method`: {result} or {error}.
function readReply(message, method) {
  if (message.v !== version) {
    return {error: protocolError(`the host answered in protocol version ${message.v}`)};
  }
  if (Object.hasOwn(message, 'error')) {
    const described = isObject(message.error) ? message.error : {};
    const name = errorNames.includes(described.name) ? described.name : 'Error';
    const Type = name === 'TypeError' ? TypeError : name === 'RangeError' ? RangeError : Error;
    const error = new Type(String(described.message ?? 'the host failed'));
    if (isString(described.code)) error.code = described.code;
    if (isString(described.path)) error.path = described.path;
    return {error};
  }
  if (!methods[method].result(message.result)) {
    return {error: protocolError(`the host's answer to ${method} has the wrong shape`)};
  }
  return {result: message.result};
}

// The id of a reply, or 0 when the message is no reply.
const replyId = (message) => isObject(message) && isId(message.id) ? message.id : 0;

// Listens on a DOM or Node.js MessagePort (EventTarget) or on Electron's MessagePortMain
// (EventEmitter); the handler gets the event, whose `data` is the message either way. Answers the
// function that stops listening.
function listen(port, type, handler) {
  if (typeof port.addEventListener === 'function') {
    port.addEventListener(type, handler);
    return () => port.removeEventListener(type, handler);
  }
  port.on(type, handler);
  return () => port.removeListener(type, handler);
}

// A port as both ends need it.
function checkPort(port, who) {
  const listens = isObject(port) &&
      (typeof port.addEventListener === 'function' || typeof port.on === 'function');
  if (!listens || typeof port.postMessage !== 'function' || typeof port.start !== 'function') {
    throw new TypeError(
        `native-spellchecker: ${who} takes a message port (postMessage, start, and ` +
        'addEventListener or on)');
  }
}

const methodNames = Object.keys(methods);

module.exports = {
  version,
  methodNames,
  request,
  reply,
  failure,
  readRequest,
  readReply,
  replyId,
  listen,
  checkPort,
};
