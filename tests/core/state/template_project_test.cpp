// The template projects are complete: renamed as the guide says, the
// parameter interpreter and start-up read them without an error; and a
// missing parameter file leaves all templates behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/state/console.h"
#include "core/state/templates.h"
#include "core/voskara.h"
#include "support/test_support.h"
#include "textfile/fatal.h"

namespace {

class TemplateProjectTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        vsk::set_console_stream(console.stream());
        vsk::project_dirF = dir.str();
        vsk::project_parF = "voskara.par";
    }
    void TearDown() override
    {
        vsk::FreeGlobalVariables();
        vsk::par = vsk::Par{};
        vsk::set_console_stream(nullptr);
        vsk::project_dirF.clear();
    }
    // Makes the project of one template, named as a user would run it.
    void make_project(const char* par_template, const char* dat_template, const char* datafile)
    {
        vsk::write_templates(dir.path());
        std::filesystem::rename(dir / par_template, dir / "voskara.par");
        std::filesystem::rename(dir / dat_template, dir / datafile);
        std::filesystem::rename(dir / "voskara_template.map", dir / "voskara.map");
    }
    testsupport::TempDir dir;
    testsupport::CapturedStream console;
};

TEST_F(TemplateProjectTest, QtlTemplateProjectStartsUp)
{
    make_project("voskara_templateQTL.par", "voskara_templateQTL.dat", "voskaraQTL.dat");
    testsupport::ScopedCwd cwd(dir.path());
    ASSERT_NO_THROW(vsk::InitGlobalVariables()) << console.text();
    EXPECT_EQ(vsk::par.n_individuals, 211);
    EXPECT_EQ(vsk::par.n_founders, 5);
    EXPECT_EQ(vsk::par.n_traits, 1);
    EXPECT_EQ(vsk::par.n_markers, 6);
    EXPECT_EQ(vsk::par.indicQTL, 1);
    EXPECT_EQ(vsk::par.maximQTL, 3);
    EXPECT_EQ(vsk::par.nqtl, 3);  // the seed ends in 5
    EXPECT_EQ(vsk::obs.size(), 211u);
    EXPECT_EQ(vsk::mrkrlcs.size(), 6u);
    EXPECT_EQ(vsk::GPOarray0.rows(), 9);
    EXPECT_EQ(vsk::gene.size(), 3u);
    EXPECT_EQ(console.text().find("ERROR"), std::string::npos) << console.text();
}

TEST_F(TemplateProjectTest, IbdTemplateProjectStartsUp)
{
    make_project("voskara_templateIBD.par", "voskara_templateIBD.dat", "voskaraIBD.dat");
    testsupport::ScopedCwd cwd(dir.path());
    ASSERT_NO_THROW(vsk::InitGlobalVariables()) << console.text();
    EXPECT_EQ(vsk::par.n_individuals, 11);
    EXPECT_EQ(vsk::par.indicQTL, 2);
    EXPECT_EQ(vsk::obs.size(), 11u);
    EXPECT_EQ(console.text().find("ERROR"), std::string::npos) << console.text();
}

TEST_F(TemplateProjectTest, MissingParameterFileLeavesTheTemplates)
{
    testsupport::ScopedCwd cwd(dir.path());
    EXPECT_THROW(vsk::InitGlobalVariables(), vsk::FatalExit);
    for (const char* name : {"voskara_templateIBD.par", "voskara_templateQTL.par", "voskara_templateIBD.dat",
                             "voskara_templateQTL.dat", "voskara_template.map", "voskara.xml"})
        EXPECT_TRUE(std::filesystem::is_regular_file(dir / name)) << name;
    EXPECT_NE(console.text().find("\nERROR! Cannot find parameter file!"), std::string::npos);
}

}  // namespace
