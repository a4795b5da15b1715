// Map positions of an IBD analysis from the `fixQTLpos` text.
#include "console/ibd_positions.h"

#include <cmath>
#include <cstdlib>

#include "core/state/console.h"
#include "core/voskara.h"
#include "textfile/fatal.h"

namespace vsk {

namespace {

constexpr double kCentiMorgan = 0.01;   // Morgan per centiMorgan
constexpr double kGridTolerance = 1e-6; // a grid point this close to the last marker is left out

struct Span {
    int first;  // 0-based marker indices
    int last;
};

// Marker index spans of the analysed linkage groups, in group order.
std::vector<Span> analysed_spans(const std::vector<Chr>& groups, const std::vector<Mrkrlcs>& markers)
{
    std::vector<Span> spans;
    const int n = static_cast<int>(markers.size());
    for (const Chr& group : groups) {
        if (group.indiC <= 0) continue;
        if (group.fMrkr < 0 || group.lMrkr < group.fMrkr || group.lMrkr >= n) continue;
        spans.push_back({group.fMrkr, group.lMrkr});
    }
    return spans;
}

bool ends_with_cm(const std::string& text)
{
    return text.size() >= 2 && text.compare(text.size() - 2, 2, "cM") == 0;
}

int grid_positions(const std::string& text, const std::vector<Span>& spans, const std::vector<Mrkrlcs>& markers,
                   std::vector<double>& positions)
{
    cprint("\n %s grid search for IBD probabilities ", text.c_str());
    const double step = std::strtod(text.c_str(), nullptr) * kCentiMorgan;
    if (!(step > 0.0) || !std::isfinite(step)) return -1;
    for (const Span& span : spans) {
        const double first = markers[span.first].position;
        const double last = markers[span.last].position;
        positions.push_back(first);
        for (int i = 1; first + i * step + kGridTolerance < last; ++i) positions.push_back(first + i * step);
        if (positions.back() < last) positions.push_back(last);
    }
    return positions.empty() ? 1 : static_cast<int>(positions.size());
}

int marker_positions(const std::string& text, const std::vector<Span>& spans, const std::vector<Mrkrlcs>& markers,
                     std::vector<double>& positions)
{
    cprint("\n%s loci search for IBD probabilities ", text.c_str());
    for (const Span& span : spans)
        for (int m = span.first; m <= span.last; ++m) positions.push_back(markers[m].position);
    return positions.empty() ? -1 : static_cast<int>(positions.size());
}

int single_position(const std::string& text, const std::vector<Span>& spans, const std::vector<Mrkrlcs>& markers,
                    std::vector<double>& positions)
{
    cprint("\nOne position for IBD probabilities : %s ", text.c_str());
    const double x = std::strtod(text.c_str(), nullptr);
    for (const Span& span : spans) {
        if (x >= markers[span.first].position && x <= markers[span.last].position) {
            positions.push_back(x);
            return 1;
        }
    }
    return -1;
}

}  // namespace

int ibd_position_list(const std::string& fixQTLpos, const std::vector<Chr>& groups,
                      const std::vector<Mrkrlcs>& markers, std::vector<double>& positions)
{
    positions.clear();
    crule(2, 79, 1);
    cprint("NUMBER OF POSITIONS FOR IBD PROBABILITIES ");
    if (fixQTLpos.empty()) return -1;

    const std::vector<Span> spans = analysed_spans(groups, markers);
    int count;
    if (ends_with_cm(fixQTLpos))
        count = grid_positions(fixQTLpos, spans, markers, positions);
    else if (fixQTLpos == "MARKERS" || fixQTLpos == "markers")
        count = marker_positions(fixQTLpos, spans, markers, positions);
    else
        count = single_position(fixQTLpos, spans, markers, positions);
    cprint("  (N=%d)", count);
    return count;
}

std::vector<double> chain_positions()
{
    if (par.indicQTL != 2) return {0.0};
    std::vector<double> positions;
    const int count = ibd_position_list(par.fixQTLpos, chr, mrkrlcs, positions);
    if (count == -1) {
        cprint("Error in setting number of positions for IBD prob, aborting\n");
        fatal_exit(1);
    }
    par.n_pos_ibd = count;
    InitListPosIBD();
    positions.resize(count, 0.0);
    par.pos_ibd.assign(positions.begin(), positions.end());
    return positions;
}

}  // namespace vsk
