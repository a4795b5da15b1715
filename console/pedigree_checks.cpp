// Parent words and the single-parent rule.
#include "console/pedigree_checks.h"

#include <string>

#include "console/data_file_text.h"
#include "core/state/console.h"
#include "core/state/records.h"
#include "textfile/fatal.h"

namespace vsk {

ParentKind parent_kind(std::string_view word)
{
    if (word == "0") return ParentKind::Unknown;
    int value = int_value(word);
    ParentKind kind = ParentKind::Name;
    if (value == kInbred || word == "INBRED") kind = ParentKind::Inbred;
    if (value == kSelfed || word == "SELFED") kind = ParentKind::Selfed;
    if (value == kDbhpld || word == "DBHPLD") kind = ParentKind::Dbhpld;
    return kind;
}

std::string_view normalized_parent(std::string_view word)
{
    if (word == "*" || word == "-") return "0";
    return word;
}

bool is_second_parent_code(std::string_view word)
{
    return (!word.empty() && word[0] == '-') || word == "INBRED" || word == "DBHPLD" || word == "SELFED";
}

void check_single_parent(std::string_view name, int number, std::string_view p1, std::string_view p2)
{
    enum class Fault { None, SingleParent, SelfedFounder };
    Fault fault = Fault::None;
    const bool first_known = p1 != "0";
    if (first_known && p2 == "0") {
        fault = Fault::SingleParent;
    } else if (!first_known && p2 != "0") {
        switch (parent_kind(p2)) {
        case ParentKind::Inbred: break;
        case ParentKind::Selfed:
        case ParentKind::Dbhpld: fault = Fault::SelfedFounder; break;
        default: fault = Fault::SingleParent; break;
        }
    }
    if (fault == Fault::None) return;
    const std::string n(name), a(p1), b(p2);
    cprint("\n\nError:  Single parent known");
    cprint("\n%-10s %s [%d]", "Individual", n.c_str(), number);
    cprint("\n%-10s %s\n%-10s %s", "Parents", a.c_str(), "", b.c_str());
    if (fault == Fault::SingleParent) {
        cprint("\nPs. Also check #columns for (a)traits, (b)nuisances, (c)markers");
    } else {
        cprint("\ninproper use of doubled haploid or selfed individual");
        cprint("\nfounders may only be defined as INBRED");
    }
    fatal_exit(1);
}

}  // namespace vsk
