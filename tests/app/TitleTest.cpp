// The title scene of this build, on the real device: its start state, the
// click-to-battle count and its draw.

#include "app/Application.h"
#include "app/GraphicsDevice.h"
#include "platform/gpu/GpuHooks.h"
#include "platform/system/ScriptedSystemBackend.h"
#include "scene/Title.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class TitleTest : public ::testing::Test {
protected:
	void SetUp() override {
		SetSystemBackend(&backend);
		Application& application = Application::Get();
		ASSERT_TRUE(application.CreateMainWindow(GetModuleHandleA(nullptr), 1280, 720));
		if (!GraphicsDevice::Get().Init(application.window, application.clientWidth, application.clientHeight,
		                                D3DFMT_X8R8G8B8, false)) {
			GTEST_SKIP() << "no OpenGL 3.3 device here";
		}
		GraphicsDevice::Get().SetDefaultStates();
	}

	void TearDown() override {
		GraphicsDevice::Get().Release();
		Application& application = Application::Get();
		DestroyWindow(application.window);
		UnregisterClassA("Window", nullptr);
		application.window = nullptr;
		SetSystemBackend(nullptr);
	}

	ScriptedSystemBackend backend;
};

TEST_F(TitleTest, StartsWithItsLightProjectionResetCameraAndHiddenCursor) {
	Application& application = Application::Get();
	application.cameraEye = D3DXVECTOR3(1.0f, 2.0f, 3.0f);
	application.cameraTarget = D3DXVECTOR3(4.0f, 5.0f, 6.0f);
	Title title;
	EXPECT_EQ(title.id, SCENE_TITLE);
	EXPECT_EQ(application.cameraEye, D3DXVECTOR3(0.0f, 0.0f, 0.0f));
	EXPECT_EQ(application.cameraTarget, D3DXVECTOR3(0.0f, 0.0f, 0.0f));
	EXPECT_FALSE(backend.CursorVisible());
	EXPECT_FALSE(title.loading);
	for (float speed : {title.outCircleSpeed, title.midCircleSpeed, title.circleSpeed}) {
		EXPECT_GE(speed, -5.0f);
		EXPECT_LE(speed, 4.0f);
		EXPECT_EQ(speed, std::floor(speed));
	}

	D3DLIGHT9 light;
	GraphicsDevice::Get().GetLight(&light, 0);
	EXPECT_EQ(light.Type, D3DLIGHT_DIRECTIONAL);
	EXPECT_NEAR(light.Direction.x, 0.70710678f, 1e-5f);
	EXPECT_NEAR(light.Direction.y, -0.70710678f, 1e-5f);
	EXPECT_FLOAT_EQ(light.Ambient.r, 0.3f);
	EXPECT_FLOAT_EQ(light.Specular.a, 0.0f);

	D3DXMATRIX expected, projection;
	D3DXMatrixPerspectiveFovLH(&expected, 1.0471976f, 1280.0f / 720.0f, 0.01f, 1000.0f);
	GraphicsDevice::Get().device->GetTransform(D3DTS_PROJECTION, &projection);
	for (int i = 0; i < 16; ++i) {
		EXPECT_FLOAT_EQ((&projection._11)[i], (&expected._11)[i]) << i;
	}
}

TEST_F(TitleTest, AClickNearCounterZeroStartsTheBattleSixtyUpdatesLater) {
	Title title;
	backend.SetKey(1, VK_LBUTTON, true);
	backend.SetKey(2, VK_LBUTTON, false);
	EXPECT_EQ(title.Update(), SCENE_TITLE);
	EXPECT_FALSE(title.loading);
	backend.AdvanceFrame();
	EXPECT_EQ(title.Update(), SCENE_TITLE);
	EXPECT_TRUE(title.loading);
	backend.AdvanceFrame();
	// The counter was 2 at the click and now rises by two an update.
	int updates = 0;
	while (title.Update() == SCENE_TITLE && updates < 200) {
		++updates;
	}
	EXPECT_EQ(updates + 1, 60);
}

TEST_F(TitleTest, AClickAtCounterOneHundredFiftyStartsTheBattleAtTheNextUpdate) {
	Title title;
	title.counter = 150;
	backend.SetKey(0, VK_LBUTTON, true);
	EXPECT_EQ(title.Update(), SCENE_TITLE);
	EXPECT_TRUE(title.loading);
	EXPECT_EQ(title.Update(), SCENE_GAME);
}

TEST_F(TitleTest, RingSpeedsChangeInThe182ndUpdate) {
	Title title;
	std::vector<float> angles;
	for (int update = 1; update <= 182; ++update) {
		title.Update();
		angles.push_back(title.outCircleAngle);
	}
	// Up to the 181st update the outer ring turned at one speed.
	EXPECT_FLOAT_EQ(angles[180], 181.0f * (angles[0]));
	EXPECT_EQ(title.counter, 1);
}

TEST_F(TitleTest, DrawClearsTheWholeBackBufferToOpaqueBlack) {
	Title title;
	IDirect3DDevice9* device = GraphicsDevice::Get().device;
	device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_ARGB(255, 200, 30, 30), 1.0f, 0);
	title.Draw();
	std::vector<uint8_t> rgba;
	UINT width = 0, height = 0;
	ASSERT_TRUE(ReadRenderTargetPixels(GraphicsDevice::Get().backBuffer, rgba, width, height));
	ASSERT_EQ(width, 1280u);
	ASSERT_EQ(height, 720u);
	size_t notBlack = 0;
	for (size_t i = 0; i < rgba.size(); i += 4) {
		notBlack += (rgba[i] | rgba[i + 1] | rgba[i + 2]) != 0 || rgba[i + 3] != 255 ? 1 : 0;
	}
	EXPECT_EQ(notBlack, 0u);
}

}  // namespace
