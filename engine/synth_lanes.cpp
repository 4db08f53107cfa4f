// The lane kernels built for three instruction sets and the choice between them.
#include "engine/synth_lanes.h"

#include <cmath>
#include <algorithm>
#include <cstring>
#include <utility>

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define ZELVIK_X86_LANES 1
#else
#define ZELVIK_X86_LANES 0
#endif

namespace {

// The baseline every x86 processor of the last twenty years runs (the 32-bit build is
// compiled for SSE2 too); elsewhere, whatever the compiler makes of the vectors.
namespace baseline {
constexpr int kNativeLanes = 4;
#include "engine/synth_lanes_kernel.h"
}  // namespace baseline

// clang does not take GCC's target pragma: its builds (the fuzzers) run the baseline only.
#if defined(__GNUC__) && !defined(__clang__) && (defined(__x86_64__) || defined(__i386__))
#define ZELVIK_WIDE_LANES 1
// Only the functions in these stretches may use the wider sets; they run only where the
// processor has them.
#pragma GCC push_options
#pragma GCC target("avx2,fma")
namespace avx2 {
constexpr int kNativeLanes = 8;
#include "engine/synth_lanes_kernel.h"
}  // namespace avx2
#pragma GCC pop_options
#pragma GCC push_options
#pragma GCC target("avx512f,avx512dq,avx512vl,avx512bw,fma")
namespace avx512 {
constexpr int kNativeLanes = 16;
#include "engine/synth_lanes_kernel.h"
}  // namespace avx512
#pragma GCC pop_options
#endif

const LaneKernels kKernels[] = {
#ifdef ZELVIK_WIDE_LANES
    {"AVX-512", true, avx512::renderRun, avx512::waves, avx512::powersOf200},
    {"AVX2", true, avx2::renderRun, avx2::waves, avx2::powersOf200},
    {"SSE2", false, baseline::renderRun, baseline::waves, baseline::powersOf200},
#else
    {"portable", false, baseline::renderRun, baseline::waves, baseline::powersOf200},
#endif
};
constexpr int kKernelCount = static_cast<int>(sizeof kKernels / sizeof kKernels[0]);

bool runsHere(int index) {
#ifdef ZELVIK_WIDE_LANES
    // This may run among the static constructors, before the runtime's own probe.
    __builtin_cpu_init();
    if (index == 0) {
        return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("fma") &&
               __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512bw");
    }
    if (index == 1) return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
#endif
    return index >= 0 && index < kKernelCount;
}

int widestHere() {
    for (int i = 0; i < kKernelCount; ++i) {
        if (runsHere(i)) return i;
    }
    return kKernelCount - 1;
}

// Decided before any audio runs, so the render never asks twice or takes a lock.
const LaneKernels* chosen = &kKernels[widestHere()];

}  // namespace

const LaneKernels& laneKernels() { return *chosen; }

int laneKernelCount() { return kKernelCount; }

const LaneKernels& laneKernelsAt(int index) { return kKernels[index]; }

bool laneKernelsRunHere(int index) { return runsHere(index); }

void chooseLaneKernels(int index) {
    if (index >= 0 && index < kKernelCount && runsHere(index)) chosen = &kKernels[index];
}
