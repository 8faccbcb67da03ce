#include "tools/assetgen/SurfaceTextures.h"

#include <stb_image_write.h>

#include <algorithm>
#include <cmath>

uint32_t SurfaceNoise::Next() {
	// xorshift32: small, fast and the same everywhere.
	state ^= state << 13;
	state ^= state >> 17;
	state ^= state << 5;
	return state;
}

namespace {

uint8_t ToByte(float v) { return static_cast<uint8_t>(std::clamp(v, 0.0f, 1.0f) * 255.0f + 0.5f); }

void Put(std::vector<uint8_t>& rgb, int size, int x, int y, Rgb c) {
	const size_t i = (static_cast<size_t>(y) * size + x) * 3;
	rgb[i] = ToByte(c.r);
	rgb[i + 1] = ToByte(c.g);
	rgb[i + 2] = ToByte(c.b);
}

Rgb Scale(Rgb c, float s) { return {c.r * s, c.g * s, c.b * s}; }
Rgb Mix(Rgb a, Rgb b, float t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }

// A value-noise field on a coarse lattice, smoothly interpolated and tiling.
class TiledNoise {
public:
	TiledNoise(int cells, uint32_t seed) : cells(cells), values(static_cast<size_t>(cells) * cells) {
		SurfaceNoise noise(seed);
		for (float& v : values) {
			v = noise.Unit();
		}
	}
	float At(float u, float v) const {
		const float x = u * cells, y = v * cells;
		const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
		const float fx = x - x0, fy = y - y0;
		auto value = [&](int i, int j) { return values[((j % cells + cells) % cells) * cells + (i % cells + cells) % cells]; };
		const float sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
		const float top = value(x0, y0) + (value(x0 + 1, y0) - value(x0, y0)) * sx;
		const float bottom = value(x0, y0 + 1) + (value(x0 + 1, y0 + 1) - value(x0, y0 + 1)) * sx;
		return top + (bottom - top) * sy;
	}

private:
	int cells;
	std::vector<float> values;
};

void WriteToVector(void* context, void* data, int size) {
	auto* out = static_cast<std::vector<uint8_t>*>(context);
	const auto* bytes = static_cast<const uint8_t*>(data);
	out->insert(out->end(), bytes, bytes + size);
}

}  // namespace

std::vector<uint8_t> EncodePng(int width, int height, const std::vector<uint8_t>& rgb) {
	std::vector<uint8_t> png;
	if (rgb.size() < static_cast<size_t>(width) * height * 3) {
		return png;
	}
	stbi_write_png_to_func(WriteToVector, &png, width, height, 3, rgb.data(), width * 3);
	return png;
}

std::vector<uint8_t> PanelTexturePng(int size, Rgb base, Rgb seam, uint32_t seed) {
	std::vector<uint8_t> rgb(static_cast<size_t>(size) * size * 3);
	const TiledNoise grime(8, seed), fine(64, seed + 7);
	// Two panel rows of different widths so the seams do not look gridded.
	const int half = size / 2;
	const int split[2] = {size * 3 / 8, size * 5 / 8};
	for (int y = 0; y < size; ++y) {
		for (int x = 0; x < size; ++x) {
			const float u = float(x) / size, v = float(y) / size;
			float shade = 0.9f + 0.08f * grime.At(u, v) + 0.05f * (fine.At(u, v) - 0.5f);
			const int row = y < half ? 0 : 1;
			const int localY = y % half;
			const int splitX = split[row];
			const int dx = std::min({std::abs(x - splitX), x, size - 1 - x});
			const int dy = std::min(localY, half - 1 - localY);
			Rgb c = Scale(base, shade);
			if (dx <= 1 || dy <= 1) {
				c = seam;  // recessed seam
			} else if (dx == 2 || dy == 2) {
				c = Scale(base, shade * 1.12f);  // lit bevel along the seam
			}
			// Rivets near the panel corners.
			if (dx >= 6 && dx <= 8 && dy >= 6 && dy <= 8) {
				c = Scale(base, 0.7f);
			}
			Put(rgb, size, x, y, c);
		}
	}
	return EncodePng(size, size, rgb);
}

std::vector<uint8_t> HazardTexturePng(int size, Rgb a, Rgb b) {
	std::vector<uint8_t> rgb(static_cast<size_t>(size) * size * 3);
	const TiledNoise wear(16, 99);
	for (int y = 0; y < size; ++y) {
		for (int x = 0; x < size; ++x) {
			const int band = ((x + y) * 4 / size) % 2;
			const float scuff = 0.85f + 0.15f * wear.At(float(x) / size, float(y) / size);
			Put(rgb, size, x, y, Scale(band ? a : b, scuff));
		}
	}
	return EncodePng(size, size, rgb);
}

std::vector<uint8_t> ConcreteTexturePng(int size, Rgb base, uint32_t seed) {
	std::vector<uint8_t> rgb(static_cast<size_t>(size) * size * 3);
	const TiledNoise blotch(6, seed), grain(128, seed + 3);
	SurfaceNoise speckle(seed + 11);
	for (int y = 0; y < size; ++y) {
		for (int x = 0; x < size; ++x) {
			const float u = float(x) / size, v = float(y) / size;
			float shade = 0.78f + 0.18f * blotch.At(u, v) + 0.1f * (grain.At(u, v) - 0.5f);
			shade += (speckle.Unit() - 0.5f) * 0.06f;
			// One expansion joint around the tile edge, so slabs read at scale.
			if (x < 2 || y < 2) {
				shade *= 0.55f;
			}
			Put(rgb, size, x, y, Scale(base, shade));
		}
	}
	return EncodePng(size, size, rgb);
}

std::vector<uint8_t> MetalPlateTexturePng(int size, Rgb base, uint32_t seed) {
	std::vector<uint8_t> rgb(static_cast<size_t>(size) * size * 3);
	const TiledNoise streak(32, seed);
	const int cell = size / 8;
	for (int y = 0; y < size; ++y) {
		for (int x = 0; x < size; ++x) {
			const float u = float(x) / size, v = float(y) / size;
			float shade = 0.8f + 0.15f * streak.At(u * 0.25f, v * 4.0f);
			// Raised diamonds alternating direction, lit from the top left.
			const int cx = x % cell, cy = y % cell;
			const bool flip = ((x / cell) + (y / cell)) % 2;
			const float a = flip ? float(cx - cy) : float(cx + cy - cell);
			if (std::fabs(a) < 2.0f && cx > 2 && cy > 2 && cx < cell - 3 && cy < cell - 3) {
				shade *= a < 0 ? 1.25f : 0.7f;
			}
			if (x % (size / 2) < 2 || y % (size / 2) < 2) {
				shade *= 0.5f;
			}
			Put(rgb, size, x, y, Mix(Scale(base, shade), {0.9f, 0.9f, 0.95f}, 0.05f));
		}
	}
	return EncodePng(size, size, rgb);
}
