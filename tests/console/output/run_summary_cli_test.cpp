// The run summary "voskara.xml" of whole analyses: well-formed, every section
// present, the figures those of the console report, and every linked file
// present and written by the run itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;
using testsupport::RunResult;

void make_project(const fs::path& dir, const std::vector<std::pair<std::string, std::string>>& values)
{
    for (const auto& entry : fs::directory_iterator(testsupport::source_path("examples/qtl")))
        fs::copy_file(entry.path(), dir / entry.path().filename(), fs::copy_options::overwrite_existing);
    std::string par = testsupport::read_file(dir / "voskara.par");
    for (const auto& [key, value] : values) {
        const std::regex line("(^|\n)" + key + "([ \t]+)[^\n;]*");
        par = std::regex_replace(par, line, "$01" + key + "$02" + value + " ");
    }
    testsupport::write_file(dir / "voskara.par", par);
}

RunResult run_console(const fs::path& dir)
{
    return testsupport::run_command("cd '" + dir.string() + "' && SOURCE_DATE_EPOCH=0 TZ=UTC '" +
                                    testsupport::program("voskara_console") + "'");
}

// Element nesting and character data: every tag closed in order, no bare
// '<' or '&' in text. Returns an empty string or the first fault.
std::string xml_fault(const std::string& xml)
{
    std::vector<std::string> open;
    std::size_t at = 0;
    if (xml.rfind("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n", 0) != 0) return "declaration";
    at = xml.find('\n') + 1;
    while (at < xml.size()) {
        const std::size_t lt = xml.find('<', at);
        const std::string text = xml.substr(at, lt == std::string::npos ? std::string::npos : lt - at);
        for (std::size_t amp = text.find('&'); amp != std::string::npos; amp = text.find('&', amp + 1))
            if (!std::regex_search(text.substr(amp), std::regex("^&(amp|lt|gt|quot|apos);"))) return "bare & in " + text;
        if (lt == std::string::npos) break;
        const std::size_t gt = xml.find('>', lt);
        if (gt == std::string::npos) return "unclosed tag";
        const std::string tag = xml.substr(lt + 1, gt - lt - 1);
        if (tag.find('<') != std::string::npos) return "'<' inside tag " + tag;
        std::smatch m;
        if (tag[0] == '/') {
            if (open.empty() || open.back() != tag.substr(1)) return "mismatched </" + tag.substr(1) + ">";
            open.pop_back();
        } else if (std::regex_match(tag, m, std::regex(R"(([A-Za-z]+)(\s+[A-Za-z:]+="[^"<&]*")*\s*(/?))"))) {
            if (m[3] != "/") open.push_back(m[1]);
        } else {
            return "malformed tag <" + tag + ">";
        }
        at = gt + 1;
        if (open.empty() && xml.find('<', at) != std::string::npos) return "content after the root";
    }
    return open.empty() ? "" : "unclosed <" + open.back() + ">";
}

// Value of a "key , value" line of the report.
std::string entry(const std::string& xml, const std::string& key)
{
    std::smatch m;
    if (!std::regex_search(xml, m, std::regex("\n" + key + " , *([^\n]*)\n"))) return "<missing " + key + ">";
    return m[1];
}

// The first value a console line "label   value" shows.
std::string console_value(const std::string& out, const std::string& label)
{
    std::smatch m;
    if (!std::regex_search(out, m, std::regex("\n" + label + " +([^ \n]+)"))) return "<missing " + label + ">";
    return m[1];
}

// Files the report links: link and image paragraphs, linked dictionaries.
std::vector<std::string> linked_files(const std::string& xml)
{
    std::vector<std::string> files;
    const std::regex single("<Paragraph Type=\"(link|image)\">([^<]*)</Paragraph>");
    for (auto it = std::sregex_iterator(xml.begin(), xml.end(), single); it != std::sregex_iterator(); ++it)
        files.push_back((*it)[2]);
    const std::regex dict("<Paragraph Type=\"linkedDictionary\">\n([^<]*)</Paragraph>");
    for (auto it = std::sregex_iterator(xml.begin(), xml.end(), dict); it != std::sregex_iterator(); ++it) {
        const std::string body = (*it)[1];
        const std::regex line("[^\n]* , ([^\n]*)\n");
        for (auto l = std::sregex_iterator(body.begin(), body.end(), line); l != std::sregex_iterator(); ++l)
            files.push_back((*l)[1]);
    }
    return files;
}

TEST(CliRunSummary, QtlRunWritesWellFormedSummaryWithTheConsoleFigures)
{
    testsupport::TempDir dir;
    make_project(dir.path(), {{"length", "2000"}, {"thinning", "10"}, {"namesT", "height&width trtnorm2"}});
    const RunResult run = run_console(dir.path());
    ASSERT_EQ(run.exit_code, 0) << run.output;
    const std::string xml = testsupport::read_file(dir / "voskara.xml");
    EXPECT_EQ(xml_fault(xml), "") << xml;
    for (const char* title : {"General information", "Version information", "Computation Time", "Input summary",
                              "Input files", "Pedigreed population", "Nuisance data", "Trait data", "Marker data",
                              "Model settings", "MCMC parameters", "Convergence quality", "Effective chain size",
                              "Trace Variance components", "Trace samples QTL positions", "Output summary"})
        EXPECT_NE(xml.find("<Section Title=\"" + std::string(title) + "\""), std::string::npos) << title;
    EXPECT_NE(xml.find("Name,height&amp;width,trtnorm2"), std::string::npos) << "names are escaped";

    // Figures as the console printed them.
    EXPECT_EQ(entry(xml, "Number of individuals"), console_value(run.output, "Number of individuals"));
    EXPECT_EQ(entry(xml, "Number of founders"), console_value(run.output, "Number of founders"));
    EXPECT_EQ(entry(xml, "Number of base families"), console_value(run.output, "Number of base families"));
    EXPECT_EQ(entry(xml, "Max generation coeff."), console_value(run.output, "Max generation coeff."));
    std::smatch desc;
    ASSERT_TRUE(std::regex_search(run.output, desc, std::regex("\n *([0-9]+) descendants identified")));
    EXPECT_EQ(entry(xml, "Number of descendants"), desc[1].str());
    for (const char* stat : {"mean", "variance", "minimum", "maximum"})
        EXPECT_EQ(entry(xml, stat), console_value(run.output, std::string(" *") + stat)) << stat;
    EXPECT_EQ(entry(xml, "Total length of genome"), console_value(run.output, "Total genome length =") + " Morgan");
    EXPECT_NE(xml.find("MCMC sweeps , 2000,"), std::string::npos);
    EXPECT_NE(xml.find("QTL , included,1.0,3\n"), std::string::npos);
    // Effective chain sizes: those of the post-processing's ECS table.
    for (const char* chain : {"mean1", "vERR11", "nQTL"}) {
        std::smatch m;
        ASSERT_TRUE(std::regex_search(run.output, m,
                                      std::regex("\n" + std::string(chain) + " +[0-9]+ +[-0-9.e]+ +[-0-9.e]+ +([0-9]+)")))
            << chain;
        EXPECT_EQ(entry(xml, chain), m[1].str()) << chain;
    }

    // Links: the inputs and this run's outputs, post-processing charts included.
    const std::vector<std::string> files = linked_files(xml);
    for (const std::string& f : files) EXPECT_TRUE(fs::is_regular_file(dir / f)) << f;
    for (const char* f : {"voskara.par", "voskaraQTL.dat", "voskara.map", "mconsistency.csv", "VC.lnd", "genomet.lnd"})
        EXPECT_NE(std::find(files.begin(), files.end(), f), files.end()) << f;
}

TEST(CliRunSummary, FilesOfAnEarlierRunAreNotLinked)
{
    testsupport::TempDir dir;
    make_project(dir.path(), {{"length", "200"}, {"thinning", "10"}});
    ASSERT_EQ(run_console(dir.path()).exit_code, 0);
    ASSERT_TRUE(fs::exists(dir / "mconsistency.csv"));
    // Without QTL the marker checks do not run: the earlier table is stale.
    const auto earlier = fs::file_time_type::clock::now() - std::chrono::hours(1);
    fs::last_write_time(dir / "mconsistency.csv", earlier);
    make_project(dir.path(), {{"length", "200"}, {"thinning", "10"}, {"indicQTL", "0"}});
    const RunResult run = run_console(dir.path());
    ASSERT_EQ(run.exit_code, 0) << run.output;
    const std::string xml = testsupport::read_file(dir / "voskara.xml");
    EXPECT_EQ(xml_fault(xml), "");
    EXPECT_EQ(xml.find("mconsistency.csv"), std::string::npos);
    EXPECT_EQ(xml.find("Prior distribution of QTL effects"), std::string::npos);
    EXPECT_NE(xml.find("QTL , excluded, , \n"), std::string::npos);
    for (const std::string& f : linked_files(xml)) EXPECT_TRUE(fs::is_regular_file(dir / f)) << f;
}

TEST(CliRunSummary, IbdRunReportsTheFixedQtl)
{
    testsupport::TempDir dir;
    for (const auto& entry : fs::directory_iterator(testsupport::source_path("examples/ibd")))
        fs::copy_file(entry.path(), dir / entry.path().filename());
    std::string par = testsupport::read_file(dir / "voskara.par");
    par = std::regex_replace(par, std::regex("(^|\n)length([ \t]+)[0-9]+"), "$1length$0250");
    par = std::regex_replace(par, std::regex("(^|\n)maximQTL([ \t]+)[0-9]+"), "$1maximQTL$022");
    testsupport::write_file(dir / "voskara.par", par);
    const RunResult run = run_console(dir.path());
    ASSERT_EQ(run.exit_code, 0) << run.output;
    const std::string xml = testsupport::read_file(dir / "voskara.xml");
    EXPECT_EQ(xml_fault(xml), "");
    EXPECT_NE(xml.find("\nQTL, IBD! , fixed, 1Corrected(!)\n"), std::string::npos) << xml;
    EXPECT_EQ(xml.find("Prior distribution of QTL effects"), std::string::npos);
    for (const std::string& f : linked_files(xml)) EXPECT_TRUE(fs::is_regular_file(dir / f)) << f;
}

}  // namespace
