// Parameter interpreter driver: open the file, echo it, read every keyword in
// its fixed order, pre-scan the data file, print the deferred warnings,
// size the tables, fix the allele-frequency bounds and the initial QTL count.
#include <cstdio>
#include <filesystem>

#include "core/state/console.h"
#include "core/state/parameters.h"
#include "core/state/templates.h"
#include "core/state/version.h"
#include "core/voskara.h"
#include "textfile/fatal.h"
#include "textfile/file.h"

namespace vsk {

void init_par(Par& p)
{
    ParamContext ctx(project_dirF, project_parF);
    interpret_parameter_file(ctx, p);
    publish_parameter_results(ctx);
}

void interpret_parameter_file(ParamContext& ctx, Par& p)
{
    p = Par{};
    if (!open_file(ctx.path, "r")) report_missing_parameter_file(ctx);

    echo_effective_content(ctx);

    // Keywords in their fixed reading order.
    read_data_and_map_files(ctx, p);
    read_founder_relationship_keywords(ctx, p);
    read_trait_keywords(ctx, p);
    read_nuisance_keywords(ctx, p);
    read_linkage_group_keywords(ctx, p);
    read_model_keywords(ctx, p);
    read_chain_keywords(ctx, p);
    read_output_keywords(ctx, p);

    prescan_datafile(ctx, p);
    ctx.deferred.print();
    allocate_parameter_tables(ctx, p);
    set_frequency_bounds(ctx);
    // Without the QTL model no QTL ever enters: the sample files must say 0
    // (the IBD analysis sets its one fixed QTL itself).
    p.nqtl = p.indicQTL == 1 ? initial_qtl_count(ctx.seed, p.maximQTL) : 0;
}

void publish_parameter_results(ParamContext& ctx)
{
    chr = std::move(ctx.chr);
    boundary.freq_lower = ctx.freq_lower;
    boundary.freq_upper = ctx.freq_upper;
    iseed = ctx.seed;
    TIMnumrm = ctx.TIMnumrm;
    REDprint = ctx.REDprint;
    VARgroup = ctx.VARgroup;
    RJSdebug = ctx.RJSdebug;
    MRKdebug = ctx.MRKdebug;
}

void report_missing_parameter_file(const ParamContext& ctx)
{
    cprint("\nERROR! Cannot find parameter file!");
    cprint("\n  dir: %s", ctx.dir.c_str());
    cprint("\n file: %s\n", ctx.name.c_str());
    cprint("\n");
    static const char* const guide[] = {
        "Now creating:",
        "  voskara_templateQTL.par",
        "  voskara_templateIBD.par",
        "  voskara_templateQTL.dat",
        "  voskara_templateIBD.dat",
        "  voskara_template.map",
        "",
        "",
        "Option 1: Only parameter file is missing:",
        "  1.a: Look for file voskara_templateQTL.par OR voskara_templateIBD.par",
        "  1.b: change name of file into voskara.par",
        "  1.c: adjust variables in this file according to your data file,map file",
        "  1.d: adjust variables in this file according to your analysis options",
        "",
        "Option 2: Novel user of Voskara!",
        "  2.a: Look for file voskara_templateQTL.par OR voskara_templateIBD.par",
        "  2.b: change name of one of these files into voskara.par",
        "  2.c: Look for file voskara_templateQTL.dat OR voskara_templateIBD.dat",
        "  2.d: change its name into voskaraQTL.dat OR voskaraIBD.dat (the datafile",
        "       named in the parameter file of 2.b)",
        "         - must be consistent with 2.b (either IBD OR QTL!)",
        "  2.e: Look for file voskara_template.map",
        "  2.f: change name of this file into voskara.map",
        "  2.g: Run Voskara again to verify proper execution",
        "  2.h: Adjust variables in parameter file, similar to '1.c'/'1.d'",
    };
    for (const char* line : guide) cprint("\n%-73s", line);
    cprint("\n");
    cprint("\nNow exiting Voskara (%s)\n", kVersion);
    CreateTemplateXmlFile();
    write_templates(ctx.dir.empty() ? std::filesystem::path(".") : std::filesystem::path(ctx.dir));
    fatal_exit(1);
}

void set_frequency_bounds(ParamContext& ctx)
{
    if (ctx.freqmargin >= 0.0 && ctx.freqmargin <= 0.5) {
        ctx.freq_lower = ctx.freqmargin;
        ctx.freq_upper = 1.0 - ctx.freqmargin;
        return;
    }
    cprint("\nerror: allele freq. boundary: freqmargin = %f", ctx.freqmargin);
    cprint("\nmargin needs to be between 0.0 and 0.5, now exiting program");
    fatal_exit(1);
}

// The seed's last digit (with its sign) picks the start: |d| <= 4 starts
// without QTL, otherwise with the largest number allowed.
int initial_qtl_count(int seed, int maximQTL)
{
    int d = seed % 10;
    return (d >= -4 && d <= 4) ? 0 : maximQTL;
}

}  // namespace vsk
