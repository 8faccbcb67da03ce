#pragma once
// Decoded images as the texture loader consumes them, and the readers that
// produce them. Readers take a byte span and never read past it; on failure
// they return false and say why.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class PixelFormat {
	BGRA8,  // bytes B, G, R, A: D3DFMT_A8R8G8B8 in memory
	BGRX8,  // bytes B, G, R, unused: D3DFMT_X8R8G8B8
	DXT1,
	DXT3,
	DXT5,
};

enum class ImageFileFormat { Png, Dds };

// One mip level of one face; rows run top to bottom. For DXT formats the
// bytes are the compressed blocks.
struct ImageSurface {
	uint32_t width = 0;
	uint32_t height = 0;
	std::vector<uint8_t> bytes;
};

struct Image {
	PixelFormat format = PixelFormat::BGRA8;
	ImageFileFormat fileFormat = ImageFileFormat::Png;
	uint32_t width = 0;   // level 0
	uint32_t height = 0;
	uint32_t mipLevels = 0;  // levels stored per face (1 for PNG)
	uint32_t faces = 0;      // 1, or 6 for a cube map (+X, -X, +Y, -Y, +Z, -Z)
	std::vector<ImageSurface> surfaces;  // face-major: surfaces[face * mipLevels + level]

	bool IsCube() const { return faces == 6; }
	const ImageSurface& Surface(uint32_t face, uint32_t level) const { return surfaces[face * mipLevels + level]; }
};

// Largest image either reader accepts, per side; guards against hostile headers.
constexpr uint32_t MAX_IMAGE_DIMENSION = 16384;

bool ReadPngImage(const uint8_t* data, size_t size, Image& image, std::string& why);
bool ReadDdsImage(const uint8_t* data, size_t size, Image& image, std::string& why);
// Picks the reader from the file's signature.
bool ReadImage(const uint8_t* data, size_t size, Image& image, std::string& why);

// Writes 8-bit RGBA rows (top to bottom) as a PNG file.
bool WritePngFile(const std::string& path, uint32_t width, uint32_t height, const uint8_t* rgba, std::string& why);
