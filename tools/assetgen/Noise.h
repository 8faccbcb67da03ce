#pragma once
// Deterministic lattice noise for procedural surfaces: the same coordinates
// give the same value on every machine and run.

#include <cstdint>

// A well-mixed 32-bit hash of lattice coordinates and a seed.
uint32_t HashLattice(int32_t x, int32_t y, int32_t z, uint32_t seed);

// Smoothly interpolated value noise in 0..1.
float ValueNoise(float x, float y, float z, uint32_t seed);

// Sum of octaves of value noise, each twice the frequency and half the
// weight of the last, normalised to 0..1.
float FractalNoise(float x, float y, float z, int octaves, uint32_t seed);
