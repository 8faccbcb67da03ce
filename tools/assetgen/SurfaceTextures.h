#pragma once
// Procedural surface textures for the model and map materials: panel
// lines, hazard stripes, concrete, metal plate. Deterministic: the same
// arguments always give the same PNG bytes.

#include <cstdint>
#include <vector>

struct Rgb {
	float r, g, b;
};

// Fixed-seed generator so that every run draws the same speckle.
class SurfaceNoise {
public:
	explicit SurfaceNoise(uint32_t seed) : state(seed * 2654435761u + 1013904223u) {}
	uint32_t Next();
	float Unit() { return static_cast<float>(Next() >> 8) / 16777216.0f; }  // [0, 1)

private:
	uint32_t state;
};

// Armour panels with recessed seams, rivets and a little wear.
std::vector<uint8_t> PanelTexturePng(int size, Rgb base, Rgb seam, uint32_t seed);
// Diagonal warning stripes.
std::vector<uint8_t> HazardTexturePng(int size, Rgb a, Rgb b);
// Poured concrete slabs with expansion joints.
std::vector<uint8_t> ConcreteTexturePng(int size, Rgb base, uint32_t seed);
// Tread plate with a raised diamond pattern.
std::vector<uint8_t> MetalPlateTexturePng(int size, Rgb base, uint32_t seed);

// Encodes RGB8 pixels as PNG.
std::vector<uint8_t> EncodePng(int width, int height, const std::vector<uint8_t>& rgb);
