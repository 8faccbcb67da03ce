// The model shader's fixed textures: the toon ramps, looked up along u by the
// lighting term (dark at the left, lit at the right), and the concrete
// environment cube that the hard surfaces reflect.

#include "tools/assetgen/DdsWriter.h"
#include "tools/assetgen/Noise.h"
#include "tools/assetgen/TextureArt.h"

#include <algorithm>
#include <cmath>

namespace {

struct Band {
	float until;  // right edge of the band as a fraction of the ramp
	float level;
};

// Power-of-two sized, since the shader loads the ramps without the
// non-power-of-two option and would otherwise get them rescaled.
Canvas ToonRamp(const std::vector<Band>& bands) {
	const int width = 256;
	const int height = 4;
	Canvas canvas(width, height);
	for (int x = 0; x < width; ++x) {
		const float u = (x + 0.5f) / width;
		float level = bands.back().level;
		for (const Band& band : bands) {
			if (u < band.until) {
				level = band.level;
				break;
			}
		}
		for (int y = 0; y < height; ++y) {
			canvas.Blend(x, y, Color { level, level, level, 1.0f }, 1.0f);
		}
	}
	return canvas;
}

struct Direction {
	float x, y, z;
};

// The direction through texel (u, v) in -1..1 of a cube face, in the usual
// face order +X, -X, +Y, -Y, +Z, -Z.
Direction FaceDirection(int face, float u, float v) {
	switch (face) {
	case 0: return { 1.0f, -v, -u };
	case 1: return { -1.0f, -v, u };
	case 2: return { u, 1.0f, v };
	case 3: return { u, -1.0f, -v };
	case 4: return { u, -v, 1.0f };
	default: return { -u, -v, -1.0f };
	}
}

// A concrete hall: pale overcast light above, cast-concrete walls with
// form-work seams around the horizon and a darker floor below.
Color ConcreteEnvironment(Direction d) {
	const float length = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
	d = { d.x / length, d.y / length, d.z / length };
	const float grain = FractalNoise(d.x * 9.0f, d.y * 9.0f, d.z * 9.0f, 4, 71);
	const float stain = FractalNoise(d.x * 2.5f, d.y * 2.5f, d.z * 2.5f, 3, 72);
	float level;
	if (d.y > 0.35f) {
		const float t = std::min(1.0f, (d.y - 0.35f) / 0.65f);
		level = 0.62f + 0.25f * t + (grain - 0.5f) * 0.06f;
	} else if (d.y > -0.25f) {
		level = 0.38f + (grain - 0.5f) * 0.2f + (stain - 0.5f) * 0.16f;
		const float seam = std::fabs(std::fmod(d.y + 1.0f, 0.2f) - 0.1f);
		if (seam > 0.094f) {
			level *= 0.72f;
		}
		level += std::max(0.0f, d.y - 0.2f) * 1.2f;
	} else {
		level = 0.22f + (grain - 0.5f) * 0.12f + (stain - 0.5f) * 0.1f;
	}
	level = std::clamp(level, 0.0f, 1.0f);
	// A faint cold cast from the sky light.
	return { level * 0.97f, level * 0.99f, std::min(1.0f, level * 1.04f), 1.0f };
}

std::vector<Canvas> ConcreteFaces() {
	const int size = 128;
	std::vector<Canvas> faces;
	for (int face = 0; face < 6; ++face) {
		Canvas canvas(size, size);
		for (int y = 0; y < size; ++y) {
			for (int x = 0; x < size; ++x) {
				const float u = (x + 0.5f) / size * 2.0f - 1.0f;
				const float v = (y + 0.5f) / size * 2.0f - 1.0f;
				canvas.Blend(x, y, ConcreteEnvironment(FaceDirection(face, u, v)), 1.0f);
			}
		}
		faces.push_back(std::move(canvas));
	}
	return faces;
}

}  // namespace

bool WriteShadingTextures(AssetOutput& output) {
	bool ok = WritePng(output, "Texture/toon.png", ToonRamp({ { 0.32f, 0.42f }, { 0.66f, 0.72f }, { 1.0f, 1.0f } }));
	ok = WritePng(output, "Texture/toon2.png", ToonRamp({ { 0.5f, 0.55f }, { 1.0f, 1.0f } })) && ok;
	const std::vector<uint8_t> cube = DdsWriter::WriteCubeMap(ConcreteFaces());
	ok = !cube.empty() && output.WriteFile("Texture/ConcreteMap.dds", cube) && ok;
	return ok;
}
