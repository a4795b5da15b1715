// The HTML report of a seeded post-processing project: well formed, every
// link resolving, every drawing inside its figure, every number equal to the
// text outputs, and sections present only when the run has their inputs.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "post/console.h"
#include "post/report/sections.h"
#include "post/report/svg.h"
#include "post/report_xml.h"
#include "post/ruvane.h"
#include "post/sample_project.h"
#include "support/test_support.h"
#include "textfile/textfile.h"

namespace {

using posttest::ProjectDesign;
using reporttest::Element;

struct ReportRun {
    testsupport::TempDir dir;
    testsupport::CapturedStream out;
    std::string html;
    std::unique_ptr<Element> root;
    std::string error;

    explicit ReportRun(const ProjectDesign& design, bool report = true)
    {
        posttest::write_project(dir.path(), design);
        rvn::set_console_stream(out.stream());
        rvn::set_ruvane_report(report);
        EXPECT_EQ(rvn::Ruvane(dir.str(), "voskara.par"), 0);
        rvn::set_ruvane_report(true);
        rvn::set_console_stream(nullptr);
        if (std::filesystem::exists(dir / "report.html")) {
            html = testsupport::read_file(dir / "report.html");
            root = reporttest::parse_xhtml(html, error);
        }
    }
    const Element* section(const std::string& id) const
    {
        for (const Element* s : root->find_all("section"))
            if (s->attributes.count("id") && s->attributes.at("id") == id) return s;
        return nullptr;
    }
};

ProjectDesign seeded_design()
{
    ProjectDesign d;
    d.samples = 300;
    d.W = 4;
    d.hotspots = true;
    d.tim = true;
    d.seed = 11;
    return d;
}

// Cells of a table row, as text.
std::vector<std::string> cells(const Element& row)
{
    std::vector<std::string> out;
    for (const auto& c : row.children) out.push_back(c->all_text());
    return out;
}

// Data lines of a text output (neither blank nor `;` comments) split in items.
std::vector<std::vector<std::string>> data_lines(const std::filesystem::path& path)
{
    std::vector<std::vector<std::string>> out;
    std::istringstream in(testsupport::read_file(path));
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream items(line);
        std::vector<std::string> words;
        for (std::string w; items >> w;) words.push_back(w);
        if (!words.empty() && words[0][0] != ';') out.push_back(words);
    }
    return out;
}

std::vector<std::string> csv_row(const std::filesystem::path& path, const std::string& first)
{
    std::istringstream in(testsupport::read_file(path));
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> items;
        std::istringstream fields(line);
        for (std::string f; std::getline(fields, f, ',');) items.push_back(f);
        if (!items.empty() && items[0] == first) return items;
    }
    return {};
}

TEST(Report, WellFormedSelfContainedAndEveryLinkResolves)
{
    ReportRun run(seeded_design());
    ASSERT_TRUE(run.root) << run.error;
    EXPECT_EQ(run.root->name, "html");
    for (const char* banned : {"script", "img", "link", "iframe", "object"})
        EXPECT_TRUE(run.root->find_all(banned).empty()) << banned;
    EXPECT_EQ(run.html.find("url("), std::string::npos);
    std::set<std::string> ids;
    for (const Element* e : run.root->find_all(""))
        if (e->attributes.count("id")) ids.insert(e->attributes.at("id"));
    int files = 0;
    for (const Element* a : run.root->find_all("a")) {
        const std::string href = a->attributes.at("href");
        ASSERT_EQ(href.find(':'), std::string::npos) << "no scheme, no absolute path: " << href;
        ASSERT_NE(href[0], '/');
        if (href[0] == '#') {
            EXPECT_TRUE(ids.count(href.substr(1))) << href;
        } else {
            EXPECT_TRUE(std::filesystem::is_regular_file(run.dir / href)) << href;
            ++files;
        }
    }
    EXPECT_GT(files, 8);
    for (const char* id : {"run", "convergence", "nqtl", "intensity", "regions", "values", "files"})
        EXPECT_TRUE(run.section(id)) << id;
    EXPECT_NE(run.out.text().find("report written to file report.html"), std::string::npos);
}

// Current point of every path command (absolute M L H V, relative v h).
std::vector<std::pair<double, double>> path_points(const std::string& d)
{
    std::vector<std::pair<double, double>> pts;
    double x = 0.0, y = 0.0;
    std::istringstream in(d);
    char cmd = 0;
    while (in >> std::ws && in.peek() != EOF) {
        if (std::isalpha(in.peek())) in >> cmd;
        double a = 0.0, b = 0.0;
        switch (cmd) {
        case 'M':
        case 'L': in >> a >> b; x = a; y = b; break;
        case 'H': in >> a; x = a; break;
        case 'V': in >> a; y = a; break;
        case 'h': in >> a; x += a; break;
        case 'v': in >> a; y += a; break;
        default: ADD_FAILURE() << "unexpected path command " << cmd; return pts;
        }
        pts.emplace_back(x, y);
    }
    return pts;
}

TEST(Report, EveryDrawingLiesInsideItsViewBox)
{
    ReportRun run(seeded_design());
    ASSERT_TRUE(run.root) << run.error;
    int figures = 0, shapes = 0;
    for (const Element* svg : run.root->find_all("svg")) {
        ++figures;
        double x0, y0, w, h;
        std::istringstream(svg->attributes.at("viewBox")) >> x0 >> y0 >> w >> h;
        auto inside = [&](double x, double y, const std::string& what) {
            ++shapes;
            EXPECT_TRUE(x >= x0 && x <= x0 + w && y >= y0 && y <= y0 + h) << what << " at " << x << "," << y;
        };
        auto num = [](const Element* e, const char* a) { return std::stod(e->attributes.at(a)); };
        for (const Element* p : svg->find_all("path"))
            for (auto [x, y] : path_points(p->attributes.at("d"))) inside(x, y, "path");
        for (const Element* r : svg->find_all("rect")) {
            inside(num(r, "x"), num(r, "y"), "rect");
            inside(num(r, "x") + num(r, "width"), num(r, "y") + num(r, "height"), "rect end");
        }
        for (const Element* c : svg->find_all("circle")) inside(num(c, "cx"), num(c, "cy"), "circle");
    }
    // Traces, the number of QTL, two intensity panels, a value plot.
    EXPECT_GE(figures, 5);
    EXPECT_GT(shapes, 500);
}

TEST(Report, NumbersEqualTheTextOutputs)
{
    ReportRun run(seeded_design());
    ASSERT_TRUE(run.root) << run.error;

    // Number of QTL: the rows of the CSV files (the groups, or the genome
    // as row 0 with one group) against the report's tables in the same order.
    const Element* number = run.section("nqtl");
    const std::vector<const Element*> bodies = number->find_all("tbody");
    int compared = 0;
    for (std::size_t table = 0; table < bodies.size(); ++table) {
        const std::vector<std::string> post = csv_row(run.dir / "NQTL_PostProb.csv", std::to_string(table));
        const std::vector<std::string> bayes = csv_row(run.dir / "NQTL_BayesFac.csv", std::to_string(table));
        for (std::size_t k = 1; k < post.size(); ++k, ++compared) {
            const std::vector<std::string> row = cells(*bodies[table]->children.at(k - 1));
            EXPECT_NEAR(std::stod(row[2]), std::stod(post[k]), 1e-9) << "table " << table << " P(" << k - 1 << ")";
            if (k < bayes.size()) {
                EXPECT_EQ(row[4], bayes[k]) << "table " << table << " 2 ln BF step " << k - 1;
            }
        }
    }
    EXPECT_GE(compared, 4);

    // Regions: probability and additive effect as in MQTRRegions.info.
    std::vector<std::vector<std::string>> info;
    for (const auto& line : data_lines(run.dir / "MQTRRegions.info"))
        if (line.size() > 6 && line[1][0] == '[') info.push_back(line);
    const Element* regions = run.section("regions")->find_all("tbody").at(0);
    ASSERT_FALSE(info.empty());
    ASSERT_EQ(regions->children.size(), info.size());
    for (std::size_t r = 0; r < info.size(); ++r) {
        const std::vector<std::string> row = cells(*regions->children[r]);
        // info: group [b0, b1] length mode prob AE ...; "[ 12," may split in two items
        const std::size_t at = info[r][1].back() == ',' ? 4 : 5;
        const std::size_t shift = info[r][2].back() == ']' ? 0 : 1;
        EXPECT_EQ(row[1], info[r][0]);
        EXPECT_NEAR(std::stod(row[4]), std::stod(info[r][at + shift]), 1e-9) << "probability, region " << r;
        EXPECT_NEAR(std::stod(row[7]), std::stod(info[r][at + shift + 1]), 1e-9) << "additive effect";
    }

    // Breeding values: the total of every individual as in the trait file.
    std::map<std::string, double> brv;
    // name, additive and dominance value per region, FPM (0.0 when absent), TIM, total
    const std::size_t total_at = 1 + regions->children.size() * 2 + 2;
    for (const auto& line : data_lines(run.dir / "individualsT1.brv"))
        if (line.size() > total_at) brv[line[0]] = std::stod(line[total_at]);
    const Element* values = run.section("values")->find_all("tbody").at(0);
    ASSERT_EQ(values->children.size(), brv.size());
    double previous = INFINITY;
    for (const auto& tr : values->children) {
        const std::vector<std::string> row = cells(*tr);
        ASSERT_TRUE(brv.count(row[1])) << row[1];
        const double total = std::stod(row[row.size() - 3]);
        EXPECT_NEAR(total, brv[row[1]], 1e-9) << row[1];
        EXPECT_LE(total, previous) << "highest total first";
        previous = total;
    }
}

TEST(Report, EvidenceClassesAndPlotClamping)
{
    const std::pair<double, const char*> cases[] = {{0.0, "hardly any"},       {2.0, "hardly any"},
                                                    {2.2, "positive"},         {5.1, "strong"},
                                                    {10.5, "decisive"},        {-1.5, "hardly any"},
                                                    {-3.0, "positive for fewer"}, {-23.1, "decisive for fewer"}};
    for (const auto& [value, text] : cases) EXPECT_EQ(rvn::report::evidence(value), text) << value;

    // Values off the axes, infinite or NaN stay inside the frame.
    const rvn::report::Plot plot(200, 100, 0.0, 10.0, 0.0, 1.0);
    for (double v : std::vector<double>{-1e9, -1.0, 0.0, 5.0, 10.0, 1e9, INFINITY, NAN}) {
        EXPECT_GE(plot.x(v), 0.0);
        EXPECT_LE(plot.x(v), 200.0);
        EXPECT_GE(plot.y(v), 0.0);
        EXPECT_LE(plot.y(v), 100.0);
    }
    EXPECT_LT(plot.y(1.0), plot.y(0.0)) << "larger values higher up";
    rvn::PostState st;
    for (const char* dir : {"/data/orchard", "/data/orchard/", "/data/orchard/."}) {
        st.project_dir = dir;
        EXPECT_EQ(rvn::report::project_name(st), "orchard") << dir;
    }
    EXPECT_EQ(rvn::report::escape("a<b & \"c\">"), "a&lt;b &amp; &quot;c&quot;&gt;");
    EXPECT_EQ(rvn::report::nice_ticks(0.0, 100.0, 5), (std::vector<double>{0.0, 20.0, 40.0, 60.0, 80.0, 100.0}));
    EXPECT_EQ(rvn::report::nice_ticks(-0.013, 0.022, 4), (std::vector<double>{-0.01, 0.0, 0.01, 0.02}));
}

TEST(Report, SectionsAppearOnlyWithTheirInputs)
{
    ProjectDesign bare;
    bare.no_qtl = true;
    bare.W = 0;
    ReportRun run(bare);
    ASSERT_TRUE(run.root) << run.error;
    for (const char* id : {"run", "convergence", "files"}) EXPECT_TRUE(run.section(id)) << id;
    for (const char* id : {"regions", "values"}) EXPECT_FALSE(run.section(id)) << id;
    for (const Element* a : run.root->find_all("a")) {
        const std::string href = a->attributes.at("href");
        if (href[0] != '#') {
            EXPECT_TRUE(std::filesystem::is_regular_file(run.dir / href)) << href;
        }
    }

    ReportRun batch(seeded_design(), false);
    EXPECT_FALSE(std::filesystem::exists(batch.dir / "report.html"));
}

TEST(ReportCli, ProgramWritesTheReportUnlessToldNot)
{
    testsupport::TempDir dir;
    posttest::write_project(dir.path(), seeded_design());
    const std::string program = testsupport::program("ruvane_console");
    testsupport::RunResult run = testsupport::run_command(program + " --no-report -d " + dir.str() + " 2>&1");
    EXPECT_EQ(run.exit_code, 0) << run.output;
    EXPECT_FALSE(std::filesystem::exists(dir / "report.html"));
    run = testsupport::run_command(program + " -d " + dir.str() + " 2>&1");
    EXPECT_EQ(run.exit_code, 0) << run.output;
    EXPECT_TRUE(std::filesystem::exists(dir / "report.html"));
    run = testsupport::run_command(program + " -d " + dir.str() + " --no-report -x 2>&1");
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_NE(run.output.find("[-p parameter_file] [--no-report]"), std::string::npos) << run.output;
}

// The report as a person sees it: a headless browser renders it to PNG; the
// picture and the page are kept under report_artifacts/ of the test's
// working directory.
TEST(ReportRenderCli, HeadlessBrowserRendersTheReport)
{
    std::string browser;
    for (const char* name : {"chromium", "chromium-browser"})
        if (testsupport::run_command(std::string("command -v ") + name).exit_code == 0) browser = name;
    if (browser.empty())
        GTEST_SKIP() << "no chromium on this machine (tools/bootstrap.sh installs Debian's package): report not "
                        "rendered";
    ReportRun run(seeded_design());
    ASSERT_TRUE(run.root) << run.error;
    const std::filesystem::path artifacts = std::filesystem::current_path() / "report_artifacts";
    std::filesystem::create_directories(artifacts);
    const std::filesystem::path png = artifacts / "report.png";
    std::filesystem::remove(png);
    const testsupport::RunResult r = testsupport::run_command(
        browser + " --headless --no-sandbox --disable-gpu --hide-scrollbars --window-size=1200,4200 --screenshot='" +
        png.string() + "' 'file://" + (run.dir / "report.html").string() + "' 2>&1");
    ASSERT_EQ(r.exit_code, 0) << r.output;
    ASSERT_TRUE(std::filesystem::exists(png)) << r.output;
    const std::string bytes = testsupport::read_file(png);
    ASSERT_GT(bytes.size(), 20000u) << "a blank page compresses to a few kB";
    EXPECT_EQ(bytes.substr(1, 3), "PNG");
    std::filesystem::copy_file(run.dir / "report.html", artifacts / "report.html",
                               std::filesystem::copy_options::overwrite_existing);
}

}  // namespace
