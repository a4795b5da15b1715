// Entry of voskara_import: projects from R/qtl crosses and outbred full-sib
// (CP) locus files.
#include <cstdio>

#include "tools/import/cli.h"

int main(int argc, char** argv) { return vimp::run_import_cli(argc, argv, stdout, stderr); }
