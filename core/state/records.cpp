// Definitions of the process-wide analysis records and their start values.
#include "core/state/records.h"

namespace vsk {

Par par;
std::vector<Obs> obs;
Phe phe;
Mrk mrk;
std::vector<Chr> chr;
std::vector<Mrkrlcs> mrkrlcs;
std::vector<Mrkrlcs2> mrkrlcs2;
std::vector<Gene> gene;
std::vector<Gene> tempgene;
std::vector<Polygene> polygene;
std::vector<FinalProgRec> FinalProg;
Boundary boundary;
MarkerPhases mph;

Table<std::int8_t> GPOarray0;
Table<std::int8_t> GPOarray1;

std::string PNTstring;
int PNTheld = 0;

double twinv[14] = {};
int acc_pos[24] = {};
int acc_RJqtl[4] = {};
int acc_RJfpm[4] = {};
int acc_PVqtl[4] = {};

int ECCount = 0;
std::vector<int> ECSizes;
std::vector<std::string> ECNames;

std::string project_parF = "voskara.par";
std::string project_dirF;
int iseed = -123;
int skipP = 1000;
int REDprint = 0;
int VARgroup = 0;
int RJSdebug = 0;
int MRKdebug = 0;
int TIMnumrm = 0;

}  // namespace vsk
