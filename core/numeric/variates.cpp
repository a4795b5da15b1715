// Gamma, chi-square and beta deviates and discrete draws from weight vectors.
// Samplers rely on the exact order of uniform draws here: never add or skip one.
#include "core/numeric/variates.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "core/state/console.h"
#include "textfile/fatal.h"

namespace vsk {

namespace {

// Orders below this use the product of uniforms; above, the rejection method.
constexpr int kGammaDirectMaxOrder = 6;

// Beta (Cheng BB/BC) constants as in the RANLIB form of the algorithms.
constexpr float kBetaMinShape = 1.0e-37f;
constexpr double kBetaExpMax = 89.0;      // exp() of more overflows a float
constexpr float kBetaInfinity = 1.0e38f;
constexpr double kLog4 = 1.3862944;
constexpr double kBetaSqueeze = 2.609438;  // 1 + ln 5

// Discrete draws on log weights: floor of the maximum and the log ratio
// below which a weight counts as zero.
constexpr double kLogWeightFloor = -1.0e6;
constexpr double kLogWeightCutoff = -140.0;

float gamma_rejection(Rng& r, int a)
{
    const float am = static_cast<float>(a - 1);
    const float s = static_cast<float>(std::sqrt(2.0 * am + 1.0));
    float x;
    double e;
    do {
        float y;
        do {
            float v1;
            float v2;
            do {
                v1 = static_cast<float>(2.0 * r.uniform() - 1.0);
                v2 = static_cast<float>(2.0 * r.uniform() - 1.0);
            } while (v1 * v1 + v2 * v2 > 1.0f || v1 == 0.0f);
            y = v2 / v1;
            x = s * y + am;
        } while (x <= 0.0f);
        e = (1.0 + y * y) * std::exp(am * std::log(static_cast<double>(x / am)) - s * y);
    } while (r.uniform() > e);
    return x;
}

// w = a * exp(v) with the overflow guard of the BB/BC algorithms. The guard
// on v alone lets a * exp(v) overflow a float when a > 1 (an infinite w
// then gives w / (b + w) = NaN), so w itself is capped as well.
float beta_w(const BetaSetup& c, float v)
{
    if (v > kBetaExpMax) return kBetaInfinity;
    const double w = c.a * std::exp(static_cast<double>(v));
    return w > kBetaInfinity ? kBetaInfinity : static_cast<float>(w);
}

// v = beta * ln(u1 / (1 - u1)); u1 rounded up to 1 gives an infinite v,
// which beta_w turns into its infinity stand-in.
float beta_logit(const BetaSetup& c, float u1)
{
    if (u1 >= 1.0f) return std::numeric_limits<float>::infinity();
    return static_cast<float>(c.beta * std::log(u1 / (1.0 - u1)));
}

float beta_bb(Rng& r, const BetaSetup& c)
{
    float w;
    for (;;) {
        const float u1 = static_cast<float>(r.uniform());
        const float u2 = static_cast<float>(r.uniform());
        const float v = beta_logit(c, u1);
        w = beta_w(c, v);
        const float z = static_cast<float>(static_cast<double>(u1) * u1 * u2);
        const float rr = static_cast<float>(c.gamma * v - kLog4);
        const float s = c.a + rr - w;
        if (s + kBetaSqueeze >= 5.0 * z) break;
        const float t = static_cast<float>(std::log(static_cast<double>(z)));
        if (s > t) break;
        if (rr + c.alpha * std::log(static_cast<double>(c.alpha / (c.b + w))) >= t) break;
    }
    return w;
}

float beta_bc(Rng& r, const BetaSetup& c)
{
    for (;;) {
        const float u1 = static_cast<float>(r.uniform());
        const float u2 = static_cast<float>(r.uniform());
        float z;
        if (u1 < 0.5f) {
            const float y = u1 * u2;
            z = u1 * y;
            if (0.25 * u2 + z - y >= c.k1) continue;
        } else {
            z = static_cast<float>(static_cast<double>(u1) * u1 * u2);
            if (z <= 0.25f) return beta_w(c, beta_logit(c, u1));
            if (z >= c.k2) continue;
        }
        const float v = beta_logit(c, u1);
        const float w = beta_w(c, v);
        if (c.alpha * (std::log(static_cast<double>(c.alpha / (c.b + w))) + v) - kLog4 <
            std::log(static_cast<double>(z)))
            continue;
        return w;
    }
}

void beta_setup_bb(BetaSetup& c, float aa, float bb)
{
    c.a = std::min(aa, bb);
    c.b = std::max(aa, bb);
    c.alpha = c.a + c.b;
    c.beta = static_cast<float>(std::sqrt((c.alpha - 2.0) / (2.0 * c.a * c.b - c.alpha)));
    c.gamma = static_cast<float>(c.a + 1.0 / c.beta);
}

void beta_setup_bc(BetaSetup& c, float aa, float bb)
{
    c.a = std::max(aa, bb);
    c.b = std::min(aa, bb);
    c.alpha = c.a + c.b;
    c.beta = static_cast<float>(1.0 / c.b);
    c.delta = static_cast<float>(1.0 + c.a - c.b);
    c.k1 = static_cast<float>(c.delta * (1.38889e-2 + 4.16667e-2 * c.b) / (c.a * c.beta - 0.777778));
    c.k2 = static_cast<float>(0.25 + (0.5 + 0.25 / c.delta) * c.b);
}

}  // namespace

float gamma_int(Rng& r, int a)
{
    if (a < 1) {
        cprint("Error in routine gamdev");
        fatal_exit(1);
    }
    if (a < kGammaDirectMaxOrder) {
        float x = 1.0f;
        for (int j = 0; j < a; ++j) x *= static_cast<float>(r.uniform());
        return static_cast<float>(-std::log(static_cast<double>(x)));
    }
    return gamma_rejection(r, a);
}

float chi_square(Rng& r, float d)
{
    // Written as !(d > 0) so that a NaN argument is refused as well.
    if (!(d > 0.0f)) {
        std::fprintf(stderr, " DF <= 0 in CHIDEV - ABORT\n");
        std::fprintf(stderr, " Value of DF: %16.6E\n", static_cast<double>(d));
        fatal_exit(1);
    }
    return 2.0f * gamma_int(r, static_cast<int>(d / 2.0f));
}

float beta(Rng& r, float aa, float bb)
{
    BetaSetup& c = r.beta_setup();
    const bool same = c.olda == aa && c.oldb == bb;
    if (!same) {
        // Written as !(x >= min) so that NaN shapes are refused as well.
        if (!(aa >= kBetaMinShape) || !(bb >= kBetaMinShape)) {
            std::fprintf(stderr, " AA or BB < 1.0E-37 in GENBET - Abort!\n");
            std::fprintf(stderr, " AA: %16.6E BB %16.6E\n", static_cast<double>(aa),
                         static_cast<double>(bb));
            fatal_exit(1);
        }
        c.olda = aa;
        c.oldb = bb;
    }
    const bool use_bb = std::min(aa, bb) > 1.0f;
    if (!same) {
        if (use_bb)
            beta_setup_bb(c, aa, bb);
        else
            beta_setup_bc(c, aa, bb);
    }
    const float w = use_bb ? beta_bb(r, c) : beta_bc(r, c);
    return aa == c.a ? w / (c.b + w) : c.b / (c.b + w);
}

int sample_discrete(double* w, int n, double u)
{
    double total = 0.0;
    for (int i = 0; i < n; ++i) total += w[i];
    if (total <= 0.0) return -1;
    int chosen = -1;
    double cumulative = 0.0;
    for (int i = 0; i < n; ++i) {
        w[i] /= total;
        if (u > cumulative) chosen = i;
        cumulative += w[i];
    }
    return chosen;
}

int sample_discrete_log(double* l, int n, double u)
{
    double top = kLogWeightFloor;
    for (int i = 0; i < n; ++i) top = std::max(top, l[i]);
    double total = 0.0;
    for (int i = 0; i < n; ++i) {
        const double d = l[i] - top;
        l[i] = d <= kLogWeightCutoff ? 0.0 : std::exp(d);
        total += l[i];
    }
    if (total <= 0.0) return 0;
    int chosen = 0;
    double cumulative = 0.0;
    for (int i = 0; i < n; ++i) {
        l[i] /= total;
        if (u > cumulative) chosen = i;
        cumulative += l[i];
    }
    return chosen;
}

}  // namespace vsk
