// Lays out a DOT graph and draws it as SVG with Graphviz's library. Kept apart from the engine's tools so
// that only the fronts that draw maps link Graphviz.
#pragma once

#include <string>

namespace tarvik::tools {

// False, with `error` saying why, when the graph cannot be read or laid out.
bool RenderDotToSvg(const std::string& dot, std::string& svg, std::string& error);

}  // namespace tarvik::tools
