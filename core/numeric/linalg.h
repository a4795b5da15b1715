// Small dense matrix routines on row-addressable tables with an explicit
// dimension (tables may be allocated larger than the part in use). Failures
// are reported through return codes; the caller decides how to react.
#pragma once

#include <cstdio>
#include <vector>

#include "textfile/table.h"

namespace vsk {

// Reusable scratch space for lu_decompose / invert, so that samplers calling
// them every sweep allocate only once. Grows on demand.
struct LinalgWork {
    std::vector<int> perm;
    std::vector<double> scale;
    std::vector<double> column;
    Table<double> inverse;
};

// In place lower Cholesky factor L (A = L * L^T) of the leading n x n part;
// the upper triangle is set to 0. Returns 0, or 1 when a pivot falls below
// 1e-50 (A then holds a partial factor).
int cholesky(Table<double>& A, int n);

// In place LU decomposition (Crout, implicit partial pivoting). perm receives
// the pivot rows (resized to n), parity is +1 or -1 by the number of
// interchanges. Returns 0, 1 (no memory), 2 (a row of zeros) or 3 (zero pivot).
int lu_decompose(Table<double>& A, int n, std::vector<int>& perm, int& parity);
int lu_decompose(Table<double>& A, int n, std::vector<int>& perm, int& parity,
                 std::vector<double>& scale);

// Solves LU * x = b in place (b becomes x) using the decomposition above.
void lu_solve(const Table<double>& LU, int n, const std::vector<int>& perm, double* b);

// Replaces A by its inverse. Returns 0, 1 when memory is short, or the
// non-zero code of lu_decompose (A then holds the partial decomposition).
int invert(Table<double>& A, int n);
int invert(Table<double>& A, int n, LinalgWork& work);

// Determinant from an LU decomposition and its parity.
double lu_determinant(const Table<double>& LU, int n, int parity);

// C (r x c) = A (r x k) * B (k x c). C must not be A or B.
void mat_mult(const Table<double>& A, const Table<double>& B, Table<double>& C, int r, int k,
              int c);
// y (r) = A (r x c) * x (c). y must not alias x.
void mat_vec(const Table<double>& A, const double* x, double* y, int r, int c);
// A = s * A over the leading r x c part.
void mat_scale(Table<double>& A, double s, int r, int c);
// Copies the leading r x c part of src into dst.
void mat_copy(const Table<double>& src, Table<double>& dst, int r, int c);
void mat_copy(const Table<int>& src, Table<int>& dst, int r, int c);
// Prints each row with `format` per element (printf, one double) and "\n"
// after each row.
void mat_print(std::FILE* stream, const Table<double>& A, int r, int c, const char* format);

// Removes row and column k of the leading m x m part: rows below k move up
// (the removed row goes to position m - 1) and in each remaining row the
// elements after k move left.
void remove_rowcol(Table<double>& A, int m, int k);
// Removes element k of v[0..m-1] by shifting the rest left.
void remove_elem(double* v, int m, int k);

// Removes the rows and columns of gene g from a matrix of b stacked blocks of
// size s (position 0 of each block is the mean; mode 1: gene g at g + 1;
// mode 2: at 2g + 1 and 2g + 2). Returns the number removed, or -1 (with a
// message) when the new block size differs from s_new or the mode is invalid.
int RemoveColRowXRX(Table<double>& M, int s, int g, int s_new, int mode, int b);
// The same for a right-hand-side vector.
int RemoveRowXRy(double* v, int s, int g, int s_new, int mode, int b);

// Log density of N(0, P^-1) at x: -0.5 n ln(2 pi) - 0.5 logdet - 0.5 x' P x,
// where logdet is the log determinant of the covariance.
double mvn_logdensity(int n, double logdet, const double* x, const Table<double>& P);

// Divides every entry of the leading r x c part by the total when it is
// positive.
void normalise_table(Table<double>& t, int r, int c);

// Haldane recombination fraction between two positions in Morgan
// (1e-8 for positions closer than 1e-8).
double haldane(double p1, double p2);

}  // namespace vsk
