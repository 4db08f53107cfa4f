// Block forms of extendedSin and powerOf200: several values per step, each lane doing the
// very operations of the single-value form, so every result is bit for bit the same.
#pragma once

// out[i] = extendedSin(angles[i]) for i < count (count <= 0 does nothing); writes nothing
// past out[count - 1] and reads nothing past angles[count - 1].
void extendedSinBlock(const float* angles, float* out, int count);
// out[i] = powerOf200(exponents[i]) for i < count, as extendedSinBlock.
void powerOf200Block(const float* exponents, float* out, int count);

namespace synth_math_block_detail {

// The two widths the block forms choose between once, when the library loads: four lanes
// where the processor has AVX2 (x86 with GCC), two (SSE2) everywhere else. Named here so
// tests can hold both to the single forms on any machine.
void extendedSinTwoLanes(const float* angles, float* out, int count);
void powerOf200TwoLanes(const float* exponents, float* out, int count);
bool fourLanesAvailable();
// Four lanes are used where available unless turned off here (benchmarks and tests measure
// and check the two-lane form on any machine). Call only while no engine renders.
void useFourLanes(bool wanted);
bool fourLanesInUse();
void extendedSinFourLanes(const float* angles, float* out, int count);
void powerOf200FourLanes(const float* exponents, float* out, int count);

}  // namespace synth_math_block_detail
