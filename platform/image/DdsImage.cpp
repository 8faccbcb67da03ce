// DirectDraw Surface reading: DXT1/3/5 (BC1-BC3) blocks, 32-, 24-, 16- and
// 8-bit uncompressed pixels, the DX10 extended header's 8-bit colour and BC
// formats, mip chains and complete cube maps. Uncompressed pixels become
// BGRA8, or BGRX8 when the file has no alpha. Every size is computed in 64
// bits from dimensions already capped at MAX_IMAGE_DIMENSION, then checked
// against the bytes left before anything is allocated or copied.

#include "platform/image/Image.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

constexpr uint32_t DDS_MAGIC = 0x20534444;  // "DDS "
constexpr uint32_t DDS_HEADER_SIZE = 124;
constexpr uint32_t DDS_PIXELFORMAT_SIZE = 32;
constexpr uint32_t DX10_HEADER_SIZE = 20;

constexpr uint32_t DDSD_MIPMAPCOUNT = 0x20000;
constexpr uint32_t DDSD_DEPTH = 0x800000;

constexpr uint32_t DDPF_ALPHAPIXELS = 0x1;
constexpr uint32_t DDPF_ALPHA = 0x2;
constexpr uint32_t DDPF_FOURCC = 0x4;
constexpr uint32_t DDPF_RGB = 0x40;
constexpr uint32_t DDPF_LUMINANCE = 0x20000;

constexpr uint32_t DDSCAPS2_CUBEMAP = 0x200;
constexpr uint32_t DDSCAPS2_CUBEMAP_ALL_FACES = 0xFC00;  // +X, -X, +Y, -Y, +Z, -Z
constexpr uint32_t DDSCAPS2_VOLUME = 0x200000;

constexpr uint32_t DIMENSION_TEXTURE1D = 2;
constexpr uint32_t DIMENSION_TEXTURE2D = 3;
constexpr uint32_t MISC_TEXTURECUBE = 0x4;

constexpr uint32_t MakeFourCC(char a, char b, char c, char d) {
	return uint32_t(uint8_t(a)) | (uint32_t(uint8_t(b)) << 8) | (uint32_t(uint8_t(c)) << 16) | (uint32_t(uint8_t(d)) << 24);
}

// The header fields this reader looks at, in file order, and the DX10
// extension when the pixel format names it.
struct DdsHeader {
	uint32_t size;
	uint32_t flags;
	uint32_t height;
	uint32_t width;
	uint32_t depth;
	uint32_t mipMapCount;
	uint32_t formatSize;
	uint32_t formatFlags;
	uint32_t fourCC;
	uint32_t rgbBitCount;
	uint32_t redMask, greenMask, blueMask, alphaMask;
	uint32_t caps, caps2;
	bool dx10 = false;
	uint32_t dxgiFormat = 0, dimension = 0, miscFlag = 0, arraySize = 0;
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
	cursor.Skip(4);  // pitch or linear size: derived from the format instead, as other loaders do
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

bool ReadDx10Header(ByteCursor& cursor, DdsHeader& h, std::string& why) {
	h.dx10 = (h.formatFlags & DDPF_FOURCC) && h.fourCC == MakeFourCC('D', 'X', '1', '0');
	if (!h.dx10) {
		return true;
	}
	if (cursor.Left() < DX10_HEADER_SIZE) {
		why = "DDS extended header is truncated";
		return false;
	}
	h.dxgiFormat = cursor.ReadU32();
	h.dimension = cursor.ReadU32();
	h.miscFlag = cursor.ReadU32();
	h.arraySize = cursor.ReadU32();
	cursor.Skip(4);  // alpha mode: straight and premultiplied alpha load alike
	return true;
}

// How the file stores its pixels. Uncompressed pixels are little-endian
// words of bytesPerPixel bytes whose channels the masks pick out.
struct SourceFormat {
	PixelFormat output = PixelFormat::BGRA8;
	uint32_t bytesPerPixel = 0;           // 0 for DXT blocks
	uint32_t masks[4] = {0, 0, 0, 0};     // red, green, blue, alpha
	bool luminance = false;               // the red mask holds a grey level for all three colours

	bool IsCompressed() const { return bytesPerPixel == 0; }
	uint64_t BlockBytes() const { return output == PixelFormat::DXT1 ? 8 : 16; }
	// Already laid out as the output: rows are copied as they are.
	bool IsNative() const {
		return bytesPerPixel == 4 && masks[0] == 0x00FF0000 && masks[1] == 0x0000FF00 && masks[2] == 0x000000FF
		    && (masks[3] == 0xFF000000 || output == PixelFormat::BGRX8);
	}
};

SourceFormat Compressed(PixelFormat format) {
	SourceFormat source;
	source.output = format;
	return source;
}

SourceFormat Uncompressed(uint32_t bits, uint32_t red, uint32_t green, uint32_t blue, uint32_t alpha,
                          bool luminance = false) {
	SourceFormat source;
	source.output = alpha != 0 ? PixelFormat::BGRA8 : PixelFormat::BGRX8;
	source.bytesPerPixel = bits / 8;
	source.masks[0] = red;
	source.masks[1] = green;
	source.masks[2] = blue;
	source.masks[3] = alpha;
	source.luminance = luminance;
	return source;
}

// The uncompressed layouts D3DX recognises by their bit count and masks.
struct LegacyLayout {
	uint32_t kind;  // DDPF_RGB, DDPF_LUMINANCE or DDPF_ALPHA
	uint32_t bits;
	uint32_t red, green, blue, alpha;
};

constexpr LegacyLayout LEGACY_LAYOUTS[] = {
	{DDPF_RGB, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000},  // A8R8G8B8
	{DDPF_RGB, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0},           // X8R8G8B8
	{DDPF_RGB, 32, 0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000},  // A8B8G8R8
	{DDPF_RGB, 32, 0x000000FF, 0x0000FF00, 0x00FF0000, 0},           // X8B8G8R8
	{DDPF_RGB, 24, 0x00FF0000, 0x0000FF00, 0x000000FF, 0},           // R8G8B8
	{DDPF_RGB, 16, 0xF800, 0x07E0, 0x001F, 0},                       // R5G6B5
	{DDPF_RGB, 16, 0x7C00, 0x03E0, 0x001F, 0x8000},                  // A1R5G5B5
	{DDPF_RGB, 16, 0x7C00, 0x03E0, 0x001F, 0},                       // X1R5G5B5
	{DDPF_RGB, 16, 0x0F00, 0x00F0, 0x000F, 0xF000},                  // A4R4G4B4
	{DDPF_LUMINANCE, 8, 0xFF, 0, 0, 0},                              // L8
	{DDPF_LUMINANCE, 16, 0x00FF, 0, 0, 0xFF00},                      // A8L8
	{DDPF_ALPHA, 8, 0, 0, 0, 0xFF},                                  // A8
};

bool ChooseLegacyFormat(const DdsHeader& h, SourceFormat& format, std::string& why) {
	uint32_t kind = 0;
	if (h.formatFlags & DDPF_RGB) {
		kind = DDPF_RGB;
	} else if (h.formatFlags & DDPF_LUMINANCE) {
		kind = DDPF_LUMINANCE;
	} else if (h.formatFlags & (DDPF_ALPHA | DDPF_ALPHAPIXELS)) {
		kind = DDPF_ALPHA;  // some writers flag A8 as alpha pixels alone
	}
	const uint32_t alphaMask = (h.formatFlags & (DDPF_ALPHA | DDPF_ALPHAPIXELS)) ? h.alphaMask : 0;
	for (const LegacyLayout& layout : LEGACY_LAYOUTS) {
		const bool colours = kind == DDPF_RGB ? h.redMask == layout.red && h.greenMask == layout.green
		                                            && h.blueMask == layout.blue
		                                      : kind != DDPF_LUMINANCE || h.redMask == layout.red;
		if (layout.kind == kind && layout.bits == h.rgbBitCount && colours && layout.alpha == alphaMask) {
			format = Uncompressed(layout.bits, layout.red, layout.green, layout.blue, layout.alpha,
			                      kind == DDPF_LUMINANCE);
			return true;
		}
	}
	why = "unsupported DDS pixel format";
	return false;
}

bool ChooseDxgiFormat(uint32_t dxgiFormat, SourceFormat& format, std::string& why) {
	switch (dxgiFormat) {
	case 71:  // BC1_UNORM
	case 72: format = Compressed(PixelFormat::DXT1); return true;  // BC1_UNORM_SRGB
	case 74:  // BC2_UNORM
	case 75: format = Compressed(PixelFormat::DXT3); return true;  // BC2_UNORM_SRGB
	case 77:  // BC3_UNORM
	case 78: format = Compressed(PixelFormat::DXT5); return true;  // BC3_UNORM_SRGB
	case 28:  // R8G8B8A8_UNORM
	case 29: format = Uncompressed(32, 0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000); return true;  // _SRGB
	case 87:  // B8G8R8A8_UNORM
	case 91: format = Uncompressed(32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000); return true;  // _SRGB
	case 88:  // B8G8R8X8_UNORM
	case 93: format = Uncompressed(32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0); return true;  // _SRGB
	default: why = "unsupported DXGI format " + std::to_string(dxgiFormat) + " in DDS file"; return false;
	}
}

bool ChoosePixelFormat(const DdsHeader& h, SourceFormat& format, std::string& why) {
	if (h.dx10) {
		return ChooseDxgiFormat(h.dxgiFormat, format, why);
	}
	if (h.formatFlags & DDPF_FOURCC) {
		switch (h.fourCC) {
		case MakeFourCC('D', 'X', 'T', '1'): format = Compressed(PixelFormat::DXT1); return true;
		case MakeFourCC('D', 'X', 'T', '3'): format = Compressed(PixelFormat::DXT3); return true;
		case MakeFourCC('D', 'X', 'T', '5'): format = Compressed(PixelFormat::DXT5); return true;
		default: why = "unsupported DDS compression"; return false;
		}
	}
	return ChooseLegacyFormat(h, format, why);
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
	const bool cube = h.dx10 ? (h.miscFlag & MISC_TEXTURECUBE) != 0 : (h.caps2 & DDSCAPS2_CUBEMAP) != 0;
	if (!cube) {
		faces = 1;
		return true;
	}
	if (!h.dx10 && (h.caps2 & DDSCAPS2_CUBEMAP_ALL_FACES) != DDSCAPS2_CUBEMAP_ALL_FACES) {
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

bool CheckDx10Header(const DdsHeader& h, std::string& why) {
	if (!h.dx10) {
		return true;
	}
	if (h.dimension != DIMENSION_TEXTURE1D && h.dimension != DIMENSION_TEXTURE2D) {
		why = "DDS resource dimension is not a 1D or 2D texture";
		return false;
	}
	if (h.arraySize != 1) {
		why = "DDS texture arrays are not supported";
		return false;
	}
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
	return CheckDx10Header(h, why);
}

// Where one level's bytes sit in the file. Rows are packed: the pitch
// follows from the width and the format, whatever the header claims.
struct LevelLayout {
	uint32_t width, height;
	uint64_t rowBytes;  // bytes per row in the file (per block row when compressed)
	uint64_t rows;
	uint64_t FileBytes() const { return rowBytes * rows; }
};

class DdsLayout {
public:
	SourceFormat source;
	uint32_t width = 0, height = 0, levels = 1, faces = 1;

	LevelLayout Level(uint32_t level) const {
		LevelLayout layout;
		layout.width = std::max(width >> level, 1u);
		layout.height = std::max(height >> level, 1u);
		if (source.IsCompressed()) {
			layout.rowBytes = uint64_t((layout.width + 3) / 4) * source.BlockBytes();
			layout.rows = (layout.height + 3) / 4;
		} else {
			layout.rowBytes = uint64_t(layout.width) * source.bytesPerPixel;
			layout.rows = layout.height;
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

// One channel of an uncompressed pixel, widened to 8 bits with rounding.
class Channel {
public:
	Channel(uint32_t mask, uint8_t absent) : mask(mask), absent(absent) {
		shift = mask != 0 ? std::countr_zero(mask) : 0;
		top = mask >> shift;
	}

	uint8_t Expand(uint32_t pixel) const {
		if (mask == 0) {
			return absent;
		}
		const uint32_t value = (pixel & mask) >> shift;
		return uint8_t((uint64_t(value) * 255 + top / 2) / top);
	}

private:
	uint32_t mask;
	uint8_t absent;
	int shift = 0;
	uint32_t top = 0;
};

// Turns one row of file pixels into BGRA bytes. Colours absent from the file
// read as black and absent alpha as opaque, as D3DX fills them.
void ConvertRow(const SourceFormat& format, const uint8_t* in, uint32_t width, uint8_t* out) {
	const Channel red(format.masks[0], 0), green(format.masks[1], 0), blue(format.masks[2], 0);
	const Channel alpha(format.masks[3], 0xFF);
	const uint32_t bytes = format.bytesPerPixel;
	for (uint32_t x = 0; x < width; x++, in += bytes, out += 4) {
		uint32_t pixel = 0;
		for (uint32_t i = 0; i < bytes; i++) {
			pixel |= uint32_t(in[i]) << (8 * i);
		}
		const uint8_t r = red.Expand(pixel);
		out[0] = format.luminance ? r : blue.Expand(pixel);
		out[1] = format.luminance ? r : green.Expand(pixel);
		out[2] = r;
		out[3] = alpha.Expand(pixel);
	}
}

bool ReadLevel(ByteCursor& cursor, const SourceFormat& format, const LevelLayout& layout, ImageSurface& surface,
               std::string& why) {
	const uint8_t* source = cursor.Take(layout.FileBytes());
	if (source == nullptr) {
		why = "DDS pixel data is truncated";
		return false;
	}
	surface.width = layout.width;
	surface.height = layout.height;
	if (format.IsCompressed() || format.IsNative()) {
		surface.bytes.assign(source, source + layout.FileBytes());
		return true;
	}
	const uint64_t outputRowBytes = uint64_t(layout.width) * 4;
	surface.bytes.resize(static_cast<size_t>(outputRowBytes * layout.rows));
	for (uint64_t row = 0; row < layout.rows; row++) {
		ConvertRow(format, source + row * layout.rowBytes, layout.width, surface.bytes.data() + row * outputRowBytes);
	}
	return true;
}

bool DescribeLayout(const DdsHeader& h, DdsLayout& layout, std::string& why) {
	layout.width = h.width;
	layout.height = h.height;
	return CheckHeader(h, why) && ChoosePixelFormat(h, layout.source, why) && ChooseMipLevels(h, layout.levels, why)
	    && ChooseFaces(h, layout.faces, why);
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
	DdsHeader header = ReadHeader(cursor);
	DdsLayout layout;
	if (!ReadDx10Header(cursor, header, why) || !DescribeLayout(header, layout, why)) {
		return false;
	}
	if (layout.TotalFileBytes() > cursor.Left()) {
		why = "DDS pixel data is truncated";
		return false;
	}

	Image result;
	result.format = layout.source.output;
	result.fileFormat = ImageFileFormat::Dds;
	result.width = layout.width;
	result.height = layout.height;
	result.mipLevels = layout.levels;
	result.faces = layout.faces;
	result.surfaces.resize(size_t(layout.faces) * layout.levels);
	for (uint32_t face = 0; face < layout.faces; face++) {
		for (uint32_t level = 0; level < layout.levels; level++) {
			if (!ReadLevel(cursor, layout.source, layout.Level(level), result.surfaces[face * layout.levels + level],
			               why)) {
				return false;
			}
		}
	}
	image = std::move(result);
	return true;
}
