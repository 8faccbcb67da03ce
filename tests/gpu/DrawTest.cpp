// Drawing from vertex and index buffers with the transforms, and the
// fixed-function stage and sampler states.

#include "GpuTestFixture.h"

#include "platform/image/Image.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

namespace {

constexpr Pixel BLACK{0, 0, 0, 255};
constexpr Pixel WHITE{255, 255, 255, 255};

struct ColoredVertex {
	float x, y, z;
	D3DCOLOR color;
};

struct TexturedScreenVertex {
	float x, y, z, rhw;
	float u, v;
};

class DrawTest : public GpuTest {
protected:
	void SetUp() override {
		GpuTest::SetUp();
		Device()->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
		// Orthographic: x and y in -1..1 fill the screen, y up.
		D3DXMATRIX identity, projection;
		D3DXMatrixIdentity(&identity);
		D3DXMatrixOrthoLH(&projection, 2.0f, 2.0f, 0.0f, 1.0f);
		Device()->SetTransform(D3DTS_WORLD, &identity);
		Device()->SetTransform(D3DTS_VIEW, &identity);
		Device()->SetTransform(D3DTS_PROJECTION, &projection);
		Device()->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
	}

	template <typename T>
	IDirect3DVertexBuffer9* VertexBuffer(const T* vertices, size_t count, DWORD fvf) {
		IDirect3DVertexBuffer9* buffer = nullptr;
		EXPECT_EQ(Device()->CreateVertexBuffer(UINT(count * sizeof(T)), D3DUSAGE_WRITEONLY, fvf, D3DPOOL_MANAGED,
		                                       &buffer, nullptr),
		          S_OK);
		void* data = nullptr;
		EXPECT_EQ(buffer->Lock(0, 0, &data, 0), S_OK);
		std::memcpy(data, vertices, count * sizeof(T));
		buffer->Unlock();
		return buffer;
	}

	// A 2 x 1 texture, black then white, stretched over (0, 0)-(100, 10)
	// with u running 0..uMax.
	PixelImage DrawTwoTexels(float uMax) {
		Texture texture;
		EXPECT_TRUE(texture.Create(2, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED));
		D3DLOCKED_RECT locked{};
		EXPECT_EQ(texture.texture->LockRect(0, &locked, nullptr, 0), S_OK);
		const D3DCOLOR texels[2] = {0xFF000000, 0xFFFFFFFF};
		std::memcpy(locked.pBits, texels, sizeof texels);
		texture.texture->UnlockRect(0);
		const TexturedScreenVertex quad[4] = {
			{0, 0, 0, 1, 0, 0}, {100, 0, 0, 1, uMax, 0}, {0, 10, 0, 1, 0, 1}, {100, 10, 0, 1, uMax, 1}};
		Device()->SetTexture(0, texture.texture);
		Device()->SetFVF(D3DFVF_XYZRHW | D3DFVF_TEX1);
		Device()->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(TexturedScreenVertex));
		Device()->SetTexture(0, nullptr);
		return ReadBackBuffer();
	}
};

TEST_F(DrawTest, IndexedBufferDrawUsesTheTransformsAndBaseVertex) {
	const D3DCOLOR red = 0xFFFF0000;
	// The first vertex is never drawn: the base vertex index skips it.
	const ColoredVertex vertices[5] = {
		{5, 5, 0.5f, 0xFF00FF00}, {-1, 1, 0.5f, red}, {0, 1, 0.5f, red}, {-1, 0, 0.5f, red}, {0, 0, 0.5f, red}};
	const WORD indices[6] = {0, 1, 2, 2, 1, 3};
	const DWORD fvf = D3DFVF_XYZ | D3DFVF_DIFFUSE;
	IDirect3DVertexBuffer9* vertexBuffer = VertexBuffer(vertices, 5, fvf);
	IDirect3DIndexBuffer9* indexBuffer = nullptr;
	ASSERT_EQ(Device()->CreateIndexBuffer(sizeof indices, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indexBuffer, nullptr),
	          S_OK);
	void* data = nullptr;
	ASSERT_EQ(indexBuffer->Lock(0, 0, &data, 0), S_OK);
	std::memcpy(data, indices, sizeof indices);
	indexBuffer->Unlock();

	Device()->SetFVF(fvf);
	Device()->SetStreamSource(0, vertexBuffer, 0, sizeof(ColoredVertex));
	Device()->SetIndices(indexBuffer);
	ASSERT_EQ(Device()->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 1, 0, 4, 0, 2), S_OK);
	// More primitives than the index buffer holds is refused.
	EXPECT_EQ(Device()->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 1, 0, 4, 3, 2), D3DERR_INVALIDCALL);
	const PixelImage image = ReadBackBuffer();
	EXPECT_EQ(image.CountDifferent(0, 0, 640, 360, Pixel{255, 0, 0, 255}), 0u);
	EXPECT_EQ(image.CountDifferent(640, 0, 1280, 720, BLACK), 0u);
	EXPECT_EQ(image.CountDifferent(0, 360, 640, 720, BLACK), 0u);
	indexBuffer->Release();
	vertexBuffer->Release();
}

TEST_F(DrawTest, WorldTransformMovesStreamDraws) {
	const D3DCOLOR blue = 0xFF0000FF;
	const ColoredVertex strip[4] = {{-1, 1, 0.5f, blue}, {0, 1, 0.5f, blue}, {-1, 0, 0.5f, blue}, {0, 0, 0.5f, blue}};
	IDirect3DVertexBuffer9* buffer = VertexBuffer(strip, 4, D3DFVF_XYZ | D3DFVF_DIFFUSE);
	D3DXMATRIX world;
	D3DXMatrixTranslation(&world, 1.0f, -1.0f, 0.0f);  // to the bottom-right quarter
	Device()->SetTransform(D3DTS_WORLD, &world);
	Device()->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
	Device()->SetStreamSource(0, buffer, 0, sizeof(ColoredVertex));
	ASSERT_EQ(Device()->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), S_OK);
	EXPECT_EQ(Device()->DrawPrimitive(D3DPT_TRIANGLESTRIP, 1, 2), D3DERR_INVALIDCALL);
	const PixelImage image = ReadBackBuffer();
	EXPECT_EQ(image.CountDifferent(640, 360, 1280, 720, Pixel{0, 0, 255, 255}), 0u);
	EXPECT_EQ(image.CountDifferent(0, 0, 1280, 360, BLACK), 0u);
	buffer->Release();
}

TEST_F(DrawTest, ProjectionDepthFollowsDirect3DRange) {
	// z 0.2 in front of z 0.6 whatever the order drawn; z beyond the far
	// plane (1) or before the near plane (0) is clipped.
	D3DXMATRIX identity;
	D3DXMatrixIdentity(&identity);
	Device()->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
	Device()->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
	auto quad = [&](float z, D3DCOLOR color, float left) {
		const ColoredVertex strip[4] = {
			{left, 1, z, color}, {left + 1, 1, z, color}, {left, 0, z, color}, {left + 1, 0, z, color}};
		Device()->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, strip, sizeof(ColoredVertex));
	};
	quad(0.2f, 0xFFFF0000, -1.0f);
	quad(0.6f, 0xFF00FF00, -1.0f);
	quad(1.5f, 0xFF00FF00, 0.0f);
	quad(-0.5f, 0xFF00FF00, 0.0f);
	const PixelImage image = ReadBackBuffer();
	EXPECT_EQ(image.At(320, 180), (Pixel{255, 0, 0, 255}));
	EXPECT_EQ(image.At(960, 180), BLACK);
}

TEST_F(DrawTest, PointAndLinearMagnification) {
	Device()->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
	PixelImage image = DrawTwoTexels(1.0f);
	EXPECT_EQ(image.At(40, 5), BLACK);
	EXPECT_EQ(image.At(60, 5), WHITE);
	Device()->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
	Device()->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
	image = DrawTwoTexels(1.0f);
	EXPECT_NEAR(image.At(50, 5).r, 128, 3);
	EXPECT_EQ(image.At(2, 5), BLACK);
}

TEST_F(DrawTest, AddressModesRepeatOrClamp) {
	Device()->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
	Device()->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
	PixelImage image = DrawTwoTexels(2.0f);
	EXPECT_EQ(image.At(10, 5), BLACK);
	EXPECT_EQ(image.At(30, 5), WHITE);
	EXPECT_EQ(image.At(60, 5), BLACK);
	Device()->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
	image = DrawTwoTexels(2.0f);
	EXPECT_EQ(image.At(60, 5), WHITE);
	EXPECT_EQ(image.At(95, 5), WHITE);
}

TEST_F(DrawTest, StageOperationsSelectTheirArguments) {
	Device()->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
	Device()->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
	Device()->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR);
	Device()->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFF00FF00);
	const PixelImage image = DrawTwoTexels(1.0f);
	EXPECT_EQ(image.At(20, 5), (Pixel{0, 255, 0, 255}));
	EXPECT_EQ(image.At(80, 5), (Pixel{0, 255, 0, 255}));
}

TEST_F(DrawTest, AlphaTestDiscardsFailingPixels) {
	struct Vertex {
		float x, y, z, rhw;
		D3DCOLOR color;
	};
	const D3DCOLOR faint = D3DCOLOR_ARGB(10, 255, 255, 255);
	const Vertex quad[4] = {{0, 0, 0, 1, faint}, {8, 0, 0, 1, faint}, {0, 8, 0, 1, faint}, {8, 8, 0, 1, faint}};
	Device()->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
	Device()->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
	Device()->SetRenderState(D3DRS_ALPHAREF, 20);
	Device()->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
	Device()->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Vertex));
	EXPECT_EQ(ReadBackBuffer().At(4, 4), BLACK);
	Device()->SetRenderState(D3DRS_ALPHAREF, 5);
	Device()->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Vertex));
	EXPECT_EQ(ReadBackBuffer().At(4, 4), WHITE);
}

// Each set-up has its own program, compiled on first use: drawn one after
// another in one device, every stage operation and argument and every alpha
// function must still give its own pixels, whatever was drawn before it.
TEST_F(DrawTest, EveryStageSetUpDrawsItsOwnColourInOneDevice) {
	struct Vertex {
		float x, y, z, rhw;
		D3DCOLOR color;
		float u, v;
	};
	const D3DCOLOR texel = D3DCOLOR_ARGB(128, 64, 128, 32);
	const D3DCOLOR diffuse = D3DCOLOR_ARGB(200, 128, 64, 255);
	const D3DCOLOR factor = D3DCOLOR_ARGB(50, 16, 200, 100);
	Texture texture;
	ASSERT_TRUE(texture.Create(1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED));
	texture.Fill(texel, 0);
	Device()->SetTexture(0, texture.texture);
	Device()->SetRenderState(D3DRS_TEXTUREFACTOR, factor);
	Device()->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
	auto channel = [](D3DCOLOR color, int shift) { return float((color >> shift) & 0xFF) / 255.0f; };
	auto drawAt = [&](float left, float top) {
		const Vertex quad[4] = {{left, top, 0, 1, diffuse, 0, 0},
		                        {left + 8, top, 0, 1, diffuse, 1, 0},
		                        {left, top + 8, 0, 1, diffuse, 0, 1},
		                        {left + 8, top + 8, 0, 1, diffuse, 1, 1}};
		Device()->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Vertex));
	};

	struct Stage {
		DWORD operation, first, second;
		std::function<float(float t, float d, float f)> expected;
	};
	const std::vector<Stage> stages = {
	    {D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, [](float t, float, float) { return t; }},
	    {D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_TFACTOR, [](float, float, float f) { return f; }},
	    {D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, [](float t, float d, float) { return t * d; }},
	    {D3DTOP_MODULATE2X, D3DTA_TEXTURE, D3DTA_DIFFUSE,
	     [](float t, float d, float) { return std::min(t * d * 2.0f, 1.0f); }},
	    {D3DTOP_MODULATE4X, D3DTA_TFACTOR, D3DTA_DIFFUSE,
	     [](float, float d, float f) { return std::min(f * d * 4.0f, 1.0f); }},
	    {D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_TFACTOR, [](float t, float, float f) { return std::min(t + f, 1.0f); }},
	    {D3DTOP_DISABLE, D3DTA_TEXTURE, D3DTA_TFACTOR, [](float, float d, float) { return d; }},
	};
	for (size_t i = 0; i < stages.size(); ++i) {
		Device()->SetTextureStageState(0, D3DTSS_COLOROP, stages[i].operation);
		Device()->SetTextureStageState(0, D3DTSS_COLORARG1, stages[i].first);
		Device()->SetTextureStageState(0, D3DTSS_COLORARG2, stages[i].second);
		drawAt(float(10 * i), 0.0f);
	}

	// The alpha test against the texel's alpha, 128, for every function.
	Device()->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
	Device()->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
	Device()->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
	Device()->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
	Device()->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
	Device()->SetRenderState(D3DRS_ALPHAREF, 128);
	const DWORD functions[] = {D3DCMP_NEVER,    D3DCMP_LESS,     D3DCMP_EQUAL,        D3DCMP_LESSEQUAL,
	                           D3DCMP_GREATER,  D3DCMP_NOTEQUAL, D3DCMP_GREATEREQUAL, D3DCMP_ALWAYS};
	const bool passes[] = {false, false, true, true, false, false, true, true};
	for (size_t i = 0; i < std::size(functions); ++i) {
		Device()->SetRenderState(D3DRS_ALPHAFUNC, functions[i]);
		drawAt(float(10 * i), 20.0f);
	}
	Device()->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
	Device()->SetTexture(0, nullptr);

	const PixelImage image = ReadBackBuffer();
	for (size_t i = 0; i < stages.size(); ++i) {
		const Pixel drawn = image.At(UINT(10 * i + 4), 4);
		const uint8_t* channels[3] = {&drawn.r, &drawn.g, &drawn.b};
		const int shifts[3] = {16, 8, 0};
		for (int c = 0; c < 3; ++c) {
			const float expected = stages[i].expected(channel(texel, shifts[c]), channel(diffuse, shifts[c]),
			                                          channel(factor, shifts[c])) * 255.0f;
			EXPECT_NEAR(*channels[c], expected, 1.0) << "stage " << i << ", channel " << c;
		}
	}
	for (size_t i = 0; i < std::size(functions); ++i) {
		const Pixel drawn = image.At(UINT(10 * i + 4), 24);
		EXPECT_EQ(drawn == BLACK, !passes[i]) << "alpha function " << functions[i] << ": " << drawn;
	}
}

TEST_F(DrawTest, LoadedSingleLevelImageGetsAGeneratedChain) {
	// Left half red, right half green: the 1 x 1 level is their average.
	std::vector<uint8_t> rgba(4 * 4 * 4, 0);
	for (int i = 0; i < 16; ++i) {
		const bool left = (i % 4) < 2;
		rgba[i * 4 + 0] = left ? 255 : 0;
		rgba[i * 4 + 1] = left ? 0 : 255;
		rgba[i * 4 + 3] = 255;
	}
	const std::string path = TemporaryPath("chain.png");
	std::string why;
	ASSERT_TRUE(WritePngFile(path, 4, 4, rgba.data(), why)) << why;
	Texture texture;
	ASSERT_TRUE(texture.LoadFromFile(path, false));
	ASSERT_EQ(texture.texture->GetLevelCount(), 3u);
	D3DLOCKED_RECT locked{};
	ASSERT_EQ(texture.texture->LockRect(2, &locked, nullptr, D3DLOCK_READONLY), S_OK);
	const uint8_t* texel = static_cast<const uint8_t*>(locked.pBits);  // B G R A
	EXPECT_NEAR(texel[2], 128, 2);
	EXPECT_NEAR(texel[1], 128, 2);
	EXPECT_EQ(texel[3], 255);
	texture.texture->UnlockRect(2);
}

}  // namespace
