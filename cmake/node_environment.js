// Programs the web tree runs under node read the real process environment,
// as the native programs do; emscripten otherwise hands them a made-up one
// (ENV exists only in programs that read the environment).
Module['preRun'] = [].concat(Module['preRun'] || [], function () {
  if (typeof ENV !== 'undefined') Object.assign(ENV, process.env);
});
