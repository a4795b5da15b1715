// Version and release date printed in banners, templates and messages.
#pragma once

namespace vsk {

inline constexpr const char* kVersion = "0.99130";
inline constexpr const char* kVersionDate = "16.FEB.2016";

}  // namespace vsk
