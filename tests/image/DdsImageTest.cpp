// DDS files are assembled here field by field, so every header value a case
// depends on is visible in the case itself.

#include "platform/image/Image.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t DDSD_BASIC = 0x1 | 0x2 | 0x4 | 0x1000;  // caps, height, width, pixel format
constexpr uint32_t DDSD_PITCH = 0x8;
constexpr uint32_t DDSD_MIPMAPCOUNT = 0x20000;
constexpr uint32_t DDPF_ALPHAPIXELS = 0x1;
constexpr uint32_t DDPF_FOURCC = 0x4;
constexpr uint32_t DDPF_RGB = 0x40;
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

TEST(DdsImage, XrgbAndPitchedRows) {
	DdsFile file = Argb(2, 2, false);
	file.flags |= DDSD_PITCH;
	file.pitch = 12;  // 8 bytes of pixels and 4 of padding per row
	AppendSurface(file, 24, 0);
	Image image;
	std::string why;
	ASSERT_TRUE(Read(file, image, why)) << why;
	EXPECT_EQ(PixelFormat::BGRX8, image.format);
	std::vector<uint8_t> expected = Slice(file.payload, 0, 8);
	const std::vector<uint8_t> secondRow = Slice(file.payload, 12, 8);
	expected.insert(expected.end(), secondRow.begin(), secondRow.end());
	EXPECT_EQ(expected, image.Surface(0, 0).bytes);

	file.pitch = 4;  // narrower than a row
	ExpectRejected(file, "pitch below row size");
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
	file.masks[0] = 0x000000FF;  // RGBA byte order is not one of ours
	file.masks[2] = 0x00FF0000;
	ExpectRejected(file, "swapped masks");
	file = good;
	file.formatFlags = DDPF_FOURCC;
	file.fourCC = FourCC("DX10");
	ExpectRejected(file, "extended header");

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
