// Every genotype code of both field formats and the data-file words it
// becomes.
#include <gtest/gtest.h>

#include "tools/import/cp.h"
#include "tools/import/import_error.h"
#include "tools/import/rqtl.h"
#include "tools/import/text_table.h"

using vimp::CodeKind;
using vimp::RqtlCross;

namespace {

struct CodeCase {
    RqtlCross cross;
    const char* code;
    const char* first;
    const char* second;
    CodeKind kind;
};

}  // namespace

TEST(ImportCodes, RqtlTwoParentCrosses)
{
    const RqtlCross f2 = RqtlCross::F2, bc = RqtlCross::Backcross, dh = RqtlCross::DoubledHaploid,
                    ril = RqtlCross::RilSelf;
    const std::vector<CodeCase> cases{
        {f2, "A", "A", "A", CodeKind::Full},      {f2, "H", "A", "B", CodeKind::Full},
        {f2, "B", "B", "B", CodeKind::Full},      {f2, "D", "A", "-", CodeKind::Partial},
        {f2, "C", "B", "-", CodeKind::Partial},   {f2, "-", "-", "-", CodeKind::Missing},
        {f2, "NA", "-", "-", CodeKind::Missing},  {f2, "", "-", "-", CodeKind::Missing},
        {f2, "X", "-", "-", CodeKind::Unknown},   {f2, "a", "-", "-", CodeKind::Unknown},
        {f2, "1", "-", "-", CodeKind::Unknown},   {bc, "A", "A", "A", CodeKind::Full},
        {bc, "H", "A", "B", CodeKind::Full},      {bc, "B", "B", "B", CodeKind::Unexpected},
        {dh, "B", "B", "B", CodeKind::Full},      {dh, "H", "A", "B", CodeKind::Unexpected},
        {ril, "H", "A", "B", CodeKind::Unexpected}, {ril, "C", "B", "-", CodeKind::Partial},
    };
    for (const CodeCase& c : cases) {
        const vimp::Alleles a = vimp::rqtl_genotype(c.cross, c.code);
        EXPECT_EQ(a.kind, c.kind) << c.code;
        if (a.kind == CodeKind::Unknown) continue;
        EXPECT_EQ(a.first, c.first) << c.code;
        EXPECT_EQ(a.second, c.second) << c.code;
    }
}

TEST(ImportCodes, RqtlFourWayCross)
{
    const RqtlCross fw = RqtlCross::FourWay;
    const std::vector<CodeCase> cases{
        {fw, "1", "11", "13", CodeKind::Full},    {fw, "2", "12", "13", CodeKind::Full},
        {fw, "3", "11", "14", CodeKind::Full},    {fw, "4", "12", "14", CodeKind::Full},
        {fw, "5", "11", "-", CodeKind::Partial}, {fw, "6", "12", "-", CodeKind::Partial},
        {fw, "7", "13", "-", CodeKind::Partial}, {fw, "8", "14", "-", CodeKind::Partial},
        {fw, "NA", "-", "-", CodeKind::Missing}, {fw, "15", "", "", CodeKind::Unknown},
        {fw, "A", "", "", CodeKind::Unknown},   {fw, "0", "", "", CodeKind::Unknown},
    };
    for (const CodeCase& c : cases) {
        const vimp::Alleles a = vimp::rqtl_genotype(c.cross, c.code);
        EXPECT_EQ(a.kind, c.kind) << c.code;
        if (a.kind != CodeKind::Unknown) {
            EXPECT_EQ(a.first + " " + a.second, std::string(c.first) + " " + c.second);
        }
    }
    for (const char* lost : {"9", "10", "11", "12", "13", "14"}) {
        const vimp::Alleles a = vimp::rqtl_genotype(fw, lost);
        EXPECT_EQ(a.kind, CodeKind::Lost) << lost;
        EXPECT_EQ(a.first + a.second, "--") << lost;
    }
}

TEST(ImportCodes, CrossNames)
{
    EXPECT_EQ(vimp::rqtl_cross("riself"), RqtlCross::RilSelf);
    EXPECT_EQ(vimp::rqtl_cross("4way"), RqtlCross::FourWay);
    EXPECT_THROW(vimp::rqtl_cross("f3"), vimp::ImportError);
}

TEST(ImportCodes, SegregationTypesImplyTheParents)
{
    struct Case {
        const char* type;
        const char* first;   // allele words of the first parent
        const char* second;
    };
    for (const Case& c : std::vector<Case>{{"<abxcd>", "11 12", "13 14"},
                                           {"<efxeg>", "11 12", "11 13"},
                                           {"<hkxhk>", "11 12", "11 12"},
                                           {"<lmxll>", "11 12", "11 11"},
                                           {"<NNxNP>", "11 11", "11 12"}}) {
        const vimp::SegregationType t = vimp::segregation_type(c.type);
        ASSERT_FALSE(t.name.empty()) << c.type;
        EXPECT_EQ(vimp::allele_word(t, t.first_parent[0]) + " " + vimp::allele_word(t, t.first_parent[1]), c.first);
        EXPECT_EQ(vimp::allele_word(t, t.second_parent[0]) + " " + vimp::allele_word(t, t.second_parent[1]), c.second);
    }
    EXPECT_TRUE(vimp::segregation_type("<abxab>").name.empty());
    EXPECT_TRUE(vimp::segregation_type("abxcd").name.empty());
}

TEST(ImportCodes, EveryCodeOfEverySegregationType)
{
    struct Case {
        const char* type;
        const char* code;
        const char* words;  // "" for a code the type does not allow
        CodeKind kind;
    };
    const std::vector<Case> cases{
        {"<abxcd>", "ac", "11 13", CodeKind::Full},    {"<abxcd>", "ad", "11 14", CodeKind::Full},
        {"<abxcd>", "bc", "12 13", CodeKind::Full},    {"<abxcd>", "bd", "12 14", CodeKind::Full},
        {"<abxcd>", "ab", "", CodeKind::Unknown},    {"<abxcd>", "--", "- -", CodeKind::Missing},
        {"<efxeg>", "ee", "11 11", CodeKind::Full},    {"<efxeg>", "ef", "11 12", CodeKind::Full},
        {"<efxeg>", "eg", "11 13", CodeKind::Full},    {"<efxeg>", "fg", "12 13", CodeKind::Full},
        {"<efxeg>", "ff", "", CodeKind::Unknown},    {"<efxeg>", "gg", "", CodeKind::Unknown},
        {"<hkxhk>", "hh", "11 11", CodeKind::Full},    {"<hkxhk>", "hk", "11 12", CodeKind::Full},
        {"<hkxhk>", "kk", "12 12", CodeKind::Full},    {"<hkxhk>", "h-", "11 -", CodeKind::Partial},
        {"<hkxhk>", "k-", "12 -", CodeKind::Partial}, {"<hkxhk>", "kh", "", CodeKind::Unknown},
        {"<lmxll>", "ll", "11 11", CodeKind::Full},    {"<lmxll>", "lm", "11 12", CodeKind::Full},
        {"<lmxll>", "mm", "", CodeKind::Unknown},    {"<lmxll>", "-", "- -", CodeKind::Missing},
        {"<nnxnp>", "nn", "11 11", CodeKind::Full},    {"<nnxnp>", "np", "11 12", CodeKind::Full},
        {"<nnxnp>", "NP", "11 12", CodeKind::Full},    {"<nnxnp>", "pp", "", CodeKind::Unknown},
        {"<nnxnp>", "ll", "", CodeKind::Unknown},    {"<nnxnp>", "n-", "", CodeKind::Unknown},
    };
    for (const Case& c : cases) {
        const vimp::Alleles a = vimp::cp_genotype(vimp::segregation_type(c.type), c.code);
        EXPECT_EQ(a.kind, c.kind) << c.type << " " << c.code;
        if (a.kind != CodeKind::Unknown) {
            EXPECT_EQ(a.first + " " + a.second, c.words) << c.type << " " << c.code;
        }
    }
}

TEST(ImportCodes, CsvCellsAndNumbers)
{
    const auto cells = vimp::split_csv_line(" a ,\"b, c\",\"say \"\"hi\"\"\",,", "f", 1);
    EXPECT_EQ(cells, (std::vector<std::string>{"a", "b, c", "say \"hi\"", "", ""}));
    EXPECT_THROW(vimp::split_csv_line("a,\"b", "f", 1), vimp::ImportError);
    for (const char* yes : {"1", "-2.5", "1e3", "0.00"}) EXPECT_TRUE(vimp::is_number(yes)) << yes;
    for (const char* no : {"", "1a", "NA", "inf", "nan", "1,2"}) EXPECT_FALSE(vimp::is_number(no)) << no;
    for (const char* m : {"", "-", "NA"}) EXPECT_TRUE(vimp::is_missing_word(m)) << m;
    EXPECT_TRUE(vimp::is_positive_integer("12"));
    EXPECT_FALSE(vimp::is_positive_integer("0"));
    EXPECT_FALSE(vimp::is_positive_integer("1.5"));
}
