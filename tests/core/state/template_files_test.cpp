// The five template files: header, keyword values, data lines and map.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/state/template_writers.h"
#include "core/state/templates.h"
#include "support/test_support.h"
#include "textfile/textfile.h"

namespace {

const char* const kFiles[] = {"voskara_templateIBD.par", "voskara_templateQTL.par", "voskara_templateIBD.dat",
                              "voskara_templateQTL.dat", "voskara_template.map"};

class TemplateFilesTest : public ::testing::Test {
protected:
    void SetUp() override { vsk::write_templates(dir.path()); }
    std::string path(const char* name) const { return (dir / name).string(); }
    std::string value(const char* file, const char* keyword) const
    {
        std::string v;
        EXPECT_GE(vsk::getpatternvalue(keyword, path(file), v), 1) << keyword;
        return v;
    }
    std::vector<std::string> data_lines(const char* file) const
    {
        std::vector<std::string> lines;
        int rows = vsk::filerows(path(file));
        vsk::copyfiletobuffer(path(file), lines, vsk::filewidth(path(file)), rows);
        return lines;
    }
    testsupport::TempDir dir;
};

TEST_F(TemplateFilesTest, EveryFileOpensWithTheHeader)
{
    for (const char* name : kFiles) {
        std::string text = testsupport::read_file(dir / name);
        bool data_or_map = std::string(name).find(".par") == std::string::npos;
        std::string header = std::string(data_or_map ? "\n; Comments are preceded by semicolon sign" : "") +
                             "\n; Input file for software Voskara(tm)"
                             "\n;                         version 0.99130"
                             "\n;                         16.FEB.2016 ";
        EXPECT_EQ(text.rfind(header, 0), 0u) << name;
        EXPECT_EQ(text.back(), '\n') << name;
    }
}

TEST_F(TemplateFilesTest, QtlParameterTemplateHoldsItsValues)
{
    const char* f = "voskara_templateQTL.par";
    std::string text = testsupport::read_file(dir / f);
    EXPECT_NE(text.find("; GENERAL COMMENTS"), std::string::npos);
    EXPECT_NE(text.find("; COMMENTS on variables"), std::string::npos);
    EXPECT_EQ(value(f, "datafile"), "voskaraQTL.dat");
    EXPECT_EQ(value(f, "mapfile"), "voskara.map");
    EXPECT_EQ(value(f, "indiN"), "3");
    EXPECT_EQ(value(f, "namesN"), "Gwrite");
    EXPECT_EQ(value(f, "indicQTL"), "1");
    EXPECT_EQ(value(f, "maximQTL"), "3");
    EXPECT_EQ(value(f, "addGENE"), "5");
    EXPECT_EQ(value(f, "thinning"), "20");
    EXPECT_EQ(value(f, "MSegAlpha"), "0.005");
    EXPECT_EQ(value(f, "writeGTP"), "nuisance");
    EXPECT_EQ(value(f, "headerOUT"), "1");
    EXPECT_EQ(value(f, "TprobMQTR"), "0.05");
    EXPECT_EQ(value(f, "seed"), "5610315");
    EXPECT_EQ(value(f, "mrkrC"), "6");  // the "nmrkrC" line
    // Keywords present without a value.
    std::string v;
    for (const char* k : {"misvalT", "priorh2QTL", "varPOA", "varPOD", "fixQTLpos"})
        EXPECT_EQ(vsk::getpatternvalue(k, path(f), v), 1) << k;
    // Lists keep all their items.
    std::string line;
    ASSERT_EQ(vsk::searchpattern("namesT", path(f), line), 1);
    EXPECT_NE(line.find("trtnorm1 trtnorm2"), std::string::npos);
    ASSERT_EQ(vsk::searchpattern("seed", path(f), line), 1);
    EXPECT_NE(line.find("; generated: Fri, 03 Mar 2006, 00:00:01"), std::string::npos);
    // The seed comment explains how the last digit chooses the initial model.
    EXPECT_NE(text.find("last digit 5-9: the chain starts with maximQTL QTL"), std::string::npos);
}

TEST_F(TemplateFilesTest, IbdParameterTemplateHoldsItsValues)
{
    const char* f = "voskara_templateIBD.par";
    EXPECT_EQ(value(f, "datafile"), "voskaraIBD.dat");
    EXPECT_EQ(value(f, "indiN"), "-1");
    EXPECT_EQ(value(f, "namesN"), "GtpWrite");
    EXPECT_EQ(value(f, "indicQTL"), "2");
    EXPECT_EQ(value(f, "maximQTL"), "1");
    EXPECT_EQ(value(f, "thinning"), "10000");
    EXPECT_EQ(value(f, "varPOA"), "0.0");
    EXPECT_EQ(value(f, "fixQTLpos"), "MARKERS");
    EXPECT_EQ(value(f, "lockMPhase"), "1");
    EXPECT_EQ(value(f, "writeGTP"), "none");
    EXPECT_EQ(value(f, "seed"), "56103125");
    std::string v;
    for (const char* k : {"priorh2QTL", "skipSampleMarkers", "REDprint", "VARgroup", "TprobMQTR"})
        EXPECT_EQ(vsk::getpatternvalue(k, path(f), v), -1) << k;
}

TEST_F(TemplateFilesTest, DataTemplatesHoldTheExamplePedigree)
{
    const int items_per_line = 4 + 1 + 2 + 2 * vsk::kTemplateMarkers;
    for (const char* f : {"voskara_templateQTL.dat", "voskara_templateIBD.dat"}) {
        std::vector<std::string> lines = data_lines(f);
        ASSERT_EQ(lines.size(), std::string(f).find("QTL") != std::string::npos ? 211u : 11u) << f;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            std::vector<std::string> items;
            ASSERT_EQ(vsk::splititems(lines[i], items, 1000, 80), items_per_line) << lines[i];
            bool named = i < 11;
            EXPECT_EQ(items[4], named ? "1" : "0") << lines[i];
            bool founder = i < 5;
            if (founder) {
                EXPECT_EQ(items[2], "0");
                EXPECT_EQ(items[3], "0");
                EXPECT_EQ(items[5], "-");
                EXPECT_EQ(items[6], "-");
            }
            for (int k = 7; k < items_per_line; ++k) {
                int allele = std::stoi(items[k]);
                EXPECT_TRUE(allele >= 1 && allele <= 5) << lines[i];
            }
        }
    }
    std::vector<std::string> lines = data_lines("voskara_templateQTL.dat");
    std::vector<std::string> items;
    vsk::splititems(lines[0], items, 1000, 80);
    EXPECT_EQ(items[1], "alpha");
    vsk::splititems(lines[10], items, 1000, 80);
    EXPECT_EQ(items[1], "kilo");
    for (int family = 0; family < 5; ++family)
        for (int k : {0, 39}) {
            vsk::splititems(lines[11 + 40 * family + k], items, 1000, 80);
            EXPECT_EQ(items[1], std::to_string(100 * family + 1 + k));
        }
}

TEST_F(TemplateFilesTest, MapTemplateListsSixMarkers)
{
    std::vector<std::string> lines = data_lines("voskara_template.map");
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], "group 1");
    for (int m = 0; m < 6; ++m) {
        std::vector<std::string> items;
        ASSERT_EQ(vsk::splititems(lines[1 + m], items, 10, 80), 2);
        EXPECT_EQ(items[0], "marker00" + std::to_string(m + 1));
        EXPECT_DOUBLE_EQ(std::stod(items[1]), 20.0 * m);
    }
}

TEST_F(TemplateFilesTest, ExampleProjectsAreTheTemplates)
{
    const struct {
        const char* example;
        const char* from;
    } pairs[] = {{"examples/qtl/voskara.par", "voskara_templateQTL.par"},
                 {"examples/qtl/voskaraQTL.dat", "voskara_templateQTL.dat"},
                 {"examples/qtl/voskara.map", "voskara_template.map"},
                 {"examples/ibd/voskara.par", "voskara_templateIBD.par"},
                 {"examples/ibd/voskaraIBD.dat", "voskara_templateIBD.dat"},
                 {"examples/ibd/voskara.map", "voskara_template.map"}};
    for (const auto& p : pairs)
        EXPECT_EQ(testsupport::read_file(testsupport::source_path(p.example)), testsupport::read_file(dir / p.from))
            << p.example << " differs from the template writer's " << p.from;
}

}  // namespace
