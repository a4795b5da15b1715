// Initialisers the console program calls once the data file has fixed the
// sizes of the phenotype text, descendant lists, founder and cohort lists,
// genotype-writing list and IBD positions. (The nuisance effects table is
// sized by the residual module's InitNuisanceEffects.)
#include <cstring>

#include "core/state/allocation.h"
#include "core/voskara.h"

namespace vsk {

namespace {
constexpr int kNoDescendant = -1;
}  // namespace

void InitPNTstring(std::size_t size) { PNTstring.assign(size, '\0'); }

// Copies `text` into the phenotype text at byte `offset` and returns the
// number of characters written. The text must fit with a terminating NUL
// behind it; otherwise nothing is written and -1 is returned (never a write
// beyond the buffer).
int AddPNTstring(std::size_t offset, const std::string& text)
{
    if (offset >= PNTstring.size() || text.size() > PNTstring.size() - offset - 1) return -1;
    std::memcpy(PNTstring.data() + offset, text.data(), text.size());
    PNTstring[offset + text.size()] = '\0';
    return static_cast<int>(text.size());
}

void FreePNTstring()
{
    release(PNTstring);
    PNTheld = 0;
}

void InitDescendants(int n, int m)
{
    par.n_descv = n;
    par.n_descFP = m;
    if (n != 0) alloc_tagged(par.descv, "init_descv()", static_cast<long>(n) + 1, kNoDescendant);
    if (m != 0) alloc_tagged(par.descFP, "init_descFP()", static_cast<long>(m) + 1, kNoDescendant);
}

void InitFPMating(int n, int m)
{
    alloc_tagged(FinalProg, "InitFPMating()", n);
    for (FinalProgRec& rec : FinalProg) {
        alloc_tagged(rec.members, "InitFPMating", m, 0);
        rec.count0 = rec.count1 = 0;
    }
}

void InitFounder() { par.founders.assign(par.n_founders > 0 ? par.n_founders : 0, 0); }

void Initlcohort()
{
    const int n = par.n_cohorts > 0 ? par.n_cohorts : 0;
    par.lcohort.assign(n, 0);
    par.lcohort_count.assign(n, 0);
}

void Initlwrtgtp(int n) { par.lwrtgtp.assign(n > 0 ? n : 0, 0); }

void InitListPosIBD() { par.pos_ibd.assign(par.n_pos_ibd > 0 ? par.n_pos_ibd : 0, 0.0); }

}  // namespace vsk
