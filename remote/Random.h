// The simulated machine's numbers: SplitMix64, the same sequence on every
// platform and standard library, so tests can compute what the machine answers.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vantrel::remote {

class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}

    uint64_t Next()
    {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

    // A number in 0..bound-1; 0 for a bound of 0.
    size_t Below(size_t bound) { return bound == 0 ? 0 : static_cast<size_t>(Next() % bound); }
    // A number in low..high.
    uint64_t Between(uint64_t low, uint64_t high) { return low + Next() % (high - low + 1); }
    // A fraction in [0, 1).
    double Fraction() { return static_cast<double>(Next() >> 11) / 9007199254740992.0; }

private:
    uint64_t state_;
};

}  // namespace vantrel::remote
