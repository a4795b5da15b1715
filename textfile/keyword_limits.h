// Bounds of the parameter-file counts, shared by every program that reads
// the parameter file (the analysis at start-up and during the chain, the
// post-processing), so that one file never gives them different settings.
// Larger values could only exhaust memory or overflow a count.
#pragma once

namespace vsk {

inline constexpr int kMaxGeneSlots = 1000;            // maximQTL, maximFPM
inline constexpr int kMaxChainLength = 1000000000;    // length, lengthUDMax
inline constexpr int kMaxThinning = 10000000;         // 200 x thinning stays an int
inline constexpr int kMaxEss = 10000000;              // ess
inline constexpr int kMaxMarkerBlock = 100;           // markerblock
inline constexpr int kMaxMarkersPerGroup = 10000000;  // each mrkrC / nmrkrC value
inline constexpr int kMaxListCount = 50000;           // ncolT, ncolN, nchrom (items on one line)

}  // namespace vsk
