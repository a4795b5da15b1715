// Trace charts: the genetic-parameter chains and their marginal posterior
// densities ("VC.lnd" with "VC<k>.asc" and "VCmpd<k>.asc"), and the QTL
// positions along the chain per slot ("traceQ<q>.asc", "C<group>t.lnd",
// "genomet.lnd").
#pragma once

#include "post/state.h"

namespace rvn {

void write_parameter_charts(const PostState& st);
void write_qtl_trace_charts(const PostState& st);

}  // namespace rvn
