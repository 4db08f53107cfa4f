// Block sine and power: the lane kernels built at two widths and the choice between them.
#include "engine/synth_math_block.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "engine/synth_math.h"

namespace {

double librarySin(double x) { return std::sin(x); }
double libraryPowerOf200(double x) { return std::pow(200.0, x); }

namespace two_lanes {
constexpr int kLanes = 2;
#include "engine/synth_math_lanes.h"
}  // namespace two_lanes

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define ZELVIK_FOUR_LANES 1
// Only the functions in this stretch may use AVX2; they run only where the processor has it.
#pragma GCC push_options
#pragma GCC target("avx2")
namespace four_lanes {
constexpr int kLanes = 4;
#include "engine/synth_math_lanes.h"
}  // namespace four_lanes
#pragma GCC pop_options
#endif

// Decided before any audio runs, so the render never takes a lock or asks twice.
#ifdef ZELVIK_FOUR_LANES
bool processorHasAvx2() {
    // This runs among the static constructors, possibly before the runtime's own probe.
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}
const bool kFourLanes = processorHasAvx2();
#else
const bool kFourLanes = false;
#endif
bool fourLanesChosen = kFourLanes;

}  // namespace

namespace synth_math_block_detail {

void extendedSinTwoLanes(const float* angles, float* out, int count) {
    two_lanes::extendedSinBlock(angles, out, count);
}

void powerOf200TwoLanes(const float* exponents, float* out, int count) {
    two_lanes::powerOf200Block(exponents, out, count);
}

bool fourLanesAvailable() { return kFourLanes; }

void useFourLanes(bool wanted) { fourLanesChosen = wanted && kFourLanes; }

bool fourLanesInUse() { return fourLanesChosen; }

void extendedSinFourLanes(const float* angles, float* out, int count) {
#ifdef ZELVIK_FOUR_LANES
    four_lanes::extendedSinBlock(angles, out, count);
#else
    two_lanes::extendedSinBlock(angles, out, count);
#endif
}

void powerOf200FourLanes(const float* exponents, float* out, int count) {
#ifdef ZELVIK_FOUR_LANES
    four_lanes::powerOf200Block(exponents, out, count);
#else
    two_lanes::powerOf200Block(exponents, out, count);
#endif
}

}  // namespace synth_math_block_detail

void extendedSinBlock(const float* angles, float* out, int count) {
    if (fourLanesChosen) {
        synth_math_block_detail::extendedSinFourLanes(angles, out, count);
    } else {
        synth_math_block_detail::extendedSinTwoLanes(angles, out, count);
    }
}

void powerOf200Block(const float* exponents, float* out, int count) {
    if (fourLanesChosen) {
        synth_math_block_detail::powerOf200FourLanes(exponents, out, count);
    } else {
        synth_math_block_detail::powerOf200TwoLanes(exponents, out, count);
    }
}
