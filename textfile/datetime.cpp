// Date/time text of "now" in the fixed report form.
#include "textfile/datetime.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace vsk {

std::string datetime_text()
{
    std::time_t now = std::time(nullptr);
    std::tm parts{};
    const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
    if (epoch && *epoch) {
        now = static_cast<std::time_t>(std::strtoll(epoch, nullptr, 10));
        gmtime_r(&now, &parts);
    } else {
        localtime_r(&now, &parts);
    }
    // asctime form: "Www Mmm dd hh:mm:ss yyyy"
    char wday[4], month[4], clock[9], year[12];
    std::strftime(wday, sizeof wday, "%a", &parts);
    std::strftime(month, sizeof month, "%b", &parts);
    std::strftime(clock, sizeof clock, "%H:%M:%S", &parts);
    std::snprintf(year, sizeof year, "%d", parts.tm_year + 1900);
    char text[64];
    std::snprintf(text, sizeof text, "%s, %2d %s %s, %s", wday, parts.tm_mday, month, year, clock);
    return text;
}

}  // namespace vsk
