// Entry of voskara_chains: several chains of one project, here or on Slurm.
#include <cstdio>

#include "tools/chains/app.h"

int main(int argc, char** argv) { return vch::run_chains_cli(argc, argv, stdout, stderr); }
