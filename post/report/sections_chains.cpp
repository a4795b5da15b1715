// Report section of several pooled chains: R-hat and bulk and tail ESS per
// quantity, flagged where they fall short, and the verdict.
#include <cmath>

#include "post/report/sections.h"
#include "post/report/svg.h"

namespace rvn::report {

namespace {

std::string number_cell(double v, int decimals)
{
    return "<td class=\"num\">" + (std::isnan(v) ? std::string("-") : format("%.*f", decimals, v)) + "</td>";
}

}  // namespace

std::string chains_section(const PostState&, const ReportInputs& in)
{
    if (in.chain_count < 1) return "";
    std::string rows;
    for (const QuantityConvergence& q : in.convergence) {
        if (q.c.constant) continue;
        const bool flagged = std::isnan(q.c.rhat) || q.c.rhat >= kRhatLimit || !(q.c.ess_bulk >= kEssLimit) ||
                             !(q.c.ess_tail >= kEssLimit);
        rows += std::string("<tr") + (flagged ? " class=\"flag\"" : "") + "><td>" + escape(q.name) + "</td>" +
                number_cell(q.c.rhat, 4) + number_cell(q.c.ess_bulk, 0) + number_cell(q.c.ess_tail, 0) +
                "</tr>";
    }
    return "<section id=\"chains\"><h2>Several chains</h2><p>" + format("%d", in.chain_count) +
           " chains pooled after a common burn-in. Rank-normalised split R-hat (below " + format("%.2f", kRhatLimit) +
           ") and bulk and tail effective sample sizes (at least " + format("%.0f", kEssLimit) +
           ") across the chains; quantities that fall short are flagged.</p><p><strong>" + escape(in.verdict) +
           "</strong></p><table class=\"data\"><thead><tr><th>quantity</th><th>R-hat</th><th>ESS bulk</th>"
           "<th>ESS tail</th></tr></thead><tbody>" +
           rows + "</tbody></table></section>";
}

}  // namespace rvn::report
