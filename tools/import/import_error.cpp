#include "tools/import/import_error.h"

namespace vimp {

void fail_at(const std::string& file, int line, const std::string& item, const std::string& reason)
{
    std::string text = file;
    if (line > 0) text += ", line " + std::to_string(line);
    if (!item.empty()) text += ", item '" + item + "'";
    throw ImportError(text + ": " + reason);
}

void fail(const std::string& reason) { throw ImportError(reason); }

}  // namespace vimp
