// Symbol export of the post-processing library: everything hidden unless marked.
#pragma once

#define RUVANE_API __attribute__((visibility("default")))
