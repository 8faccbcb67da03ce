#include "tools/assetgen/DdsWriter.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr uint32_t DDSD_CAPS = 0x1;
constexpr uint32_t DDSD_HEIGHT = 0x2;
constexpr uint32_t DDSD_WIDTH = 0x4;
constexpr uint32_t DDSD_PITCH = 0x8;
constexpr uint32_t DDSD_PIXELFORMAT = 0x1000;
constexpr uint32_t DDSD_MIPMAPCOUNT = 0x20000;
constexpr uint32_t DDPF_ALPHAPIXELS = 0x1;
constexpr uint32_t DDPF_RGB = 0x40;
constexpr uint32_t DDSCAPS_COMPLEX = 0x8;
constexpr uint32_t DDSCAPS_TEXTURE = 0x1000;
constexpr uint32_t DDSCAPS_MIPMAP = 0x400000;
constexpr uint32_t DDSCAPS2_CUBEMAP_ALL_FACES = 0x200 | 0x400 | 0x800 | 0x1000 | 0x2000 | 0x4000 | 0x8000;

void PutU32(std::vector<uint8_t>& bytes, uint32_t value) {
	for (int i = 0; i < 4; ++i) {
		bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
	}
}

// One level as straight 8-bit BGRA, the byte order of A8R8G8B8.
struct Level {
	uint32_t size;
	std::vector<float> rgba;  // 4 floats a texel
};

Level LevelFromCanvas(const Canvas& canvas) {
	Level level { static_cast<uint32_t>(canvas.Width()), {} };
	level.rgba.reserve(static_cast<size_t>(level.size) * level.size * 4);
	for (int y = 0; y < canvas.Height(); ++y) {
		for (int x = 0; x < canvas.Width(); ++x) {
			const Color& c = canvas.At(x, y);
			level.rgba.insert(level.rgba.end(), { c.r, c.g, c.b, c.a });
		}
	}
	return level;
}

// The next smaller level: each texel the mean of a 2 x 2 block.
Level HalfLevel(const Level& level) {
	const uint32_t size = std::max(1u, level.size / 2);
	Level half { size, std::vector<float>(static_cast<size_t>(size) * size * 4) };
	for (uint32_t y = 0; y < size; ++y) {
		for (uint32_t x = 0; x < size; ++x) {
			for (uint32_t channel = 0; channel < 4; ++channel) {
				float sum = 0.0f;
				for (uint32_t dy = 0; dy < 2; ++dy) {
					for (uint32_t dx = 0; dx < 2; ++dx) {
						const uint32_t sx = std::min(x * 2 + dx, level.size - 1);
						const uint32_t sy = std::min(y * 2 + dy, level.size - 1);
						sum += level.rgba[(static_cast<size_t>(sy) * level.size + sx) * 4 + channel];
					}
				}
				half.rgba[(static_cast<size_t>(y) * size + x) * 4 + channel] = sum * 0.25f;
			}
		}
	}
	return half;
}

void AppendLevel(std::vector<uint8_t>& bytes, const Level& level) {
	auto quantise = [](float value) {
		return static_cast<uint8_t>(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f));
	};
	for (size_t i = 0; i < level.rgba.size(); i += 4) {
		bytes.push_back(quantise(level.rgba[i + 2]));
		bytes.push_back(quantise(level.rgba[i + 1]));
		bytes.push_back(quantise(level.rgba[i + 0]));
		bytes.push_back(quantise(level.rgba[i + 3]));
	}
}

}  // namespace

std::vector<uint8_t> DdsWriter::WriteCubeMap(const std::vector<Canvas>& faces) {
	if (faces.size() != 6) {
		return {};
	}
	const int size = faces[0].Width();
	if (size <= 0 || (size & (size - 1)) != 0) {
		return {};
	}
	for (const Canvas& face : faces) {
		if (face.Width() != size || face.Height() != size) {
			return {};
		}
	}
	uint32_t mipCount = 1;
	while ((static_cast<uint32_t>(size) >> (mipCount - 1)) > 1) {
		++mipCount;
	}

	std::vector<uint8_t> bytes = { 'D', 'D', 'S', ' ' };
	PutU32(bytes, 124);
	PutU32(bytes, DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PITCH | DDSD_PIXELFORMAT | DDSD_MIPMAPCOUNT);
	PutU32(bytes, static_cast<uint32_t>(size));  // height
	PutU32(bytes, static_cast<uint32_t>(size));  // width
	PutU32(bytes, static_cast<uint32_t>(size) * 4);  // pitch of level 0
	PutU32(bytes, 0);  // depth
	PutU32(bytes, mipCount);
	for (int i = 0; i < 11; ++i) {
		PutU32(bytes, 0);
	}
	PutU32(bytes, 32);  // pixel format size
	PutU32(bytes, DDPF_RGB | DDPF_ALPHAPIXELS);
	PutU32(bytes, 0);  // no FourCC
	PutU32(bytes, 32);
	PutU32(bytes, 0x00FF0000);
	PutU32(bytes, 0x0000FF00);
	PutU32(bytes, 0x000000FF);
	PutU32(bytes, 0xFF000000);
	PutU32(bytes, DDSCAPS_COMPLEX | DDSCAPS_TEXTURE | DDSCAPS_MIPMAP);
	PutU32(bytes, DDSCAPS2_CUBEMAP_ALL_FACES);
	PutU32(bytes, 0);
	PutU32(bytes, 0);
	PutU32(bytes, 0);

	for (const Canvas& face : faces) {
		Level level = LevelFromCanvas(face);
		for (uint32_t mip = 0; mip < mipCount; ++mip) {
			AppendLevel(bytes, level);
			if (mip + 1 < mipCount) {
				level = HalfLevel(level);
			}
		}
	}
	return bytes;
}
