// Malformed projects (tests/data/malformed, one defect each) run through the
// analysis ("v") and the post-processing ("r"): each ends with its expected
// exit code and a message that says what is wrong and where. None may crash,
// hang, exhaust memory or change the analysis silently.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;

struct MalformedCase {
    const char* directory;
    const char* programs;   // run in order on one copy: v = analysis, r = post-processing
    int exit_code;          // of the last program
    const char* needle;     // text the last program's output must hold
};

const std::vector<MalformedCase> kCases = {
    {"crash_fibd_inbred", "v", 1, "ERROR: inbred 3 in file voskara.fibd: 0 (outbred) or 1 (inbred founders) expected"},
    {"crash_ruvane_map_nan", "r", 1, "ERROR in map file voskara.map, line 9, linkage group 1, marker c1m007"},
    {"crash_voskara_map_nan", "v", 1, "map position 'NaN' of marker c1m007 is not a number"},
    {"ubsan_ruvane_map_neginf", "r", 1, "line 3, linkage group 1, marker c1m001: position"},
    {"hang_ruvane_map_1e300", "r", 1, "marker c1m007: position (cM from 0 up to below 9800) is '1e300'"},
    {"hang_voskara_map_1e300", "v", 1, "map position '1e300' of marker c1m007 is not a number of cM"},
    {"hang_ess_wrap", "v", 1, "value '-2147483649' of ess in file voskara.par is a number out of range"},
    {"hang_maximQTL_20000", "v", 1, "value 20000 of maximQTL in file voskara.par is out of range: 0 to 1000"},
    {"ubsan_oom_maximQTL", "v", 1, "value 2147483647 of maximQTL in file voskara.par is out of range"},
    {"ubsan_thinning_overflow", "v", 1, "value 2147483647 of thinning in file voskara.par is out of range"},
    {"ubsan_fibd_chrom", "v", 1, "item 2 ('-2147483648') is not the number of an analysed linkage group"},
    {"ubsan_ruvane_indiC", "r", 1, "error in 'ichrom[1]', see "},
    {"silent_indiT_2", "v", 1, "value 2 of indiT in file voskara.par is out of range: 0 to 1 are allowed"},
    {"silent_par_addGENE_NaN", "v", 1, "value 'NaN' of addGENE in file voskara.par is not a number"},
    // Both programs read the extra line's value (the keyword ends its first word).
    {"silent_keyword_suffix_divergence", "v", 0, "\nmaximQTL          9"},
    {"silent_keyword_suffix_divergence", "vr", 0, "\nmaximQTL          9"},
    {"silent_map_order", "v", 1, "marker c1m004 at -0 cM lies before the previous marker of linkage group 1"},
    {"silent_map_nan_hex", "v", 1, "map position 'NaN' of marker c1m004 is not a number"},
    {"silent_allele_garbage", "v", 1, "allele 'x' of individual alpha at marker marker001 (data file line 17)"},
    {"silent_phenotype_1e308", "v", 1, "phenotype '1e308' of individual F2_1_001 (trait column 1) is not a number"},
    {"silent_fibd_garbage", "v", 1, "line 15:1.0 abc\nitem 2 ('abc') is not a probability"},
    {"silent_ruvane_maximQTL_mismatch", "r", 1, "written for 3 QTL slots and 1 traits, the parameter file gives"},
    {"silent_ruvane_genpar_head_cut", "r", 1, "genpar.out no longer lines up with the QTL rows"},
    {"silent_ruvane_wrtgtp_inp_count", "r", 1, "Inconsistent number of names for individuals with genotypes"},
    {"msg_data_line_number", "v", 1, "wrong number of columns in file voskara.dat, line 30, nstrings(observed) = 57"},
    {"msg_duplicate_line_numbers", "v", 1, "duplication of individual found!\nName: G1_F3_008\nLine 31"},
    {"msg_empty_data", "v", 1, "ERROR: data file voskara.dat is empty"},
    {"msg_map_extra_marker", "v", 1, "line 14 of map file voskara.map: the header of linkage group 2"},
    {"msg_ruvane_row_number", "r", 1, "item '1.3x' at line 69, column 4 is not a valid value\nNow exiting Ruvane"},
    {"msg_ruvane_empty_par", "r", 1, "parameter file "},
    {"template_message", "v", 1, "ERROR: data files not found (voskaraQTL.dat or CMvoskaraQTL.dat)"},
};

using testsupport::shell_quoted;

// The program on a project directory, stopped after two minutes at most (a
// hang fails the case instead of the suite) and with its memory bounded (an
// allocation of gigabytes fails instead of swapping).
// AddressSanitizer reserves terabytes of shadow address space, so a build
// with it runs without the bound (its own allocator reports oversized
// requests instead).
#if defined(__SANITIZE_ADDRESS__)
constexpr const char* kMemoryBound = "";
#else
constexpr const char* kMemoryBound = " && ulimit -v 4000000";
#endif

testsupport::RunResult run_program(char program, const fs::path& dir)
{
    const std::string name = program == 'v' ? "voskara_console" : "ruvane_console";
    return testsupport::run_command("cd " + shell_quoted(dir.string()) + kMemoryBound + " && timeout 120 " +
                                    shell_quoted(testsupport::program(name)) + " -d " + shell_quoted(dir.string()));
}

class MalformedCli : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedCli, EndsWithItsMessageAndExitCode)
{
    const MalformedCase& c = GetParam();
    testsupport::TempDir dir;
    fs::copy(testsupport::source_path("tests/data/malformed") / c.directory, dir.path(),
             fs::copy_options::recursive);
    for (const auto& entry : fs::recursive_directory_iterator(dir.path()))
        fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add);
    testsupport::RunResult result;
    for (const char* p = c.programs; *p != '\0'; ++p) result = run_program(*p, dir.path());
    EXPECT_EQ(result.exit_code, c.exit_code) << result.output.substr(result.output.size() > 3000 ? result.output.size() - 3000 : 0);
    EXPECT_NE(result.output.find(c.needle), std::string::npos)
        << "needle: " << c.needle << "\n--- output tail:\n"
        << result.output.substr(result.output.size() > 3000 ? result.output.size() - 3000 : 0);
    EXPECT_EQ(result.output.find("Sanitizer"), std::string::npos);
    EXPECT_EQ(result.output.find("runtime error"), std::string::npos);
}

std::string case_name(const ::testing::TestParamInfo<MalformedCase>& info)
{
    std::string name = std::string(info.param.directory) + "_" + info.param.programs;
    for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Inputs, MalformedCli, ::testing::ValuesIn(kCases), case_name);

}  // namespace
