// PNG reading and writing over stb_image; the library itself ships the
// implementations, so no implementation macro is defined here. zlib checks
// the chunk CRCs, which the decoder skips.

#include "platform/image/Image.h"

#include <stb_image.h>
#include <stb_image_write.h>
#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>
#include <memory>

namespace {

const uint8_t PNG_SIGNATURE[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr size_t PNG_CHUNK_OVERHEAD = 12;  // length, type, CRC
constexpr size_t PNG_PALETTE_ENTRIES = 256;
constexpr uint8_t PNG_COLOUR_TYPE_PALETTE = 3;
constexpr size_t IHDR_COLOUR_TYPE = 9;  // offset within the IHDR data

uint32_t ReadBigEndian32(const uint8_t* bytes) {
	return (uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) | (uint32_t(bytes[2]) << 8) | uint32_t(bytes[3]);
}

void AppendBigEndian32(std::vector<uint8_t>& out, uint32_t value) {
	for (int shift = 24; shift >= 0; shift -= 8) {
		out.push_back(uint8_t(value >> shift));
	}
}

std::string DecoderReason() {
	const char* reason = stbi_failure_reason();
	return reason != nullptr && *reason != '\0' ? reason : "unknown decoder error";
}

// One chunk inside the caller's span; offset is where its length field starts.
struct PngChunk {
	size_t offset;
	uint32_t length;
	const uint8_t* type;
	const uint8_t* data;

	bool Is(const char* name) const { return std::memcmp(type, name, 4) == 0; }
	size_t End() const { return offset + PNG_CHUNK_OVERHEAD + length; }
	// The type when it is the four letters it should be, else the chunk's place.
	std::string Name(size_t index) const {
		const bool letters = std::all_of(type, type + 4, [](uint8_t c) { return std::isalpha(c) != 0; });
		if (letters) {
			return std::string(type, type + 4);
		}
		std::string place = "#";
		place += std::to_string(index);
		return place;
	}
};

// What the reader needs from the chunk list.
struct PngChunkList {
	PngChunk header{};
	PngChunk palette{};
	bool hasPalette = false;
	uint32_t longestTransparency = 0;  // tRNS length, 0 when absent
};

// The decoder tolerates files that stop early and never looks at a CRC;
// walking the chunk list first makes a truncated or damaged file fail
// rather than decode to a partial or wrong picture.
bool ReadChunkList(const uint8_t* data, size_t size, PngChunkList& list, std::string& why) {
	size_t offset = sizeof(PNG_SIGNATURE);
	for (size_t index = 0; size - offset >= PNG_CHUNK_OVERHEAD; index++) {
		const uint32_t length = ReadBigEndian32(data + offset);
		if (length > size - offset - PNG_CHUNK_OVERHEAD) {
			why = "PNG chunk runs past the end of the file";
			return false;
		}
		const PngChunk chunk{offset, length, data + offset + 4, data + offset + 8};
		if (crc32(crc32(0, chunk.type, 4), chunk.data, length) != ReadBigEndian32(chunk.data + length)) {
			why = "PNG chunk " + chunk.Name(index) + " fails its CRC check";
			return false;
		}
		if (index == 0 && !chunk.Is("IHDR")) {
			why = "PNG does not start with an IHDR chunk";
			return false;
		}
		if (index == 0) {
			list.header = chunk;
		} else if (chunk.Is("PLTE") && list.hasPalette) {
			why = "PNG has more than one palette";
			return false;
		} else if (chunk.Is("PLTE")) {
			list.palette = chunk;
			list.hasPalette = true;
		} else if (chunk.Is("tRNS")) {
			list.longestTransparency = std::max(list.longestTransparency, length);
		} else if (chunk.Is("IEND")) {
			return true;
		}
		offset = chunk.End();
	}
	why = "PNG is truncated (no IEND chunk)";
	return false;
}

// The decoder looks colours up in a 256-entry table it leaves uninitialised
// past the file's palette, so an index beyond the palette would take
// whatever memory held. Padding the palette with opaque black makes such
// pixels black on every run; transparency entries keep their meaning, and a
// tRNS chunk longer than the file's own palette stays refused.
bool PadPalette(const uint8_t* data, size_t size, const PngChunkList& list, std::vector<uint8_t>& padded,
                std::string& why) {
	padded.clear();
	const PngChunk& header = list.header;
	const bool paletted = header.length > IHDR_COLOUR_TYPE && header.data[IHDR_COLOUR_TYPE] == PNG_COLOUR_TYPE_PALETTE;
	const uint32_t length = list.palette.length;
	if (!paletted || !list.hasPalette || length == 0 || length % 3 != 0 || length >= PNG_PALETTE_ENTRIES * 3) {
		return true;
	}
	if (list.longestTransparency > length / 3) {
		why = "PNG transparency chunk has more entries than the palette";
		return false;
	}
	padded.reserve(size + PNG_PALETTE_ENTRIES * 3);
	padded.assign(data, data + list.palette.offset);
	std::vector<uint8_t> body(list.palette.type, list.palette.data + length);
	body.resize(4 + PNG_PALETTE_ENTRIES * 3, 0);
	AppendBigEndian32(padded, uint32_t(PNG_PALETTE_ENTRIES * 3));
	padded.insert(padded.end(), body.begin(), body.end());
	AppendBigEndian32(padded, uint32_t(crc32(0, body.data(), uInt(body.size()))));
	padded.insert(padded.end(), data + list.palette.End(), data + size);
	return true;
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
	PngChunkList chunks;
	std::vector<uint8_t> padded;
	if (!ReadChunkList(data, size, chunks, why) || !PadPalette(data, size, chunks, padded, why)) {
		return false;
	}
	if (!padded.empty()) {
		data = padded.data();
		size = padded.size();
	}
	if (size > static_cast<size_t>(INT_MAX)) {
		why = "PNG file too large";
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
