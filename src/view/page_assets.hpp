#pragma once
// The page's own files and the vendored three.js, embedded in the program when it is built
// (cmake/embed_text.cmake), so that an installed kalvane-view needs none of them on disk.
#include <string_view>

namespace kalvane::view::page_assets {

extern const std::string_view page_html;  // the frame, with {{boot_hash}}, {{title}}, {{style}}, {{data}}, {{modules}}, {{boot}}
extern const std::string_view page_css;
extern const std::string_view page_js;         // imports 'three', OrbitControls and './animate.js'
extern const std::string_view animate_js;      // the path's states played: the slider, play, the curve's marker
extern const std::string_view boot_js;         // starts page_js; the only script the page runs inline
extern const std::string_view boot_js_sha256;  // its hash in base64, for the page's Content-Security-Policy
extern const std::string_view three_core;      // three.core.js
extern const std::string_view three_module;    // three.module.js, imports './three.core.js'
extern const std::string_view orbit_controls;  // OrbitControls.js, imports 'three'

}  // namespace kalvane::view::page_assets
