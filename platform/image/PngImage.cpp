// PNG reading and writing over stb_image; the library itself ships the
// implementations, so no implementation macro is defined here.

#include "platform/image/Image.h"

#include <stb_image.h>
#include <stb_image_write.h>

#include <climits>
#include <cstring>
#include <memory>

namespace {

const uint8_t PNG_SIGNATURE[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr size_t PNG_CHUNK_OVERHEAD = 12;  // length, type, CRC

uint32_t ReadBigEndian32(const uint8_t* bytes) {
	return (uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) | (uint32_t(bytes[2]) << 8) | uint32_t(bytes[3]);
}

std::string DecoderReason() {
	const char* reason = stbi_failure_reason();
	return reason != nullptr && *reason != '\0' ? reason : "unknown decoder error";
}

// The decoder tolerates files that stop early; walking the chunk list first
// makes a truncated file fail rather than decode to a partial picture.
bool CheckChunkList(const uint8_t* data, size_t size, std::string& why) {
	size_t offset = sizeof(PNG_SIGNATURE);
	bool first = true;
	while (size - offset >= PNG_CHUNK_OVERHEAD) {
		const uint64_t length = ReadBigEndian32(data + offset);
		const uint8_t* type = data + offset + 4;
		if (length > size - offset - PNG_CHUNK_OVERHEAD) {
			why = "PNG chunk runs past the end of the file";
			return false;
		}
		if (first && std::memcmp(type, "IHDR", 4) != 0) {
			why = "PNG does not start with an IHDR chunk";
			return false;
		}
		if (std::memcmp(type, "IEND", 4) == 0) {
			return true;
		}
		first = false;
		offset += PNG_CHUNK_OVERHEAD + static_cast<size_t>(length);
	}
	why = "PNG is truncated (no IEND chunk)";
	return false;
}

struct StbImageFree {
	void operator()(stbi_uc* pixels) const { stbi_image_free(pixels); }
};

}  // namespace

bool ReadPngImage(const uint8_t* data, size_t size, Image& image, std::string& why) {
	image = Image{};
	if (data == nullptr || size < sizeof(PNG_SIGNATURE) || std::memcmp(data, PNG_SIGNATURE, sizeof(PNG_SIGNATURE)) != 0) {
		why = "not a PNG file";
		return false;
	}
	if (size > static_cast<size_t>(INT_MAX)) {
		why = "PNG file too large";
		return false;
	}
	if (!CheckChunkList(data, size, why)) {
		return false;
	}
	const int length = static_cast<int>(size);
	int width = 0, height = 0, channels = 0;
	if (!stbi_info_from_memory(data, length, &width, &height, &channels)) {
		why = "unreadable PNG header: " + DecoderReason();
		return false;
	}
	if (width <= 0 || height <= 0 || uint32_t(width) > MAX_IMAGE_DIMENSION || uint32_t(height) > MAX_IMAGE_DIMENSION) {
		why = "PNG dimensions out of range";
		return false;
	}
	std::unique_ptr<stbi_uc, StbImageFree> rgba(stbi_load_from_memory(data, length, &width, &height, &channels, 4));
	if (!rgba) {
		why = "PNG decoding failed: " + DecoderReason();
		return false;
	}

	ImageSurface surface;
	surface.width = uint32_t(width);
	surface.height = uint32_t(height);
	const size_t pixelCount = size_t(surface.width) * surface.height;
	surface.bytes.resize(pixelCount * 4);
	const stbi_uc* source = rgba.get();
	uint8_t* target = surface.bytes.data();
	for (size_t i = 0; i < pixelCount; i++, source += 4, target += 4) {
		target[0] = source[2];
		target[1] = source[1];
		target[2] = source[0];
		target[3] = source[3];
	}

	image.format = PixelFormat::BGRA8;
	image.fileFormat = ImageFileFormat::Png;
	image.width = surface.width;
	image.height = surface.height;
	image.mipLevels = 1;
	image.faces = 1;
	image.surfaces.push_back(std::move(surface));
	return true;
}

bool WritePngFile(const std::string& path, uint32_t width, uint32_t height, const uint8_t* rgba, std::string& why) {
	if (rgba == nullptr || width == 0 || height == 0 || width > MAX_IMAGE_DIMENSION || height > MAX_IMAGE_DIMENSION) {
		why = "invalid image for PNG writing";
		return false;
	}
	const int rowBytes = static_cast<int>(width * 4);
	if (!stbi_write_png(path.c_str(), int(width), int(height), 4, rgba, rowBytes)) {
		why = "could not write PNG file " + path;
		return false;
	}
	return true;
}
