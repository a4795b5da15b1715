// A small project for the parameter interpreter tests: a complete parameter
// file (editable keyword by keyword), a data file and a map file in a
// scratch directory, with the library's console captured.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/state/console.h"
#include "core/voskara.h"
#include "support/test_support.h"
#include "textfile/fatal.h"

namespace paramtest {

// Two traits (first analysed), one nuisance column, one linkage group of two
// markers: 4 + 1 + 2 + 2 * 2 = 11 items per data line.
inline const char* const kDataFile =
    "; test pedigree\n"
    "1  alpha   0 0  1  10.5  3.2   1 2   A C\n"
    "1  bravo   0 0  1  11.0  -     2 2   A A\n"
    "\n"
    "2  charlie alpha bravo 1  9.8  3.0  1 2  A C   ; offspring\n"
    "2  delta   alpha bravo 2  -    -    2 $  G T\n"
    "0  echo    *  0  1  8.0  2.0   - -   C G\n"
    "-1 foxtrot -  0  1  8.1  2.1   1 1   T T\n";

class ParamProject : public ::testing::Test {
protected:
    // Also called again inside a test to start a fresh case in the same
    // directory (files written by the earlier case stay).
    void SetUp() override
    {
        captured_ = std::make_unique<testsupport::CapturedStream>();
        extra_.clear();
        exit_code_ = 0;
        lines_ = {
            {"datafile", "test.dat"},  {"mapfile", "test.map"},   {"fibdfile", "NA"},
            {"ncolT", "2"},
            {"indiT", "1 0"},          {"namesT", "yield height"}, {"scaleT", "0"},
            {"misvalT", "NA ."},       {"ncolN", "1"},            {"indiN", "0"},
            {"namesN", "field"},       {"nchrom", "1"},           {"indiC", "1"},
            {"nmrkrC", "2"},           {"indicQTL", "1"},         {"maximQTL", "3"},
            {"priorQTL", "1.0"},       {"indicFPM", "0"},         {"maximFPM", "0"},
            {"priorFPM", "0"},         {"indicTIM", "0"},         {"addGENE", "5"},
            {"domGENE", "0"},          {"length", "1000"},        {"thinning", "10"},
            {"lengthUDMax", "5000"},   {"ess", "100"},            {"FormatMCMC", "1"},
            {"markerblock", "3"},      {"skipSampleMarkers", "0"}, {"writeSIP", "0"},
            {"nullalleleHidden", "0"}, {"freqmargin", "0.03"},    {"distanceQTLs", "0.1"},
            {"MSegAlpha", "0.005"},    {"MSegDelta", "0"},        {"DeleteDR", "0"},
            {"DeleteNIPH", "0"},       {"PrbHtzInb", "0.002"},    {"writeMSI", "0"},
            {"trellanV", "0"},         {"fixQTLpos", "2 cM"},     {"lockMPhase", "0"},
            {"anchorMarker", "0"},     {"headerOUT", "1"},        {"writeGTP", "none"},
            {"writeNRM", "0"},         {"maxnwrtNUI", "0"},       {"REDprint", "1"},
            {"VARgroup", "0"},         {"absorbFP", "0"},         {"nullalleleP", "$"},
            {"nullalleleC", "$$"},     {"RJSdebug", "0"},         {"MRKdebug", "0"},
            {"seed", "12344"},
        };
        testsupport::write_file(dir_ / "test.dat", kDataFile);
        testsupport::write_file(dir_ / "test.map", "group 1\nm1 0.0\nm2 10.0\n");
        vsk::par = vsk::Par{};
        vsk::project_dirF = dir_.str();
        vsk::project_parF = "voskara.par";
        vsk::set_console_stream(captured_->stream());
    }

    void TearDown() override
    {
        vsk::set_console_stream(nullptr);
        vsk::par = vsk::Par{};
        vsk::chr.clear();
        vsk::project_dirF.clear();
        vsk::project_parF = "voskara.par";
    }

    // Replaces the value of a keyword line (appends the line when absent).
    void set(const std::string& key, const std::string& value)
    {
        for (auto& line : lines_)
            if (line.first == key) {
                line.second = value;
                return;
            }
        lines_.emplace_back(key, value);
    }
    void remove(const std::string& key)
    {
        std::erase_if(lines_, [&](const auto& line) { return line.first == key; });
    }
    void append_raw(const std::string& line) { extra_ += line + "\n"; }
    void write_project_file(const std::string& name, const std::string& text)
    {
        testsupport::write_file(dir_ / name, text);
    }

    void write_parameter_file()
    {
        std::string text = "; parameter file of the test project\n";
        for (const auto& [key, value] : lines_) text += key + "   " + value + "\n";
        text += extra_;
        testsupport::write_file(dir_ / "voskara.par", text);
    }

    // Reads the project; true when it was accepted.
    bool run()
    {
        write_parameter_file();
        try {
            vsk::init_par(vsk::par);
            return true;
        } catch (const vsk::FatalExit& e) {
            exit_code_ = e.code();
            return false;
        }
    }

    std::string output() const { return captured_->text(); }
    int exit_code() const { return exit_code_; }
    const testsupport::TempDir& dir() const { return dir_; }

private:
    testsupport::TempDir dir_;
    std::unique_ptr<testsupport::CapturedStream> captured_;
    std::vector<std::pair<std::string, std::string>> lines_;
    std::string extra_;
    int exit_code_ = 0;
};

inline const std::string kAborting = "\nAborting Voskara (0.99130,16.FEB.2016)";

}  // namespace paramtest
