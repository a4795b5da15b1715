// Tagged allocation of the shared records: every record array is sized
// through these helpers so that an impossible request ends the run with a
// message naming the record ("init_ind()", "InitMarkers()", ...).
#pragma once

#include <cstddef>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "textfile/table.h"

namespace vsk {

// Ends the run: "requested memory size is 0 (tag,count,size)" on standard output.
[[noreturn]] void report_zero_request(const char* tag, std::size_t count, std::size_t size);
// Ends the run: "short of memory for tag" on standard output.
[[noreturn]] void report_short_of_memory(const char* tag);

// Sizes `v` to `count` elements of `value`. A request for no elements (count
// 0 or negative) is a fatal input error, an exhausted heap likewise; both
// messages go to standard output because they may come before any console
// stream exists.
template <class T>
void alloc_tagged(std::vector<T>& v, const char* tag, long count, const T& value = T{})
{
    if (count <= 0) report_zero_request(tag, 0, sizeof(T));
    try {
        v.assign(static_cast<std::size_t>(count), value);
    } catch (const std::bad_alloc&) {
        report_short_of_memory(tag);
    } catch (const std::length_error&) {
        report_short_of_memory(tag);
    }
}

// Untagged table sizing: rows x cols cells of `value`. Returns false (and
// leaves the table empty) when the heap cannot hold it; callers decide.
template <class T>
bool alloc_table(Table<T>& t, int rows, int cols, const T& value = T{})
{
    try {
        t.assign(rows, cols, value);
        return true;
    } catch (const std::bad_alloc&) {
        t.clear();
        return false;
    } catch (const std::length_error&) {
        t.clear();
        return false;
    }
}

// Releases a vector's storage; releasing an empty one does nothing.
template <class T>
void release(std::vector<T>& v)
{
    std::vector<T>().swap(v);
}

template <class T>
void release(Table<T>& t)
{
    t.clear();
}

inline void release(std::string& s)
{
    std::string().swap(s);
}

}  // namespace vsk
