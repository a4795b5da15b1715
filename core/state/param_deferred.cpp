// Deferred-message buffer of the parameter interpreter. It grows as needed,
// so no amount of warnings can overrun it.
#include "core/state/param_deferred.h"

#include <cstdarg>
#include <cstdio>

#include "core/state/console.h"

namespace vsk {

void DeferredMessages::add(const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    std::va_list again;
    va_copy(again, args);
    int needed = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    if (needed > 0) {
        std::string piece(static_cast<std::size_t>(needed) + 1, '\0');
        std::vsnprintf(piece.data(), piece.size(), format, again);
        piece.resize(static_cast<std::size_t>(needed));
        text_ += piece;
    }
    va_end(again);
}

void DeferredMessages::print() const
{
    if (!text_.empty()) cprint("\n%s", text_.c_str());
}

}  // namespace vsk
