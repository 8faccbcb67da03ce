// DDS files are assembled here field by field, so every header value a case
// depends on is visible in the case itself.

#include "platform/image/Image.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t DDSD_BASIC = 0x1 | 0x2 | 0x4 | 0x1000;  // caps, height, width, pixel format
constexpr uint32_t DDSD_PITCH = 0x8;
constexpr uint32_t DDSD_MIPMAPCOUNT = 0x20000;
constexpr uint32_t DDPF_ALPHAPIXELS = 0x1;
constexpr uint32_t DDPF_ALPHA = 0x2;
constexpr uint32_t DDPF_FOURCC = 0x4;
constexpr uint32_t DDPF_RGB = 0x40;
constexpr uint32_t DDPF_LUMINANCE = 0x20000;
constexpr uint32_t DDSCAPS2_CUBEMAP = 0x200;
constexpr uint32_t DDSCAPS2_POSITIVEX = 0x400;
constexpr uint32_t DDSCAPS2_ALL_FACES = 0xFC00;
constexpr uint32_t DDSCAPS2_VOLUME = 0x200000;

uint32_t FourCC(const char* code) {
	return uint32_t(uint8_t(code[0])) | (uint32_t(uint8_t(code[1])) << 8) | (uint32_t(uint8_t(code[2])) << 16)
	     | (uint32_t(uint8_t(code[3])) << 24);
}

struct DdsFile {
	uint32_t magic = FourCC("DDS ");
	uint32_t headerSize = 124;
	uint32_t flags = DDSD_BASIC;
	uint32_t height = 1, width = 1, pitch = 0, depth = 0, mipCount = 0;
	uint32_t formatSize = 32, formatFlags = 0, fourCC = 0, bitCount = 0;
	uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha
	uint32_t caps = 0x1000, caps2 = 0;
	bool dx10 = false;  // the extended header follows when set
	uint32_t dxgiFormat = 0, dimension = 3, miscFlag = 0, arraySize = 1;
	std::vector<uint8_t> payload;

	std::vector<uint8_t> Bytes() const {
		std::vector<uint8_t> out;
		auto put = [&out](uint32_t v) {
			for (int shift = 0; shift < 32; shift += 8) {
				out.push_back(uint8_t(v >> shift));
			}
		};
		put(magic);
		for (uint32_t v : {headerSize, flags, height, width, pitch, depth, mipCount}) {
			put(v);
		}
		for (int i = 0; i < 11; i++) {
			put(0);
		}
		for (uint32_t v : {formatSize, formatFlags, fourCC, bitCount, masks[0], masks[1], masks[2], masks[3], caps, caps2}) {
			put(v);
		}
		for (int i = 0; i < 3; i++) {
			put(0);
		}
		if (dx10) {
			for (uint32_t v : {dxgiFormat, dimension, miscFlag, arraySize, 0u}) {
				put(v);
			}
		}
		out.insert(out.end(), payload.begin(), payload.end());
		return out;
	}
};

// Appends count bytes that tell their surface apart from every other.
void AppendSurface(DdsFile& file, size_t count, uint8_t tag) {
	for (size_t i = 0; i < count; i++) {
		file.payload.push_back(uint8_t(tag * 31 + i));
	}
}

DdsFile Argb(uint32_t width, uint32_t height, bool alpha) {
	DdsFile file;
	file.width = width;
	file.height = height;
	file.formatFlags = DDPF_RGB | (alpha ? DDPF_ALPHAPIXELS : 0);
	file.bitCount = 32;
	file.masks[0] = 0x00FF0000;
	file.masks[1] = 0x0000FF00;
	file.masks[2] = 0x000000FF;
	file.masks[3] = alpha ? 0xFF000000 : 0;
	return file;
}

DdsFile Compressed(const char* code, uint32_t width, uint32_t height) {
	DdsFile file;
	file.width = width;
	file.height = height;
	file.formatFlags = DDPF_FOURCC;
	file.fourCC = FourCC(code);
	return file;
}

void WithMips(DdsFile& file, uint32_t count) {
	file.flags |= DDSD_MIPMAPCOUNT;
	file.mipCount = count;
}

bool Read(const DdsFile& file, Image& image, std::string& why) {
	const std::vector<uint8_t> bytes = file.Bytes();
	return ReadImage(bytes.data(), bytes.size(), image, why);
}

void ExpectRejected(const std::vector<uint8_t>& bytes, const char* what) {
	Image image;
	std::string why;
	EXPECT_FALSE(ReadDdsImage(bytes.data(), bytes.size(), image, why)) << what;
	EXPECT_FALSE(why.empty()) << what;
	EXPECT_TRUE(image.surfaces.empty()) << what;
}

void ExpectRejected(const DdsFile& file, const char* what) { ExpectRejected(file.Bytes(), what); }

std::vector<uint8_t> Slice(const std::vector<uint8_t>& bytes, size_t offset, size_t count) {
	return std::vector<uint8_t>(bytes.begin() + offset, bytes.begin() + offset + count);
}

}  // namespace

TEST(DdsImage, ArgbMipChainKeepsEveryLevel) {
	DdsFile file = Argb(4, 2, true);
	WithMips(file, 3);  // 4x2, 2x1, 1x1
	AppendSurface(file, 4 * 2 * 4, 0);
	AppendSurface(file, 2 * 1 * 4, 1);
	AppendSurface(file, 1 * 1 * 4, 2);
	Image image;
	std::string why;
	ASSERT_TRUE(Read(file, image, why)) << why;
	EXPECT_EQ(PixelFormat::BGRA8, image.format);
	EXPECT_EQ(ImageFileFormat::Dds, image.fileFormat);
	EXPECT_EQ(4u, image.width);
	EXPECT_EQ(2u, image.height);
	EXPECT_EQ(3u, image.mipLevels);
	EXPECT_FALSE(image.IsCube());
	ASSERT_EQ(3u, image.surfaces.size());
	EXPECT_EQ(2u, image.Surface(0, 1).width);
	EXPECT_EQ(1u, image.Surface(0, 1).height);
	EXPECT_EQ(1u, image.Surface(0, 2).width);
	EXPECT_EQ(Slice(file.payload, 0, 32), image.Surface(0, 0).bytes);
	EXPECT_EQ(Slice(file.payload, 32, 8), image.Surface(0, 1).bytes);
	EXPECT_EQ(Slice(file.payload, 40, 4), image.Surface(0, 2).bytes);
}

TEST(DdsImage, CompressedBlockSizes) {
	struct Case {
		const char* code;
		PixelFormat format;
		uint32_t width, height;
		size_t levelBytes;
	};
	const Case cases[] = {
		{"DXT1", PixelFormat::DXT1, 8, 8, 2 * 2 * 8},
		{"DXT1", PixelFormat::DXT1, 5, 3, 2 * 1 * 8},  // partial blocks round up
		{"DXT3", PixelFormat::DXT3, 5, 3, 2 * 1 * 16},
		{"DXT5", PixelFormat::DXT5, 16, 4, 4 * 1 * 16},
	};
	for (const Case& c : cases) {
		DdsFile file = Compressed(c.code, c.width, c.height);
		AppendSurface(file, c.levelBytes, 0);
		Image image;
		std::string why;
		ASSERT_TRUE(Read(file, image, why)) << c.code << ": " << why;
		EXPECT_EQ(c.format, image.format);
		EXPECT_EQ(file.payload, image.Surface(0, 0).bytes) << c.code;
		file.payload.pop_back();
		ExpectRejected(file, c.code);
	}
}

TEST(DdsImage, CompressedMipsStopAtOneBlock) {
	DdsFile file = Compressed("DXT1", 8, 8);
	WithMips(file, 4);  // 8x8, 4x4, 2x2, 1x1: the last two still take a whole block
	for (uint8_t level = 0; level < 4; level++) {
		AppendSurface(file, level == 0 ? 32 : 8, level);
	}
	Image image;
	std::string why;
	ASSERT_TRUE(Read(file, image, why)) << why;
	ASSERT_EQ(4u, image.mipLevels);
	EXPECT_EQ(Slice(file.payload, 48, 8), image.Surface(0, 3).bytes);
	EXPECT_EQ(1u, image.Surface(0, 3).width);
}

TEST(DdsImage, CubeMapFacesWithMips) {
	DdsFile file = Argb(4, 4, true);
	WithMips(file, 3);
	file.caps2 = DDSCAPS2_CUBEMAP | DDSCAPS2_ALL_FACES;
	for (uint8_t face = 0; face < 6; face++) {
		AppendSurface(file, 64, uint8_t(face * 3));
		AppendSurface(file, 16, uint8_t(face * 3 + 1));
		AppendSurface(file, 4, uint8_t(face * 3 + 2));
	}
	Image image;
	std::string why;
	ASSERT_TRUE(Read(file, image, why)) << why;
	ASSERT_TRUE(image.IsCube());
	ASSERT_EQ(18u, image.surfaces.size());
	for (uint32_t face = 0; face < 6; face++) {
		const size_t faceStart = face * 84;
		EXPECT_EQ(Slice(file.payload, faceStart, 64), image.Surface(face, 0).bytes) << face;
		EXPECT_EQ(Slice(file.payload, faceStart + 64, 16), image.Surface(face, 1).bytes) << face;
		EXPECT_EQ(Slice(file.payload, faceStart + 80, 4), image.Surface(face, 2).bytes) << face;
	}

	DdsFile shortFile = file;
	shortFile.payload.pop_back();
	ExpectRejected(shortFile, "last face's last mip one byte short");
	file.caps2 = DDSCAPS2_CUBEMAP | DDSCAPS2_POSITIVEX;
	ExpectRejected(file, "partial cube");
	file.caps2 = DDSCAPS2_CUBEMAP | DDSCAPS2_ALL_FACES;
	file.width = 8;
	ExpectRejected(file, "faces not square");
}

TEST(DdsImage, MipCountNeedsItsFlag) {
	DdsFile file = Argb(2, 2, true);
	file.mipCount = 2;  // ignored without DDSD_MIPMAPCOUNT
	AppendSurface(file, 16 + 4, 0);
	Image image;
	std::string why;
	ASSERT_TRUE(Read(file, image, why)) << why;
	EXPECT_EQ(1u, image.mipLevels);
	WithMips(file, 0);  // some writers store 0 for a single level
	ASSERT_TRUE(Read(file, image, why)) << why;
	EXPECT_EQ(1u, image.mipLevels);
	WithMips(file, 2);
	ASSERT_TRUE(Read(file, image, why)) << why;
	EXPECT_EQ(2u, image.mipLevels);
	EXPECT_EQ(Slice(file.payload, 16, 4), image.Surface(0, 1).bytes);
}

TEST(DdsImage, RejectsMalformedHeaders) {
	DdsFile good = Argb(4, 4, true);
	WithMips(good, 3);
	AppendSurface(good, 64 + 16 + 4, 0);
	{
		Image image;
		std::string why;
		ASSERT_TRUE(Read(good, image, why)) << why;
	}
	DdsFile file = good;
	file.magic = FourCC("DDT ");
	ExpectRejected(file, "bad magic");
	file = good;
	file.headerSize = 123;
	ExpectRejected(file, "header size");
	file = good;
	file.formatSize = 0;
	ExpectRejected(file, "pixel format size");
	file = good;
	file.mipCount = 4;  // a 4x4 chain has three levels
	file.payload.resize(file.payload.size() + 4);
	ExpectRejected(file, "too many mips");
	file = good;
	file.width = 0;
	ExpectRejected(file, "zero width");
	file = good;
	file.width = file.height = 0x40000000;
	ExpectRejected(file, "absurd dimensions");
	file = good;
	file.caps2 = DDSCAPS2_VOLUME;
	ExpectRejected(file, "volume");
	file = good;
	file.masks[0] = 0x0000FF00;  // green and red swapped: no format stores that
	file.masks[1] = 0x00FF0000;
	ExpectRejected(file, "swapped masks");
	file = good;
	file.formatFlags = DDPF_FOURCC;
	file.fourCC = FourCC("DX10");
	file.payload.resize(19);
	ExpectRejected(file, "extended header cut short");

	const std::vector<uint8_t> bytes = good.Bytes();
	ExpectRejected(Slice(bytes, 0, 100), "truncated header");
	ExpectRejected(Slice(bytes, 0, 4), "magic only");
	ExpectRejected(Slice(bytes, 0, bytes.size() - 1), "last mip one byte short");
}

TEST(DdsImage, HugeHeaderWithoutDataFailsCleanly) {
	// Near the dimension cap a full chain claims gigabytes; the reader must
	// compare that with the bytes present instead of allocating it.
	DdsFile file = Compressed("DXT5", MAX_IMAGE_DIMENSION, MAX_IMAGE_DIMENSION);
	WithMips(file, 15);
	file.caps2 = DDSCAPS2_CUBEMAP | DDSCAPS2_ALL_FACES;
	AppendSurface(file, 64, 0);
	ExpectRejected(file, "huge cube");

	file = Argb(MAX_IMAGE_DIMENSION, 1, true);
	file.flags |= DDSD_PITCH;
	file.pitch = 0xFFFFFFFF;
	ExpectRejected(file, "huge pitch");
}

TEST(DdsImage, FailedReadEmptiesThePreviousImage) {
	DdsFile file = Argb(1, 1, true);
	AppendSurface(file, 4, 0);
	Image image;
	std::string why;
	ASSERT_TRUE(Read(file, image, why));
	file.payload.clear();
	EXPECT_FALSE(Read(file, image, why));
	EXPECT_TRUE(image.surfaces.empty());
	EXPECT_EQ(0u, image.mipLevels);
}

namespace {

DdsFile Uncompressed(uint32_t formatFlags, uint32_t bits, uint32_t red, uint32_t green, uint32_t blue, uint32_t alpha) {
	DdsFile file;
	file.formatFlags = formatFlags;
	file.bitCount = bits;
	file.masks[0] = red;
	file.masks[1] = green;
	file.masks[2] = blue;
	file.masks[3] = alpha;
	return file;
}

DdsFile Dx10(uint32_t dxgiFormat, uint32_t width, uint32_t height) {
	DdsFile file = Compressed("DX10", width, height);
	file.dx10 = true;
	file.dxgiFormat = dxgiFormat;
	return file;
}

using Bgra = std::vector<uint8_t>;

Bgra Texel(const Image& image, uint32_t x, uint32_t y) {
	const ImageSurface& surface = image.Surface(0, 0);
	const auto at = surface.bytes.begin() + (size_t(y) * surface.width + x) * 4;
	return Bgra(at, at + 4);
}

}  // namespace

TEST(DdsImage, UncompressedLayoutsReadAsBgra) {
	struct Case {
		const char* name;
		DdsFile file;
		PixelFormat format;
		std::vector<std::vector<uint8_t>> texels;  // as stored in the file
		std::vector<Bgra> expected;
	};
	const Case cases[] = {
		{"A8B8G8R8", Uncompressed(DDPF_RGB | DDPF_ALPHAPIXELS, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000u),
		 PixelFormat::BGRA8, {{0x11, 0x22, 0x33, 0x44}, {0xFF, 0, 0, 0x80}},
		 {{0x33, 0x22, 0x11, 0x44}, {0, 0, 0xFF, 0x80}}},
		{"X8B8G8R8", Uncompressed(DDPF_RGB, 32, 0xFF, 0xFF00, 0xFF0000, 0), PixelFormat::BGRX8,
		 {{0x11, 0x22, 0x33, 0x00}, {0, 0, 0xFF, 0x12}}, {{0x33, 0x22, 0x11, 0xFF}, {0xFF, 0, 0, 0xFF}}},
		{"R8G8B8", Uncompressed(DDPF_RGB, 24, 0xFF0000, 0xFF00, 0xFF, 0), PixelFormat::BGRX8,
		 {{0x33, 0x22, 0x11}, {0xFF, 0, 0}, {0, 0, 0xFF}},
		 {{0x33, 0x22, 0x11, 0xFF}, {0xFF, 0, 0, 0xFF}, {0, 0, 0xFF, 0xFF}}},
		{"R5G6B5", Uncompressed(DDPF_RGB, 16, 0xF800, 0x07E0, 0x001F, 0), PixelFormat::BGRX8,
		 {{0x00, 0xF8}, {0xE0, 0x07}, {0x1F, 0x00}, {0x10, 0x84}},
		 {{0, 0, 255, 255}, {0, 255, 0, 255}, {255, 0, 0, 255}, {132, 130, 132, 255}}},
		{"A1R5G5B5", Uncompressed(DDPF_RGB | DDPF_ALPHAPIXELS, 16, 0x7C00, 0x03E0, 0x001F, 0x8000),
		 PixelFormat::BGRA8, {{0x00, 0xFC}, {0xE0, 0x03}}, {{0, 0, 255, 255}, {0, 255, 0, 0}}},
		{"X1R5G5B5", Uncompressed(DDPF_RGB, 16, 0x7C00, 0x03E0, 0x001F, 0), PixelFormat::BGRX8,
		 {{0x00, 0x7C}, {0xE0, 0x83}}, {{0, 0, 255, 255}, {0, 255, 0, 255}}},
		{"A4R4G4B4", Uncompressed(DDPF_RGB | DDPF_ALPHAPIXELS, 16, 0x0F00, 0x00F0, 0x000F, 0xF000),
		 PixelFormat::BGRA8, {{0x00, 0xF8}, {0xA5, 0x50}}, {{0, 0, 136, 255}, {85, 170, 0, 85}}},
		// Luminance fills all three colours; alpha alone leaves them black.
		{"L8", Uncompressed(DDPF_LUMINANCE, 8, 0xFF, 0, 0, 0), PixelFormat::BGRX8, {{0x80}, {0xFF}, {0x00}},
		 {{0x80, 0x80, 0x80, 255}, {255, 255, 255, 255}, {0, 0, 0, 255}}},
		{"A8L8", Uncompressed(DDPF_LUMINANCE | DDPF_ALPHAPIXELS, 16, 0xFF, 0, 0, 0xFF00), PixelFormat::BGRA8,
		 {{0x40, 0xC0}}, {{0x40, 0x40, 0x40, 0xC0}}},
		{"A8", Uncompressed(DDPF_ALPHA, 8, 0, 0, 0, 0xFF), PixelFormat::BGRA8, {{0x80}, {0xFF}},
		 {{0, 0, 0, 0x80}, {0, 0, 0, 255}}},
		{"A8 flagged as alpha pixels", Uncompressed(DDPF_ALPHAPIXELS, 8, 0, 0, 0, 0xFF), PixelFormat::BGRA8,
		 {{0x33}}, {{0, 0, 0, 0x33}}},
	};
	for (const Case& c : cases) {
		// Two rows, the second the first reversed, so a wrong stride shows.
		DdsFile file = c.file;
		file.width = uint32_t(c.texels.size());
		file.height = 2;
		for (const auto& texel : c.texels) {
			file.payload.insert(file.payload.end(), texel.begin(), texel.end());
		}
		for (auto texel = c.texels.rbegin(); texel != c.texels.rend(); ++texel) {
			file.payload.insert(file.payload.end(), texel->begin(), texel->end());
		}
		Image image;
		std::string why;
		ASSERT_TRUE(Read(file, image, why)) << c.name << ": " << why;
		EXPECT_EQ(c.format, image.format) << c.name;
		ASSERT_EQ(size_t(file.width) * 2 * 4, image.Surface(0, 0).bytes.size()) << c.name;
		for (uint32_t x = 0; x < file.width; x++) {
			EXPECT_EQ(c.expected[x], Texel(image, x, 0)) << c.name << " texel " << x;
			EXPECT_EQ(c.expected[x], Texel(image, file.width - 1 - x, 1)) << c.name << " second row, texel " << x;
		}
		file.payload.pop_back();
		ExpectRejected(file, c.name);
	}
}

TEST(DdsImage, SixteenBitMipChainConvertsEveryLevel) {
	DdsFile file = Uncompressed(DDPF_RGB, 16, 0xF800, 0x07E0, 0x001F, 0);
	file.width = file.height = 4;
	WithMips(file, 3);
	const uint8_t levelColours[3][2] = {{0x00, 0xF8}, {0xE0, 0x07}, {0x1F, 0x00}};  // red, green, blue
	const uint32_t texels[3] = {16, 4, 1};
	for (int level = 0; level < 3; level++) {
		for (uint32_t i = 0; i < texels[level]; i++) {
			file.payload.insert(file.payload.end(), levelColours[level], levelColours[level] + 2);
		}
	}
	Image image;
	std::string why;
	ASSERT_TRUE(Read(file, image, why)) << why;
	ASSERT_EQ(3u, image.mipLevels);
	const Bgra expected[3] = {{0, 0, 255, 255}, {0, 255, 0, 255}, {255, 0, 0, 255}};
	for (uint32_t level = 0; level < 3; level++) {
		const ImageSurface& surface = image.Surface(0, level);
		ASSERT_EQ(size_t(texels[level]) * 4, surface.bytes.size()) << level;
		EXPECT_EQ(expected[level], Bgra(surface.bytes.end() - 4, surface.bytes.end())) << level;
	}
}

TEST(DdsImage, RowPitchFollowsWidthAndFormatNotTheHeader) {
	// 3 x 2 at 24 bits: packed rows of 9 bytes, not padded to 12.
	DdsFile file = Uncompressed(DDPF_RGB, 24, 0xFF0000, 0xFF00, 0xFF, 0);
	file.width = 3;
	file.height = 2;
	file.flags |= DDSD_PITCH;
	for (uint8_t i = 0; i < 6; i++) {
		file.payload.insert(file.payload.end(), {uint8_t(i * 10), uint8_t(i * 10 + 1), uint8_t(i * 10 + 2)});
	}
	for (uint32_t pitch : {9u, 0u, 4u, 12u, 0xFFFFFFFFu}) {
		file.pitch = pitch;
		Image image;
		std::string why;
		ASSERT_TRUE(Read(file, image, why)) << "pitch " << pitch << ": " << why;
		EXPECT_EQ(Bgra({30, 31, 32, 255}), Texel(image, 0, 1)) << "pitch " << pitch;
		EXPECT_EQ(Bgra({50, 51, 52, 255}), Texel(image, 2, 1)) << "pitch " << pitch;
	}

	// 32 bits with a pitch claiming padding the file does not have.
	DdsFile argb = Argb(2, 2, true);
	argb.flags |= DDSD_PITCH;
	argb.pitch = 12;
	AppendSurface(argb, 16, 0);
	Image image;
	std::string why;
	ASSERT_TRUE(Read(argb, image, why)) << why;
	EXPECT_EQ(argb.payload, image.Surface(0, 0).bytes);
	argb.pitch = 4;
	ASSERT_TRUE(Read(argb, image, why)) << why;
	EXPECT_EQ(argb.payload, image.Surface(0, 0).bytes);
}

TEST(DdsImage, Dx10HeaderFormats) {
	struct Compressed {
		uint32_t dxgi;
		PixelFormat format;
		size_t blockBytes;
	};
	const Compressed blocks[] = {
		{71, PixelFormat::DXT1, 8}, {72, PixelFormat::DXT1, 8}, {74, PixelFormat::DXT3, 16},
		{75, PixelFormat::DXT3, 16}, {77, PixelFormat::DXT5, 16}, {78, PixelFormat::DXT5, 16},
	};
	for (const Compressed& c : blocks) {
		DdsFile file = Dx10(c.dxgi, 8, 4);
		AppendSurface(file, 2 * c.blockBytes, uint8_t(c.dxgi));
		Image image;
		std::string why;
		ASSERT_TRUE(Read(file, image, why)) << c.dxgi << ": " << why;
		EXPECT_EQ(c.format, image.format) << c.dxgi;
		EXPECT_EQ(file.payload, image.Surface(0, 0).bytes) << c.dxgi;
		file.payload.pop_back();
		ExpectRejected(file, "short BC level");
	}

	struct Colour {
		uint32_t dxgi;
		PixelFormat format;
		Bgra expected;  // from the file bytes 10 20 30 40
	};
	const Colour colours[] = {
		{28, PixelFormat::BGRA8, {30, 20, 10, 40}},  {29, PixelFormat::BGRA8, {30, 20, 10, 40}},
		{87, PixelFormat::BGRA8, {10, 20, 30, 40}},  {91, PixelFormat::BGRA8, {10, 20, 30, 40}},
		{88, PixelFormat::BGRX8, {10, 20, 30, 40}},
	};
	for (const Colour& c : colours) {
		DdsFile file = Dx10(c.dxgi, 1, 1);
		file.payload = {10, 20, 30, 40};
		Image image;
		std::string why;
		ASSERT_TRUE(Read(file, image, why)) << c.dxgi << ": " << why;
		EXPECT_EQ(c.format, image.format) << c.dxgi;
		EXPECT_EQ(c.expected, Texel(image, 0, 0)) << c.dxgi;
	}
}

TEST(DdsImage, Dx10CubeMapsAndRefusals) {
	DdsFile cube = Dx10(87, 2, 2);
	cube.miscFlag = 0x4;  // TEXTURECUBE; the legacy cube flags are not needed
	for (uint8_t face = 0; face < 6; face++) {
		AppendSurface(cube, 16, face);
	}
	Image image;
	std::string why;
	ASSERT_TRUE(Read(cube, image, why)) << why;
	ASSERT_TRUE(image.IsCube());
	EXPECT_EQ(Slice(cube.payload, 5 * 16, 16), image.Surface(5, 0).bytes);

	DdsFile file = cube;
	file.arraySize = 2;
	ExpectRejected(file, "texture array");
	file = cube;
	file.dimension = 4;
	ExpectRejected(file, "volume");
	file = cube;
	file.dxgiFormat = 2;  // R32G32B32A32_FLOAT
	ExpectRejected(file, "float format");
	file = cube;
	file.width = 4;
	ExpectRejected(file, "faces not square");
	const std::vector<uint8_t> bytes = cube.Bytes();
	ExpectRejected(Slice(bytes, 0, 4 + 124 + 12), "extended header cut short");
}
