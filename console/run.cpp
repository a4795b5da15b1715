// Order of the analysis run: start-up, input and model set-up, the chains,
// the end sequence. Each input reader, report and model step is one call at
// the place that names it below.
#include "console/run.h"

#include <cstdio>
#include <filesystem>
#include <vector>

#include "console/banner.h"
#include "console/command_line.h"
#include "console/data_file.h"
#include "console/end_sequence.h"
#include "console/fibd.h"
#include "console/ibd_positions.h"
#include "console/input_report.h"
#include "console/map_file.h"
#include "console/nuisance_classes.h"
#include "console/offspring.h"
#include "console/position_windows.h"
#include "console/reports.h"
#include "console/sweep_loop.h"
#include "core/state/console.h"
#include "core/voskara.h"
#include "textfile/datetime.h"

namespace vsk {

namespace {

// Command line, project directory, start time, banner.
void start_up(RunState& run, int argc, char** argv)
{
    CommandLine line;
    line.project_dir = current_directory();
    parse_command_line(argc, argv, line);
    project_dirF = enter_project_directory(line.project_dir);
    project_parF = line.par_file;
    run.par_path = (std::filesystem::path(project_dirF) / project_parF).string();

    run.start_time = datetime_text();
    cprint("%s\n", run.start_time.c_str());

    par.cur_sweep = -1;
    par.n_si_tallies = 0;
    print_banner(project_dirF, project_parF);
    print_disclaimer();
}

// Parameter file, input files, model set-up; returns the chain positions.
std::vector<double> prepare_analysis(RunState& run)
{
    InitGlobalVariables();
    par.cur_sweep = -1;  // the chain has not started, whatever the interpreter left
    print_data_file_section();
    print_map_section();
    print_mcmc_parameters(par);
    SeedGenerator();  // the next seed is appended once the inputs are read

    run.marker_distance = read_map_file();
    read_data_file();
    data_modi();
    find_desc();
    if (par.fibdfile != "NA") read_fibd_file();

    if (par.indicQTL != 0) setup_position_windows(run.marker_distance);

    prepare_nuisance_classes();
    if (par.indicQTL < 2) ReportHeldNuisanceCovariances();  // no nuisance steps in IBD mode
    AugmentPhenotypes();
    print_model_specification(par);
    if (par.indicFPM != 0) SampleFPM(0);
    if (par.indicTIM != 0) SampleTIM(0);

    std::vector<double> positions = chain_positions();
    if (par.indicQTL != 0) {
        SampleMarkers(1);
        SampleMarkers(2);
    }
    run.run_post_processing = par.indicQTL < 2;
    AppendNextSeed();
    return positions;
}

}  // namespace

int run_analysis(int argc, char** argv)
{
    RunState run;  // takes the start clock
    start_up(run, argc, argv);
    const std::vector<double> positions = prepare_analysis(run);
    if (par.trellanV == 2)
        export_to_pedigree_viewer();  // viewer files only: no sweeps
    else
        run_chains(run, positions);
    return end_sequence(run);
}

}  // namespace vsk
