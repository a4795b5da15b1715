// Entry of voskara_simulate: writes simulated breeding projects with known QTL.
#include <cstdio>

#include "tools/simulate/cli.h"

int main(int argc, char** argv) { return vsim::run_simulate_cli(argc, argv, stdout, stderr); }
