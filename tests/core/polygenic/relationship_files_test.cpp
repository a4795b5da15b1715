// The relationship files of the inbred-line model: the sparse inverse and
// its factor read back equal the dense inverse of the tabular matrix.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/polygenic/tim.h"
#include "tim_fixture.h"

namespace {

using namespace tim_test;

Matrix read_triplets(const std::filesystem::path& file, int n)
{
    Matrix m(n, std::vector<double>(n, 0.0));
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == ';') continue;
        std::istringstream s(line);
        int i = 0, j = 0;
        double v = 0.0;
        s >> i >> j >> v;
        m[i - 1][j - 1] = v;
    }
    return m;
}

TEST(TimRelationshipFiles, SparseInverseAndFactorMatchDenseInverse)
{
    const Pedigree p = regular_pedigree();
    const int n = static_cast<int>(p.size());
    const Matrix block{{2.0, 0.8}, {0.8, 1.0}};
    std::vector<vsk::Obs> o = make_obs(p);
    vsk::TimPedigree ped;
    vsk::build_tim_pedigree(o, true, ped);
    vsk::relate_founders(ped, {1, 2}, to_table(block), inverse(block));
    const vsk::Table<double> Ainv = inverse(tabular_relationships(p, true, block));

    const std::filesystem::path here = std::filesystem::current_path();
    const std::filesystem::path dir = std::filesystem::path(testing::TempDir()) / "tim_nrm";
    std::filesystem::create_directories(dir);
    std::filesystem::current_path(dir);
    vsk::write_relationship_files(ped, 2);
    std::filesystem::current_path(here);

    const Matrix S = read_triplets(dir / "NRMai.txt", n);
    const Matrix T = read_triplets(dir / "NRMaic.txt", n);
    for (int a = 0; a < n; ++a)
        for (int b = 0; b < n; ++b) {
            EXPECT_NEAR(S[a][b], Ainv[a][b], 1e-6) << a + 1 << " " << b + 1;
            double tt = 0.0;
            for (int k = 0; k < n; ++k) tt += T[k][a] * T[k][b];
            EXPECT_NEAR(tt, Ainv[a][b], 1e-6) << a + 1 << " " << b + 1;
        }
    std::filesystem::remove_all(dir);
}

}  // namespace
