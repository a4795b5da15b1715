// Simulation driver: pedigree, founder genomes, meioses down the pedigree,
// trait values and marker scores, each from its own random stream.
#include "tools/simulate/simulate.h"

namespace vsim {

namespace {

std::vector<Genotype> transmit(const Design& d, const Genome& g, const Pedigree& ped, std::uint64_t seed,
                               std::vector<Genotype>* origins)
{
    Rng founders(seed, Stream::Founders);
    Rng meiosis(seed, Stream::Meiosis);
    const auto& inds = ped.individuals;
    std::vector<Genotype> gts(inds.size());
    if (origins) origins->assign(inds.size(), Genotype{});
    for (std::size_t i = 0; i < inds.size(); ++i) {
        const Individual& ind = inds[i];
        if (ind.is_founder()) {
            // Inbred founders come in pairs, the two parents of one cross.
            if (ind.second == SecondParent::Inbred) {
                if (i + 1 >= inds.size() || inds[i + 1].second != SecondParent::Inbred)
                    throw SimError("inbred founders must come in pairs");
                inbred_pair(g, d, founders, gts[i], gts[i + 1]);
                ++i;
            } else {
                gts[i] = outbred_founder(g, d, founders);
            }
            continue;
        }
        Genotype& gt = gts[i];
        Genotype* from = origins ? &(*origins)[i] : nullptr;
        gamete(g, gts[static_cast<std::size_t>(ind.father)], meiosis, gt.paternal, from ? &from->paternal : nullptr);
        switch (ind.second) {
        case SecondParent::DoubledHaploid:
            gt.maternal = gt.paternal;
            if (from) from->maternal = from->paternal;
            break;
        case SecondParent::Selfed:
        case SecondParent::Parent:
            gamete(g, gts[static_cast<std::size_t>(ind.mother)], meiosis, gt.maternal, from ? &from->maternal : nullptr);
            break;
        default:
            throw SimError("individual " + ind.name + " has a first parent but no second");
        }
    }
    return gts;
}

}  // namespace

Population simulate(const Design& design, std::uint64_t seed)
{
    check_design(design);
    Population pop;
    pop.design = design;
    pop.seed = seed;
    Rng marker_rng(seed, Stream::Markers);
    pop.genome = build_genome(design, marker_rng);
    Rng pedigree_rng(seed, Stream::Pedigree);
    pop.pedigree = build_pedigree(design, pedigree_rng);
    pop.file_order = file_order(pop.pedigree, design.shuffle, pedigree_rng);
    pop.genotypes = transmit(design, pop.genome, pop.pedigree, seed, design.truth_origins ? &pop.origins : nullptr);

    auto codes = qtl_codes(pop.genome, pop.genotypes);
    Rng effects_rng(seed, Stream::Effects);
    pop.model = build_trait_model(design, pop.genome, pop.pedigree, pop.genotypes, codes, effects_rng);
    Rng phenotype_rng(seed, Stream::Phenotypes);
    pop.values = draw_phenotypes(design, pop.genome, pop.pedigree, pop.genotypes, pop.model, std::move(codes),
                                 phenotype_rng);
    pop.realised = realised_variances(design, pop.pedigree, pop.model, pop.values);

    Rng scoring_rng(seed, Stream::Scoring);
    pop.scores = score_markers(design, pop.genome, pop.pedigree, pop.genotypes, scoring_rng, &pop.score_stats);
    return pop;
}

Population write_preset_project(const std::string& preset, const std::filesystem::path& dir, std::uint64_t seed,
                                const std::vector<std::pair<std::string, std::string>>& settings)
{
    Design design = preset_design(preset);
    for (const auto& [key, value] : settings) apply_setting(design, key, value);
    Population pop = simulate(design, seed);
    write_project(pop, dir);
    return pop;
}

}  // namespace vsim
