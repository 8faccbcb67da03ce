#include "platform/image/Image.h"

#include <gtest/gtest.h>
#include <stb_image_write.h>

#include <cstdio>
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
	ExpectRejected(corrupt, corrupt.size());

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
	ExpectRejected(png, png.size());
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
