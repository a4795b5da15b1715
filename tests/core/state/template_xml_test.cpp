// The short report written next to the templates.
#include <gtest/gtest.h>

#include <cstdio>

#include "core/voskara.h"
#include "support/test_support.h"

namespace {

TEST(TemplateXmlTest, PointsToTheQtlTemplates)
{
    testsupport::TempDir dir;
    vsk::project_dirF = dir.str();
    testsupport::write_file(dir / "voskara.xml", "stale content of an earlier run\n");
    EXPECT_EQ(vsk::CreateTemplateXmlFile(), 0);
    vsk::project_dirF.clear();
    EXPECT_EQ(testsupport::read_file(dir / "voskara.xml"),
              "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
              "<Report name=\"Voskara Output Summary\" xml:lang=\"en\">\n"
              "<Section Title=\"General information\">\n"
              "<Section Title=\"Version information\">\n"
              "<Paragraph Type=\"dictionary\">\n"
              "Voskara version number , 0.99130\n"
              "Voskara version date , 16.FEB.2016\n"
              "</Paragraph>\n"
              "</Section>\n"
              "</Section>\n"
              "<Section Title=\"Input files\" HelpTag=\"HELP_Template_Files\">\n"
              "<Paragraph Type=\"plain\">WARNING: The default parameter file 'voskara.par' is missing</Paragraph>\n"
              "<Paragraph Type=\"plain\">WARNING: Voskara created Template files that can be modified by "
              "user</Paragraph>\n"
              "<Paragraph Type=\"linkedDictionary\">\n"
              "Input parameters file , voskara_templateQTL.par\n"
              "Data file , voskara_templateQTL.dat\n"
              "Map file , voskara_template.map\n"
              "</Paragraph>\n"
              "</Section>\n"
              "</Report>\n");
}

TEST(TemplateXmlTest, UnwritableDirectoryIsReported)
{
    testsupport::TempDir dir;
    vsk::project_dirF = (dir / "missing").string();
    EXPECT_EQ(vsk::CreateTemplateXmlFile(), EOF);
    vsk::project_dirF.clear();
}

}  // namespace
