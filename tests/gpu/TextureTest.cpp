// Texture loading, creation and filling, read back through sprite drawing.

#include "GpuTestFixture.h"

#include "platform/image/Image.h"

#include <cstring>
#include <fstream>

namespace {

using TextureTest = GpuTest;

constexpr Pixel BACKGROUND{0, 0, 255, 255};

// Quadrants of distinct colours, so that misplaced or scaled texels show.
Pixel PatternAt(UINT x, UINT y, UINT width, UINT height) {
	const bool right = x >= width / 2;
	const bool bottom = y >= height / 2;
	if (!right && !bottom) return Pixel{255, 0, 0, 255};
	if (right && !bottom) return Pixel{0, 255, 0, 255};
	if (!right && bottom) return Pixel{255, 255, 0, 255};
	return Pixel{255, 255, 255, 255};
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
	std::ifstream in(path, std::ios::binary);
	return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
	std::ofstream out(path, std::ios::binary);
	out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::string WritePattern(const std::string& path, UINT width, UINT height) {
	std::vector<uint8_t> rgba(size_t(width) * height * 4);
	for (UINT y = 0; y < height; ++y) {
		for (UINT x = 0; x < width; ++x) {
			const Pixel p = PatternAt(x, y, width, height);
			uint8_t* out = rgba.data() + (size_t(y) * width + x) * 4;
			out[0] = p.r;
			out[1] = p.g;
			out[2] = p.b;
			out[3] = p.a;
		}
	}
	std::string why;
	EXPECT_TRUE(WritePngFile(path, width, height, rgba.data(), why)) << why;
	return path;
}

void PutUint32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value) {
	for (int i = 0; i < 4; ++i) {
		bytes[offset + i] = uint8_t(value >> (8 * i));
	}
}

// A DXT1 DDS cube map of 4 x 4 faces with one level; face f is one block
// whose first colour is faceColors[f] (RGB565) and whose indices all pick it.
std::vector<uint8_t> DxtCubeFile(const uint16_t faceColors[6]) {
	std::vector<uint8_t> bytes(128, 0);
	std::memcpy(bytes.data(), "DDS ", 4);
	PutUint32(bytes, 4, 124);
	PutUint32(bytes, 8, 0x1 | 0x2 | 0x4 | 0x1000 | 0x80000);
	PutUint32(bytes, 12, 4);   // height
	PutUint32(bytes, 16, 4);   // width
	PutUint32(bytes, 20, 8);   // linear size
	PutUint32(bytes, 28, 1);   // mip levels
	PutUint32(bytes, 76, 32);  // pixel format size
	PutUint32(bytes, 80, 0x4);
	PutUint32(bytes, 84, MAKEFOURCC('D', 'X', 'T', '1'));
	PutUint32(bytes, 108, 0x1000 | 0x8 | 0x400000);
	PutUint32(bytes, 112, 0x200 | 0xFC00);
	for (int face = 0; face < 6; ++face) {
		const uint8_t block[8] = {uint8_t(faceColors[face]), uint8_t(faceColors[face] >> 8), 0, 0, 0, 0, 0, 0};
		bytes.insert(bytes.end(), block, block + 8);
	}
	return bytes;
}

class TextureDrawTest : public TextureTest {
protected:
	PixelImage DrawAtOrigin(const Texture& texture) {
		Device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
		D3DXMATRIX identity;
		GraphicsDevice::SetIdentity(&identity);
		Graphics().sprite->Begin(D3DXSPRITE_ALPHABLEND);
		Graphics().DrawSprite(&texture, 0xFFFFFFFF, &identity);
		Graphics().sprite->End();
		return ReadBackBuffer();
	}

	void ExpectPatternDrawn(const PixelImage& image, UINT width, UINT height) {
		size_t wrong = 0;
		for (UINT y = 0; y < height; ++y) {
			for (UINT x = 0; x < width; ++x) {
				wrong += image.At(x, y) == PatternAt(x, y, width, height) ? 0 : 1;
			}
		}
		EXPECT_EQ(wrong, 0u);
		EXPECT_EQ(image.CountDifferent(width, 0, width + 50, height + 50, BACKGROUND), 0u);
		EXPECT_EQ(image.CountDifferent(0, height, width, height + 50, BACKGROUND), 0u);
	}
};

TEST_F(TextureDrawTest, NonPowerOfTwoLoadKeepsTheFileSize) {
	const std::string path = WritePattern(TemporaryPath("image.png"), 300, 200);
	Texture texture;
	ASSERT_TRUE(texture.LoadFromFile(path, true));
	D3DSURFACE_DESC desc{};
	texture.texture->GetLevelDesc(0, &desc);
	EXPECT_EQ(desc.Width, 300u);
	EXPECT_EQ(desc.Height, 200u);
	EXPECT_EQ(texture.imageInfo.Width, 300u);
	EXPECT_EQ(texture.imageInfo.Height, 200u);
	EXPECT_EQ(texture.imageInfo.ImageFileFormat, D3DXIFF_PNG);
	EXPECT_EQ(texture.sourceRect.right, 300);
	EXPECT_EQ(texture.sourceRect.bottom, 200);
	EXPECT_EQ(texture.fileName, path);
	// A full chain down to 1 x 1.
	EXPECT_EQ(texture.texture->GetLevelCount(), 9u);
	ExpectPatternDrawn(DrawAtOrigin(texture), 300, 200);
}

TEST_F(TextureDrawTest, PaddedLoadDrawsExactlyTheImage) {
	const std::string path = WritePattern(TemporaryPath("image.png"), 300, 200);
	Texture texture;
	ASSERT_TRUE(texture.LoadFromFile(path, false));
	D3DSURFACE_DESC desc{};
	texture.texture->GetLevelDesc(0, &desc);
	EXPECT_EQ(desc.Width, 512u);
	EXPECT_EQ(desc.Height, 256u);
	EXPECT_EQ(texture.imageInfo.Width, 300u);
	EXPECT_EQ(texture.imageInfo.Height, 200u);
	EXPECT_EQ(texture.sourceRect.right, 300);
	EXPECT_EQ(texture.sourceRect.bottom, 200);
	ExpectPatternDrawn(DrawAtOrigin(texture), 300, 200);
}

TEST_F(TextureTest, FillOfAOneByOneTextureGivesAnOpaqueBlackTexel) {
	Texture texture;
	ASSERT_TRUE(texture.Create(1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED));
	EXPECT_EQ(texture.imageInfo.Width, 1u);
	EXPECT_EQ(texture.imageInfo.MipLevels, 1u);
	EXPECT_EQ(texture.imageInfo.Format, D3DFMT_A8R8G8B8);
	ASSERT_TRUE(texture.Fill(0xFF000000, 0));
	// Drawn over white: an opaque texel hides it completely.
	Device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0);
	Graphics().sprite->Begin(D3DXSPRITE_ALPHABLEND);
	Graphics().DrawSpriteStretched(&texture, 0, 0, 16, 16, 0xFFFFFFFF);
	Graphics().sprite->End();
	EXPECT_EQ(ReadBackBuffer().At(8, 8), (Pixel{0, 0, 0, 255}));
	D3DLOCKED_RECT locked{};
	ASSERT_EQ(texture.texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), S_OK);
	const uint8_t* bytes = static_cast<const uint8_t*>(locked.pBits);
	EXPECT_EQ(bytes[3], 0xFF);
	EXPECT_EQ(bytes[0] | bytes[1] | bytes[2], 0);
	texture.texture->UnlockRect(0);
}

TEST_F(TextureTest, FillRefusesFormatsWithoutFourBytePixels) {
	IDirect3DTexture9* compressed = nullptr;
	ASSERT_EQ(Device()->CreateTexture(8, 8, 1, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, &compressed, nullptr), S_OK);
	Texture texture;
	texture.texture = compressed;
	texture.imageInfo.Width = 8;
	texture.imageInfo.Height = 8;
	EXPECT_FALSE(texture.Fill(0xFFFFFFFF, 0));
}

TEST_F(TextureTest, RenderTargetsCannotBeLocked) {
	Texture target;
	ASSERT_TRUE(target.Create(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT));
	EXPECT_FALSE(target.Fill(0xFFFFFFFF, 0));
	EXPECT_FALSE(target.Create(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED));
}

TEST_F(TextureTest, BrokenFilesLeaveTheTextureEmpty) {
	const std::string good = WritePattern(TemporaryPath("good.png"), 64, 32);
	const std::vector<uint8_t> png = ReadFileBytes(good);
	ASSERT_GT(png.size(), 100u);
	const uint16_t colors[6] = {0xF800, 0x07E0, 0x001F, 0xFFE0, 0xF81F, 0x07FF};
	const std::vector<uint8_t> dds = DxtCubeFile(colors);

	std::vector<std::pair<std::string, std::vector<uint8_t>>> broken = {
		{"truncated.png", std::vector<uint8_t>(png.begin(), png.begin() + png.size() / 2)},
		{"header-only.png", std::vector<uint8_t>(png.begin(), png.begin() + 8)},
		{"garbage.png", std::vector<uint8_t>(500, 0x5A)},
		{"truncated.dds", std::vector<uint8_t>(dds.begin(), dds.begin() + 100)},
		{"short-data.dds", std::vector<uint8_t>(dds.begin(), dds.end() - 20)},
		{"empty.dds", {}},
	};
	std::vector<uint8_t> garbageDds = dds;
	PutUint32(garbageDds, 12, 0xFFFFFFFF);
	PutUint32(garbageDds, 16, 0xFFFFFFFF);
	broken.emplace_back("garbage.dds", garbageDds);
	for (const auto& [name, bytes] : broken) {
		const std::string path = TemporaryPath(name);
		WriteFileBytes(path, bytes);
		Texture texture;
		EXPECT_FALSE(texture.LoadFromFile(path, false)) << name;
		EXPECT_EQ(texture.texture, nullptr) << name;
		EXPECT_EQ(texture.surface, nullptr) << name;
		EXPECT_EQ(texture.imageInfo.Width, 0u) << name;
	}
	Texture missing;
	EXPECT_FALSE(missing.LoadFromFile(TemporaryPath("missing.png"), true));
	IDirect3DCubeTexture9* cube = nullptr;
	EXPECT_TRUE(FAILED(D3DXCreateCubeTextureFromFileA(Device(), TemporaryPath("truncated.dds").c_str(), &cube)));
	EXPECT_EQ(cube, nullptr);
	EXPECT_TRUE(FAILED(D3DXCreateCubeTextureFromFileA(Device(), good.c_str(), &cube)));
}

TEST_F(TextureTest, DxtCubeMapLoadsEveryFace) {
	const uint16_t colors[6] = {0xF800, 0x07E0, 0x001F, 0xFFE0, 0xF81F, 0x07FF};
	const std::string path = TemporaryPath("cube.dds");
	WriteFileBytes(path, DxtCubeFile(colors));
	IDirect3DCubeTexture9* cube = nullptr;
	ASSERT_EQ(D3DXCreateCubeTextureFromFileA(Device(), path.c_str(), &cube), S_OK);
	ASSERT_NE(cube, nullptr);
	EXPECT_EQ(cube->GetType(), D3DRTYPE_CUBETEXTURE);
	EXPECT_EQ(cube->GetLevelCount(), 1u);
	D3DSURFACE_DESC desc{};
	cube->GetLevelDesc(0, &desc);
	EXPECT_EQ(desc.Format, D3DFMT_DXT1);
	EXPECT_EQ(desc.Width, 4u);
	for (int face = 0; face < 6; ++face) {
		D3DLOCKED_RECT locked{};
		ASSERT_EQ(cube->LockRect(D3DCUBEMAP_FACES(face), 0, &locked, nullptr, D3DLOCK_READONLY), S_OK);
		const uint8_t* block = static_cast<const uint8_t*>(locked.pBits);
		EXPECT_EQ(block[0] | (block[1] << 8), colors[face]) << "face " << face;
		cube->UnlockRect(D3DCUBEMAP_FACES(face), 0);
	}
	cube->Release();
}

TEST_F(TextureTest, DdsTextureReportsTheFileDescription) {
	const uint16_t colors[6] = {0xF800, 0x07E0, 0x001F, 0xFFE0, 0xF81F, 0x07FF};
	const std::string path = TemporaryPath("cube.dds");
	WriteFileBytes(path, DxtCubeFile(colors));
	IDirect3DTexture9* texture = nullptr;
	D3DXIMAGE_INFO info{};
	ASSERT_EQ(D3DXCreateTextureFromFileExA(Device(), path.c_str(), D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 0,
	                                       D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, &info,
	                                       nullptr, &texture),
	          S_OK);
	EXPECT_EQ(info.ImageFileFormat, D3DXIFF_DDS);
	EXPECT_EQ(info.Format, D3DFMT_DXT1);
	EXPECT_EQ(info.ResourceType, D3DRTYPE_CUBETEXTURE);
	EXPECT_EQ(info.Width, 4u);
	texture->Release();
}

TEST_F(TextureTest, DxtFileLoadsAsAnUncompressedFormatOnRequest) {
	const uint16_t colors[6] = {0xF800, 0x07E0, 0x001F, 0xFFE0, 0xF81F, 0x07FF};
	const std::string path = TemporaryPath("cube.dds");
	WriteFileBytes(path, DxtCubeFile(colors));
	IDirect3DTexture9* texture = nullptr;
	D3DXIMAGE_INFO info{};
	ASSERT_EQ(D3DXCreateTextureFromFileExA(Device(), path.c_str(), D3DX_DEFAULT, D3DX_DEFAULT, 1, 0,
	                                       D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, &info,
	                                       nullptr, &texture),
	          S_OK);
	EXPECT_EQ(info.Format, D3DFMT_DXT1);
	D3DSURFACE_DESC desc{};
	texture->GetLevelDesc(0, &desc);
	EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
	D3DLOCKED_RECT locked{};
	ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), S_OK);
	const uint8_t* texel = static_cast<const uint8_t*>(locked.pBits);
	EXPECT_EQ(texel[2], 255);  // the first face's red, stored B G R A
	EXPECT_EQ(texel[1], 0);
	EXPECT_EQ(texel[3], 255);
	texture->UnlockRect(0);
	texture->Release();
}

TEST_F(TextureTest, ColourKeyTurnsMatchingPixelsTransparent) {
	const std::string path = WritePattern(TemporaryPath("keyed.png"), 8, 8);
	IDirect3DTexture9* texture = nullptr;
	ASSERT_EQ(D3DXCreateTextureFromFileExA(Device(), path.c_str(), D3DX_DEFAULT_NONPOW2, D3DX_DEFAULT_NONPOW2, 1, 0,
	                                       D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0xFFFF0000,
	                                       nullptr, nullptr, &texture),
	          S_OK);
	D3DLOCKED_RECT locked{};
	ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), S_OK);
	const uint8_t* topLeft = static_cast<const uint8_t*>(locked.pBits);
	const uint8_t* topRight = topLeft + 4 * 4;
	EXPECT_EQ(topLeft[3], 0);                  // red, keyed out
	EXPECT_EQ(topRight[1], 255);               // green stays, stored B G R A
	EXPECT_EQ(topRight[3], 255);
	texture->UnlockRect(0);
	texture->Release();
}

}  // namespace
