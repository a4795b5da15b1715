// Report sections of the inputs: the data-file and map sections on the
// console and the putative QTL locations in "check.log".
#include "console/input_report.h"

#include <cstdio>

#include "console/map_file.h"
#include "input_fixture.h"

namespace {

class InputReport : public inputtest::InputTest {
protected:
    // Three groups, the second not analysed.
    void read_three_groups()
    {
        set_groups({2, 2, 3}, {1, 0, 1});
        vsk::par.mapfile = "three.map";
        vsk::par.indicQTL = 1;
        write("three.map", "chrom I\na1 0\na2 50\nchrom II\nb1 0\nb2 5\nchrom III\nc1 10\nc2 20\nc3 35\n");
        vsk::read_map_file();
    }
};

std::string rule(int length) { return std::string(static_cast<std::size_t>(length), '-'); }

}  // namespace

TEST_F(InputReport, PutativeQtlLocationsListAnalysedGroups)
{
    read_three_groups();
    write("check.log", "earlier sections");
    vsk::write_putative_qtl_locations();
    char row1[120], row3[120];
    std::snprintf(row1, sizeof row1, " \n%8d%12.3f %-12.3f%25s %-25s", 1, 100.0, 100.5, "a1", "a2");
    std::snprintf(row3, sizeof row3, " \n%8d%12.3f %-12.3f%25s %-25s", 3, 300.1, 300.35, "c1", "c3");
    EXPECT_EQ(read("check.log"), "earlier sections\n\n" + rule(79) + "\nPUTATIVE QTL LOCATIONS\n" + rule(79) +
                                     "\nchrom      LowLim(M)   UppLim(M)     fMrkr     lMrkr" + row1 + row3);
}

TEST_F(InputReport, PutativeQtlLocationsOnlyForQtlAnalysisWithFullPrinting)
{
    read_three_groups();
    vsk::REDprint = 1;
    vsk::write_putative_qtl_locations();
    EXPECT_FALSE(exists("check.log"));
    vsk::REDprint = 0;
    for (int mode : {0, 2}) {
        vsk::par.indicQTL = mode;
        vsk::write_putative_qtl_locations();
        EXPECT_FALSE(exists("check.log")) << mode;
    }
}

TEST_F(InputReport, DataAndMapSections)
{
    set_columns({1, 0, 1}, {0, -1});
    set_groups({2, 3}, {1, 0});
    vsk::par.datafile = "field.dat";
    vsk::par.mapfile = "field.map";
    vsk::print_data_file_section();
    vsk::print_map_section();
    EXPECT_EQ(output(), "\n\n" + rule(79) + "\nDATA FILE\nfield.dat\n  IndicTraits   :   1  0  1" +
                            "\n  IndicNuisances:   0  0 -1" + "\n\n" + rule(79) +
                            "\nMAP FILE - LINKAGE GROUPS\nfield.map\n\nchromosomes:   1  2\nin analysis:   1  0" +
                            "\n # markers :   2  3");
}
