// Local date/time text used in reports, the seed line and output headers:
// "%s, %2d %s %s, %s" (weekday, day, month, year, time of day).
// When SOURCE_DATE_EPOCH is set, that instant is used instead of the clock
// (in UTC), so that seeded runs can produce byte-identical files.
#pragma once

#include <string>

namespace vsk {

std::string datetime_text();

}  // namespace vsk
