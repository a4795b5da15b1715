// Symbol export of the analysis library: everything is hidden unless marked.
#pragma once

#define VOSKARA_API __attribute__((visibility("default")))
