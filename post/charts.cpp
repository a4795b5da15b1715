// Chart files of the QTL intensity and effects along the map.
#include "post/charts.h"

#include <algorithm>
#include <string>

#include "post/bins.h"
#include "post/console.h"
#include "textfile/file.h"

namespace rvn {

namespace {

// Bins need this many samples before their effects are summarised.
constexpr int kMinBinSamples = 20;

void write_header(std::FILE* f, const char* title)
{
    std::fprintf(f, "\n; comments can be inserted by using the semi-colon sign ';'");
    std::fprintf(f, "\n; (Created by Ruvane %s, %s)\n", kVersion, kVersionDate);
    std::fprintf(f, "%s", title);
    std::fprintf(f, "\n; NOTE: Other files (with extension '.asc') are required\n");
    std::fprintf(f, "\n; format for linkage map specification ");
    std::fprintf(f, "\n;\t- Group + name of Group      ");
    std::fprintf(f, "\n;\t- markername + map position of marker ");
    std::fprintf(f, "\n;\t\tstarting with 1st marker!!!            ");
    std::fprintf(f, "\n;\t\t(distance = actual position!)");
}

void write_group_map(std::FILE* f, const PostState& st, const ChromGroup& g)
{
    std::fprintf(f, "\ngroup %s", g.name.c_str());
    for (int m = g.first_marker; m >= 0 && m <= g.last_marker; ++m)
        std::fprintf(f, "\n%20s %6.1lf", st.markers[m].name.c_str(), 100.0 * within_chromosome(st.markers[m].pos));
}

void write_intensity_graphs(std::FILE* f, const std::string& name, double scale, double genome90)
{
    const std::string data = "C" + name + "mpd.asc";
    std::fprintf(f, "\ngraphs  H=%.4lf", 1.1 * scale);
    std::fprintf(f, "\nconst %.4lf C10 L2", genome90);
    std::fprintf(f, "%20s;genome-wide HPI90", "");
    std::fprintf(f, "\n Q%sI     %s  t=PosteriorINT I C1 S2 L1 W", name.c_str(), data.c_str());
    std::fprintf(f, "\n;Q%sP     %s  t=PriorINT     I C3 S2 L1 W", name.c_str(), data.c_str());
    std::fprintf(f, "\n;Q%sBF    %s  t=2lnBF        I C4 S2 L1 W", name.c_str(), data.c_str());
    std::fprintf(f, "\n Q%sHPI90 %s  t=hpi90gnm     I C2 S0 L1  ", name.c_str(), data.c_str());
    std::fprintf(f, "\n;Q%sIlash densC%s.asc  t=POSITION I C4 S2 L1 W ; averaged shifted histogram", name.c_str(),
                 name.c_str());
}

// One line per frequency and per effect kind and trait, with the 5 % and
// 95 % quantile companions of the effects.
void write_effect_graphs(std::FILE* f, const PostState& st, const std::string& name)
{
    const std::string data = "C" + name + "mpd.asc";
    std::fprintf(f, "\ngraphs  S=0.5");
    std::fprintf(f, "\nconst 0.0 L3");
    std::fprintf(f, "\n\n; NOTE : QTL effects estimated ONLY for cM-bins having");
    std::fprintf(f, " at least %d hits \n", kMinBinSamples);
    for (int fg = 1; fg <= st.s.F; ++fg)
        std::fprintf(f, "\n Q%sF%d  %s  t=FRQ%d I C%d S1 L1 W", name.c_str(), fg, data.c_str(), fg, 5 + fg);
    const char* kinds[3][3] = {{"ADDt", "A05t", "A95t"}, {"Domt", "D05t", "D95t"}, {"impt", "I05t", "I95t"}};
    const int present[3] = {st.par.addGENE, st.par.domGENE, st.par.impGENE};
    for (int t = 1; t <= st.par.n_traits; ++t)
        for (int k = 0; k < 3; ++k) {
            if (present[k] == 0) continue;
            std::fprintf(f, "\n Q%s%s%d  %s  t=%s%d I C%d S2 L1 W", name.c_str(), kinds[k][0], t, data.c_str(),
                         kinds[k][0], t, k + 1);
            for (int q = 1; q <= 2; ++q)
                std::fprintf(f, "\n;Q%s%s%d  %s  t=%s%d I C%d S0 L2  ", name.c_str(), kinds[k][q], t, data.c_str(),
                             kinds[k][q], t, k + 1);
        }
}

double intensity_scale(const PostState& st)
{
    int largest = 0;
    for (const ChromGroup& g : st.groups)
        if (g.included && !g.bins.empty()) largest = std::max(largest, *std::max_element(g.bins.begin(), g.bins.end()));
    return st.n_post > 0 ? static_cast<double>(largest) / st.n_post : 0.0;
}

void section(std::FILE* f, const char* name) { std::fprintf(f, "\n\n[%s]", name); }

}  // namespace

void write_intensity_charts(const PostState& st)
{
    const double scale = intensity_scale(st);
    vsk::File gi = vsk::open_file(st.path("genomei.lnd"), "w");
    vsk::File gp = vsk::open_file(st.path("genomep.lnd"), "w");
    if (!gi || !gp) return;
    write_header(gi.get(), "\n; Lindor file to visualize the QTL intensity");
    write_header(gp.get(), "\n; Lindor file to visualize the QTL allelic effects & frequency");
    int included = 0;
    for (std::size_t k = 0; k < st.groups.size(); ++k) {
        const ChromGroup& g = st.groups[k];
        if (!g.included) continue;
        ++included;
        const double genome90 = k < st.hpi.size() ? st.hpi[k].genome90 : 0.0;
        vsk::File ci = vsk::open_file(st.path("C" + g.name + "i.lnd"), "w");
        vsk::File cp = vsk::open_file(st.path("C" + g.name + "p.lnd"), "w");
        if (!ci || !cp) continue;
        write_header(ci.get(), "\n; Lindor file to visualize the QTL intensity");
        write_header(cp.get(), "\n; Lindor file to visualize the QTL allelic effects & frequency");
        for (std::FILE* f : {ci.get(), gi.get()}) {
            write_group_map(f, st, g);
            write_intensity_graphs(f, g.name, scale, genome90);
        }
        for (std::FILE* f : {cp.get(), gp.get()}) {
            write_group_map(f, st, g);
            write_effect_graphs(f, st, g.name);
        }
    }
    if (st.groups.size() >= 2) {
        append_genome_trailer(gi.get());
        append_genome_trailer(gp.get());
    }
    (void)included;
}

void append_genome_trailer(std::FILE* f)
{
    section(f, "Chart Options");
    std::fprintf(f, "\nVersion=22");
    section(f, "Page Setup");
    std::fprintf(f, "\nPageOrientation=1\nLeftMargin=500\nRightMargin=500\nTopMargin=500\nBottomMargin=500");
    section(f, "Title&Footer");
    std::fprintf(f, "\nTitleBottom=0");
    section(f, "Page layout");
    std::fprintf(f, "\nMultipleBars=1\nChromSpacing=500\nChromWidthMethod=0\nFixChromWidth=7000");
    section(f, "Bars");
    std::fprintf(f, "\nMaxBarLength=17000\nBarWidth=100\nIndicatorWidth=100");
    section(f, "Loci");
    std::fprintf(f, "\nLocusFontSize=5\nDecimals=3");
    section(f, "QTLs&Graphs");
    std::fprintf(f, "\nQTLFontSize=5\nQTLBarWidth=100\nYaxisFontSize=5\nYaxisLength=2500\nSymbolSize=100\nShowLegend=0");
    section(f, "Colors&Lines");
    std::fprintf(f, "\nLineWidth=30\nBoldLineWidth=60");
}

void append_trace_trailer(std::FILE* f)
{
    section(f, "Chart Options");
    std::fprintf(f, "\nVersion=22");
    std::fprintf(f, "\n[Page Setup]");
    std::fprintf(f, "\nPageSize=0\nPageOrientation=1\nLeftMargin=1000\nRightMargin=1000\nTopMargin=1000\nBottomMargin=1000");
    section(f, "QTLs&Graphs");
    std::fprintf(f, "\nYaxisFixedLength=1\nYaxisLength=20000\nYaxisFontSize=10\nRoundGraphPoints=0");
    section(f, "Title&Footer");
    std::fprintf(f, "\nChartTitle=Trace of samples of QTL positions (Map versus Markov chain)");
    std::fprintf(f, "\nTitleMethod=1\nTitleFontName=Arial\nTitleFontSize=16\nTitleBottom=0");
    section(f, "Bars");
    std::fprintf(f, "\nMaxBarLength=14000");
    std::fprintf(f, "\n[Loci]\nDecimals=3");
}

void append_parameter_trailer(std::FILE* f)
{
    section(f, "Chart Options");
    std::fprintf(f, "\nVersion=22");
    section(f, "Page Setup");
    std::fprintf(f, "\nPageOrientation=1\nLeftMargin=500\nRightMargin=500\nTopMargin=500\nBottomMargin=500");
    section(f, "Title&Footer");
    std::fprintf(f, "\nTitleBottom=100\nNamesFontSize=10\nNamesBottom=100");
    section(f, "Page layout");
    std::fprintf(f, "\nMultipleBars=1\nChromSpacing=100\nFixChromWidth=7000");
    section(f, "Bars");
    std::fprintf(f, "\nMaxBarLength=16000\nBarWidth=100\nIndicatorWidth=100");
    section(f, "Loci");
    std::fprintf(f, "\nLocusFontSize=8\nDecimals=3");
    section(f, "QTLs&Graphs");
    std::fprintf(f, "\nQTLFontSize=8\nQTLBarWidth=300\nYaxisFontSize=8\nYaxisLength=11000\nSymbolSize=100\nLegendFontSize=8");
    section(f, "Colors&Lines");
    std::fprintf(f, "\nLineWidth=50\nBoldLineWidth=100");
}

}  // namespace rvn
