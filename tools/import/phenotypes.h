// Phenotype columns of the field formats: which become traits, which become
// nuisance classes, and their data-file words.
#pragma once

#include <string>
#include <vector>

#include "tools/import/project.h"

namespace vimp {

struct PhenotypeTable {
    std::string file;
    std::vector<std::string> columns;             // column names
    std::vector<int> lines;                       // file line of each row
    std::vector<std::vector<std::string>> cells;  // rows x columns, as read
    int id_column = -1;                           // column of individual names, -1 none
};

// The user's choice: empty `traits` takes every numeric column other than
// the id and nuisance columns. A nuisance item "NAME:random" gives random
// classes.
struct Choice {
    std::vector<std::string> traits;
    std::vector<std::string> nuisance;
};

struct ChosenPhenotypes {
    std::vector<std::string> trait_names;
    std::vector<Nuisance> nuisance;
    std::vector<std::vector<std::string>> trait_words;     // per row
    std::vector<std::vector<std::string>> nuisance_words;  // per row
};

// Index of the column named id (any case), or -1.
int find_id_column(const std::vector<std::string>& columns);

// Throws ImportError for an unknown column or a non-numeric trait value;
// adds notes about left-out columns and recoded classes to `tally`.
ChosenPhenotypes choose_phenotypes(const PhenotypeTable& table, const Choice& choice, Tally& tally);

// Splits "a,b,c" (empty text: no item).
std::vector<std::string> split_list(const std::string& text);

}  // namespace vimp
