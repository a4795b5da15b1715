// Sends the analysis console stream to a captured file for one test.
#pragma once

#include <string>

#include "core/state/console.h"
#include "support/test_support.h"

namespace driver_test {

class ConsoleCapture {
public:
    ConsoleCapture() { vsk::set_console_stream(stream_.stream()); }
    ~ConsoleCapture() { vsk::set_console_stream(nullptr); }
    ConsoleCapture(const ConsoleCapture&) = delete;
    ConsoleCapture& operator=(const ConsoleCapture&) = delete;
    std::string text() const
    {
        std::fflush(stream_.stream());
        return stream_.text();
    }

private:
    testsupport::CapturedStream stream_;
};

}  // namespace driver_test
