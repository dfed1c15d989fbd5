// Loads the embedded modules: each import of another embedded file is pointed at a blob URL
// of that file's text, so the page needs nothing but itself.
(function () {
  function text(id) { return document.getElementById(id).textContent; }
  function url(source) { return URL.createObjectURL(new Blob([source], { type: 'text/javascript' })); }
  function point(source, specifier, target) { return source.split(specifier).join(JSON.stringify(target)); }
  var core = url(text('three-core'));
  var three = url(point(text('three-module'), "'./three.core.js'", core));
  var orbit = url(point(text('three-orbit'), "'three'", three));
  var animate = url(text('kalvane-animate'));
  var page = url(point(point(point(text('kalvane-page'), "'three/addons/controls/OrbitControls.js'", orbit), "'three'", three),
                       "'./animate.js'", animate));
  import(page).catch(function (error) {
    var message = document.getElementById('message');
    message.textContent = 'The page could not start: ' + error;
    message.hidden = false;
    document.documentElement.setAttribute('data-error', String(error));
  });
})();
