#include "platform/image/Image.h"

#include <gtest/gtest.h>
#include <stb_image_write.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

void AppendBytes(void* context, void* data, int size) {
	auto* out = static_cast<std::vector<uint8_t>*>(context);
	const auto* bytes = static_cast<const uint8_t*>(data);
	out->insert(out->end(), bytes, bytes + size);
}

std::vector<uint8_t> EncodePng(int width, int height, const std::vector<uint8_t>& rgba) {
	std::vector<uint8_t> png;
	EXPECT_NE(0, stbi_write_png_to_func(AppendBytes, &png, width, height, 4, rgba.data(), width * 4));
	return png;
}

// 3 x 2: red, half-transparent green, blue / white, black, grey.
const std::vector<uint8_t> kPixels = {
	255, 0, 0, 255,      0, 255, 0, 128,  0, 0, 255, 255,
	255, 255, 255, 255,  0, 0, 0, 255,    90, 90, 90, 10,
};

void ExpectRejected(const std::vector<uint8_t>& bytes, size_t size) {
	Image image;
	std::string why;
	EXPECT_FALSE(ReadPngImage(bytes.data(), size, image, why)) << "size " << size;
	EXPECT_FALSE(why.empty());
	EXPECT_TRUE(image.surfaces.empty());
	EXPECT_EQ(0u, image.width);
}

uint32_t BigEndian32(const uint8_t* bytes) {
	return (uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) | (uint32_t(bytes[2]) << 8) | bytes[3];
}

void AppendBigEndian32(std::vector<uint8_t>& out, uint32_t value) {
	for (int shift = 24; shift >= 0; shift -= 8) {
		out.push_back(uint8_t(value >> shift));
	}
}

// Where a chunk's length field starts; asserts that the chunk is there.
size_t FindChunk(const std::vector<uint8_t>& png, const char* type) {
	for (size_t offset = 8; offset + 12 <= png.size(); offset += 12 + BigEndian32(&png[offset])) {
		if (std::memcmp(&png[offset + 4], type, 4) == 0) {
			return offset;
		}
	}
	ADD_FAILURE() << "no " << type << " chunk";
	return 8;
}

// Recomputes a chunk's CRC after a test has edited it on purpose.
void RefreshCrc(std::vector<uint8_t>& png, size_t chunk) {
	const uint32_t length = BigEndian32(&png[chunk]);
	const uint32_t crc = uint32_t(crc32(0, &png[chunk + 4], uInt(length + 4)));
	for (int i = 0; i < 4; i++) {
		png[chunk + 8 + length + i] = uint8_t(crc >> (24 - 8 * i));
	}
}

void AppendChunk(std::vector<uint8_t>& png, const char* type, const std::vector<uint8_t>& data) {
	const size_t chunk = png.size();
	AppendBigEndian32(png, uint32_t(data.size()));
	png.insert(png.end(), type, type + 4);
	png.insert(png.end(), data.begin(), data.end());
	AppendBigEndian32(png, 0);
	RefreshCrc(png, chunk);
}

// A paletted PNG written chunk by chunk. rows holds each row's packed
// indices without the filter byte; palette is RGB triples.
struct PalettedPng {
	uint32_t width = 1, height = 1;
	uint8_t bitDepth = 8;
	std::vector<std::vector<uint8_t>> rows;
	std::vector<uint8_t> palette;
	std::vector<uint8_t> transparency;  // tRNS alphas, none when empty

	std::vector<uint8_t> Bytes() const {
		std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
		std::vector<uint8_t> header;
		AppendBigEndian32(header, width);
		AppendBigEndian32(header, height);
		header.insert(header.end(), {bitDepth, 3, 0, 0, 0});
		AppendChunk(png, "IHDR", header);
		AppendChunk(png, "PLTE", palette);
		if (!transparency.empty()) {
			AppendChunk(png, "tRNS", transparency);
		}
		std::vector<uint8_t> scanlines;
		for (const std::vector<uint8_t>& row : rows) {
			scanlines.push_back(0);  // filter: none
			scanlines.insert(scanlines.end(), row.begin(), row.end());
		}
		std::vector<uint8_t> packed(compressBound(uLong(scanlines.size())));
		uLongf packedSize = uLongf(packed.size());
		EXPECT_EQ(Z_OK, compress(packed.data(), &packedSize, scanlines.data(), uLong(scanlines.size())));
		packed.resize(packedSize);
		AppendChunk(png, "IDAT", packed);
		AppendChunk(png, "IEND", {});
		return png;
	}
};

using Bgra = std::vector<uint8_t>;

std::vector<Bgra> ReadPixels(const std::vector<uint8_t>& png) {
	Image image;
	std::string why;
	EXPECT_TRUE(ReadPngImage(png.data(), png.size(), image, why)) << why;
	std::vector<Bgra> pixels;
	if (!image.surfaces.empty()) {
		const std::vector<uint8_t>& bytes = image.Surface(0, 0).bytes;
		for (size_t i = 0; i + 4 <= bytes.size(); i += 4) {
			pixels.emplace_back(bytes.begin() + i, bytes.begin() + i + 4);
		}
	}
	return pixels;
}

std::string ReasonRefused(const std::vector<uint8_t>& png) {
	Image image;
	std::string why;
	EXPECT_FALSE(ReadPngImage(png.data(), png.size(), image, why));
	EXPECT_TRUE(image.surfaces.empty());
	return why;
}

}  // namespace

TEST(PngImage, DecodesToBgraRowsTopToBottom) {
	const std::vector<uint8_t> png = EncodePng(3, 2, kPixels);
	Image image;
	std::string why;
	ASSERT_TRUE(ReadImage(png.data(), png.size(), image, why)) << why;
	EXPECT_EQ(PixelFormat::BGRA8, image.format);
	EXPECT_EQ(ImageFileFormat::Png, image.fileFormat);
	EXPECT_EQ(3u, image.width);
	EXPECT_EQ(2u, image.height);
	EXPECT_EQ(1u, image.mipLevels);
	EXPECT_EQ(1u, image.faces);
	const ImageSurface& surface = image.Surface(0, 0);
	ASSERT_EQ(24u, surface.bytes.size());
	const std::vector<uint8_t> red(surface.bytes.begin(), surface.bytes.begin() + 4);
	EXPECT_EQ((std::vector<uint8_t>{0, 0, 255, 255}), red);
	const std::vector<uint8_t> green(surface.bytes.begin() + 4, surface.bytes.begin() + 8);
	EXPECT_EQ((std::vector<uint8_t>{0, 255, 0, 128}), green);
	const std::vector<uint8_t> blue(surface.bytes.begin() + 8, surface.bytes.begin() + 12);
	EXPECT_EQ((std::vector<uint8_t>{255, 0, 0, 255}), blue);
	const std::vector<uint8_t> lastPixel(surface.bytes.end() - 4, surface.bytes.end());
	EXPECT_EQ((std::vector<uint8_t>{90, 90, 90, 10}), lastPixel);
}

TEST(PngImage, RejectsTruncatedFiles) {
	const std::vector<uint8_t> png = EncodePng(3, 2, kPixels);
	for (size_t size : {size_t(0), size_t(7), size_t(8), size_t(20), png.size() / 2, png.size() - 12, png.size() - 1}) {
		ExpectRejected(png, size);
	}
}

TEST(PngImage, RejectsGarbageAndCorruption) {
	std::vector<uint8_t> garbage = EncodePng(3, 2, kPixels);
	for (size_t i = 8; i < garbage.size(); i++) {
		garbage[i] = uint8_t(i * 37);
	}
	ExpectRejected(garbage, garbage.size());

	// Break the zlib stream header at the start of the IDAT payload.
	std::vector<uint8_t> corrupt = EncodePng(3, 2, kPixels);
	const std::string bytes(corrupt.begin(), corrupt.end());
	const size_t idat = bytes.find("IDAT");
	ASSERT_NE(std::string::npos, idat);
	corrupt[idat + 4] = 0xFF;
	corrupt[idat + 5] = 0xFF;
	RefreshCrc(corrupt, idat - 4);  // so that the decoder, not the CRC, finds the fault
	EXPECT_NE(std::string::npos, ReasonRefused(corrupt).find("decoding")) << ReasonRefused(corrupt);

	Image image;
	std::string why;
	const uint8_t unknown[] = {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0};
	EXPECT_FALSE(ReadImage(unknown, sizeof(unknown), image, why));
	EXPECT_FALSE(why.empty());
}

TEST(PngImage, RefusesOversizedDimensions) {
	std::vector<uint8_t> png = EncodePng(1, 1, {1, 2, 3, 4});
	// IHDR width sits right after the signature, the chunk length and the type.
	const uint32_t width = MAX_IMAGE_DIMENSION + 1;
	png[16] = uint8_t(width >> 24);
	png[17] = uint8_t(width >> 16);
	png[18] = uint8_t(width >> 8);
	png[19] = uint8_t(width);
	RefreshCrc(png, 8);
	EXPECT_NE(std::string::npos, ReasonRefused(png).find("dimensions")) << ReasonRefused(png);
}

TEST(PngImage, WrittenFileReadsBack) {
	const std::string path = testing::TempDir() + "vortane_png_round_trip.png";
	std::string why;
	ASSERT_TRUE(WritePngFile(path, 3, 2, kPixels.data(), why)) << why;
	std::ifstream file(path, std::ios::binary);
	const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
	std::remove(path.c_str());

	Image image;
	ASSERT_TRUE(ReadPngImage(bytes.data(), bytes.size(), image, why)) << why;
	ASSERT_EQ(24u, image.Surface(0, 0).bytes.size());
	for (size_t pixel = 0; pixel < 6; pixel++) {
		const uint8_t* bgra = &image.Surface(0, 0).bytes[pixel * 4];
		const uint8_t* rgba = &kPixels[pixel * 4];
		EXPECT_EQ(rgba[0], bgra[2]);
		EXPECT_EQ(rgba[1], bgra[1]);
		EXPECT_EQ(rgba[2], bgra[0]);
		EXPECT_EQ(rgba[3], bgra[3]);
	}

	EXPECT_FALSE(WritePngFile(path, 0, 2, kPixels.data(), why));
	EXPECT_FALSE(WritePngFile(testing::TempDir() + "no/such/folder/x.png", 3, 2, kPixels.data(), why));
}

TEST(PngImage, IndicesBeyondThePaletteReadAsOpaqueBlack) {
	PalettedPng twoColours;
	twoColours.width = 4;
	twoColours.palette = {255, 0, 0, 0, 255, 0};  // red, green
	twoColours.rows = {{0, 1, 5, 255}};
	// A full white palette decoded first leaves white where the decoder
	// keeps its palette, which a short palette must not show through.
	PalettedPng white = twoColours;
	white.palette.assign(256 * 3, 255);
	const std::vector<Bgra> expected = {{0, 0, 255, 255}, {0, 255, 0, 255}, {0, 0, 0, 255}, {0, 0, 0, 255}};
	for (int round = 0; round < 3; round++) {
		EXPECT_EQ(std::vector<Bgra>(4, Bgra{255, 255, 255, 255}), ReadPixels(white.Bytes()));
		EXPECT_EQ(expected, ReadPixels(twoColours.Bytes())) << "round " << round;
	}

	// Two bits a pixel: indices 2 and 3 lie beyond a two-colour palette.
	PalettedPng packed = twoColours;
	packed.bitDepth = 2;
	packed.rows = {{0b00011011}};  // 0, 1, 2, 3
	ReadPixels(white.Bytes());  // white where the decoder keeps its palette again
	EXPECT_EQ((std::vector<Bgra>{{0, 0, 255, 255}, {0, 255, 0, 255}, {0, 0, 0, 255}, {0, 0, 0, 255}}),
	          ReadPixels(packed.Bytes()));
}

TEST(PngImage, PaletteTransparencyKeepsItsMeaning) {
	PalettedPng png;
	png.width = 4;
	png.height = 2;
	png.palette = {10, 20, 30, 40, 50, 60, 70, 80, 90};
	png.transparency = {0, 128};  // entry 2 and beyond stay opaque
	png.rows = {{0, 1, 2, 7}, {7, 2, 1, 0}};
	const std::vector<Bgra> pixels = ReadPixels(png.Bytes());
	const std::vector<Bgra> firstRow = {{30, 20, 10, 0}, {60, 50, 40, 128}, {90, 80, 70, 255}, {0, 0, 0, 255}};
	ASSERT_EQ(8u, pixels.size());
	EXPECT_EQ(firstRow, std::vector<Bgra>(pixels.begin(), pixels.begin() + 4));
	EXPECT_EQ(firstRow[0], pixels[7]);
	EXPECT_EQ(firstRow[3], pixels[4]);

	// More transparency entries than colours is a broken file, as before.
	png.transparency = {0, 0, 0, 0};
	EXPECT_FALSE(ReasonRefused(png.Bytes()).empty());
	// So is a second palette.
	png.transparency.clear();
	std::vector<uint8_t> twoPalettes = png.Bytes();
	const size_t palette = FindChunk(twoPalettes, "PLTE");
	const std::vector<uint8_t> copy(twoPalettes.begin() + palette, twoPalettes.begin() + palette + 12 + 9);
	twoPalettes.insert(twoPalettes.begin() + palette, copy.begin(), copy.end());
	EXPECT_NE(std::string::npos, ReasonRefused(twoPalettes).find("palette"));
}

TEST(PngImage, DamagedChunksFailTheirCrc) {
	PalettedPng paletted;
	paletted.width = 2;
	paletted.palette = {1, 2, 3, 4, 5, 6};
	paletted.rows = {{0, 1}};
	const std::vector<std::vector<uint8_t>> files = {EncodePng(3, 2, kPixels), paletted.Bytes()};
	for (const std::vector<uint8_t>& good : files) {
		ASSERT_FALSE(ReadPixels(good).empty());
		for (const char* type : {"IHDR", "PLTE", "IDAT", "IEND"}) {
			if (type == std::string("PLTE") && &good == &files[0]) {
				continue;
			}
			const size_t chunk = FindChunk(good, type);
			const uint32_t length = BigEndian32(&good[chunk]);
			// A flipped bit in the data, in the type, and in the CRC itself.
			for (size_t at : {chunk + 8 + length / 2, chunk + 5, chunk + 8 + length + 3}) {
				std::vector<uint8_t> damaged = good;
				damaged[at] ^= 0x10;
				const std::string why = ReasonRefused(damaged);
				EXPECT_NE(std::string::npos, why.find("CRC")) << type << " byte " << at << ": " << why;
			}
		}
	}
}
