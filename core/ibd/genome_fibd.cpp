// "genomeFIBD.flx": the IBD probabilities among the exported individuals at
// every IBD position, in the layout of a founder relationship file, so that
// a later QTL analysis can take these individuals as its related founders.
#include "core/ibd/ibd.h"

namespace vsk {

namespace {

constexpr const char* kGenomeFile = "genomeFIBD.flx";
constexpr double kMarkerMargin = 1e-6;

// IBD positions inside an analysed linkage group's marker span (± 1e-6).
std::vector<double> listed_positions(const QtlModel& m)
{
    std::vector<double> kept;
    for (double pos : m.p.pos_ibd) {
        for (const Chr& ch : m.chr) {
            if (ch.indiC != 1 || ch.fMrkr < 0) continue;
            const double first = m.mrk[static_cast<std::size_t>(ch.fMrkr)].position;
            const double last = m.mrk[static_cast<std::size_t>(ch.lMrkr)].position;
            if (pos >= first - kMarkerMargin && pos <= last + kMarkerMargin) {
                kept.push_back(pos);
                break;
            }
        }
    }
    return kept;
}

}  // namespace

void write_genome_header(const QtlModel& m, IbdCounts& c)
{
    File out = open_ibd_output(kGenomeFile, "w");
    std::FILE* f = out.get();
    const int n = static_cast<int>(c.exported.size());
    std::fprintf(f, "\n;nanc %d", n);
    std::fprintf(f, "\nnind %d", n);
    std::fprintf(f, "\nindnr \tindname");
    for (int a = 0; a < n; ++a)
        std::fprintf(f, "\n%d \t%s", a + 1, m.o[static_cast<std::size_t>(c.exported[static_cast<std::size_t>(a)] - 1)].name.c_str());
    const std::vector<double> kept = listed_positions(m);
    std::fprintf(f, "\n\nnpos %d", static_cast<int>(kept.size()));
    std::fprintf(f, "\nposnr \tchr \t posmap");
    for (int k = 0; k < static_cast<int>(kept.size()); ++k)
        std::fprintf(f, "\n%5d \t%3d \t%8.2lf", k, ibd_chromosome_number(kept[static_cast<std::size_t>(k)]),
                     ibd_position_cm(kept[static_cast<std::size_t>(k)]));
    if (m.p.inbred_pop == 1) std::fprintf(f, "\n\ninbred 1\n");
    c.genome_header = true;
}

void append_genome_block(const QtlModel& m, IbdCounts& c, double pos)
{
    File out = open_ibd_output(kGenomeFile, "a");
    std::FILE* f = out.get();
    const int n = static_cast<int>(c.exported.size());
    ++c.genome_blocks;
    if (m.p.inbred_pop == 1) {
        std::fprintf(f, "\n; posnr chr posmap: %4d %-3d %.2lf", c.genome_blocks, ibd_chromosome_number(pos), ibd_position_cm(pos));
        for (int a = 0; a < n; ++a) {
            std::fprintf(f, "\n");
            for (int b = 0; b < n; ++b) {
                long long sum = 0;
                for (int s = 0; s < 2; ++s)
                    for (int t = 0; t < 2; ++t) sum += gametic_count(c, a, s, b, t);
                put_gametic_value(f, sum, c.sweeps, 4);
            }
        }
        std::fprintf(f, "\n");
        return;
    }
    std::fprintf(f, "\n; %4d: LG%-3d POS %.2lf", c.genome_blocks, ibd_chromosome_number(pos), ibd_position_cm(pos));
    int row = 0;
    for (int a = 0; a < n; ++a) {
        for (int s = 0; s < 2; ++s) {
            std::fprintf(f, "\n%5s", "");
            for (int b = 0; b < n; ++b) {
                std::fprintf(f, " ");
                for (int t = 0; t < 2; ++t) put_gametic_value(f, gametic_count(c, a, s, b, t), c.sweeps, 1);
            }
            ++row;
            if (s == 0) std::fprintf(f, "   ;(%d) %s", row, m.o[static_cast<std::size_t>(c.exported[static_cast<std::size_t>(a)] - 1)].name.c_str());
            else std::fprintf(f, "   ;(%d) ", row);
        }
    }
    std::fprintf(f, "\n");
}

}  // namespace vsk
