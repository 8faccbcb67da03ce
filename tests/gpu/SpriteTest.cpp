// The sprite batcher through the GraphicsDevice helpers.

#include "GpuTestFixture.h"

#include "platform/gpu/GLDevice.h"
#include "platform/gpu/GLSprite.h"

#include <cstring>

namespace {

constexpr Pixel BLACK{0, 0, 0, 255};
constexpr Pixel WHITE{255, 255, 255, 255};

class SpriteTest : public GpuTest {
protected:
	void SetUp() override {
		GpuTest::SetUp();
		ASSERT_TRUE(white.Create(1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED));
		ASSERT_TRUE(white.Fill(0xFFFFFFFF, 0));
	}

	void TearDown() override {
		white.Release();
		GpuTest::TearDown();
	}

	ID3DXSprite* Sprite() { return Graphics().sprite; }
	UINT SpriteDrawCalls() { return static_cast<GLSprite*>(Sprite())->DrawCallCount(); }
	UINT SpriteQuads() { return static_cast<GLSprite*>(Sprite())->QuadCount(); }

	// A 200 x 120 HUD-like image: clear but for a few blobs of varying alpha
	// and colour, some on cell borders, and one texel in a corner.
	static bool CreateSparseImage(Texture& image) {
		constexpr UINT WIDTH = 200, HEIGHT = 120;
		if (!image.Create(WIDTH, HEIGHT, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED)) {
			return false;
		}
		D3DLOCKED_RECT locked{};
		if (image.texture->LockRect(0, &locked, nullptr, 0) != S_OK) {
			return false;
		}
		uint32_t seed = 12345;
		for (UINT y = 0; y < HEIGHT; ++y) {
			auto* row = reinterpret_cast<D3DCOLOR*>(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch);
			for (UINT x = 0; x < WIDTH; ++x) {
				seed = seed * 1664525u + 1013904223u;
				const bool blob = (x / 23 + y / 17) % 5 == 0 && (x % 23) < 9 && (y % 17) < 6;
				const DWORD alpha = blob ? 40 + (seed >> 24) % 216 : 0;
				row[x] = (alpha << 24) | (seed & 0x00FFFFFF);
			}
		}
		reinterpret_cast<D3DCOLOR*>(static_cast<uint8_t*>(locked.pBits) + (HEIGHT - 1) * locked.Pitch)[WIDTH - 1] =
			0xFF00FF00;
		return image.texture->UnlockRect(0) == S_OK;
	}

	// The sprite over a grey background, at the given scale and offset.
	PixelImage DrawOverGrey(const Texture& image, float scale, bool alphaTest, const RECT* source = nullptr) {
		Device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF808080, 1.0f, 0);
		Sprite()->Begin(D3DXSPRITE_ALPHABLEND);
		if (!alphaTest) {
			Device()->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
		}
		D3DXMATRIX transform;
		D3DXMatrixScaling(&transform, scale, scale, 1.0f);
		transform._41 = 13.0f;
		transform._42 = 7.0f;
		Sprite()->SetTransform(&transform);
		Sprite()->Draw(image.texture, source, nullptr, nullptr, 0xFFFFFFFF);
		Sprite()->End();
		return ReadBackBuffer();
	}

	static size_t CountDifferences(const PixelImage& a, const PixelImage& b) {
		size_t different = 0;
		for (UINT y = 0; y < a.Height(); ++y) {
			for (UINT x = 0; x < a.Width(); ++x) {
				different += a.At(x, y) == b.At(x, y) ? 0 : 1;
			}
		}
		return different;
	}

	Texture white;
};

TEST_F(SpriteTest, StretchedOneTexelCoversTheWholeScreen) {
	Texture fade;
	ASSERT_TRUE(fade.Create(1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED));
	ASSERT_TRUE(fade.Fill(0xFF000000, 0));
	Device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0);
	Sprite()->Begin(D3DXSPRITE_ALPHABLEND);
	Graphics().DrawSpriteStretched(&fade, 0, 0, 1280, 720, 0xFFFFFFFF);
	Sprite()->End();
	EXPECT_EQ(ReadBackBuffer().CountDifferent(0, 0, 1280, 720, BLACK), 0u);
}

TEST_F(SpriteTest, StretchedOverlayBlendsWithItsAlpha) {
	Device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
	Sprite()->Begin(D3DXSPRITE_ALPHABLEND);
	Graphics().DrawSpriteStretched(&white, 100, 50, 20, 10, D3DCOLOR_ARGB(128, 255, 0, 0));
	Sprite()->End();
	const PixelImage image = ReadBackBuffer();
	const Pixel inside = image.At(110, 55);
	EXPECT_NEAR(inside.r, 128, 1);
	EXPECT_EQ(inside.g, 0);
	EXPECT_EQ(image.At(99, 55), BLACK);
	EXPECT_EQ(image.At(120, 55), BLACK);
	EXPECT_EQ(image.At(110, 60), BLACK);
}

TEST_F(SpriteTest, CentreAndRotationPlaceTheImage) {
	// A 1 x 1 texel scaled to 20 x 10 about its centre, turned a quarter
	// turn and moved to (100, 50): it ends up 10 wide and 20 tall there.
	D3DXMATRIX scale, rotation, translation;
	D3DXMatrixScaling(&scale, 20.0f, 10.0f, 1.0f);
	D3DXMatrixRotationZ(&rotation, D3DX_PI / 2.0f);
	D3DXMatrixTranslation(&translation, 100.0f, 50.0f, 0.0f);
	const D3DXMATRIX transform = scale * rotation * translation;
	Device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
	Sprite()->Begin(D3DXSPRITE_ALPHABLEND);
	Graphics().DrawSpriteCentered(&white, 0xFFFFFFFF, &transform, D3DXVECTOR3(0.5f, 0.5f, 0.0f));
	Sprite()->End();
	const PixelImage image = ReadBackBuffer();
	EXPECT_EQ(image.CountDifferent(96, 41, 104, 59, WHITE), 0u);
	EXPECT_EQ(image.At(108, 50), BLACK);  // inside the unrotated image only
	EXPECT_EQ(image.At(100, 62), BLACK);
	EXPECT_EQ(image.At(100, 38), BLACK);
}

TEST_F(SpriteTest, DrawWithoutTransformKeepsThePreviousOne) {
	D3DXMATRIX moved;
	D3DXMatrixTranslation(&moved, 30.0f, 40.0f, 0.0f);
	Device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
	Sprite()->Begin(D3DXSPRITE_ALPHABLEND);
	Graphics().DrawSprite(&white, 0xFF00FF00, &moved);
	Graphics().DrawSprite(&white, 0xFF00FF00);
	Sprite()->End();
	const PixelImage image = ReadBackBuffer();
	EXPECT_EQ(image.At(30, 40), (Pixel{0, 255, 0, 255}));
	EXPECT_EQ(image.At(0, 0), BLACK);
	EXPECT_EQ(image.CountDifferent(0, 0, 1280, 720, BLACK), 1u);
}

TEST_F(SpriteTest, EmptyTextureDrawsNothing) {
	Texture empty;
	Device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
	Sprite()->Begin(D3DXSPRITE_ALPHABLEND);
	Graphics().DrawSprite(&empty, 0xFFFFFFFF, nullptr);
	Graphics().DrawSprite(nullptr, 0xFFFFFFFF, nullptr);
	Graphics().DrawSpriteStretched(&empty, 0, 0, 1280, 720, 0xFFFFFFFF);
	Sprite()->End();
	EXPECT_EQ(ReadBackBuffer().CountDifferent(0, 0, 1280, 720, BLACK), 0u);
}

TEST_F(SpriteTest, QuadsOfOneTextureShareADrawCall) {
	Texture other;
	ASSERT_TRUE(other.Create(1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED));
	ASSERT_TRUE(other.Fill(0xFFFF0000, 0));
	const UINT before = SpriteDrawCalls();
	Sprite()->Begin(D3DXSPRITE_ALPHABLEND);
	for (int i = 0; i < 5; ++i) {
		Graphics().DrawSpriteStretched(&white, i * 10, 0, 5, 5, 0xFFFFFFFF);
	}
	Graphics().DrawSpriteStretched(&other, 0, 20, 5, 5, 0xFFFFFFFF);
	Graphics().DrawSpriteStretched(&white, 0, 40, 5, 5, 0xFFFFFFFF);
	Sprite()->End();
	EXPECT_EQ(SpriteDrawCalls() - before, 3u);
	const PixelImage image = ReadBackBuffer();
	EXPECT_EQ(image.At(42, 2), WHITE);
	EXPECT_EQ(image.At(2, 22), (Pixel{255, 0, 0, 255}));
	EXPECT_EQ(image.At(2, 42), WHITE);
}

TEST_F(SpriteTest, EndRestoresTheStatesBeginChanged) {
	Device()->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
	Device()->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
	Device()->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_MIRROR);
	Device()->SetFVF(D3DFVF_XYZ | D3DFVF_NORMAL);
	Sprite()->Begin(D3DXSPRITE_ALPHABLEND);
	Graphics().DrawSpriteStretched(&white, 0, 0, 5, 5, 0xFFFFFFFF);
	Sprite()->End();
	DWORD value = 0;
	Device()->GetRenderState(D3DRS_ALPHABLENDENABLE, &value);
	EXPECT_EQ(value, DWORD(FALSE));
	Device()->GetRenderState(D3DRS_CULLMODE, &value);
	EXPECT_EQ(value, DWORD(D3DCULL_CW));
	Device()->GetRenderState(D3DRS_ZENABLE, &value);
	EXPECT_EQ(value, DWORD(D3DZB_TRUE));
	Device()->GetSamplerState(0, D3DSAMP_ADDRESSU, &value);
	EXPECT_EQ(value, DWORD(D3DTADDRESS_MIRROR));
	EXPECT_EQ(static_cast<GLDevice*>(Device())->Fvf(), D3DFVF_XYZ | D3DFVF_NORMAL);
	EXPECT_EQ(static_cast<GLDevice*>(Device())->Texture(0), nullptr);
}

TEST_F(SpriteTest, SourceRectangleSelectsTexels) {
	// Four texels in a row: red, green, blue, white; draw only the third.
	Texture strip;
	ASSERT_TRUE(strip.Create(4, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED));
	D3DLOCKED_RECT locked{};
	ASSERT_EQ(strip.texture->LockRect(0, &locked, nullptr, 0), S_OK);
	const D3DCOLOR texels[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
	std::memcpy(locked.pBits, texels, sizeof texels);
	strip.texture->UnlockRect(0);
	Device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
	Sprite()->Begin(D3DXSPRITE_ALPHABLEND);
	D3DXMATRIX identity;
	GraphicsDevice::SetIdentity(&identity);
	Sprite()->SetTransform(&identity);
	const RECT third{2, 0, 3, 1};
	const D3DXVECTOR3 position(7.0f, 3.0f, 0.0f);
	Sprite()->Draw(strip.texture, &third, nullptr, &position, 0xFFFFFFFF);
	Sprite()->End();
	const PixelImage image = ReadBackBuffer();
	EXPECT_EQ(image.At(7, 3), (Pixel{0, 0, 255, 255}));
	EXPECT_EQ(image.CountDifferent(0, 0, 32, 32, BLACK), 1u);
}

TEST_F(SpriteTest, ClearCellsAreLeftOutWithoutChangingAPixel) {
	// With the alpha test off every texel is drawn; clear ones blend to
	// nothing, so that picture is the reference for the cut one.
	Texture image;
	ASSERT_TRUE(CreateSparseImage(image));
	for (const float scale : {1.0f, 2.5f}) {
		const PixelImage whole = DrawOverGrey(image, scale, false);
		const UINT quadsBefore = SpriteQuads();
		const PixelImage cut = DrawOverGrey(image, scale, true);
		const UINT pieces = SpriteQuads() - quadsBefore;
		EXPECT_GT(pieces, 1u) << "scale " << scale << ": the sprite is cut around its clear cells";
		EXPECT_EQ(CountDifferences(whole, cut), 0u) << "scale " << scale;
		EXPECT_GT(whole.CountDifferent(0, 0, 1280, 720, Pixel{128, 128, 128, 255}), 500u) << "the blobs show";
	}
	const RECT part{30, 20, 170, 119};
	EXPECT_EQ(CountDifferences(DrawOverGrey(image, 1.0f, false, &part), DrawOverGrey(image, 1.0f, true, &part)), 0u)
		<< "a source rectangle cuts the same way";
}

TEST_F(SpriteTest, SpritesThatCouldChangeStayWhole) {
	Texture image;
	ASSERT_TRUE(CreateSparseImage(image));
	const auto quadsFor = [&](const D3DXMATRIX& transform, bool alphaTest) {
		const UINT before = SpriteQuads();
		Sprite()->Begin(D3DXSPRITE_ALPHABLEND);
		if (!alphaTest) {
			Device()->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
		}
		Sprite()->SetTransform(&transform);
		Sprite()->Draw(image.texture, nullptr, nullptr, nullptr, 0xFFFFFFFF);
		Sprite()->End();
		return SpriteQuads() - before;
	};
	D3DXMATRIX identity, turned;
	D3DXMatrixIdentity(&identity);
	D3DXMatrixRotationZ(&turned, 0.3f);
	EXPECT_GT(quadsFor(identity, true), 1u);
	EXPECT_EQ(quadsFor(identity, false), 1u) << "clear texels drawn without the alpha test";
	EXPECT_EQ(quadsFor(turned, true), 1u) << "a turned sprite";

	Texture mipmapped;
	ASSERT_TRUE(mipmapped.Create(64, 64, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED));
	ASSERT_TRUE(mipmapped.Fill(0x00000000, 0));
	D3DXMATRIX shrunk;
	D3DXMatrixScaling(&shrunk, 0.5f, 0.5f, 1.0f);
	Sprite()->Begin(D3DXSPRITE_ALPHABLEND);
	Sprite()->SetTransform(&shrunk);
	const UINT before = SpriteQuads();
	Sprite()->Draw(mipmapped.texture, nullptr, nullptr, nullptr, 0xFFFFFFFF);
	EXPECT_EQ(SpriteQuads() - before, 1u) << "a shrunk sprite reads lower levels, which the cells do not describe";
	Sprite()->End();
}

}  // namespace
