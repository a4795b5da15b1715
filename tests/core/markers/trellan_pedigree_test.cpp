// Pedigree-viewer file: the pedigree block and the over-long phenotype text.
#include "core/voskara.h"
#include "marker_fixture.h"
#include "textfile/fatal.h"

namespace {

using markertest::MarkerTest;

// Shared records of a three-member pedigree with one trait column.
class TrellanPedigree : public MarkerTest {
protected:
    TrellanPedigree()
    {
        saved_par_ = vsk::par;
        vsk::par = vsk::Par();
        vsk::par.n_individuals = 3;
        vsk::par.n_nuis = 1;
        vsk::par.ncolT = 1;
        vsk::par.namesN = {"FACTOR0"};
        vsk::par.namesT = {"height"};
        vsk::par.datafile = "data.dat";
        vsk::obs.assign(3, vsk::Obs());
        const char* names[] = {"f", "m", "c"};
        for (int i = 0; i < 3; ++i) vsk::obs[static_cast<std::size_t>(i)].name = names[i];
        vsk::obs[2].fat = 1;
        vsk::obs[2].mot = vsk::obs[2].mot_gen = 2;
        vsk::obs[0].pfP = 3;
        vsk::obs[1].mfP = 3;
    }
    ~TrellanPedigree() override
    {
        vsk::par = saved_par_;
        vsk::obs.clear();
        vsk::PNTstring.clear();
        vsk::PNTheld = 0;
    }
    vsk::Par saved_par_;
};

TEST_F(TrellanPedigree, PedigreeRowsWithTypeAndTraitText)
{
    vsk::PNTstring = std::string("1 \tf \t0 \t0 \t1.5 \n1 \tm \t0 \t0 \t2.5 \n2 \tc \tf \tm \t-9 \n") + '\0';
    vsk::PNTheld = 1;
    vsk::TrellanFilePedigree();
    const std::string ped = testsupport::read_file(dir_ / "trellan.ped");
    EXPECT_EQ(ped.rfind("; Output from Voskara software for visualisation by Trellan software", 0), 0u);
    EXPECT_NE(ped.find("\nPOPULATION = data.dat"), std::string::npos);
    EXPECT_NE(ped.find("\n\nPEDIGREE\nNAME                PARENT1             PARENT2                      FACTOR0       height "),
              std::string::npos);
    EXPECT_NE(ped.find("\nf                    -                    -                                0          1.5"),
              std::string::npos);
    EXPECT_NE(ped.find("\nc                    f                    m                                2           -9"),
              std::string::npos);
}

TEST_F(TrellanPedigree, OverLongPhenotypeTextStopsTheRun)
{
    vsk::PNTstring = "1 \tf \t0 \t0 \t" + std::string(200, '9') + " \n" + '\0';
    vsk::PNTheld = 1;
    EXPECT_THROW(vsk::TrellanFilePedigree(), vsk::FatalExit);
    EXPECT_NE(console_text().find("\nError: PNTstring[] too long, i.e., exceeding 160\nNow exiting program"),
              std::string::npos);
}

}  // namespace
