// Named designs: small line crosses for quick checks, a fruit-tree pedigree
// with multi-allelic markers, and a large outbred population for benchmarks.
#include <utility>

#include "tools/simulate/simulate.h"

namespace vsim {

namespace {

struct Preset {
    PresetInfo info;
    std::vector<std::pair<const char*, const char*>> settings;
};

const std::vector<Preset>& preset_table()
{
    static const std::vector<Preset> table{
        {{"f2-tiny", "F2 of 60 on one 60 cM group, 7 SNPs, one QTL explaining 30%; short chain (smoke tests)"},
         {{"design", "f2"}, {"offspring", "60"}, {"chromosomes", "60"}, {"marker-spacing", "10"},
          {"qtl", "chr=1,pos=25,share=0.3"}, {"length", "200"}, {"thinning", "5"}}},
        {{"f2-small", "F2 of 200, two 100 cM groups, SNPs every 10 cM, two QTL (15% and 10%)"},
         {{"design", "f2"}, {"offspring", "200"}, {"chromosomes", "100,100"}, {"marker-spacing", "10"},
          {"missing-markers", "0.02"}, {"qtl", "chr=1,pos=35,share=0.15,dom=0.5"},
          {"qtl", "chr=2,pos=72,share=0.10"}}},
        {{"backcross", "backcross of 150 to the first parent, two 100 cM groups, two QTL"},
         {{"design", "backcross"}, {"offspring", "150"}, {"chromosomes", "100,100"}, {"marker-spacing", "10"},
          {"qtl", "chr=1,pos=42,share=0.15"}, {"qtl", "chr=2,pos=15,share=0.10"}}},
        {{"dh", "150 doubled haploids, three 80 cM groups, two QTL"},
         {{"design", "dh"}, {"offspring", "150"}, {"chromosomes", "80,80,80"}, {"marker-spacing", "10"},
          {"qtl", "chr=1,pos=20,share=0.2"}, {"qtl", "chr=3,pos=55,share=0.1"}}},
        {{"ril", "150 recombinant inbred lines after 6 selfings, two 100 cM groups, two QTL"},
         {{"design", "ril"}, {"offspring", "150"}, {"ril-generations", "6"}, {"chromosomes", "100,100"},
          {"marker-spacing", "10"}, {"qtl", "chr=1,pos=58,share=0.2"}, {"qtl", "chr=2,pos=30,share=0.1"}}},
        {{"f2-two-traits", "F2 of 300 with two correlated traits, a pleiotropic QTL, nuisance factors, missing phenotypes"},
         {{"design", "f2"}, {"offspring", "300"}, {"chromosomes", "120,90"}, {"marker-spacing", "10"},
          {"traits", "2"}, {"trait-names", "height,yield"}, {"mean", "100,20"},
          {"residual-cov", "4,0.8,0.8,1"}, {"qtl", "chr=1,pos=40,share=0.15/0.10,dom=0.3"},
          {"qtl", "chr=2,pos=60,share=0/0.15"}, {"fixed", "3:1.0"}, {"random", "6:0.5"},
          {"missing-phenotypes", "0.05"}, {"missing-markers", "0.02"}}},
        {{"fruit-tree", "outbred full-sib families over 3 generations from 6 founders, multi-allelic markers, "
                        "null alleles, shuffled pedigree, two traits"},
         {{"design", "outbred"}, {"founders", "6"}, {"generations", "3"}, {"families", "3"},
          {"offspring", "40"}, {"intermediate-offspring", "10"}, {"parents-kept", "2"}, {"cohort", "family"},
          {"shuffle", "0.3"}, {"phenotype-founders", "1"}, {"chromosomes", "80,80,60"}, {"marker-spacing", "10"},
          {"marker-type", "multi"}, {"alleles", "5"}, {"missing-markers", "0.03"}, {"genotype-errors", "0.005"},
          {"null-alleles", "0.1"}, {"traits", "2"}, {"trait-names", "firmness,acidity"}, {"mean", "7,5"},
          {"residual-cov", "1,0.3,0.3,1"}, {"polygenic-share", "0.15"},
          {"qtl", "chr=1,pos=30,share=0.2/0,freq=0.4,dom=0.5"}, {"qtl", "chr=3,pos=45,share=0.1/0.2,freq=0.3"},
          // Eight levels: sampling a two-trait covariance needs at least five.
          {"fixed", "2:0.5"}, {"random", "8:0.3"}}},
        {{"outbred-medium", "50 founders, 3 generations of 20 full-sib families (50 offspring at the end), "
                            "five 150 cM groups, SNPs every 5 cM, five QTL, polygenic background"},
         {{"design", "outbred"}, {"founders", "50"}, {"generations", "3"}, {"families", "20"},
          {"offspring", "50"}, {"intermediate-offspring", "10"}, {"parents-kept", "2"},
          {"chromosomes", "150,150,150,150,150"}, {"marker-spacing", "5"}, {"missing-markers", "0.02"},
          {"genotype-errors", "0.002"}, {"polygenic-share", "0.2"},
          {"qtl", "chr=1,pos=40,share=0.08"}, {"qtl", "chr=2,pos=110,share=0.06,dom=0.5"},
          {"qtl", "chr=3,pos=75,share=0.05,freq=0.3"}, {"qtl", "chr=4,pos=20,share=0.04"},
          {"qtl", "chr=5,pos=130,share=0.03,freq=0.2"}}},
        {{"outbred-large", "benchmark: 10,100 individuals (100 founders, 3 generations of 50 full-sib families, "
                           "160 offspring at the end), 2,000 SNPs on ten 120 cM groups, six QTL, polygenic background"},
         {{"design", "outbred"}, {"founders", "100"}, {"generations", "3"}, {"families", "50"},
          {"offspring", "160"}, {"intermediate-offspring", "20"}, {"parents-kept", "2"},
          {"chromosomes", "120,120,120,120,120,120,120,120,120,120"}, {"markers", "200"},
          {"missing-markers", "0.02"}, {"genotype-errors", "0.002"}, {"polygenic-share", "0.2"},
          {"qtl", "chr=1,pos=40,share=0.08"}, {"qtl", "chr=2,pos=95,share=0.06,dom=0.5"},
          {"qtl", "chr=4,pos=75,share=0.05,freq=0.3"}, {"qtl", "chr=6,pos=20,share=0.04"},
          {"qtl", "chr=8,pos=110,share=0.03,freq=0.2"}, {"qtl", "chr=10,pos=60,share=0.03,dom=-0.5"}}},
    };
    return table;
}

}  // namespace

const std::vector<PresetInfo>& presets()
{
    static const std::vector<PresetInfo> infos = [] {
        std::vector<PresetInfo> v;
        for (const Preset& p : preset_table()) v.push_back(p.info);
        return v;
    }();
    return infos;
}

Design preset_design(const std::string& name)
{
    for (const Preset& p : preset_table()) {
        if (p.info.name != name) continue;
        Design d;
        d.name = name;
        for (const auto& [key, value] : p.settings) apply_setting(d, key, value);
        return d;
    }
    throw SimError("unknown preset '" + name + "' (see --list-presets)");
}

}  // namespace vsim
