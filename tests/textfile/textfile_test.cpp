// Keyword lookup, value reading and item splitting of the text utilities.
#include "textfile/textfile.h"

#include <gtest/gtest.h>

#include <functional>

#include "support/test_support.h"
#include "textfile/fatal.h"

using namespace vsk;
using testsupport::TempDir;
using testsupport::write_file;

namespace {

std::string value_of(const std::string& key, const std::string& path)
{
    std::string value;
    getpatternvalue(key, path, value);
    return value;
}

}  // namespace

TEST(StripComment, CutsAtCommentHashesAndTrailingBlanks)
{
    EXPECT_EQ(stripcomment("length 100 ; sweeps"), "length 100");
    EXPECT_EQ(stripcomment("seed 5 ## note"), "seed 5");
    EXPECT_EQ(stripcomment("abc \t\r\n"), "abc");
    EXPECT_EQ(stripcomment("; only a comment"), "");
}

TEST(SearchPattern, KeywordMatchingRules)
{
    TempDir dir;
    std::string path = (dir / "k.par").string();
    write_file(path,
               "nmrkrC 3 3 3\n"
               "lengthUDMax 5000\n"
               "; length 7 inside a comment\n"
               "namesT bodylength firmness\n"
               "  length 200   ## trailing note\n"
               "thinning\n");
    EXPECT_EQ(value_of("mrkrC", path), "3");          // ends the first word
    EXPECT_EQ(value_of("length", path), "200");       // never lengthUDMax, comment or namesT
    EXPECT_EQ(value_of("ess", path), "");             // "firmness" is not the first word
    std::string line;
    EXPECT_EQ(searchpattern("length", path, line), 1);
    EXPECT_EQ(line, "  length 200   ## trailing note\n");
    std::string value = "x";
    EXPECT_EQ(getpatternvalue("thinning", path, value), 1);
    EXPECT_EQ(value, "");
    EXPECT_EQ(getpatternvalue("absent", path, value), -1);
}

TEST(SearchPattern, LastMatchingLineWinsAndHashesStayInKeywordPart)
{
    TempDir dir;
    std::string path = (dir / "s.par").string();
    write_file(path, "seed 11\nseed 22 ; newer\n");
    EXPECT_EQ(value_of("seed", path), "22");
    write_file(path, "seed 11\n##seed 33\n");
    std::string line;
    EXPECT_EQ(searchpattern("seed", path, line), 2);  // "##" does not hide a keyword...
    EXPECT_EQ(value_of("seed", path), "");            // ...but ends the value part
}

// Files written on other systems end their lines in CR LF; a keyword alone
// at the end of a line matches at offset 0 or 1 or after a blank only.
TEST(SearchPattern, CarriageReturnsAndKeywordEndingTheLine)
{
    TempDir dir;
    std::string path = (dir / "crlf.par").string();
    write_file(path, "length 5\r\nseed\r\nxmrkrC\nxxFormatMCMC\n\tess\n");
    EXPECT_EQ(value_of("length", path), "5");
    std::string value = "x";
    EXPECT_EQ(getpatternvalue("seed", path, value), 1);  // keyword, CR: present without a value
    EXPECT_EQ(value, "");
    std::string line;
    EXPECT_EQ(searchpattern("mrkrC", path, line), 1);       // offset 1 at the end of the line
    EXPECT_EQ(searchpattern("FormatMCMC", path, line), -1);  // offset 2 inside a longer word
    EXPECT_EQ(searchpattern("ess", path, line), 1);          // after a tab
    EXPECT_EQ(line, "\tess\n");
}

TEST(SearchPattern, MissingFileIsFatal)
{
    std::string line;
    EXPECT_THROW(searchpattern("x", "/nonexistent/dir/file.par", line), FatalExit);
}

TEST(SplitItems, SeparatorsAndLimits)
{
    std::vector<std::string> items;
    EXPECT_EQ(splititems("a,b c", items, 50000, 80), 3);
    EXPECT_EQ(splititems("a b,", items, 50000, 80), 3);
    EXPECT_EQ(items[2], "");
    EXPECT_EQ(splititems("", items, 50000, 80), 0);
    EXPECT_EQ(splititems("abcdef", items, 50000, 4), -2);
    EXPECT_EQ(splititems("a b c d", items, 3, 80), -1);
}

TEST(SplitItems, ItemWordsOfALine)
{
    EXPECT_EQ(item_words("  a\tb,c  d \r"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(item_words("x,"), (std::vector<std::string>{"x"}));
    EXPECT_TRUE(item_words(" \t ").empty());
}

TEST(TextFile, MeasuresAndCopies)
{
    TempDir dir;
    std::string path = (dir / "m.txt").string();
    write_file(path, "; comment\nabc ; x\n\nde,fgh ij\n");
    EXPECT_EQ(filerows(path), 2);
    EXPECT_EQ(filewidth(path), 10);
    EXPECT_EQ(filemaxlengthline(path), 10);
    EXPECT_EQ(filemaxwords(path), 3);
    EXPECT_EQ(filemaxwordlength(path), 7);
    std::vector<std::string> lines;
    EXPECT_EQ(copyfiletobuffer(path, lines, 20, 2), 12);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "de,fgh ij");
    EXPECT_THROW(copyfiletobuffer(path, lines, 20, 1), FatalExit);
    EXPECT_THROW(copyfiletobuffer(path, lines, 5, 2), FatalExit);

    std::string comments = (dir / "c.txt").string();
    write_file(comments, "; a\n; b\n");
    EXPECT_EQ(filewidth(comments), 1);
    EXPECT_EQ(filemaxwords((dir / "none").string()), -1);
}

TEST(TextFile, StrposAndCountDistinct)
{
    EXPECT_EQ(strpos("MARKERS", "KER"), 3);
    EXPECT_EQ(strpos("", "a"), -1);
    EXPECT_EQ(strpos("abc", "z"), -1);
    int values[] = {0, 3, 3, 5};
    std::vector<int> distinct;
    EXPECT_EQ(countdistinct(values, 4, distinct), 2);
    EXPECT_EQ(distinct, (std::vector<int>{3, 5}));
}

// Each routine names itself when its file is missing, in its own wording.
TEST(TextFile, MissingFileMessages)
{
    TempDir dir;
    const std::string path = (dir / "absent.txt").string();
    const std::string common = "\n file " + path + " not found\n aborting";
    std::vector<std::string> lines;
    std::string line;
    const struct {
        const char* function;
        std::function<void()> call;
    } fatal_cases[] = {
        {"filerows", [&] { filerows(path); }},
        {"filewidth", [&] { filewidth(path); }},
        {"copyfiletobuffer", [&] { copyfiletobuffer(path, lines, 10, 10); }},
        {"searchpattern", [&] { searchpattern("seed", path, line); }},
    };
    for (const auto& c : fatal_cases) {
        testing::internal::CaptureStdout();
        EXPECT_THROW(c.call(), FatalExit) << c.function;
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  "\nERROR in function " + std::string(c.function) + "()" + common)
            << c.function;
    }

    testing::internal::CaptureStdout();
    EXPECT_THROW(filemaxlengthline(path), FatalExit);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "\nERROR in function filemaxlengthline()\n file " + path + " not found!\n aborting");

    // The word measures only report the missing file and return -1.
    for (int (*measure)(const std::string&) : {&filemaxwords, &filemaxwordlength, &filemaxline}) {
        testing::internal::CaptureStdout();
        EXPECT_EQ(measure(path), -1);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "\nFile '" + path + "' not available");
    }
}

TEST(TextFile, CopyRefusesTooManyRowsAndTooWideLines)
{
    TempDir dir;
    const std::string path = (dir / "t.txt").string();
    write_file(path, "abcd\n; note\nxy\n");
    std::vector<std::string> lines;
    testing::internal::CaptureStdout();
    EXPECT_THROW(copyfiletobuffer(path, lines, 10, 1), FatalExit);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error copyfiletobuffer() rows > 1\n");
    testing::internal::CaptureStdout();
    EXPECT_THROW(copyfiletobuffer(path, lines, 4, 2), FatalExit);  // "abcd" reaches the width
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error copyfiletobuffer() length > 4\n");
    EXPECT_EQ(copyfiletobuffer(path, lines, 5, 2), 6);
    EXPECT_EQ(lines, (std::vector<std::string>{"abcd", "xy"}));
}

// The word measures read lines into a buffer of MAXLENGTHLINE characters and
// refuse a line that would not fit with its newline and terminator.
TEST(TextFile, WordMeasuresRefuseOverlongLines)
{
    TempDir dir;
    const std::string path = (dir / "long.txt").string();
    write_file(path, "a b\n" + std::string(MAXLENGTHLINE - 2, 'x') + "\n");
    EXPECT_EQ(filemaxline(path), MAXLENGTHLINE - 2);
    EXPECT_EQ(filemaxwordlength(path), MAXLENGTHLINE - 2);
    EXPECT_EQ(filemaxwords(path), 2);

    write_file(path, "a b\n" + std::string(MAXLENGTHLINE - 1, 'x') + "\n");
    testing::internal::CaptureStdout();
    EXPECT_THROW(filemaxline(path), FatalExit);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "\nERROR\ntoo many characters on one line in file " + path +
                  ": \nIncrease MAXLENGTHLINE (current value 1000000");
}

// A keyword may end the first word of a line, but a later word never makes
// the line a keyword line, even when the keyword ends the line or is
// followed by a comment.
TEST(SearchPattern, LaterWordsNeverMatch)
{
    TempDir dir;
    std::string path = (dir / "w.par").string();
    write_file(path,
               "ess 50\n"
               "namesT body fitness\n"
               "namesT a\tfitness;note\n"
               "namesT   ess\r\n");
    std::string line;
    EXPECT_EQ(searchpattern("ess", path, line), 1);
    EXPECT_EQ(line, "ess 50\n");
    EXPECT_EQ(value_of("ess", path), "50");
    // Blanks before the first word do not make it a later word.
    write_file(path, " \t ness 7\n");
    EXPECT_EQ(value_of("ess", path), "7");
}

TEST(TextFile, PrintLineForms)
{
    testsupport::CapturedStream out;
    printline(out.stream(), 1, 3, 2);
    printstars(out.stream(), 0, 2, 1);
    EXPECT_EQ(out.text(), "\n---\n\n**\n");
}
