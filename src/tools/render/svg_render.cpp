#include "tools/render/svg_render.h"

#include <memory>

#include <graphviz/cgraph.h>
#include <graphviz/gvc.h>

namespace tarvik::tools {

bool RenderDotToSvg(const std::string& dot, std::string& svg, std::string& error) {
    std::unique_ptr<GVC_t, int (*)(GVC_t*)> gvc(gvContext(), gvFreeContext);
    if (!gvc) {
        error = "Graphviz cannot start";
        return false;
    }
    std::unique_ptr<Agraph_t, int (*)(Agraph_t*)> graph(agmemread(dot.c_str()), agclose);
    if (!graph) {
        error = "Graphviz cannot read the graph";
        return false;
    }
    if (gvLayout(gvc.get(), graph.get(), "dot") != 0) {
        error = "Graphviz cannot lay the graph out (is its dot layout plugin installed?)";
        return false;
    }
    char* data = nullptr;
    unsigned int length = 0;
    const int rendered = gvRenderData(gvc.get(), graph.get(), "svg", &data, &length);
    if (rendered == 0 && data) svg.assign(data, length);
    if (data) gvFreeRenderData(data);
    gvFreeLayout(gvc.get(), graph.get());
    if (rendered != 0 || svg.empty()) {
        error = "Graphviz cannot draw SVG (is its core plugin installed?)";
        return false;
    }
    return true;
}

}  // namespace tarvik::tools
