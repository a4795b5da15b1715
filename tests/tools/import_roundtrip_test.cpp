// Round trips with the simulator: a simulated population exported in a field
// format and imported again gives the simulator's own project, with allele
// words relabelled per marker, and the analysis reads both alike.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <sstream>

#include "support/test_support.h"
#include "tools/project_check.h"

using testsupport::program;
using testsupport::run_command;
using testsupport::TempDir;

namespace {

using Words = std::vector<std::string>;

// Allele words of one marker in both projects: a one-to-one relabelling.
class Relabel {
public:
    bool compatible(const std::string& a, const std::string& b) const
    {
        const auto f = fwd_.find(a);
        if (f != fwd_.end()) return f->second == b;
        return bwd_.find(b) == bwd_.end();
    }
    void bind(const std::string& a, const std::string& b)
    {
        fwd_[a] = b;
        bwd_[b] = a;
    }
    // A genotype of each project, paired in the given order (0 or 1).
    bool match_in_order(const std::string& i1, const std::string& i2, const std::string& s1, const std::string& s2,
                        int order)
    {
        if ((i1 == i2) != (s1 == s2)) return false;
        const std::string& x = order ? s2 : s1;
        const std::string& y = order ? s1 : s2;
        if (!compatible(i1, x) || !compatible(i2, y) || (i1 == i2 && x != y)) return false;
        bind(i1, x);
        bind(i2, y);
        return true;
    }
    // An unordered genotype of each project; true when they correspond.
    bool match(const std::string& i1, const std::string& i2, const std::string& s1, const std::string& s2)
    {
        return match_in_order(i1, i2, s1, s2, 0) || match_in_order(i1, i2, s1, s2, 1);
    }

private:
    std::map<std::string, std::string> fwd_, bwd_;
};

// Several genotypes matched together: every pairing order is tried, so two
// heterozygous parents find their one consistent labelling.
bool match_all(Relabel& relabel, const std::vector<std::vector<std::string>>& genotypes, std::size_t k = 0)
{
    if (k == genotypes.size()) return true;
    const auto& g = genotypes[k];
    for (int order = 0; order < 2; ++order) {
        Relabel trial = relabel;
        if (trial.match_in_order(g[0], g[1], g[2], g[3], order) && match_all(trial, genotypes, k + 1)) {
            relabel = trial;
            return true;
        }
    }
    return false;
}

struct Project {
    simtest::ProjectCheck check;
    std::map<std::string, Words> lines;  // by name
    std::vector<std::string> order;      // names in file order
    std::map<std::string, std::size_t> marker;  // column of each marker (first allele word)
};

Project read_project(const std::filesystem::path& dir)
{
    Project p{simtest::check_project(dir), {}, {}, {}};
    for (const auto& l : p.check.data) {
        p.lines[l.words.at(1)] = l.words;
        p.order.push_back(l.words.at(1));
    }
    std::size_t column = 4 + static_cast<std::size_t>(std::atoi(p.check.parameters.at("ncolN").c_str()) +
                                                      std::atoi(p.check.parameters.at("ncolT").c_str()));
    std::istringstream map(testsupport::read_file(dir / "voskara.map"));
    std::string line;
    while (std::getline(map, line)) {
        const Words w = simtest::effective_words(line);
        if (w.size() == 2 && w[0] != "group" && w[0] != "chromosome") p.marker[w[0]] = column, column += 2;
    }
    return p;
}

struct Comparison {
    long genotypes = 0;     // genotypes compared
    long known_only_here = 0;  // founders whose genotype the import infers from the coding
    long lost = 0;          // scored in the simulation, missing after the import
    long founder_differs = 0;  // founder scores with a simulated genotyping error
    std::vector<std::string> problems;
};

// Compares every imported line with the simulated line of the same name
// (`rename` maps imported names to simulated ones): cohort, parents,
// nuisance and trait words (`founders_phenotyped` false skips founders'),
// and the genotypes of every imported marker.
Comparison compare(const Project& imp, const Project& sim, const std::map<std::string, std::string>& rename,
                   bool parents_first)
{
    Comparison c;
    auto sim_name = [&](const std::string& n) {
        const auto it = rename.find(n);
        return it == rename.end() ? n : it->second;
    };
    const std::size_t first_marker = 4 + static_cast<std::size_t>(std::atoi(imp.check.parameters.at("ncolN").c_str()) +
                                                                  std::atoi(imp.check.parameters.at("ncolT").c_str()));
    for (const auto& [name, column] : imp.marker) {
        const auto sim_column = sim.marker.find(name);
        if (sim_column == sim.marker.end()) {
            c.problems.push_back("marker " + name + " not simulated");
            continue;
        }
        Relabel relabel;
        // Offspring homozygotes first, so the labels are known before
        // heterozygotes; founders and F1 of a line cross last: the import
        // infers their genotypes from the coding, the simulation scores them
        // with errors. The parents of a full-sib family come first: their
        // scores set the segregation type.
        for (int pass : parents_first ? std::vector<int>{2, 0, 1} : std::vector<int>{0, 1, 2}) {
            std::vector<std::vector<std::string>> parents;
            for (const std::string& n : imp.order) {
                const Words& i = imp.lines.at(n);
                const auto s_it = sim.lines.find(sim_name(n));
                if (s_it == sim.lines.end()) continue;
                const Words& s = s_it->second;
                const std::string &i1 = i[column], &i2 = i[column + 1];
                const std::string &s1 = s[sim_column->second], &s2 = s[sim_column->second + 1];
                const bool founder = i[2] == "0" || i[1].rfind("F1", 0) == 0;
                if (founder != (pass == 2) || (pass < 2 && (i1 == i2) != (pass == 0))) continue;
                ++c.genotypes;
                if (i1 == "-" && i2 == "-" && s1 != "-") ++c.lost;
                else if (s1 == "-" && s2 == "-" && (i1 == "-" || founder)) c.known_only_here += i1 != "-";
                else if (founder && parents_first) parents.push_back({i1, i2, s1, s2});
                else if (!relabel.match(i1, i2, s1, s2)) {
                    if (founder) ++c.founder_differs;
                    else c.problems.push_back(n + " " + name + ": " + i1 + " " + i2 + " vs " + s1 + " " + s2);
                }
            }
            if (!match_all(relabel, parents)) c.founder_differs += static_cast<long>(parents.size());
        }
    }
    for (const std::string& n : imp.order) {
        const Words& i = imp.lines.at(n);
        const auto s_it = sim.lines.find(sim_name(n));
        if (s_it == sim.lines.end()) {
            c.problems.push_back("individual " + n + " not simulated");
            continue;
        }
        const Words& s = s_it->second;
        if (i[0] != s[0]) c.problems.push_back(n + ": cohort " + i[0] + " vs " + s[0]);
        if (sim_name(i[2]) != s[2] || sim_name(i[3]) != s[3]) c.problems.push_back(n + ": parents " + i[2] + " " + i[3]);
        const bool founder = i[2] == "0";
        if (!founder && i[1].rfind("F1", 0) != 0 && !Words(i.begin() + 4, i.begin() + static_cast<long>(first_marker))
                                                         .empty() &&
            Words(i.begin() + 4, i.begin() + static_cast<long>(first_marker)) !=
                Words(s.begin() + 4, s.begin() + static_cast<long>(first_marker)))
            c.problems.push_back(n + ": nuisance or trait words differ");
    }
    return c;
}

std::string joined(const std::vector<std::string>& v)
{
    std::string t;
    for (const auto& s : v) t += s + "\n";
    return t.substr(0, 2000);
}

// The analysis's report up to the chain with the project path, the echoed
// first and last file lines and the date left out.
// The report of the inputs as read, up to the marker coding: the importer
// relabels alleles per marker (documented), so the allele codes and the
// phasing tie-breaks that follow them may differ.
std::string input_report(const std::string& output, const std::string& dir)
{
    std::istringstream in(output.substr(0, std::min(output.find("START  MARKOV"), output.find("CODE MARKER ALLELES"))));
    std::string line, report;
    bool skip_next = false;
    for (int k = 0; std::getline(in, line); ++k) {
        const bool echo = line.rfind("first_line", 0) == 0 || line.rfind("last_line", 0) == 0;
        if (k > 0 && !skip_next && !echo && line.find(dir) == std::string::npos) report += line + "\n";
        skip_next = echo;
    }
    return report;
}

int count_after(const std::string& output, const std::string& label)
{
    const auto at = output.find(label);
    return at == std::string::npos ? -1 : std::atoi(output.c_str() + at + label.size());
}

std::string shorten_chain(const std::string& dir)
{
    return " && sed -i 's/^length .*/length 20/; s/^thinning .*/thinning 5/' " + dir + "/voskara.par";
}

}  // namespace

TEST(ImportEndToEnd, RqtlRoundTripOfEveryLineCross)
{
    struct Case {
        std::string preset, cross, extra, import_extra;
    };
    const std::vector<Case> cases{
        {"f2-two-traits", "f2", "--offspring 60", "--nuisance fixed1,random1:random"},
        {"backcross", "bc", "--offspring 40 --missing-markers 0.05", ""},
        {"dh", "dh", "--offspring 40 --genotype-errors 0.02", ""},
        {"ril", "riself", "--offspring 20 --ril-generations 4", "--ril-generations 4"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string sim = (dir / "sim").string(), imp = (dir / "imp").string();
        const auto s = run_command(program("voskara_simulate") + " --preset " + c.preset + " --seed 5 --out " + sim +
                                   " --export rqtl " + c.extra);
        ASSERT_EQ(s.exit_code, 0) << s.output;
        const auto i = run_command(program("voskara_import") + " rqtl --cross " + c.cross + " " + sim +
                                   "/cross.csv --seed 54 --out " + imp + " " + c.import_extra);
        ASSERT_EQ(i.exit_code, 0) << i.output;
        const Project ps = read_project(sim), pi = read_project(imp);
        ASSERT_TRUE(pi.check.ok()) << pi.check.report();
        for (const char* key : {"ncolT", "namesT", "ncolN", "indiN", "namesN", "nchrom", "mrkrC", "domGENE", "seed"})
            EXPECT_EQ(pi.check.parameters.at(key), ps.check.parameters.at(key)) << c.preset << " " << key;
        EXPECT_EQ(pi.check.map_positions, ps.check.map_positions) << c.preset;
        EXPECT_EQ(pi.lines.size(), ps.lines.size()) << c.preset;
        const Comparison cmp = compare(pi, ps, {{"F1", "F1_1"}}, false);
        EXPECT_TRUE(cmp.problems.empty()) << c.preset << "\n" << joined(cmp.problems);
        EXPECT_GT(cmp.genotypes, 0) << c.preset;
        // Only genotyping errors that give an allele neither founder carries are lost.
        if (c.preset != "dh") {
            EXPECT_EQ(cmp.lost, 0) << c.preset;
            EXPECT_EQ(cmp.founder_differs, 0) << c.preset;
        }
        EXPECT_LT(cmp.lost, cmp.genotypes / 50) << c.preset;
    }
}

TEST(ImportEndToEnd, RqtlRoundTripGivesTheSameInputReport)
{
    TempDir dir;
    const std::string sim = (dir / "sim").string(), imp = (dir / "imp").string();
    ASSERT_EQ(run_command(program("voskara_simulate") + " --preset f2-tiny --seed 3 --out " + sim +
                          " --export rqtl --missing-markers 0.05" + shorten_chain(sim))
                  .exit_code,
              0);
    ASSERT_EQ(run_command(program("voskara_import") + " rqtl --cross f2 " + sim + "/cross.csv --seed 34 --out " + imp +
                          shorten_chain(imp))
                  .exit_code,
              0);
    const auto rs = run_command(program("voskara_console") + " -d " + sim);
    const auto ri = run_command(program("voskara_console") + " -d " + imp);
    ASSERT_EQ(rs.exit_code, 0) << rs.output;
    ASSERT_EQ(ri.exit_code, 0) << ri.output;
    const std::string report = input_report(ri.output, imp);
    EXPECT_EQ(count_after(report, "Number of individuals"), 63) << report;
    EXPECT_EQ(report, input_report(rs.output, sim));
}

TEST(ImportEndToEnd, CpRoundTripOfAFullSibFamily)
{
    TempDir dir;
    const std::string sim = (dir / "sim").string(), imp = (dir / "imp").string();
    const auto s = run_command(program("voskara_simulate") + " --preset fruit-tree --seed 4 --out " + sim +
                               " --founders 2 --generations 1 --families 1 --offspring 60 --shuffle 0 --cohort "
                               "generation --null-alleles 0 --genotype-errors 0.01 --export cp" +
                               shorten_chain(sim));
    ASSERT_EQ(s.exit_code, 0) << s.output;
    const std::string loc = testsupport::read_file(dir / "sim" / "cross.loc");
    const std::string family = loc.substr(loc.find("family ") + 7, loc.find('\n') - loc.find("family ") - 7);
    const std::string parents = family.substr(0, family.find(' ')) + "," + family.substr(family.rfind(' ') + 1);
    const auto i = run_command(program("voskara_import") + " cp --loc " + sim + "/cross.loc --map " + sim +
                               "/cross.map --phenotypes " + sim + "/cross_phenotypes.csv --parents " + parents +
                               " --nuisance fixed1,random1:random --out " + imp + shorten_chain(imp));
    ASSERT_EQ(i.exit_code, 0) << i.output;
    const Project ps = read_project(sim), pi = read_project(imp);
    ASSERT_TRUE(pi.check.ok()) << pi.check.report();
    EXPECT_EQ(pi.lines.size(), 62u);
    EXPECT_GT(pi.marker.size(), ps.marker.size() / 2);
    for (const char* key : {"ncolT", "namesT", "ncolN", "indiN", "namesN", "nchrom"})
        EXPECT_EQ(pi.check.parameters.at(key), ps.check.parameters.at(key)) << key;
    const Comparison cmp = compare(pi, ps, {}, true);
    EXPECT_TRUE(cmp.problems.empty()) << joined(cmp.problems);
    // Offspring scores that fit no parental combination are the only losses.
    const auto at = s.output.find("markers (");
    ASSERT_NE(at, std::string::npos);
    const long exported_missing = std::atol(s.output.c_str() + s.output.find("), ", at) + 3);
    EXPECT_EQ(cmp.lost, exported_missing);
    EXPECT_EQ(cmp.founder_differs, 0);
    const auto run = run_command(program("voskara_console") + " -d " + imp);
    EXPECT_EQ(run.exit_code, 0) << run.output.substr(run.output.size() > 3000 ? run.output.size() - 3000 : 0);
    EXPECT_EQ(count_after(run.output, "Number of founders"), 2);
    EXPECT_EQ(count_after(run.output, "Number of individuals"), 62);
}

TEST(ImportEndToEnd, ExportsRefuseDesignsTheirFormatCannotHold)
{
    TempDir dir;
    const std::vector<std::pair<std::string, std::string>> cases{
        {"--preset fruit-tree --export rqtl", "--export rqtl: needs an f2, backcross, dh or ril design"},
        {"--preset f2-tiny --families 2 --export rqtl", "--export rqtl: needs a single line cross"},
        {"--preset f2-tiny --line-cross 0 --export rqtl", "--export rqtl: needs founders that differ"},
        {"--preset fruit-tree --export cp", "--export cp: needs one outbred full-sib family"},
        {"--preset f2-tiny --export csv", "--export csv: rqtl or cp"},
    };
    for (const auto& [args, message] : cases) {
        const auto out = dir / "never";
        const auto r = run_command(program("voskara_simulate") + " " + args + " --out " + out.string());
        EXPECT_EQ(r.exit_code, 1) << args;
        EXPECT_NE(r.output.find(message), std::string::npos) << r.output;
        EXPECT_FALSE(std::filesystem::exists(out)) << args;
    }
}
