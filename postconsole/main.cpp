// Entry of the post-processing program.
#include <cstdio>

#include "post/ruvane.h"

int main(int /*argc*/, char** /*argv*/)
{
    return 0;
}
