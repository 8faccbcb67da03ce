#pragma once
// A small deterministic generator (xorshift64*, seeded through splitmix64)
// so that an instance's particles depend only on its handle, never on other
// instances or on the C library's rand().

#include <cstdint>

namespace particles {

class ParticleRandom {
public:
	explicit ParticleRandom(uint64_t seed) {
		uint64_t z = seed + 0x9E3779B97F4A7C15ull;
		z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
		z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
		state = (z ^ (z >> 31)) | 1u;
	}

	// Uniform in [0, 1).
	float Next() {
		state ^= state >> 12;
		state ^= state << 25;
		state ^= state >> 27;
		const uint64_t bits = state * 0x2545F4914F6CDD1Dull;
		return static_cast<float>(bits >> 40) * (1.0f / 16777216.0f);
	}

	float Between(float min, float max) { return min + (max - min) * Next(); }

private:
	uint64_t state;
};

}  // namespace particles
