// Device creation, clears, pre-transformed quads and reference counting.

#include "GpuTestFixture.h"

#include "app/DepthSurface.h"
#include "platform/gpu/GpuHooks.h"
#include "platform/system/ScriptedSystemBackend.h"
#include "platform/system/SystemBackend.h"

#include <epoxy/gl.h>

#include <cmath>
#include <cstring>

namespace {

using DeviceTest = GpuTest;

constexpr Pixel BLACK{0, 0, 0, 255};
constexpr Pixel WHITE{255, 255, 255, 255};

TEST_F(DeviceTest, WindowedDeviceTakesTheClientSizeAndReportsIt) {
	EXPECT_EQ(Graphics().presentParameters.BackBufferWidth, 1280u);
	EXPECT_EQ(Graphics().presentParameters.BackBufferHeight, 720u);
	EXPECT_TRUE(Graphics().presentParameters.Windowed);
	D3DSURFACE_DESC desc{};
	ASSERT_EQ(Graphics().backBuffer->GetDesc(&desc), S_OK);
	EXPECT_EQ(desc.Width, 1280u);
	EXPECT_EQ(desc.Height, 720u);
	ASSERT_NE(Graphics().sprite, nullptr);
}

TEST_F(DeviceTest, ClearColourReadsBackOnEveryPixel) {
	ASSERT_EQ(Device()->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL,
	                          D3DCOLOR_ARGB(255, 10, 20, 50), 1.0f, 0),
	          S_OK);
	const PixelImage image = ReadBackBuffer();
	ASSERT_EQ(image.Width(), 1280u);
	ASSERT_EQ(image.Height(), 720u);
	EXPECT_EQ(image.CountDifferent(0, 0, 1280, 720, Pixel{10, 20, 50, 255}), 0u);
}

TEST_F(DeviceTest, ClearHonoursRectanglesCountedFromTheTop) {
	Device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
	const D3DRECT rect{100, 10, 200, 30};
	Device()->Clear(1, &rect, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0);
	const PixelImage image = ReadBackBuffer();
	EXPECT_EQ(image.CountDifferent(100, 10, 200, 30, WHITE), 0u);
	EXPECT_EQ(image.At(99, 10), BLACK);
	EXPECT_EQ(image.At(100, 30), BLACK);
	EXPECT_EQ(image.At(150, 700), BLACK);
}

TEST_F(DeviceTest, PreTransformedStripCoversItsRectangle) {
	Device()->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
	ASSERT_EQ(Device()->BeginScene(), S_OK);
	Graphics().DrawScreenQuad(10.0f, 20.0f, 30.0f, 40.0f, 1.0f, 1.0f);
	ASSERT_EQ(Device()->EndScene(), S_OK);
	const PixelImage image = ReadBackBuffer();
	EXPECT_EQ(image.CountDifferent(10, 20, 40, 60, WHITE), 0u);
	EXPECT_EQ(image.CountDifferent(0, 0, 1280, 20, BLACK), 0u);
	EXPECT_EQ(image.CountDifferent(0, 60, 1280, 720, BLACK), 0u);
	EXPECT_EQ(image.CountDifferent(0, 20, 10, 60, BLACK), 0u);
	EXPECT_EQ(image.CountDifferent(40, 20, 1280, 60, BLACK), 0u);
}

TEST_F(DeviceTest, DiffuseColourAndCullingFollowDirect3D) {
	struct ColoredVertex {
		float x, y, z, rhw;
		D3DCOLOR color;
	};
	// Clockwise on screen: front facing under D3DCULL_CCW.
	const ColoredVertex clockwise[3] = {
		{0, 0, 0, 1, 0xFFFF0000}, {100, 0, 0, 1, 0xFFFF0000}, {0, 100, 0, 1, 0xFFFF0000}};
	const ColoredVertex counterClockwise[3] = {
		{200, 0, 0, 1, 0xFF00FF00}, {200, 100, 0, 1, 0xFF00FF00}, {300, 0, 0, 1, 0xFF00FF00}};
	Device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
	Device()->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
	Device()->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
	ASSERT_EQ(Device()->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, clockwise, sizeof(ColoredVertex)), S_OK);
	ASSERT_EQ(Device()->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, counterClockwise, sizeof(ColoredVertex)), S_OK);
	const PixelImage image = ReadBackBuffer();
	EXPECT_EQ(image.At(10, 10), (Pixel{255, 0, 0, 255}));
	EXPECT_EQ(image.At(210, 10), BLACK);
}

TEST_F(DeviceTest, DefaultStatesAreInPlace) {
	DWORD value = 0;
	Device()->GetRenderState(D3DRS_DESTBLENDALPHA, &value);
	EXPECT_EQ(value, DWORD(D3DBLEND_INVSRCALPHA));
	Device()->GetRenderState(D3DRS_SEPARATEALPHABLENDENABLE, &value);
	EXPECT_EQ(value, DWORD(TRUE));
	Device()->GetSamplerState(0, D3DSAMP_MIPMAPLODBIAS, &value);
	float bias = 0.0f;
	std::memcpy(&bias, &value, sizeof bias);
	EXPECT_EQ(bias, -1.0f);
	D3DLIGHT9 light{};
	Graphics().GetLight(&light, 0);
	EXPECT_EQ(light.Type, D3DLIGHT_DIRECTIONAL);
	const float length = std::sqrt(0.25f + 1.0f + 0.09f);
	EXPECT_NEAR(light.Direction.y, -1.0f / length, 1e-5f);
	EXPECT_EQ(light.Ambient.a, 1.0f);
	BOOL enabled = FALSE;
	Device()->GetLightEnable(0, &enabled);
	EXPECT_TRUE(enabled);
}

TEST_F(DeviceTest, SeparateAlphaBlendingAccumulatesTargetAlpha) {
	// Colour blends with source alpha, while target alpha becomes
	// srcA + dstA * (1 - srcA): with srcA 0.5 over a target alpha of 0 that
	// is 0.5, where plain alpha blending would give 0.25.
	Texture target;
	ASSERT_TRUE(target.Create(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT));
	target.SetAsRenderTarget(0);
	Device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00000000, 1.0f, 0);
	struct ColoredVertex {
		float x, y, z, rhw;
		D3DCOLOR color;
	};
	const D3DCOLOR halfWhite = D3DCOLOR_ARGB(128, 255, 255, 255);
	const ColoredVertex quad[4] = {
		{0, 0, 0, 1, halfWhite}, {8, 0, 0, 1, halfWhite}, {0, 8, 0, 1, halfWhite}, {8, 8, 0, 1, halfWhite}};
	Device()->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
	Device()->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
	Device()->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ColoredVertex));
	PixelImage image;
	ASSERT_TRUE(image.Read(target.surface));
	EXPECT_NEAR(image.At(4, 4).r, 128, 1);
	EXPECT_NEAR(image.At(4, 4).a, 128, 1);
	Device()->SetRenderTarget(0, Graphics().backBuffer);
}

TEST_F(DeviceTest, GetAndSetPairsLeaveReferenceCountsWhereTheyStarted) {
	Texture target;
	ASSERT_TRUE(target.Create(64, 64, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT));
	DepthSurface depth;
	ASSERT_TRUE(depth.Create(64, 64, D3DFMT_D24S8, D3DMULTISAMPLE_NONE, 0, FALSE));
	const ULONG backBufferCount = ReferenceCount(Graphics().backBuffer);
	const ULONG targetCount = ReferenceCount(target.texture);
	const ULONG depthCount = ReferenceCount(depth.surface);

	IDirect3DSurface9* savedTarget = nullptr;
	IDirect3DSurface9* savedDepth = nullptr;
	ASSERT_EQ(Device()->GetRenderTarget(0, &savedTarget), S_OK);
	EXPECT_EQ(ReferenceCount(Graphics().backBuffer), backBufferCount + 1);
	ASSERT_EQ(Device()->GetDepthStencilSurface(&savedDepth), S_OK);
	target.SetAsRenderTarget(0);
	depth.Bind();
	IDirect3DSurface9* current = nullptr;
	ASSERT_EQ(Device()->GetRenderTarget(0, &current), S_OK);
	EXPECT_EQ(current, target.surface);
	current->Release();
	Device()->SetRenderTarget(0, savedTarget);
	Device()->SetDepthStencilSurface(savedDepth);
	SafeRelease(savedTarget);
	SafeRelease(savedDepth);

	EXPECT_EQ(ReferenceCount(Graphics().backBuffer), backBufferCount);
	EXPECT_EQ(ReferenceCount(target.texture), targetCount);
	EXPECT_EQ(ReferenceCount(depth.surface), depthCount);
	ASSERT_EQ(Device()->GetRenderTarget(0, &current), S_OK);
	EXPECT_EQ(current, Graphics().backBuffer);
	current->Release();
}

TEST_F(DeviceTest, SurfacesKeepTheirTextureAliveAndReleaseFreesIt) {
	const ULONG deviceCount = ReferenceCount(Device());
	IDirect3DTexture9* texture = nullptr;
	ASSERT_EQ(Device()->CreateTexture(16, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), S_OK);
	EXPECT_EQ(ReferenceCount(Device()), deviceCount + 1);
	IDirect3DSurface9* surface = nullptr;
	ASSERT_EQ(texture->GetSurfaceLevel(0, &surface), S_OK);
	EXPECT_EQ(ReferenceCount(texture), 2u);
	EXPECT_EQ(texture->Release(), 1u);
	D3DSURFACE_DESC desc{};
	EXPECT_EQ(surface->GetDesc(&desc), S_OK);
	EXPECT_EQ(desc.Width, 16u);
	EXPECT_EQ(ReferenceCount(Device()), deviceCount + 1);
	EXPECT_EQ(surface->Release(), 0u);
	EXPECT_EQ(ReferenceCount(Device()), deviceCount);
}

TEST_F(DeviceTest, ReleasingABoundTargetFallsBackToTheBackBuffer) {
	{
		Texture target;
		ASSERT_TRUE(target.Create(32, 32, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT));
		target.SetAsRenderTarget(0);
	}
	IDirect3DSurface9* current = nullptr;
	ASSERT_EQ(Device()->GetRenderTarget(0, &current), S_OK);
	EXPECT_EQ(current, Graphics().backBuffer);
	current->Release();
	EXPECT_EQ(Device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0), S_OK);
}

TEST_F(DeviceTest, RenderTargetZeroResetsTheViewportAndRejectsNull) {
	Texture target;
	ASSERT_TRUE(target.Create(200, 100, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8B8G8R8, D3DPOOL_DEFAULT));
	target.SetAsRenderTarget(0);
	D3DVIEWPORT9 viewport{};
	Device()->GetViewport(&viewport);
	EXPECT_EQ(viewport.Width, 200u);
	EXPECT_EQ(viewport.Height, 100u);
	EXPECT_EQ(Device()->SetRenderTarget(0, nullptr), D3DERR_INVALIDCALL);
	Texture plain;
	ASSERT_TRUE(plain.Create(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED));
	EXPECT_EQ(Device()->SetRenderTarget(1, plain.surface), D3DERR_INVALIDCALL);
	Device()->SetRenderTarget(0, Graphics().backBuffer);
}

TEST_F(DeviceTest, LightsAreSetReadAndEnabled) {
	Graphics().SetDirectionalLight(3, D3DXVECTOR3(0.0f, 0.0f, -2.0f), D3DXCOLOR(1.0f, 0.5f, 0.25f, 1.0f),
	                               D3DXCOLOR(0.3f, 0.3f, 0.3f, 0.0f), D3DXCOLOR(1.0f, 1.0f, 1.0f, 0.0f));
	D3DLIGHT9 light{};
	EXPECT_EQ(Graphics().GetLight(&light, 3), &light);
	EXPECT_EQ(light.Direction.z, -1.0f);
	EXPECT_EQ(light.Diffuse.g, 0.5f);
	EXPECT_EQ(light.Range, 0.0f);
	BOOL enabled = FALSE;
	EXPECT_EQ(Device()->GetLightEnable(3, &enabled), S_OK);
	EXPECT_TRUE(enabled);
	EXPECT_EQ(Device()->GetLight(7, &light), D3DERR_INVALIDCALL);
}

TEST_F(DeviceTest, TransformsReadBackAsSet) {
	D3DXMATRIX view;
	D3DXMatrixTranslation(&view, 1.0f, 2.0f, 3.0f);
	Device()->SetTransform(D3DTS_VIEW, &view);
	D3DXMATRIX read;
	Device()->GetTransform(D3DTS_VIEW, &read);
	EXPECT_TRUE(read == view);
	Device()->GetTransform(D3DTS_PROJECTION, &read);
	EXPECT_TRUE(D3DXMatrixIsIdentity(&read));
}

TEST_F(DeviceTest, PresentRunsTheHookAfterTheFrame) {
	int presents = 0;
	SetPresentHook([&] { ++presents; });
	Device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF336699, 1.0f, 0);
	EXPECT_EQ(Device()->Present(nullptr, nullptr, nullptr, nullptr), S_OK);
	EXPECT_EQ(Device()->Present(nullptr, nullptr, nullptr, nullptr), S_OK);
	SetPresentHook(nullptr);
	EXPECT_EQ(presents, 2);
	// The back buffer keeps the frame for screenshots.
	EXPECT_EQ(ReadBackBuffer().At(640, 360), (Pixel{0x33, 0x66, 0x99, 255}));
}

class DeviceCreationTest : public GpuTest {
protected:
	bool InitDeviceInSetUp() const override { return false; }
};

TEST_F(DeviceCreationTest, FullScreenKeepsTheRequestedBackBufferSize) {
	ASSERT_TRUE(Graphics().Init(Window(), 1280, 720, D3DFMT_X8R8G8B8, true));
	EXPECT_EQ(Graphics().presentParameters.BackBufferWidth, 1280u);
	EXPECT_EQ(Graphics().presentParameters.BackBufferHeight, 720u);
	EXPECT_FALSE(Graphics().presentParameters.Windowed);
	Device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0);
	EXPECT_EQ(Device()->Present(nullptr, nullptr, nullptr, nullptr), S_OK);
	EXPECT_EQ(ReadBackBuffer().Width(), 1280u);
}

TEST_F(DeviceCreationTest, FullScreenLetterboxesTheBackBufferIntoTheWindow) {
	// A 640 x 480 window shows the 1280 x 720 picture at half size with black
	// bars above and below, top row on top.
	PlatformWindow smallWindow;
	smallWindow.sdl = CreateSdlWindow(640, 480, SDL_WINDOW_OPENGL);
	ASSERT_NE(smallWindow.sdl, nullptr);
	int windowWidth = 0;
	int windowHeight = 0;
	SDL_GL_GetDrawableSize(smallWindow.sdl, &windowWidth, &windowHeight);
	if (windowWidth != 640 || windowHeight != 480) {
		SDL_DestroyWindow(smallWindow.sdl);
		GTEST_SKIP() << "this video driver resizes full-screen windows";
	}
	ASSERT_TRUE(Graphics().Init(&smallWindow, 1280, 720, D3DFMT_X8R8G8B8, true));
	Device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0);
	const D3DRECT topBand{0, 0, 1280, 72};
	Device()->Clear(1, &topBand, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0);
	ASSERT_EQ(Device()->Present(nullptr, nullptr, nullptr, nullptr), S_OK);
	// The window's own pixels, GL rows counted from the bottom.
	auto windowPixel = [](int x, int rowFromTop) {
		uint8_t p[4] = {};
		glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
		glReadPixels(x, 479 - rowFromTop, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
		return Pixel{p[0], p[1], p[2], 255};
	};
	EXPECT_EQ(windowPixel(320, 30), BLACK);
	EXPECT_EQ(windowPixel(320, 80), (Pixel{255, 0, 0, 255}));
	EXPECT_EQ(windowPixel(320, 240), (Pixel{0, 255, 0, 255}));
	EXPECT_EQ(windowPixel(320, 450), BLACK);
	Graphics().Release();
	SDL_DestroyWindow(smallWindow.sdl);
}

TEST_F(DeviceCreationTest, FailingEveryDeviceTypeShowsTheErrorBox) {
	// A window that cannot hold a GL context makes all three attempts fail.
	PlatformWindow plainWindow;
	plainWindow.sdl = CreateSdlWindow(64, 64, 0);
	ASSERT_NE(plainWindow.sdl, nullptr);
	ScriptedSystemBackend backend;
	SetSystemBackend(&backend);
	const bool created = Graphics().Init(&plainWindow, 64, 64, D3DFMT_X8R8G8B8, false);
	SetSystemBackend(nullptr);
	SDL_DestroyWindow(plainWindow.sdl);
	EXPECT_FALSE(created);
	EXPECT_EQ(Device(), nullptr);
	ASSERT_EQ(backend.Questions().size(), 1u);
	EXPECT_EQ(backend.Questions()[0].text, "Direct3Dの初期化に失敗");
	EXPECT_EQ(backend.Questions()[0].caption, "Direct3D初期化");
}

TEST_F(DeviceCreationTest, ADeviceMadeWithoutPixelWorkChecksEveryCallButTouchesNoPixel) {
	SetPixelWorkEnabled(false);
	const bool created = Graphics().Init(Window(), 1280, 720, D3DFMT_X8R8G8B8, false);
	SetPixelWorkEnabled(true);
	ASSERT_TRUE(created);
	Graphics().SetDefaultStates();
	const PixelImage before = ReadBackBuffer();
	ASSERT_EQ(before.Width(), 1280u);
	const Pixel untouched = before.At(640, 360);
	EXPECT_EQ(Device()->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_XRGB(255, 0, 0), 1.0f, 0), S_OK);
	EXPECT_EQ(Device()->Clear(1, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0), D3DERR_INVALIDCALL);
	ASSERT_EQ(Device()->BeginScene(), S_OK);
	Graphics().DrawScreenQuad(0.0f, 0.0f, 1280.0f, 720.0f, 1.0f, 1.0f);
	const float broken[3] = {};
	EXPECT_EQ(Device()->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, broken, 0), D3DERR_INVALIDCALL);
	ASSERT_EQ(Device()->EndScene(), S_OK);
	bool presented = false;
	SetPresentHook([&] { presented = true; });
	EXPECT_EQ(Device()->Present(nullptr, nullptr, nullptr, nullptr), S_OK);
	SetPresentHook(nullptr);
	EXPECT_TRUE(presented) << "frames are still counted by their presents";
	const PixelImage after = ReadBackBuffer();
	EXPECT_EQ(after.CountDifferent(0, 0, 1280, 720, untouched), 0u) << "neither the clear nor the quad reached a pixel";
	EXPECT_NE(untouched, (Pixel{255, 0, 0, 255}));
	EXPECT_NE(untouched, (Pixel{255, 255, 255, 255}));
}

TEST_F(DeviceTest, AFrameWhosePictureIsSkippedLeavesThePixelsOfTheLastPicture) {
	ASSERT_EQ(Device()->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_XRGB(0, 0, 255), 1.0f, 0), S_OK);
	SetPictureSkipped(true);
	EXPECT_EQ(Device()->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(255, 0, 0), 1.0f, 0), S_OK);
	ASSERT_EQ(Device()->BeginScene(), S_OK);
	Graphics().DrawScreenQuad(0.0f, 0.0f, 1280.0f, 720.0f, 1.0f, 1.0f);
	ASSERT_EQ(Device()->EndScene(), S_OK);
	SetPictureSkipped(false);
	EXPECT_EQ(ReadBackBuffer().CountDifferent(0, 0, 1280, 720, Pixel{0, 0, 255, 255}), 0u);
	// The next picture draws again.
	ASSERT_EQ(Device()->BeginScene(), S_OK);
	Graphics().DrawScreenQuad(10.0f, 20.0f, 30.0f, 40.0f, 1.0f, 1.0f);
	ASSERT_EQ(Device()->EndScene(), S_OK);
	const PixelImage image = ReadBackBuffer();
	EXPECT_EQ(image.CountDifferent(10, 20, 40, 60, WHITE), 0u);
	EXPECT_EQ(image.At(5, 5), (Pixel{0, 0, 255, 255}));
}

}  // namespace
