// Marker records as the marker steps see them: the shared records bundled by
// reference, so tests run every step on small records built in the test, and
// the constants of allele codes and genotype status codes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/state/records.h"

namespace vsk {

// Allele codes after coding: 1..n_alleles ordinary (the null allele, when a
// locus has one, is code n_alleles), these two null values while unresolved,
// and kMissingAllele.
inline constexpr int kMissingAllele = 99;
inline constexpr int kPutativeNull = -1;
inline constexpr int kConfirmedNull = -2;
// Coding refuses a locus with this many alleles or more.
inline constexpr int kTooManyAlleles = 99;

// Genotype status codes (`gtp_status`).
inline constexpr int kStatusUnset = -1;
inline constexpr int kObservedConsistent = 0;      // OC
inline constexpr int kMissingAugmented = 1;        // MA
inline constexpr int kObservedErrorAugmented = 2;  // OEA
inline constexpr int kPutNullAugmented = 3;        // pnuA
inline constexpr int kPutNullMissing = 4;          // pnuM
inline constexpr int kIncompleteMissing = 5;       // IM
inline constexpr int kObservedPutError = 6;        // OpE
inline constexpr int kObservedError = 7;           // OE
inline constexpr int kPutNullError = 8;            // pnuE
inline constexpr int kMissingError = 9;            // ME
inline constexpr int kPhasingError = 11;           // OPhE
inline constexpr int kMissingPhasingError = 12;    // MAPhE

inline constexpr int kLockedPhase = 2;             // `phase_lock` of a user-locked phase

inline constexpr const char* kMarkerLog = "marker.log";

// The records one marker step reads and writes.
struct MarkerData {
    Par& par;
    std::vector<Obs>& obs;
    std::vector<Mrkrlcs>& loci;
    Mrk& mrk;

    int n_loci() const { return par.n_markers; }
    int n_ind() const { return par.n_individuals; }
    // Current codes of individual i (1-based) at locus k.
    std::int8_t& a1(int k, int i) { return mrk.code1[k][i - 1]; }
    std::int8_t& a2(int k, int i) { return mrk.code2[k][i - 1]; }
    std::int8_t& status(int k, int i) { return mrk.gtp_status[k][i - 1]; }
    const Obs& ind(int i) const { return obs[static_cast<std::size_t>(i - 1)]; }
};

// The process-wide records.
MarkerData shared_marker_data();

// True when `mot` holds a second-parent code (INBRED, SELFED, DBHPLD).
inline bool second_parent_code(int mot) { return mot == kInbred || mot == kSelfed || mot == kDbhpld; }

// Sizes the coded tables of `mrk` to n_markers x n_individuals (codes and
// statuses cleared, no lock).
void size_marker_code_tables(MarkerData& d);

}  // namespace vsk
