// DirectDraw Surface reading: 32-bit RGB and DXT1/3/5 surfaces, mip chains
// and complete cube maps. Every size is computed in 64 bits from dimensions
// already capped at MAX_IMAGE_DIMENSION, then checked against the bytes left
// before anything is allocated or copied.

#include "platform/image/Image.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t DDS_MAGIC = 0x20534444;  // "DDS "
constexpr uint32_t DDS_HEADER_SIZE = 124;
constexpr uint32_t DDS_PIXELFORMAT_SIZE = 32;

constexpr uint32_t DDSD_PITCH = 0x8;
constexpr uint32_t DDSD_MIPMAPCOUNT = 0x20000;
constexpr uint32_t DDSD_DEPTH = 0x800000;

constexpr uint32_t DDPF_ALPHAPIXELS = 0x1;
constexpr uint32_t DDPF_FOURCC = 0x4;
constexpr uint32_t DDPF_RGB = 0x40;

constexpr uint32_t DDSCAPS2_CUBEMAP = 0x200;
constexpr uint32_t DDSCAPS2_CUBEMAP_ALL_FACES = 0xFC00;  // +X, -X, +Y, -Y, +Z, -Z
constexpr uint32_t DDSCAPS2_VOLUME = 0x200000;

constexpr uint32_t MakeFourCC(char a, char b, char c, char d) {
	return uint32_t(uint8_t(a)) | (uint32_t(uint8_t(b)) << 8) | (uint32_t(uint8_t(c)) << 16) | (uint32_t(uint8_t(d)) << 24);
}

// The header fields this reader looks at, in file order.
struct DdsHeader {
	uint32_t size;
	uint32_t flags;
	uint32_t height;
	uint32_t width;
	uint32_t pitchOrLinearSize;
	uint32_t depth;
	uint32_t mipMapCount;
	uint32_t formatSize;
	uint32_t formatFlags;
	uint32_t fourCC;
	uint32_t rgbBitCount;
	uint32_t redMask, greenMask, blueMask, alphaMask;
	uint32_t caps, caps2;
};

// A read position inside the caller's span.
class ByteCursor {
public:
	ByteCursor(const uint8_t* data, size_t size) : data(data), size(size) {}

	uint64_t Left() const { return size - offset; }

	uint32_t ReadU32() {  // caller has checked Left()
		const uint8_t* p = data + offset;
		offset += 4;
		return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
	}

	void Skip(size_t count) { offset += count; }

	const uint8_t* Take(uint64_t count) {
		if (count > Left()) {
			return nullptr;
		}
		const uint8_t* start = data + offset;
		offset += static_cast<size_t>(count);
		return start;
	}

private:
	const uint8_t* data;
	size_t size;
	size_t offset = 0;
};

DdsHeader ReadHeader(ByteCursor& cursor) {
	DdsHeader h;
	h.size = cursor.ReadU32();
	h.flags = cursor.ReadU32();
	h.height = cursor.ReadU32();
	h.width = cursor.ReadU32();
	h.pitchOrLinearSize = cursor.ReadU32();
	h.depth = cursor.ReadU32();
	h.mipMapCount = cursor.ReadU32();
	cursor.Skip(11 * 4);  // reserved
	h.formatSize = cursor.ReadU32();
	h.formatFlags = cursor.ReadU32();
	h.fourCC = cursor.ReadU32();
	h.rgbBitCount = cursor.ReadU32();
	h.redMask = cursor.ReadU32();
	h.greenMask = cursor.ReadU32();
	h.blueMask = cursor.ReadU32();
	h.alphaMask = cursor.ReadU32();
	h.caps = cursor.ReadU32();
	h.caps2 = cursor.ReadU32();
	cursor.Skip(3 * 4);  // caps3, caps4, reserved
	return h;
}

bool IsCompressed(PixelFormat format) {
	return format == PixelFormat::DXT1 || format == PixelFormat::DXT3 || format == PixelFormat::DXT5;
}

uint64_t BlockBytes(PixelFormat format) { return format == PixelFormat::DXT1 ? 8 : 16; }

bool ChoosePixelFormat(const DdsHeader& h, PixelFormat& format, std::string& why) {
	if (h.formatFlags & DDPF_FOURCC) {
		switch (h.fourCC) {
		case MakeFourCC('D', 'X', 'T', '1'): format = PixelFormat::DXT1; return true;
		case MakeFourCC('D', 'X', 'T', '3'): format = PixelFormat::DXT3; return true;
		case MakeFourCC('D', 'X', 'T', '5'): format = PixelFormat::DXT5; return true;
		default: why = "unsupported DDS compression"; return false;
		}
	}
	const bool bgr32 = (h.formatFlags & DDPF_RGB) && h.rgbBitCount == 32 && h.redMask == 0x00FF0000
	                && h.greenMask == 0x0000FF00 && h.blueMask == 0x000000FF;
	if (bgr32 && (h.formatFlags & DDPF_ALPHAPIXELS) && h.alphaMask == 0xFF000000) {
		format = PixelFormat::BGRA8;
		return true;
	}
	if (bgr32 && !(h.formatFlags & DDPF_ALPHAPIXELS)) {
		format = PixelFormat::BGRX8;
		return true;
	}
	why = "unsupported DDS pixel format";
	return false;
}

uint32_t FullMipChainLength(uint32_t width, uint32_t height) {
	uint32_t levels = 1;
	for (uint32_t side = std::max(width, height); side > 1; side >>= 1) {
		levels++;
	}
	return levels;
}

bool ChooseMipLevels(const DdsHeader& h, uint32_t& levels, std::string& why) {
	levels = (h.flags & DDSD_MIPMAPCOUNT) ? std::max(h.mipMapCount, 1u) : 1u;
	if (levels > FullMipChainLength(h.width, h.height)) {
		why = "DDS mip count exceeds the chain down to 1x1";
		return false;
	}
	return true;
}

bool ChooseFaces(const DdsHeader& h, uint32_t& faces, std::string& why) {
	if (!(h.caps2 & DDSCAPS2_CUBEMAP)) {
		faces = 1;
		return true;
	}
	if ((h.caps2 & DDSCAPS2_CUBEMAP_ALL_FACES) != DDSCAPS2_CUBEMAP_ALL_FACES) {
		why = "partial DDS cube maps are not supported";
		return false;
	}
	if (h.width != h.height) {
		why = "DDS cube map faces are not square";
		return false;
	}
	faces = 6;
	return true;
}

bool CheckHeader(const DdsHeader& h, std::string& why) {
	if (h.size != DDS_HEADER_SIZE || h.formatSize != DDS_PIXELFORMAT_SIZE) {
		why = "DDS header size fields are wrong";
		return false;
	}
	if (h.width == 0 || h.height == 0 || h.width > MAX_IMAGE_DIMENSION || h.height > MAX_IMAGE_DIMENSION) {
		why = "DDS dimensions out of range";
		return false;
	}
	if ((h.caps2 & DDSCAPS2_VOLUME) || ((h.flags & DDSD_DEPTH) && h.depth > 1)) {
		why = "DDS volume textures are not supported";
		return false;
	}
	return true;
}

// Where one level's bytes sit in the file and how they are copied out.
struct LevelLayout {
	uint32_t width, height;
	uint64_t rowBytes;     // bytes kept per row (per block row when compressed)
	uint64_t sourcePitch;  // bytes per row in the file, rowBytes or more
	uint64_t rows;
	uint64_t FileBytes() const { return sourcePitch * rows; }
};

class DdsLayout {
public:
	PixelFormat format = PixelFormat::BGRA8;
	uint32_t width = 0, height = 0, levels = 1, faces = 1;
	uint64_t topPitch = 0;  // level 0's pitch for uncompressed rows

	LevelLayout Level(uint32_t level) const {
		LevelLayout layout;
		layout.width = std::max(width >> level, 1u);
		layout.height = std::max(height >> level, 1u);
		if (IsCompressed(format)) {
			layout.rowBytes = uint64_t((layout.width + 3) / 4) * BlockBytes(format);
			layout.rows = (layout.height + 3) / 4;
			layout.sourcePitch = layout.rowBytes;
		} else {
			layout.rowBytes = uint64_t(layout.width) * 4;
			layout.rows = layout.height;
			layout.sourcePitch = level == 0 ? std::max(topPitch, layout.rowBytes) : layout.rowBytes;
		}
		return layout;
	}

	uint64_t TotalFileBytes() const {
		uint64_t perFace = 0;
		for (uint32_t level = 0; level < levels; level++) {
			perFace += Level(level).FileBytes();
		}
		return perFace * faces;
	}
};

// The header's pitch describes level 0's rows; only padding beyond a row is
// meaningful, a smaller pitch would overlap rows.
bool ChooseTopPitch(const DdsHeader& h, DdsLayout& layout, std::string& why) {
	if (IsCompressed(layout.format) || !(h.flags & DDSD_PITCH) || h.pitchOrLinearSize == 0) {
		return true;
	}
	if (h.pitchOrLinearSize < uint64_t(h.width) * 4) {
		why = "DDS row pitch is smaller than a row";
		return false;
	}
	layout.topPitch = h.pitchOrLinearSize;
	return true;
}

bool ReadLevel(ByteCursor& cursor, const LevelLayout& layout, ImageSurface& surface, std::string& why) {
	const uint8_t* source = cursor.Take(layout.FileBytes());
	if (source == nullptr) {
		why = "DDS pixel data is truncated";
		return false;
	}
	surface.width = layout.width;
	surface.height = layout.height;
	surface.bytes.resize(static_cast<size_t>(layout.rowBytes * layout.rows));
	for (uint64_t row = 0; row < layout.rows; row++) {
		std::memcpy(surface.bytes.data() + row * layout.rowBytes, source + row * layout.sourcePitch,
		            static_cast<size_t>(layout.rowBytes));
	}
	return true;
}

bool DescribeLayout(const DdsHeader& h, DdsLayout& layout, std::string& why) {
	layout.width = h.width;
	layout.height = h.height;
	return CheckHeader(h, why) && ChoosePixelFormat(h, layout.format, why) && ChooseMipLevels(h, layout.levels, why)
	    && ChooseFaces(h, layout.faces, why) && ChooseTopPitch(h, layout, why);
}

}  // namespace

bool ReadDdsImage(const uint8_t* data, size_t size, Image& image, std::string& why) {
	image = Image{};
	if (data == nullptr || size < 4) {
		why = "not a DDS file";
		return false;
	}
	ByteCursor cursor(data, size);
	if (cursor.ReadU32() != DDS_MAGIC) {
		why = "not a DDS file";
		return false;
	}
	if (cursor.Left() < DDS_HEADER_SIZE) {
		why = "DDS header is truncated";
		return false;
	}
	const DdsHeader header = ReadHeader(cursor);
	DdsLayout layout;
	if (!DescribeLayout(header, layout, why)) {
		return false;
	}
	if (layout.TotalFileBytes() > cursor.Left()) {
		why = "DDS pixel data is truncated";
		return false;
	}

	Image result;
	result.format = layout.format;
	result.fileFormat = ImageFileFormat::Dds;
	result.width = layout.width;
	result.height = layout.height;
	result.mipLevels = layout.levels;
	result.faces = layout.faces;
	result.surfaces.resize(size_t(layout.faces) * layout.levels);
	for (uint32_t face = 0; face < layout.faces; face++) {
		for (uint32_t level = 0; level < layout.levels; level++) {
			if (!ReadLevel(cursor, layout.Level(level), result.surfaces[face * layout.levels + level], why)) {
				return false;
			}
		}
	}
	image = std::move(result);
	return true;
}
