// The page side of the web canvas host, linked into the program as a
// JavaScript library: the canvas and its drawing buffer, the title, the
// listeners that feed keys, pointers, focus and the WebGL context to the
// host (page_events.cpp), and glyph atlases drawn by the browser's 2D canvas.
mergeInto(LibraryManager.library, {
  $RavaPage: {
    // Widths close to the Windows program's face, so labels fit their buttons.
    fontFamily: '"Segoe UI", "Open Sans", Arial, "Liberation Sans", sans-serif',
    listeners: [],
    lostTimer: 0,
    ratio: function() {
      var r = window.devicePixelRatio;
      return r > 0 && isFinite(r) ? r : 1;
    },
    foreground: function() {
      return document.hasFocus() && document.visibilityState === 'visible' ? 1 : 0;
    },
    listen: function(target, type, handler, options) {
      target.addEventListener(type, handler, options);
      RavaPage.listeners.push([target, type, handler, options]);
    },
  },

  rava_page_prepare_canvas__deps: ['$RavaPage'],
  rava_page_prepare_canvas: function(clientWidth, clientHeight, sizePtr) {
    var canvas = document.querySelector('canvas');
    if (!canvas) return 0;
    canvas.id = 'rava-canvas';
    var ratio = RavaPage.ratio();
    var width = Math.max(1, Math.round(clientWidth * ratio));
    var height = Math.max(1, Math.round(clientHeight * ratio));
    if (canvas.width !== width) canvas.width = width;
    if (canvas.height !== height) canvas.height = height;
    HEAP32[sizePtr >> 2] = width;
    HEAP32[(sizePtr >> 2) + 1] = height;
    return ratio;
  },

  rava_page_pixel_ratio__deps: ['$RavaPage'],
  rava_page_pixel_ratio: function() {
    return RavaPage.ratio();
  },

  rava_page_set_title: function(utf8) {
    document.title = UTF8ToString(utf8);
  },

  rava_page_foreground__deps: ['$RavaPage'],
  rava_page_foreground: function() {
    return RavaPage.foreground();
  },

  rava_page_attach__deps: ['$RavaPage', 'rava_web_key', 'rava_web_pointer', 'rava_web_foreground',
                           'rava_web_context_lost', 'rava_web_context_restored'],
  rava_page_attach: function() {
    var canvas = document.getElementById('rava-canvas');
    var foreground = function() { _rava_web_foreground(RavaPage.foreground()); };
    RavaPage.listen(window, 'focus', foreground);
    RavaPage.listen(window, 'blur', foreground);
    RavaPage.listen(document, 'visibilitychange', foreground);

    var key = function(event, down) {
      // Keys that compose text in an input method are the IME's.
      if (event.isComposing || event.keyCode === 229) return;
      var top = stackSave();
      var keep = _rava_web_key(allocateUTF8OnStack(event.key || ''), allocateUTF8OnStack(event.code || ''),
                               down, event.repeat ? 1 : 0, event.ctrlKey ? 1 : 0, event.altKey ? 1 : 0,
                               event.metaKey ? 1 : 0);
      stackRestore(top);
      if (!keep) event.preventDefault();
    };
    RavaPage.listen(window, 'keydown', function(event) { key(event, 1); });
    RavaPage.listen(window, 'keyup', function(event) { key(event, 0); });

    // Leaving the canvas tells where the pointer went, as a move.
    var kinds = {pointerdown: 0, pointermove: 1, pointerleave: 1, pointerup: 2, pointercancel: 3};
    var pointer = function(event) {
      var kind = kinds[event.type];
      // The canvas keeps a pointer that went down on it until it comes up,
      // so a drag can leave the canvas and come back.
      if (kind === 0 && canvas.setPointerCapture) {
        try { canvas.setPointerCapture(event.pointerId); } catch (ignored) {}
      }
      var box = canvas.getBoundingClientRect();
      _rava_web_pointer(kind, event.pointerId, event.pointerType === 'touch' ? 1 : 0, event.buttons,
                        event.clientX - box.left, event.clientY - box.top, box.width, box.height);
    };
    for (var type in kinds) RavaPage.listen(canvas, type, pointer);
    RavaPage.listen(canvas, 'contextmenu', function(event) { event.preventDefault(); });

    RavaPage.listen(canvas, 'webglcontextlost', function(event) {
      // Without preventDefault the browser never offers the context back.
      event.preventDefault();
      _rava_web_context_lost();
      clearTimeout(RavaPage.lostTimer);
      RavaPage.lostTimer = setTimeout(function() {
        if (Module['ravaContextGone']) Module['ravaContextGone']();
      }, 5000);
    });
    RavaPage.listen(canvas, 'webglcontextrestored', function() {
      clearTimeout(RavaPage.lostTimer);
      if (!_rava_web_context_restored() && Module['ravaContextGone']) Module['ravaContextGone']();
    });
  },

  rava_page_detach__deps: ['$RavaPage'],
  rava_page_detach: function() {
    clearTimeout(RavaPage.lostTimer);
    RavaPage.listeners.forEach(function(l) { l[0].removeEventListener(l[1], l[2], l[3]); });
    RavaPage.listeners = [];
  },

  rava_page_glyph_atlas__deps: ['$RavaPage', '$GL'],
  rava_page_glyph_atlas: function(pixelSize, weight, metricsPtr) {
    var atlas = document.createElement('canvas');
    var context = atlas.getContext('2d');
    if (!context || !GLctx) return 0;
    var font = (weight >= 700 ? 'bold ' : '') + pixelSize + 'px ' + RavaPage.fontFamily;
    context.font = font;
    var pad = 2, first = 32, count = 95, atlasWidth = 1024;
    var probe = context.measureText('Hgjy|');
    var ascent = Math.ceil(probe.fontBoundingBoxAscent || probe.actualBoundingBoxAscent || pixelSize);
    var descent = Math.ceil(probe.fontBoundingBoxDescent || probe.actualBoundingBoxDescent || pixelSize / 4);
    var cellHeight = ascent + descent + 2 * pad;
    var glyphs = [], x = 0, y = 0;
    for (var i = 0; i < count; ++i) {
      var ch = String.fromCharCode(first + i);
      var m = context.measureText(ch);
      var left = Math.max(0, Math.ceil(m.actualBoundingBoxLeft || 0));
      var right = Math.max(0, Math.ceil(m.actualBoundingBoxRight === undefined ? m.width : m.actualBoundingBoxRight));
      var inked = left + right > 0;
      var width = inked ? left + right + 2 * pad : 0;
      if (x + width > atlasWidth) {
        x = 0;
        y += cellHeight;
      }
      glyphs.push({ch: ch, x: x, y: y, width: width, left: left, advance: m.width});
      x += width;
    }
    atlas.width = atlasWidth;
    atlas.height = y + cellHeight;
    // Resizing the canvas reset its state.
    context.font = font;
    context.fillStyle = '#ffffff';
    context.textBaseline = 'alphabetic';
    var out = metricsPtr >> 2;
    glyphs.forEach(function(g, n) {
      if (g.width > 0) context.fillText(g.ch, g.x + pad + g.left, g.y + pad + ascent);
      var base = out + n * 7;
      HEAPF32[base] = g.x;
      HEAPF32[base + 1] = g.y;
      HEAPF32[base + 2] = g.width;
      HEAPF32[base + 3] = g.width > 0 ? cellHeight : 0;
      HEAPF32[base + 4] = -(pad + g.left);
      HEAPF32[base + 5] = pad + ascent;
      HEAPF32[base + 6] = g.advance;
    });
    HEAPF32[out + count * 7] = atlas.width;
    HEAPF32[out + count * 7 + 1] = atlas.height;
    GLctx.texImage2D(GLctx.TEXTURE_2D, 0, GLctx.RGBA, GLctx.RGBA, GLctx.UNSIGNED_BYTE, atlas);
    return 1;
  },
});
