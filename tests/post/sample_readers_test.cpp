// Sample readers on sample files written by the tests: sizes, layouts, cut
// last rows and the fatal paths with their messages.
#include <gtest/gtest.h>

#include "post/console.h"
#include "post/names.h"
#include "post/params.h"
#include "post/sample_project.h"
#include "post/sample_readers.h"
#include "support/test_support.h"
#include "textfile/fatal.h"

namespace {

using posttest::ProjectDesign;

// A project on disk with a state whose parameters are read, console captured.
struct Fixture {
    testsupport::TempDir dir;
    testsupport::CapturedStream out;
    rvn::PostState st;

    explicit Fixture(const ProjectDesign& design = ProjectDesign{})
    {
        posttest::write_project(dir.path(), design);
        rvn::set_console_stream(out.stream());
        st.project_dir = dir.str();
    }
    ~Fixture() { rvn::set_console_stream(nullptr); }
    void read_parameters() { rvn::GetVoskaraPar(st, st.path("voskara.par")); }
    std::string text() const { return out.text(); }
    bool printed(const std::string& s) const { return text().find(s) != std::string::npos; }
};

TEST(SampleReaders, GenparColumnsAndThinning)
{
    Fixture f;
    f.read_parameters();
    ASSERT_TRUE(rvn::read_genpar(f.st, rvn::ShortSamples::Fatal));
    EXPECT_EQ(f.st.s.n(), 200);
    EXPECT_EQ(f.st.s.V(), 8);
    EXPECT_EQ(f.st.s.iteration[0], 10);
    EXPECT_EQ(f.st.s.iteration[199], 2000);
    EXPECT_EQ(f.st.s.thin_step, 10);
    EXPECT_TRUE(f.printed("READ SAMPLES OF GENETIC PARAMETERS"));
    EXPECT_TRUE(f.printed("200 * 10 rows and columns\n"));
}

TEST(SampleReaders, SparseAndConciseLayoutsGiveTheSameTables)
{
    ProjectDesign sparse_design;
    sparse_design.Q = 3;
    ProjectDesign concise_design = sparse_design;
    concise_design.concise = true;
    Fixture sparse(sparse_design), concise(concise_design);
    for (Fixture* f : {&sparse, &concise}) {
        f->read_parameters();
        rvn::read_genpar(f->st, rvn::ShortSamples::Fatal);
        rvn::read_qtl(f->st);
        rvn::read_qtl_genotypes(f->st);
        rvn::keep_complete_samples(f->st);
    }
    const rvn::Samples& a = sparse.st.s;
    const rvn::Samples& b = concise.st.s;
    EXPECT_EQ(a.S, 5);
    EXPECT_EQ(a.F, 1);
    EXPECT_EQ(b.S, a.S);
    EXPECT_EQ(b.F, a.F);
    ASSERT_EQ(a.qtl.rows(), b.qtl.rows());
    ASSERT_EQ(a.qtl.cols(), b.qtl.cols());
    ASSERT_EQ(a.geno_per_slot, 3);
    ASSERT_EQ(b.geno_per_slot, 3);
    // The concise layout packs the QTL of a sample into the first slots; the
    // QTL themselves (values and genotypes, in slot order) must agree.
    auto in_use = [](const rvn::Samples& s, int r) {
        std::vector<std::vector<double>> qtl;
        for (int q = 0; q < 3; ++q) {
            if (!(s.qtl_position(r, q) > 1.0)) continue;
            std::vector<double> v(s.qtl[r] + q * s.S, s.qtl[r] + (q + 1) * s.S);
            for (int i = 0; i < s.geno_per_slot; ++i) v.push_back(s.qtl_geno[r][q * s.geno_per_slot + i]);
            qtl.push_back(v);
        }
        return qtl;
    };
    int total = 0;
    for (int r = 0; r < a.qtl.rows(); ++r) {
        const auto qa = in_use(a, r), qb = in_use(b, r);
        ASSERT_EQ(qa.size(), qb.size()) << r;
        for (std::size_t k = 0; k < qa.size(); ++k)
            for (std::size_t c = 0; c < qa[k].size(); ++c) ASSERT_NEAR(qa[k][c], qb[k][c], 1e-3) << r << "," << c;
        total += static_cast<int>(qa.size());
    }
    EXPECT_GT(total, 50);
    EXPECT_TRUE(concise.printed("200 rows and * 15 columns\n"));
}

TEST(SampleReaders, CutLastRowIsLeftOutWithAWarning)
{
    Fixture f;
    f.read_parameters();
    const std::string text = testsupport::read_file(f.dir / "genpar.out");
    // Stop the writer in the middle of the last row.
    testsupport::write_file(f.dir / "genpar.out", text.substr(0, text.size() - 25));
    ASSERT_TRUE(rvn::read_genpar(f.st, rvn::ShortSamples::Fatal));
    EXPECT_EQ(f.st.s.n(), 199);
    EXPECT_TRUE(f.printed("WARNING: last row of file"));
    EXPECT_TRUE(f.printed("is incomplete"));
}

TEST(SampleReaders, HalfWrittenNumberInLastRowIsACut)
{
    Fixture f;
    f.read_parameters();
    // The last column is written with four decimals: "0.3" is "0.3xxx" cut.
    const std::string complete = "\n     2010     -100.000     9.1 1.0 0.0  1 0.2   0 0.0 0.3000";
    posttest::append_file(f.dir / "genpar.out", complete.substr(0, complete.size() - 3));
    ASSERT_TRUE(rvn::read_genpar(f.st, rvn::ShortSamples::Fatal));
    EXPECT_EQ(f.st.s.n(), 200);
    EXPECT_TRUE(f.printed("is incomplete (10 of 10 items)"));
    // Once complete, the row is read; then a row cut after its sign is dropped.
    posttest::append_file(f.dir / "genpar.out", "000");
    posttest::append_file(f.dir / "genpar.out", "\n     2020     -100.000     9.1 1.0 0.0  1 0.2   0 0.0 -");
    rvn::PostState again;
    again.project_dir = f.st.project_dir;
    ASSERT_TRUE(rvn::read_genpar(again, rvn::ShortSamples::Fatal));
    EXPECT_EQ(again.s.n(), 201);
    EXPECT_DOUBLE_EQ(again.s.genpar[200][7], 0.3);
}

TEST(SampleReaders, WholeNumberAfterAFixedPointColumnIsNoCut)
{
    // Sparse iqtl.out: the position column of a slot not in use is written
    // as a whole number, of a slot in use with four decimals.
    ProjectDesign design;
    design.Q = 1;
    design.W = 0;
    Fixture f(design);
    f.read_parameters();
    posttest::append_file(f.dir / "iqtl.out", "\n  1  1  0.500    0.5000    0.0100    0.0000   101.2500");
    posttest::append_file(f.dir / "iqtl.out", "\n  1  1      0         0         0         0          0");
    posttest::append_file(f.dir / "genpar.out", "\n     2010     -100.000     9.1 1.0 0.0  1 0.2   0 0.0 0.3000");
    posttest::append_file(f.dir / "genpar.out", "\n     2020     -100.000     9.1 1.0 0.0  0 0.2   0 0.0 0.3000");
    rvn::read_genpar(f.st, rvn::ShortSamples::Fatal);
    rvn::read_qtl(f.st);
    EXPECT_EQ(f.st.s.qtl.rows(), 202);
    EXPECT_FALSE(f.printed("is incomplete"));
}

TEST(SampleReaders, RowOfDifferentWidthInsideTheFileIsFatal)
{
    Fixture f;
    f.read_parameters();
    std::string text = testsupport::read_file(f.dir / "genpar.out");
    // Drop one item from the 6th data row (row 5 counted from 0).
    std::size_t at = 0;
    for (int k = 0; k < 6; ++k) at = text.find("\n ", at + 1);
    const std::size_t end = text.find('\n', at + 1);
    std::string row = text.substr(at, end - at);
    row = row.substr(0, row.rfind(' '));
    text = text.substr(0, at) + row + text.substr(end);
    testsupport::write_file(f.dir / "genpar.out", text);
    EXPECT_THROW(rvn::read_genpar(f.st, rvn::ShortSamples::Fatal), vsk::FatalExit);
    EXPECT_TRUE(f.printed("\nERROR in reading file "));
    EXPECT_TRUE(f.printed("\ninconsistent no. of columns (9)at row 5 (line ")) << f.text();
    EXPECT_TRUE(f.printed("\nexpected no. of columns = 10\n\nAborting Ruvane\n"));
}

TEST(SampleReaders, MissingOrShortRequiredFilesAreFatal)
{
    {
        ProjectDesign design;
        design.samples = 99;
        Fixture f(design);
        f.read_parameters();
        EXPECT_THROW(rvn::read_genpar(f.st, rvn::ShortSamples::Fatal), vsk::FatalExit);
        EXPECT_TRUE(f.printed("\nInsufficient number of samples to allow statistical inferences"));
        EXPECT_TRUE(f.printed("\nEarly termination of program"));
    }
    {
        Fixture f;
        f.read_parameters();
        std::filesystem::remove(f.dir / "iqtl.out");
        rvn::read_genpar(f.st, rvn::ShortSamples::Fatal);
        EXPECT_THROW(rvn::read_qtl(f.st), vsk::FatalExit);
        EXPECT_TRUE(f.printed("\n\nERROR:\nFile '" + (f.dir / "iqtl.out").string() + "' not available"));
        EXPECT_TRUE(f.printed("\nNow exiting Ruvane(0.99130)"));
    }
}

TEST(SampleReaders, ShortGenparOnlyReportsWhenTheAnalysisAsks)
{
    ProjectDesign design;
    design.samples = 50;
    Fixture f(design);
    EXPECT_FALSE(rvn::read_genpar(f.st, rvn::ShortSamples::Report));
    EXPECT_TRUE(f.printed("Effective chain size not available: 50 samples"));
    std::filesystem::remove(f.dir / "genpar.out");
    EXPECT_FALSE(rvn::read_genpar(f.st, rvn::ShortSamples::Report));
}

TEST(SampleReaders, InconsistentRowCountsAreFatal)
{
    Fixture f;
    f.read_parameters();
    std::string text = testsupport::read_file(f.dir / "gqtl.out");
    // Two rows fewer than iqtl.out: more than a stopped writer can leave.
    for (int k = 0; k < 2; ++k) text = text.substr(0, text.rfind('\n'));
    testsupport::write_file(f.dir / "gqtl.out", text);
    rvn::read_genpar(f.st, rvn::ShortSamples::Fatal);
    rvn::read_qtl(f.st);
    EXPECT_THROW(rvn::read_qtl_genotypes(f.st), vsk::FatalExit);
    EXPECT_TRUE(f.printed("\nnumber of rows inconsistent for 'iqtl.out' and 'gqtl.out'"));
}

TEST(SampleReaders, SampleMissingFromTheLastFilesIsDroppedEverywhere)
{
    // The analysis stopped after writing genpar.out and iqtl.out for the
    // last sample but before gqtl.out.
    ProjectDesign design;
    design.cohorts = true;
    Fixture f(design);
    f.read_parameters();
    std::string text = testsupport::read_file(f.dir / "gqtl.out");
    testsupport::write_file(f.dir / "gqtl.out", text.substr(0, text.rfind('\n')));
    text = testsupport::read_file(f.dir / "cohqtl.out");
    testsupport::write_file(f.dir / "cohqtl.out", text.substr(0, text.rfind('\n')));
    rvn::read_genpar(f.st, rvn::ShortSamples::Fatal);
    rvn::read_qtl(f.st);
    rvn::read_qtl_genotypes(f.st);
    rvn::read_qtl_cohorts(f.st);
    EXPECT_EQ(f.st.s.coh_per_slot, 2);
    rvn::keep_complete_samples(f.st);
    EXPECT_EQ(f.st.s.n(), 199);
    EXPECT_EQ(f.st.s.qtl.rows(), 199);
    EXPECT_EQ(f.st.s.qtl_geno.rows(), 199);
    EXPECT_EQ(f.st.s.qtl_coh.rows(), 199);
    EXPECT_EQ(static_cast<int>(f.st.s.iteration.size()), 199);
    EXPECT_TRUE(f.printed("199 complete samples are used"));
}

TEST(SampleReaders, ConciseSampleCutAfterSomeOfItsQtlIsDropped)
{
    ProjectDesign design;
    design.concise = true;
    design.Q = 3;
    design.W = 0;
    Fixture f(design);
    f.read_parameters();
    // Append a sample that announces 2 QTL but holds only one row; genpar
    // already holds the sample.
    posttest::append_file(f.dir / "genpar.out", "\n     2010     -100.000     9.1 1.0 0.0  2 0.2   0 0.0 0.3");
    posttest::append_file(f.dir / "iqtl.out", "\n  2010   2   1   12.0  0.500    0.5000    0.0100");
    rvn::read_genpar(f.st, rvn::ShortSamples::Fatal);
    rvn::read_qtl(f.st);
    rvn::keep_complete_samples(f.st);
    EXPECT_EQ(f.st.s.n(), 200);
    EXPECT_EQ(f.st.s.qtl.rows(), 200);
}

TEST(SampleReaders, ConciseSampleNotYetWrittenIsDropped)
{
    // The analysis wrote the last sample to genpar.out (two QTL in use) and
    // was stopped before its iqtl.out and gqtl.out rows: that sample must not
    // read as one without QTL.
    ProjectDesign design;
    design.concise = true;
    Fixture f(design);
    f.read_parameters();
    posttest::append_file(f.dir / "genpar.out", "\n     2010     -100.000     9.1 1.0 0.0  2 0.2   0 0.0 0.3000");
    rvn::read_genpar(f.st, rvn::ShortSamples::Fatal);
    rvn::read_qtl(f.st);
    rvn::read_qtl_genotypes(f.st);
    rvn::keep_complete_samples(f.st);
    EXPECT_EQ(f.st.s.n(), 200);
    EXPECT_EQ(f.st.s.qtl.rows(), 200);
    EXPECT_TRUE(f.printed("200 complete samples are used"));

    // A last sample without QTL writes no concise rows at all, and is kept.
    Fixture g(design);
    g.read_parameters();
    posttest::append_file(g.dir / "genpar.out", "\n     2010     -100.000     9.1 1.0 0.0  0 0.2   0 0.0 0.3000");
    rvn::read_genpar(g.st, rvn::ShortSamples::Fatal);
    rvn::read_qtl(g.st);
    rvn::keep_complete_samples(g.st);
    EXPECT_EQ(g.st.s.n(), 201);
    EXPECT_DOUBLE_EQ(g.st.s.qtl_position(200, 0), 0.0);
}

TEST(SampleReaders, ConciseRowWithTooManyQtlIsFatal)
{
    ProjectDesign design;
    design.concise = true;
    design.Q = 1;
    design.W = 0;
    Fixture f(design);
    f.read_parameters();
    posttest::append_file(f.dir / "iqtl.out",
                          "\n  1990   2   1   12.0  0.500    0.5000    0.0100\n  1990   2   1   14.0  0.500    0.5000    0.0100");
    rvn::read_genpar(f.st, rvn::ShortSamples::Fatal);
    EXPECT_THROW(rvn::read_qtl(f.st), vsk::FatalExit);
    EXPECT_TRUE(f.printed("more QTL than slots (maximQTL = 1)"));
}

TEST(SampleReaders, OptionalNuisanceFileOnlyWarns)
{
    Fixture f;
    f.read_parameters();
    rvn::read_genpar(f.st, rvn::ShortSamples::Fatal);
    rvn::read_nuisance(f.st);
    EXPECT_FALSE(f.st.s.has_nuisance);
    EXPECT_TRUE(f.printed("\n\nWARNING:\nFile '" + (f.dir / "nui2.out").string() + "' not available"));
    EXPECT_TRUE(f.printed("\nEarly return (0) in ReadNuisance() "));
    EXPECT_TRUE(f.printed("\nNo Ruvane analysis of nuisance variables"));
    testsupport::write_file(f.dir / "nui2.out", "\n;Comments are preceded by semicolon sign\n");
    rvn::read_nuisance(f.st);
    EXPECT_FALSE(f.st.s.has_nuisance);
}

// Names files: reads the genotype tables first so the names have a count.
struct NamesFixture : Fixture {
    NamesFixture()
    {
        read_parameters();
        rvn::read_genpar(st, rvn::ShortSamples::Fatal);
        rvn::read_qtl(st);
        rvn::read_qtl_genotypes(st);
    }
};

TEST(NamesGtp, NamesAndSubsetSelection)
{
    NamesFixture f;
    testsupport::write_file(f.dir / "wrtgtp.inp", "ind1 1\nind2 0 ; not this one\nind3 1\n");
    rvn::ReadNamesGtp(f.st);
    ASSERT_EQ(f.st.names.size(), 3u);
    EXPECT_EQ(f.st.names[1], "ind2");
    EXPECT_EQ(f.st.print_flag, (std::vector<int>{1, 0, 1}));
    EXPECT_TRUE(f.printed("\nSubset selection on printing info on individuals:\n2 out of 3 \n\n"));
}

TEST(NamesGtp, OptionalFilesOnlyWarn)
{
    NamesFixture f;
    rvn::ReadNamesGtp(f.st);
    EXPECT_EQ(f.st.print_flag, (std::vector<int>{1, 1, 1}));
    EXPECT_TRUE(f.printed("\n\nNOTE:\nFile '" + (f.dir / "wrtgtp.inp").string() + "' not available"));

    testsupport::write_file(f.dir / "wrtgtp.nms", "; no names\n");
    rvn::ReadNamesGtp(f.st);
    EXPECT_TRUE(f.st.names.empty());
    EXPECT_TRUE(f.printed("\nNo names used in Ruvane output"));

    testsupport::write_file(f.dir / "wrtgtp.nms", "a\nb\n");
    rvn::ReadNamesGtp(f.st);
    EXPECT_TRUE(f.st.names.empty());
    EXPECT_TRUE(f.printed("\nExpected number = 3\nObserved #names = 2\nObserved number set to 0"));
}

TEST(NamesGtp, MalformedNamesFilesAreFatal)
{
    struct Case {
        std::string nms, inp, message;
    };
    const std::vector<Case> cases = {
        {"ind1\nind2 extra\nind3\n", "", "\nIncorrect number of names in file "},
        {"ind1\nind2\nind3\n", "ind1 1\nind3 1\nind2 1\n", "\nIncorrect ORDER of names in file "},
        {"ind1\nind2\nind3\n", "ind1 1\nind2 2\nind3 1\n", "\nIncorrect VALUE of subsetting in file "},
        {"ind1\nind2\nind3\n", "ind1 1\nind2\nind3 1\n", "\nIncorrect number of names in file "},
        // A selection of another length cannot be applied (it was silently dropped).
        {"ind1\nind2\nind3\n", "ind1 1\nind2 0\n", "\nExpected number = 3 ("},
    };
    for (const Case& c : cases) {
        NamesFixture f;
        testsupport::write_file(f.dir / "wrtgtp.nms", c.nms);
        if (!c.inp.empty()) testsupport::write_file(f.dir / "wrtgtp.inp", c.inp);
        EXPECT_THROW(rvn::ReadNamesGtp(f.st), vsk::FatalExit) << c.message;
        EXPECT_TRUE(f.printed(c.message)) << c.message;
    }
}

}  // namespace
