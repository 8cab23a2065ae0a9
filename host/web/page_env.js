// Runs before the program starts: the environment variables the page took
// from its URL (Module.ravaEnvironment) become the program's environment,
// where the runtime's environment reader finds them as on any desktop.
Module['preRun'] = [].concat(Module['preRun'] || []);
Module['preRun'].push(function() {
  var environment = Module['ravaEnvironment'] || {};
  for (var name in environment) ENV[name] = String(environment[name]);
});
