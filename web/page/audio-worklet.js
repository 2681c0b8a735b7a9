// The sound of the page: an AudioWorkletProcessor that runs the instrument's audio module
// (brisbleep-audio.wasm, whose bytes arrive in processorOptions.wasm) at the context's sample rate.
//
// Messages from the page (port):
//   {t: 'params', list: [index, value, index, value, ...]}  real parameter values
//   {t: 'midi', status, data1, data2}                       a MIDI message for the next quantum
//   {t: 'kb', key, depth}                                   the editor keyboard's held key (-1 none)
// Messages to the page:
//   {t: 'ready'} once the module runs, {t: 'error', message} when it cannot,
//   {t: 'meter', left, right} about 30 times a second when processorOptions.meters is set.
//
// Nothing is allocated while rendering: process() calls the module's exports and copies its output
// buffer through a view made once (again only if the module's memory grows).

const QUANTUM = 128;

// Function imports the module declares answered without a system behind them: WASI calls (no files,
// no environment, no arguments; the clock is the context's time), the calls of C++ exception
// handling, and the page's editor callbacks, which this instrument without an editor never needs.
function makeImports(module, getMemory, getTime, getExports) {
  let seed = 0x9e3779b9;
  const view = () => new DataView(getMemory().buffer);
  const wasi = {
    fd_write(fd, iovs, iovsLen, nwrittenPtr) {
      // Reports everything as written so that a print loop ends; the text goes nowhere.
      const dv = view();
      let total = 0;
      for (let i = 0; i < iovsLen; ++i) total += dv.getUint32(iovs + i * 8 + 4, true);
      dv.setUint32(nwrittenPtr, total, true);
      return 0;
    },
    fd_read(fd, iovs, iovsLen, nreadPtr) {
      view().setUint32(nreadPtr, 0, true);
      return 0;
    },
    fd_seek(fd, offsetLow, offsetHigh, whence, newOffsetPtr) {
      // i64 offsets arrive as one BigInt or as two halves, depending on the module's build.
      const ptr = typeof offsetLow === 'bigint' ? whence : newOffsetPtr;
      if (typeof ptr === 'number') view().setBigUint64(ptr, 0n, true);
      return 0;
    },
    fd_close() {
      return 0;
    },
    proc_exit(code) {
      throw new Error(`the audio module exited (${code})`);
    },
    environ_sizes_get(countPtr, sizePtr) {
      const dv = view();
      dv.setUint32(countPtr, 0, true);
      dv.setUint32(sizePtr, 0, true);
      return 0;
    },
    environ_get() {
      return 0;
    },
    args_sizes_get(countPtr, sizePtr) {
      const dv = view();
      dv.setUint32(countPtr, 0, true);
      dv.setUint32(sizePtr, 0, true);
      return 0;
    },
    args_get() {
      return 0;
    },
    clock_time_get(id, precision, timePtr) {
      view().setBigUint64(timePtr, BigInt(Math.round(getTime() * 1e9)), true);
      return 0;
    },
    random_get(buf, len) {
      const bytes = new Uint8Array(getMemory().buffer, buf, len);
      for (let i = 0; i < len; ++i) {
        seed ^= seed << 13;
        seed ^= seed >>> 17;
        seed ^= seed << 5;
        bytes[i] = seed & 0xff;
      }
      return 0;
    },
  };
  // C++ code built with exceptions calls functions that may throw through invoke_<signature>
  // imports, which call the table's function and report a throw to the module (setThrew). One
  // function with enough named parameters serves every signature without allocating: the table's
  // function ignores the arguments it does not take.
  let tempRet0 = 0;
  const env = {
    getTempRet0: () => tempRet0,
    setTempRet0: (value) => {
      tempRet0 = value;
    },
    __resumeException(ptr) {
      throw ptr;
    },
    __cxa_rethrow() {
      throw 0;
    },
    __cxa_find_matching_catch_2() {
      tempRet0 = 0;
      return 0;
    },
    __cxa_find_matching_catch_3() {
      tempRet0 = 0;
      return 0;
    },
    __cxa_begin_catch: (ptr) => ptr,
    __cxa_end_catch() {},
    __cxa_free_exception() {},
    llvm_eh_typeid_for: (type) => type,
    _emscripten_throw_longjmp() {
      throw 'longjmp';
    },
    emscripten_notify_memory_growth() {},
  };
  const invoke = (index, a, b, c, d, e, f, g, h, i, j, k, l) => {
    const ex = getExports();
    const sp = ex.stackSave();
    try {
      return ex.__indirect_function_table.get(index)(a, b, c, d, e, f, g, h, i, j, k, l);
    } catch (err) {
      ex.stackRestore(sp);
      if (typeof err !== 'number' && err !== 'longjmp') throw err;
      ex.setThrew(1, 0);
      return 0;
    }
  };
  const ENOSYS = 52;
  const imports = {};
  for (const imp of WebAssembly.Module.imports(module)) {
    if (imp.kind !== 'function') continue; // a module that imports its memory or table is not supported
    imports[imp.module] ??= {};
    let fn;
    if (imp.module.startsWith('wasi')) fn = wasi[imp.name];
    else if (imp.module === 'env' && imp.name.startsWith('invoke_')) fn = invoke;
    else if (imp.module === 'env' && imp.name.startsWith('__syscall_')) fn = () => -ENOSYS; // no files here
    else if (imp.module === 'env') fn = env[imp.name];
    imports[imp.module][imp.name] = fn ?? (() => 0);
  }
  return imports;
}

class BrisbleepProcessor extends AudioWorkletProcessor {
  constructor(options) {
    super();
    const opts = (options && options.processorOptions) || {};
    this.ready = false;
    this.failed = false;
    this.pending = [];
    this.sendMeters = !!opts.meters;
    this.meterInterval = Math.max(QUANTUM, Math.round(sampleRate / 30));
    this.framesSinceMeter = 0;
    this.port.onmessage = (event) => this.receive(event.data);
    try {
      this.start(opts);
    } catch (err) {
      this.fail(err);
    }
  }

  start(opts) {
    if (!opts.wasm) throw new Error('no audio module was given');
    const module = new WebAssembly.Module(opts.wasm);
    const imports = makeImports(module, () => this.memory, () => currentTime, () => this.exports);
    const instance = new WebAssembly.Instance(module, imports);
    const ex = instance.exports;
    this.exports = ex;
    this.memory = ex.memory;
    if (!(this.memory instanceof WebAssembly.Memory)) throw new Error('the audio module exports no memory');
    if (typeof ex._initialize === 'function') ex._initialize();
    for (const name of ['bb_audio_init', 'bb_audio_buffer', 'bb_audio_process', 'bb_audio_midi',
      'bb_audio_set_param', 'bb_audio_keyboard', 'bb_audio_meter']) {
      if (typeof ex[name] !== 'function') throw new Error(`the audio module lacks ${name}`);
    }
    const status = ex.bb_audio_init(sampleRate);
    if (status !== 0) throw new Error(`bb_audio_init(${sampleRate}) failed (${status})`);
    this.outPtr = ex.bb_audio_buffer();
    this.out = new Float32Array(this.memory.buffer, this.outPtr, QUANTUM);

    // The state the page had when it made this node, then what it sent meanwhile.
    if (opts.params) this.setParams(opts.params, false);
    if (opts.keyboard) ex.bb_audio_keyboard(opts.keyboard[0], opts.keyboard[1]);
    for (const [status1, data1, data2] of opts.events || []) ex.bb_audio_midi(status1, data1, data2);
    this.ready = true;
    for (const message of this.pending) this.receive(message);
    this.pending = null;
    this.port.postMessage({ t: 'ready' });
  }

  fail(err) {
    this.failed = true;
    this.port.postMessage({ t: 'error', message: String((err && err.message) || err) });
  }

  setParams(list, pairs = true) {
    const ex = this.exports;
    if (pairs) {
      for (let i = 0; i + 1 < list.length; i += 2) ex.bb_audio_set_param(list[i], list[i + 1]);
    } else {
      for (let i = 0; i < list.length; ++i) ex.bb_audio_set_param(i, list[i]);
    }
  }

  receive(message) {
    if (this.failed || !message) return;
    if (!this.ready) {
      this.pending.push(message);
      return;
    }
    const ex = this.exports;
    switch (message.t) {
      case 'params':
        this.setParams(message.list);
        break;
      case 'midi':
        ex.bb_audio_midi(message.status, message.data1, message.data2);
        break;
      case 'kb':
        ex.bb_audio_keyboard(message.key, message.depth);
        break;
      default:
        break;
    }
  }

  process(inputs, outputs) {
    const output = outputs[0];
    if (!this.ready || this.failed || output.length === 0) return true;
    const first = output[0];
    const frames = Math.min(first.length, QUANTUM);
    try {
      this.exports.bb_audio_process(frames);
    } catch (err) {
      this.fail(err);
      return true;
    }
    if (this.out.buffer !== this.memory.buffer) {
      this.out = new Float32Array(this.memory.buffer, this.outPtr, QUANTUM); // the memory grew
    }
    const out = this.out;
    for (let c = 0; c < output.length; ++c) {
      const channel = output[c];
      if (frames === QUANTUM) channel.set(out);
      else for (let i = 0; i < frames; ++i) channel[i] = out[i];
    }
    if (this.sendMeters) {
      this.framesSinceMeter += frames;
      if (this.framesSinceMeter >= this.meterInterval) {
        this.framesSinceMeter -= this.meterInterval;
        this.port.postMessage({
          t: 'meter',
          left: this.exports.bb_audio_meter(0),
          right: this.exports.bb_audio_meter(1),
        });
      }
    }
    return true;
  }
}

registerProcessor('brisbleep', BrisbleepProcessor);
