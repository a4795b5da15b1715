// Genomic values of the written individuals against plain loops over the
// sample rows, their CSV files, the pedigree groups of the figures and the
// PNG figures themselves.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "post/console.h"
#include "post/genomic_values.h"
#include "post/intensity.h"
#include "post/pedigree_sets.h"
#include "post/plots/figures.h"
#include "post/plots/png_plot.h"
#include "post/qtl_state.h"
#include "post/ruvane.h"
#include "post/sample_project.h"
#include "support/test_support.h"

namespace {

using posttest::QtlStateDesign;

struct GbvRun {
    testsupport::TempDir dir;
    testsupport::CapturedStream out;
    rvn::PostState st;
    explicit GbvRun(unsigned seed, int T = 1)
    {
        QtlStateDesign d;
        d.seed = seed;
        d.T = T;
        d.hotspots = {100.12, 200.30, 200.05};
        st = posttest::qtl_state(d, dir);
        rvn::set_console_stream(out.stream());
        st.names = {"a", "b", "c", "d"};
        st.print_flag = {1, 1, 0, 1};
        rvn::count_qtl_per_bin(st);
    }
    ~GbvRun() { rvn::set_console_stream(nullptr); }
};

// Plain-loop oracle: the mean over post-burn-in rows of individual i's
// value on group g (g = -1: all groups), counting only QTL whose bin has
// 2 ln(BF) > 2 when `bf`.
double oracle(const rvn::PostState& st, int i, int t, int g, bool bf)
{
    const int T = st.par.n_traits, W = st.s.geno_per_slot;
    double sum = 0.0;
    for (int r = st.burnin; r < st.s.n(); ++r)
        for (int q = 0; q < st.par.maximQTL; ++q) {
            const double pos = st.s.qtl_position(r, q);
            if (pos <= 1.0) continue;
            const int group = static_cast<int>(pos / 100.0 + 1e-9) - 1;
            if (g >= 0 && group != g) continue;
            const rvn::ChromGroup& cg = st.groups[group];
            const int bin = static_cast<int>(std::floor((pos - 100.0 * (group + 1)) * 100.0 + 1e-6));
            const double ratio = rvn::bin_bayes_factor(cg.density[bin], rvn::prior_intensity(st, group, bin));
            if (bf && !(ratio > 2.0)) continue;
            const double* slot = st.s.qtl[r] + q * st.s.S;
            const int c = st.s.qtl_geno[r][q * W + i];
            sum += (c == 0 ? slot[1 + t] : c == 3 ? -slot[1 + t] : 0.0) + (c == 1 || c == 2 ? slot[1 + T + t] : 0.0);
        }
    return sum / st.n_post;
}

std::vector<std::vector<std::string>> csv_rows(const std::filesystem::path& path)
{
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(testsupport::read_file(path));
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> items;
        std::stringstream cells(line);
        for (std::string c; std::getline(cells, c, ',');) items.push_back(c);
        rows.push_back(items);
    }
    return rows;
}

TEST(GenomicValues, AllQtlAndBayesFactorValuesAgreeWithTheOracle)
{
    for (unsigned seed : {2u, 7u}) {
        GbvRun run(seed, 2);
        const rvn::PostState& st = run.st;
        const rvn::GenomicValues gv = rvn::genomic_values(st);
        ASSERT_EQ(gv.individuals, (std::vector<int>{0, 1, 3}));
        ASSERT_EQ(gv.groups, (std::vector<int>{0, 1}));
        int bf_nonzero = 0, bf_differs = 0;
        for (int t = 0; t < 2; ++t)
            for (std::size_t k = 0; k < gv.individuals.size(); ++k) {
                const int i = gv.individuals[k];
                for (int g = 0; g < 2; ++g) {
                    EXPECT_NEAR(gv.gp.per_group[t][k][g], oracle(st, i, t, g, false), 1e-12);
                    EXPECT_NEAR(gv.bf.per_group[t][k][g], oracle(st, i, t, g, true), 1e-12);
                }
                EXPECT_NEAR(gv.gp.total[t][k].mean, oracle(st, i, t, -1, false), 1e-9);
                EXPECT_NEAR(gv.bf.total[t][k].mean, oracle(st, i, t, -1, true), 1e-9);
                EXPECT_GT(gv.gp.total[t][k].std, 0.0);
                bf_nonzero += gv.bf.total[t][k].mean != 0.0;
                bf_differs += std::fabs(gv.bf.total[t][k].mean - gv.gp.total[t][k].mean) > 1e-9;
            }
        // The hotspots carry evidence, the scattered rest does not.
        EXPECT_GT(bf_nonzero, 0) << "seed " << seed;
        EXPECT_GT(bf_differs, 0) << "seed " << seed;
    }
}

TEST(GenomicValues, CsvFilesHoldTheValuesOfEveryWrittenIndividualAndTrait)
{
    GbvRun run(3, 2);
    const rvn::GenomicValues gv = rvn::genomic_values(run.st);
    rvn::write_genomic_values(run.st, gv);
    const auto genome = csv_rows(run.dir / "Gbv_Genome_bf.csv");
    ASSERT_EQ(genome.size(), 1u + 3 * 2);
    EXPECT_EQ(genome[0], (std::vector<std::string>{"Individual", "Trait", run.st.groups[0].name, run.st.groups[1].name}));
    const auto sum = csv_rows(run.dir / "Gbv_Sum_gp.csv");
    ASSERT_EQ(sum.size(), 1u + 3 * 2);
    EXPECT_EQ(sum[0], (std::vector<std::string>{"Individual", "Trait", "Gbv", "SD", "MCE"}));
    const char* names[] = {"a", "b", "d"};
    for (int k = 0; k < 3; ++k)
        for (int t = 0; t < 2; ++t) {
            const auto& row = sum[1 + 2 * k + t];
            EXPECT_EQ(row[0], names[k]);
            EXPECT_EQ(row[1], std::to_string(t + 1));
            EXPECT_NEAR(std::stod(row[2]), gv.gp.total[t][k].mean, 5e-5);
            EXPECT_NEAR(std::stod(row[3]), gv.gp.total[t][k].std, 5e-5);
            EXPECT_NEAR(std::stod(genome[1 + 2 * k + t][3]), gv.bf.per_group[t][k][1], 5e-5);
        }
    EXPECT_TRUE(std::filesystem::exists(run.dir / "Gbv_Genome_gp.csv"));
    EXPECT_TRUE(std::filesystem::exists(run.dir / "Gbv_Sum_bf.csv"));
}

TEST(GenomicValues, WithoutGenotypesNothingIsWritten)
{
    GbvRun run(5);
    run.st.s.has_qtl_geno = false;
    const rvn::GenomicValues gv = rvn::genomic_values(run.st);
    EXPECT_TRUE(gv.empty());
    rvn::write_genomic_values(run.st, gv);
    EXPECT_FALSE(std::filesystem::exists(run.dir / "Gbv_Sum_gp.csv"));
}

// A data file with inbred and outbred founders, a selfing, a doubled
// haploid, two full-sib families, a comment line and missing phenotypes.
const char* kPedigreeData =
    "; cohort name parent parent nuisance trait markers\n"
    "1 P1 0 INBRED 1 4.5 A A\n"
    "1 P2 - -1000 1 - A A\n"
    "1 f1 0 0 1 3.0 A B\n"
    "2 F1 P1 P2 1 5.5 A B\n"
    "2 F1b P1 P2 1 6.5 A B\n"
    "3 s1 F1 SELFED 1 7.25 A B\n"
    "3 d1 F1 -555 1 x A A\n"
    "\n"
    "3 k1 F1 f1 1 2e0 A B\n";

rvn::PostState pedigree_state(const testsupport::TempDir& dir)
{
    testsupport::write_file(dir / "ped.dat", kPedigreeData);
    rvn::PostState st;
    st.project_dir = dir.str();
    st.par.datafile = "ped.dat";
    st.par.ncolN = 1;
    st.par.ncolT = 1;
    st.par.indiT = {1};
    return st;
}

TEST(PedigreeSets, FoundersFullSibFamiliesAndObservedPhenotypes)
{
    testsupport::TempDir dir;
    const rvn::PedigreeSets sets = rvn::read_pedigree_sets(pedigree_state(dir));
    ASSERT_TRUE(sets.read);
    EXPECT_EQ(sets.founders, (std::set<std::string>{"P1", "P2", "f1"}));
    EXPECT_EQ(sets.fullsib_parents, (std::set<std::string>{"P1", "P2", "F1", "f1"}));
    ASSERT_EQ(sets.families.size(), 2u);
    EXPECT_EQ(sets.families.at("P1 x P2"), (std::vector<std::string>{"F1", "F1b"}));
    EXPECT_EQ(sets.families.at("F1 x f1"), (std::vector<std::string>{"k1"}));
    const std::map<std::string, double> observed{{"P1", 4.5}, {"f1", 3.0}, {"F1", 5.5},
                                                 {"F1b", 6.5}, {"s1", 7.25}, {"k1", 2.0}};
    EXPECT_EQ(sets.observed, observed);
}

TEST(PedigreeSets, PredictionsOfImputedPhenotypesAreLeftOut)
{
    testsupport::TempDir dir;
    const rvn::PostState st = pedigree_state(dir);
    testsupport::write_file(dir / "prediction.csv",
                            "\n; date\n; phenotype MSE      =       0.10\n\nID,yObs,yHat\nP1,4.50,4.40\nP2,"
                            "5.00,5.10\nF1,5.50,5.70\nd1,6.00,6.10\nk1,2.00,2.50");
    const auto preds = rvn::read_predictions(st, rvn::read_pedigree_sets(st));
    ASSERT_EQ(preds.size(), 3u);
    EXPECT_EQ(preds[0].name, "P1");
    EXPECT_DOUBLE_EQ(preds[1].predicted, 5.7);
    EXPECT_DOUBLE_EQ(preds[2].observed, 2.0);
}

TEST(PngFigures, CorrelationOfThePanels)
{
    EXPECT_NEAR(rvn::png::correlation({1, 2, 3, 4}, {2, 4, 6, 8}), 1.0, 1e-12);
    EXPECT_NEAR(rvn::png::correlation({1, 2, 3, 4}, {4, 3, 2, 1}), -1.0, 1e-12);
    EXPECT_EQ(rvn::png::correlation({1, 1, 1}, {1, 2, 3}), 0.0);
    EXPECT_EQ(rvn::png::correlation({1}, {1}), 0.0);
}

bool is_png(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    char head[8] = {};
    in.read(head, 8);
    return in && std::string(head, 8) == std::string("\x89PNG\r\n\x1a\n", 8);
}

TEST(PngFigures, GroupsOfIndividualsGetTheirFiguresWhenTheyApply)
{
    if (!rvn::png::available()) GTEST_SKIP() << "built without cairo: no PNG figures";
    GbvRun run(4);
    testsupport::write_file(run.dir / "ped.dat", kPedigreeData);
    run.st.par.datafile = "ped.dat";
    run.st.par.ncolN = 1;
    run.st.par.ncolT = 1;
    run.st.par.indiT = {1};
    // Written individuals a, b, d: a is a founder, none is a full-sib parent.
    run.st.names = {"a", "b", "c", "d"};
    testsupport::write_file(run.dir / "ped.dat", std::string(kPedigreeData) + "1 a 0 0 1 1.0 A A\n");
    const rvn::GenomicValues gv = rvn::genomic_values(run.st);
    std::vector<std::string> files = rvn::write_figures(run.st, gv);
    EXPECT_EQ(files, (std::vector<std::string>{"gbv_genome_ALL.png", "gbv_genome_FOU.png"}));
    EXPECT_TRUE(is_png(run.dir / "gbv_genome_ALL.png"));
    EXPECT_FALSE(std::filesystem::exists(run.dir / "gbv_genome_FSP.png"));
    // With predictions: the population figure; the families have too few
    // observed members for a panel.
    testsupport::write_file(run.dir / "prediction.csv", "\nID,yObs,yHat\nP1,4.50,4.40\nF1,5.50,5.70\nk1,2.00,2.50");
    files = rvn::write_figures(run.st, gv);
    EXPECT_EQ(files.back(), "phenotypes_pred_POP.png");
    EXPECT_TRUE(is_png(run.dir / "phenotypes_pred_POP.png"));
    // The same inputs draw the same bytes.
    const std::string first = testsupport::read_file(run.dir / "gbv_genome_ALL.png");
    rvn::write_figures(run.st, gv);
    EXPECT_EQ(testsupport::read_file(run.dir / "gbv_genome_ALL.png"), first);
}

// File names of the linked paragraphs of an XML report.
std::vector<std::string> xml_links(const std::string& xml)
{
    std::vector<std::string> out;
    std::size_t at = 0;
    const std::string open = "<Paragraph Type=\"linkedDictionary\">";
    while ((at = xml.find(open, at)) != std::string::npos) {
        const std::size_t end = xml.find("</Paragraph>", at);
        std::istringstream lines(xml.substr(at + open.size(), end - at - open.size()));
        for (std::string line; std::getline(lines, line);) {
            const std::size_t sep = line.rfind(" , ");
            if (sep != std::string::npos) out.push_back(line.substr(sep + 3));
        }
        at = end;
    }
    return out;
}

TEST(GenomicValues, PostProcessingRunWritesThemAndEveryXmlLinkResolves)
{
    testsupport::TempDir dir;
    posttest::ProjectDesign d;
    d.samples = 300;
    d.W = 4;
    d.hotspots = true;
    d.seed = 11;
    posttest::write_project(dir.path(), d);
    testsupport::CapturedStream out;
    rvn::set_console_stream(out.stream());
    rvn::set_ruvane_report(false);
    EXPECT_EQ(rvn::Ruvane(dir.str(), "voskara.par"), 0);
    rvn::set_ruvane_report(true);
    rvn::set_console_stream(nullptr);
    for (const char* f : {"Gbv_Genome_gp.csv", "Gbv_Sum_gp.csv", "Gbv_Genome_bf.csv", "Gbv_Sum_bf.csv"})
        EXPECT_TRUE(std::filesystem::exists(dir / f)) << f;
    EXPECT_EQ(csv_rows(dir / "Gbv_Sum_gp.csv").size(), 1u + 4);
    EXPECT_EQ(std::filesystem::exists(dir / "gbv_genome_ALL.png"), rvn::png::available());
    // No data file: no founders or families to draw.
    EXPECT_FALSE(std::filesystem::exists(dir / "gbv_genome_FOU.png"));
    const std::vector<std::string> links = xml_links(testsupport::read_file(dir / "ruvane.xml"));
    EXPECT_GE(links.size(), 4u);
    for (const std::string& f : links) EXPECT_TRUE(std::filesystem::exists(dir / f)) << f;
}

}  // namespace
