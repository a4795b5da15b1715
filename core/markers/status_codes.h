// The genotype status legend: one-character indicator, short name and
// description of each status code, shared by the marker reports and files.
#pragma once

namespace vsk {

struct StatusInfo {
    int code;
    char indicator;
    const char* short_name;
    const char* description;
};

// Codes 0..9, 11 and 12, in code order.
extern const StatusInfo kStatusLegend[12];
// Indicator of a status code ('?' for a code without one).
char status_indicator(int code);

}  // namespace vsk
