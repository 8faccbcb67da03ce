#pragma once
// A small software rasterizer for looking at assembled models: orthographic
// views, a depth buffer, counter-clockwise faces culled as the game culls
// them, Lambert shading plus emissive colour, 2x supersampling.

#include "tests/assets/MeshTestSupport.h"

#include <cstdint>
#include <vector>

class PreviewRenderer {
public:
	PreviewRenderer(int width, int height);

	// Looks along viewDirection at centre; extent is the half height shown.
	void SetView(const Vec3& centre, float extent, const Vec3& viewDirection);
	// Or looks from eye at target through a vertical field of view (radians).
	void SetPerspective(const Vec3& eye, const Vec3& target, float fovY);
	void Clear();
	void SetCulling(bool cullBackFaces) { cull = cullBackFaces; }
	void Draw(const LoadedMesh& mesh);
	// A flat square floor of half size `size` at height y, drawn in tiles.
	void DrawFloor(const Vec3& centre, float size, float y);

	// Pixels any triangle covered (before downsampling).
	size_t CoveredSamples() const;
	// The picture, downsampled, as RGB8.
	std::vector<uint8_t> Picture() const;
	int Width() const { return width; }
	int Height() const { return height; }

private:
	struct Image {
		int width = 0, height = 0;
		std::vector<uint8_t> rgb;
	};
	struct Shading {
		Vec3 tint, glow;
		const Image* texture = nullptr;
		Vec2 uv[3];
	};
	void Fill(const Vec3& a, const Vec3& b, const Vec3& c, const Shading& shading);
	const Image* TextureFor(const std::string& path);

	std::vector<std::pair<std::string, Image>> textures;

	int width, height;          // output size
	int sampleWidth, sampleHeight;
	std::vector<float> depth;
	std::vector<Vec3> colour;
	std::vector<uint8_t> covered;
	Vec3 centre, right, up, forward;
	float scale = 1;
	float focal = 1;
	bool perspective = false;
	bool cull = true;
};

// Writes RGB8 pixels as a PNG file; false on failure.
bool WritePreviewPng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb);
