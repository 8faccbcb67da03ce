#include "scene/Title.h"

#include "app/Application.h"
#include "app/GraphicsDevice.h"
#include "platform/D3DX9.h"
#include "platform/system/Win32.h"

#include <cstdlib>

namespace {

// Frames after the click before the battle starts, counted at two a frame.
constexpr int32_t LOADING_FRAMES = 120;
// Frames between changes of the ring speeds.
constexpr int32_t SPEED_CHANGE_FRAMES = 180;

float RandomRingSpeed() { return static_cast<float>(std::rand() % 10) - 5.0f; }

}  // namespace

Title::Title() { Init(); }

void Title::Init() {
	id = SCENE_TITLE;
	GraphicsDevice& graphics = GraphicsDevice::Get();
	graphics.SetDirectionalLight(0, D3DXVECTOR3(1.0f, -1.0f, 0.0f), D3DXCOLOR(1.0f, 1.0f, 1.0f, 1.0f),
	                             D3DXCOLOR(0.3f, 0.3f, 0.3f, 0.0f), D3DXCOLOR(1.0f, 1.0f, 1.0f, 0.0f));

	D3DXMATRIX projection;
	const float aspect = static_cast<float>(graphics.presentParameters.BackBufferWidth) /
	                     static_cast<float>(graphics.presentParameters.BackBufferHeight);
	D3DXMatrixPerspectiveFovLH(&projection, 1.0471976f, aspect, 0.01f, 1000.0f);
	graphics.device->SetTransform(D3DTS_PROJECTION, &projection);

	Application& application = Application::Get();
	application.cameraEye = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
	application.cameraTarget = D3DXVECTOR3(0.0f, 0.0f, 0.0f);

	outCircleAngle = 0.0f;
	midCircleAngle = 0.0f;
	circleAngle = 0.0f;
	counter = 0;
	DrawRingSpeeds();
	loading = false;
	ShowCursor(FALSE);
}

// Always outer, middle, inner: the order decides which random number each gets.
void Title::DrawRingSpeeds() {
	outCircleSpeed = RandomRingSpeed();
	midCircleSpeed = RandomRingSpeed();
	circleSpeed = RandomRingSpeed();
}

int32_t Title::Update() {
	if (loading) {
		counter += 1;
		if (counter > LOADING_FRAMES) {
			return SCENE_GAME;
		}
	}
	if ((GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0) {
		loading = true;
		ShowCursor(FALSE);
	}
	if (counter > SPEED_CHANGE_FRAMES) {
		counter = 0;
		DrawRingSpeeds();
	}
	outCircleAngle += outCircleSpeed;
	counter += 1;
	midCircleAngle += midCircleSpeed;
	circleAngle += circleSpeed;
	return SCENE_TITLE;
}

void Title::Draw() {
	GraphicsDevice& graphics = GraphicsDevice::Get();
	IDirect3DDevice9* device = graphics.device;
	device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0xFF000000, 1.0f, 0);
	device->BeginScene();
	graphics.sprite->Begin(D3DXSPRITE_ALPHABLEND);
	graphics.sprite->End();
	device->EndScene();
}

void Title::Uninit() {}
