// Row-addressable table: rows x cols cells in one block, addressed as t[r][c].
// Stands in for the "array of row pointers" tables of the data model while
// keeping ownership in one RAII object.
#pragma once

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

namespace vsk {

template <class T>
class Table {
public:
    Table() = default;
    Table(int rows, int cols, const T& value = T{}) { assign(rows, cols, value); }
    Table(const Table&) = default;
    Table& operator=(const Table&) = default;
    // A table moved from is empty (0 x 0), like a moved-from vector, so that
    // moving a record out empties every table in it.
    Table(Table&& other) noexcept
        : cells_(std::move(other.cells_)), rows_(std::exchange(other.rows_, 0)), cols_(std::exchange(other.cols_, 0))
    {
        other.cells_.clear();
    }
    Table& operator=(Table&& other) noexcept
    {
        if (this == &other) return *this;
        cells_ = std::move(other.cells_);
        other.cells_.clear();
        rows_ = std::exchange(other.rows_, 0);
        cols_ = std::exchange(other.cols_, 0);
        return *this;
    }

    void assign(int rows, int cols, const T& value = T{})
    {
        rows_ = rows > 0 ? rows : 0;
        cols_ = cols > 0 ? cols : 0;
        cells_.assign(static_cast<std::size_t>(rows_) * static_cast<std::size_t>(cols_), value);
    }
    void fill(const T& value) { std::fill(cells_.begin(), cells_.end(), value); }
    void clear()
    {
        cells_.clear();
        cells_.shrink_to_fit();
        rows_ = cols_ = 0;
    }

    T* operator[](int r) { return cells_.data() + static_cast<std::size_t>(r) * cols_; }
    const T* operator[](int r) const { return cells_.data() + static_cast<std::size_t>(r) * cols_; }

    int rows() const { return rows_; }
    int cols() const { return cols_; }
    bool empty() const { return cells_.empty(); }
    T* data() { return cells_.data(); }
    const T* data() const { return cells_.data(); }

private:
    std::vector<T> cells_;
    int rows_ = 0;
    int cols_ = 0;
};

}  // namespace vsk
