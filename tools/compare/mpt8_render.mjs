#!/usr/bin/env node
// Renders a module with libopenmpt 0.8 (the WebAssembly build inside the npm package chiptune3),
// for varno-compare's "mpt8" reference: newer formats such as Future Composer that the Debian
// openmpt123 does not play.
//
//   node tools/compare/mpt8_render.mjs FILE SUBSONG SECONDS
//
// Writes 32-bit float little-endian mono samples at 48000 Hz to stdout, from the start of
// SUBSONG (0-based) until the song ends or SECONDS have been written (0: the whole song),
// with nearest-sample interpolation and stereo separation 100. The last line on stderr is
// "duration <seconds>", libopenmpt's own measure of the subsong's length. Exits 77 when
// chiptune3 is not installed (build/npm/node_modules/chiptune3, or VARNO_CHIPTUNE3 naming
// libopenmpt.worklet.js).
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

const RATE = 48000;
const FRAMES = 4096;
// openmpt_module_set_render_param keys (libopenmpt.h).
const RENDER_STEREOSEPARATION_PERCENT = 2;
const RENDER_INTERPOLATIONFILTER_LENGTH = 3;

function usage(message) {
  process.stderr.write(`mpt8_render: ${message}\n` +
    'usage: node mpt8_render.mjs FILE SUBSONG SECONDS\n');
  process.exit(2);
}

function libraryPath() {
  if (process.env.VARNO_CHIPTUNE3) return process.env.VARNO_CHIPTUNE3;
  const here = path.dirname(fileURLToPath(import.meta.url));
  return path.resolve(here, '../../build/npm/node_modules/chiptune3/libopenmpt.worklet.js');
}

async function loadLibrary() {
  const file = libraryPath();
  if (!fs.existsSync(file)) {
    process.stderr.write(`mpt8_render: chiptune3 is not installed (${file}); ` +
      'scripts/install-deps.sh installs it\n');
    process.exit(77);
  }
  const factory = (await import(pathToFileURL(file).href)).default;
  return await factory({});
}

function writeOut(buffer) {
  return new Promise((resolve, reject) => {
    process.stdout.write(buffer, (error) => (error ? reject(error) : resolve()));
  });
}

async function main() {
  const [file, subsongText, secondsText] = process.argv.slice(2);
  if (file === undefined || subsongText === undefined || secondsText === undefined) usage('three arguments');
  const subsong = Number(subsongText);
  const seconds = Number(secondsText);
  if (!Number.isInteger(subsong) || subsong < 0) usage(`bad subsong "${subsongText}"`);
  if (!(seconds >= 0)) usage(`bad seconds "${secondsText}"`);
  let data;
  try {
    data = fs.readFileSync(file);
  } catch (error) {
    process.stderr.write(`mpt8_render: cannot read ${file}: ${error.message}\n`);
    process.exit(2);
  }

  const lib = await loadLibrary();
  const filePtr = lib._malloc(data.length);
  lib.HEAPU8.set(data, filePtr);
  const mod = lib._openmpt_module_create_from_memory2(filePtr, data.length,
    0, 0, 0, 0, 0, 0, 0);
  lib._free(filePtr);
  if (!mod) {
    process.stderr.write(`mpt8_render: libopenmpt cannot open ${file}\n`);
    process.exit(1);
  }
  const subsongs = lib._openmpt_module_get_num_subsongs(mod);
  if (subsong >= subsongs || !lib._openmpt_module_select_subsong(mod, subsong)) {
    process.stderr.write(`mpt8_render: ${file} has ${subsongs} subsong(s), not ${subsong + 1}\n`);
    process.exit(2);
  }
  lib._openmpt_module_set_render_param(mod, RENDER_STEREOSEPARATION_PERCENT, 100);
  lib._openmpt_module_set_render_param(mod, RENDER_INTERPOLATIONFILTER_LENGTH, 1);
  const duration = lib._openmpt_module_get_duration_seconds(mod);

  const bufferPtr = lib._malloc(FRAMES * 4);
  // A song that never ends stops after an hour when no limit is given.
  let remaining = Math.round((seconds > 0 ? seconds : 3600) * RATE);
  while (remaining > 0) {
    const want = Math.min(FRAMES, remaining);
    const got = lib._openmpt_module_read_float_mono(mod, RATE, want, bufferPtr);
    if (got <= 0) break;
    // The heap may have grown during the call: take the view afresh each time.
    const samples = lib.HEAPF32.slice(bufferPtr >> 2, (bufferPtr >> 2) + got);
    await writeOut(Buffer.from(samples.buffer, samples.byteOffset, got * 4));
    remaining -= got;
  }
  lib._free(bufferPtr);
  lib._openmpt_module_destroy(mod);
  process.stderr.write(`duration ${duration.toFixed(3)}\n`);
}

main().catch((error) => {
  process.stderr.write(`mpt8_render: ${error.stack || error}\n`);
  process.exit(1);
});
