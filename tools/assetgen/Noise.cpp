#include "tools/assetgen/Noise.h"

#include <cmath>

uint32_t HashLattice(int32_t x, int32_t y, int32_t z, uint32_t seed) {
	uint32_t h = seed * 0x9E3779B9u;
	h ^= static_cast<uint32_t>(x) * 0x85EBCA6Bu;
	h = (h << 13) | (h >> 19);
	h ^= static_cast<uint32_t>(y) * 0xC2B2AE35u;
	h = (h << 17) | (h >> 15);
	h ^= static_cast<uint32_t>(z) * 0x27D4EB2Fu;
	h ^= h >> 16;
	h *= 0x7FEB352Du;
	h ^= h >> 15;
	h *= 0x846CA68Bu;
	h ^= h >> 16;
	return h;
}

namespace {

float LatticeValue(int32_t x, int32_t y, int32_t z, uint32_t seed) {
	return static_cast<float>(HashLattice(x, y, z, seed) >> 8) / static_cast<float>(1u << 24);
}

float Smooth(float t) {
	return t * t * (3.0f - 2.0f * t);
}

float Lerp(float a, float b, float t) {
	return a + (b - a) * t;
}

}  // namespace

float ValueNoise(float x, float y, float z, uint32_t seed) {
	const float fx = std::floor(x);
	const float fy = std::floor(y);
	const float fz = std::floor(z);
	const auto ix = static_cast<int32_t>(fx);
	const auto iy = static_cast<int32_t>(fy);
	const auto iz = static_cast<int32_t>(fz);
	const float tx = Smooth(x - fx);
	const float ty = Smooth(y - fy);
	const float tz = Smooth(z - fz);
	float layers[2];
	for (int dz = 0; dz < 2; ++dz) {
		const float a = Lerp(LatticeValue(ix, iy, iz + dz, seed), LatticeValue(ix + 1, iy, iz + dz, seed), tx);
		const float b = Lerp(LatticeValue(ix, iy + 1, iz + dz, seed), LatticeValue(ix + 1, iy + 1, iz + dz, seed), tx);
		layers[dz] = Lerp(a, b, ty);
	}
	return Lerp(layers[0], layers[1], tz);
}

float FractalNoise(float x, float y, float z, int octaves, uint32_t seed) {
	float sum = 0.0f;
	float weight = 1.0f;
	float total = 0.0f;
	for (int octave = 0; octave < octaves; ++octave) {
		sum += ValueNoise(x, y, z, seed + static_cast<uint32_t>(octave)) * weight;
		total += weight;
		x *= 2.0f;
		y *= 2.0f;
		z *= 2.0f;
		weight *= 0.5f;
	}
	return sum / total;
}
