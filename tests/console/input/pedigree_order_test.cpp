// Pedigree ordering: logs, the reordered file, cycles, and equality of the
// one-pass order with the scan-and-move-up order it replaces.
#include "console/pedigree_order.h"

#include <algorithm>
#include <cstdio>
#include <random>
#include <unordered_map>

#include "input_fixture.h"
#include "textfile/fatal.h"

class PedigreeOrder : public inputtest::InputTest {};

namespace {

// The reordering as first formulated: scan positions from the top; when the
// line at the scan position has a parent further down, move that line up to
// the scan position, re-resolve every parent by name and restart the scan.
std::vector<int> reference_order(const std::vector<std::string>& names, const std::vector<std::string>& p1,
                                 const std::vector<std::string>& p2)
{
    const int n = static_cast<int>(names.size());
    std::vector<int> arrangement(n);
    for (int i = 0; i < n; ++i) arrangement[i] = i;
    auto position_of = [&](const std::string& name) {
        for (int k = 0; k < n; ++k)
            if (names[arrangement[k]] == name) return k;
        return -1;
    };
    int a = 0;
    while (a < n) {
        bool moved = false;
        for (const std::vector<std::string>* parent : {&p1, &p2}) {
            const std::string& word = (*parent)[arrangement[a]];
            if (word == "0" || word[0] == '-' || word == "INBRED" || word == "SELFED" || word == "DBHPLD") continue;
            int p = position_of(word);
            if (p > a) {
                int line = arrangement[p];
                arrangement.erase(arrangement.begin() + p);
                arrangement.insert(arrangement.begin() + a, line);
                moved = true;
                break;
            }
        }
        a = moved ? 0 : a + 1;
    }
    return arrangement;
}

// The "AFTER sorting" table of the log for a final arrangement: every moved
// line with its parents' positions found by name (code -1, unknown 0).
std::string after_sorting_table(const std::vector<std::string>& names, const std::vector<std::string>& p1,
                                const std::vector<std::string>& p2, const std::vector<int>& arrangement)
{
    const int n = static_cast<int>(names.size());
    auto position = [&](const std::string& word, bool second) {
        if (word == "0") return 0;
        if (second && (word[0] == '-' || word == "INBRED" || word == "SELFED" || word == "DBHPLD")) return -1;
        for (int k = 0; k < n; ++k)
            if (names[arrangement[k]] == word) return k + 1;
        return -2;
    };
    std::string table = "\n\nAFTER sorting:";
    char row[200];
    for (int k = 0; k < n; ++k) {
        const int l = arrangement[k];
        if (l == k) continue;
        std::snprintf(row, sizeof row, "\n %3d: %3d %3d %3d %25s %25s %25s", l + 1, k + 1, position(p1[l], false),
                      position(p2[l], true), names[l].c_str(), p1[l].c_str(), p2[l].c_str());
        table += row;
    }
    return table;
}

std::string line(const std::string& name, const std::string& p1, const std::string& p2)
{
    return "1 " + name + " " + p1 + " " + p2;
}

}  // namespace

TEST_F(PedigreeOrder, OrderedPedigreeIsLeftAloneWithEmptyLog)
{
    std::vector<std::string> lines = {line("A", "0", "0"), line("B", "0", "INBRED"), line("C", "A", "B"),
                                      line("D", "C", "SELFED"), line("E", "*", "-")};
    std::vector<int> order = vsk::order_pedigree(lines);
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_NE(output().find("\nPedigree sorted OK"), std::string::npos);
    EXPECT_EQ(read("pedsort.log"), "");
    EXPECT_FALSE(exists("voskara.sort"));
}

TEST_F(PedigreeOrder, GrandparentListedLastIsMovedFirstAndLogged)
{
    // Grandchild first, child second, grandparent (selfed line founder) last.
    std::vector<std::string> lines = {line("GC", "CH", "SELFED"), line("CH", "GP", "SELFED"),
                                      line("GP", "0", "INBRED")};
    write("pedsort.log", "stale text from an earlier run");
    std::vector<int> order = vsk::order_pedigree(lines);
    EXPECT_EQ(order, (std::vector<int>{2, 1, 0}));
    EXPECT_NE(output().find("\nPedigree was NOT sorted: Sorted pedigree in file 'voskara.sort'\n"), std::string::npos);
    EXPECT_EQ(read("voskara.sort"), "\n1 GP 0 INBRED\n1 CH GP SELFED\n1 GC CH SELFED");
    char row1[160], row2[160];
    std::snprintf(row1, sizeof row1, "\n %3d: %3d %3d %3d %25s %25s %25s", 3, 1, 0, -1, "GP", "0", "INBRED");
    std::snprintf(row2, sizeof row2, "\n %3d: %3d %3d %3d %25s %25s %25s", 1, 3, 2, -1, "GC", "CH", "SELFED");
    EXPECT_EQ(read("pedsort.log"), std::string("\nWARNING: 1st parent(2) AFTER individual(1)  GC CH SELFED"
                                               "\nWARNING: 1st parent(3) AFTER individual(2)  CH GP SELFED"
                                               "\n\nAFTER sorting:") +
                                       row1 + row2);
}

TEST_F(PedigreeOrder, OnePassOrderEqualsScanAndMoveUpOrderWithItsLogAndFile)
{
    std::mt19937 gen(20160216);
    for (int trial = 0; trial < 40; ++trial) {
        const int n = 5 + trial * 3;
        std::vector<std::string> names(n), p1(n, "0"), p2(n, "0");
        for (int i = 0; i < n; ++i) {
            names[i] = "I" + std::to_string(i);
            const int kind = static_cast<int>(gen() % 6);
            if (i < 3 || kind == 5) {   // founders, some of them inbred, some with unknown marks
                p1[i] = kind == 4 ? "*" : "0";
                p2[i] = kind == 3 ? "INBRED" : kind == 2 ? "-" : "0";
                continue;
            }
            std::uniform_int_distribution<int> pick(0, i - 1);
            p1[i] = names[pick(gen)];
            p2[i] = kind == 0 ? "SELFED" : kind == 1 ? "-555" : names[pick(gen)];
        }
        std::vector<int> perm(n);
        for (int i = 0; i < n; ++i) perm[i] = i;
        std::shuffle(perm.begin(), perm.end(), gen);
        std::vector<std::string> sn(n), s1(n), s2(n), lines(n);
        for (int k = 0; k < n; ++k) {
            sn[k] = names[perm[k]];
            s1[k] = p1[perm[k]] == "*" ? "0" : p1[perm[k]];
            s2[k] = p2[perm[k]] == "-" ? "0" : p2[perm[k]];
            lines[k] = line(sn[k], p1[perm[k]], p2[perm[k]]);
        }
        std::remove("voskara.sort");
        const std::vector<int> expected = reference_order(sn, s1, s2);
        ASSERT_EQ(vsk::order_pedigree(lines), expected) << "trial " << trial;
        const std::string log = read("pedsort.log");
        const std::size_t after = log.find("\n\nAFTER sorting:");
        bool moved = false;
        for (int k = 0; k < n; ++k) moved = moved || expected[k] != k;
        ASSERT_EQ(after != std::string::npos, moved) << "trial " << trial;
        if (!moved) {
            EXPECT_FALSE(exists("voskara.sort"));
            continue;
        }
        EXPECT_EQ(log.substr(after), after_sorting_table(sn, s1, s2, expected)) << "trial " << trial;
        std::string sorted;
        for (int k : expected) sorted += "\n" + lines[k];
        EXPECT_EQ(read("voskara.sort"), sorted) << "trial " << trial;
    }
}

TEST_F(PedigreeOrder, CyclicPedigreeStopsWithMessage)
{
    std::vector<std::string> lines = {line("F", "0", "0"), line("A", "C", "F"), line("B", "A", "F"),
                                      line("C", "B", "F")};
    EXPECT_THROW(vsk::order_pedigree(lines), vsk::FatalExit);
    EXPECT_NE(output().find("the pedigree contains a cycle"), std::string::npos);
    EXPECT_NE(output().find("is its own ancestor"), std::string::npos);
}

TEST_F(PedigreeOrder, FatalPedigreeFaults)
{
    struct Case {
        std::vector<std::string> lines;
        const char* message;
    };
    const std::string name31(31, 'x'), name32(32, 'x');
    const Case cases[] = {
        {{line("A", "0", "0"), line("B", "A", "Q")}, "\nERROR: 2nd parent Q (2) not in pedigree!"},
        {{line("A", "0", "0"), line("B", "Z", "A")}, "\nERROR: 1st parent Z (2) not in pedigree!"},
        {{line("A", "0", "0"), line("B", "A", "0")}, "\n\nError:  Single parent known\nIndividual B [2]"},
        {{line("A", "0", "DBHPLD")}, "\ninproper use of doubled haploid or selfed individual"},
        {{line(name32, "0", "0")}, "\nERROR: too long names of individual and/or parents\nrow = 1\n"},
    };
    for (const Case& c : cases) {
        std::string before = output();
        EXPECT_THROW(vsk::order_pedigree(c.lines), vsk::FatalExit);
        EXPECT_NE(output().substr(before.size()).find(c.message), std::string::npos) << c.message;
    }
    EXPECT_NO_THROW(vsk::order_pedigree({line(name31, "0", "0")}));
}

TEST_F(PedigreeOrder, DeepReversedPedigreeIsOrderedQuickly)
{
    // A chain of 20000 generations listed youngest first: one long move-up.
    const int n = 20000;
    std::vector<std::string> lines;
    for (int i = n - 1; i >= 0; --i)
        lines.push_back(line("G" + std::to_string(i), i ? "G" + std::to_string(i - 1) : "0", i ? "SELFED" : "INBRED"));
    std::vector<int> order = vsk::order_pedigree(lines);
    for (int k = 0; k < n; ++k) ASSERT_EQ(order[k], n - 1 - k);
}
