#include "scene/Result.h"

#include "app/Application.h"
#include "app/GraphicsDevice.h"
#include "platform/D3DX9.h"
#include "platform/system/Win32.h"

namespace {

const char* const SUCCESS_TEXTURE_FILE = "data/Texture/Result/Result.png";
const char* const FAILURE_TEXTURE_FILE = "data/Texture/Result/Failed.png";
const char* const BUTTON_SOUND_FILE = "data/Sound/Result/Button_01.wav";
const char* const CONFIRM_CAPTION = "確認";
const char* const RETURN_QUESTION = "タイトルに戻りますか？";

// The title follows once this many frames have counted past the click.
constexpr int32_t RETURN_FRAMES = 60;
constexpr int32_t PICTURE_HALF_WIDTH = 400;
constexpr int32_t PICTURE_HALF_HEIGHT = 300;
constexpr D3DCOLOR BLACK = 0xFF000000;
constexpr D3DCOLOR UNTINTED = 0xFFFFFFFF;

bool KeyDown(int virtualKey) { return (GetAsyncKeyState(virtualKey) & 0x8000) != 0; }

}  // namespace

Result::Result() { Init(); }

void Result::Init() {
	id = SCENE_RESULT;
	GraphicsDevice& graphics = GraphicsDevice::Get();
	graphics.SetDirectionalLight(0, D3DXVECTOR3(1.0f, -1.0f, 0.0f), D3DXCOLOR(1.0f, 1.0f, 1.0f, 1.0f),
	                             D3DXCOLOR(0.3f, 0.3f, 0.3f, 0.0f), D3DXCOLOR(1.0f, 1.0f, 1.0f, 0.0f));
	if (graphics.device != nullptr) {
		D3DXMATRIX projection;
		const float aspect = static_cast<float>(graphics.presentParameters.BackBufferWidth) /
		                     static_cast<float>(graphics.presentParameters.BackBufferHeight);
		D3DXMatrixPerspectiveFovLH(&projection, 1.0471976f, aspect, 0.01f, 1000.0f);
		graphics.device->SetTransform(D3DTS_PROJECTION, &projection);
	}

	Application& application = Application::Get();
	application.cameraEye = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
	application.cameraTarget = D3DXVECTOR3(0.0f, 0.0f, 0.0f);

	clicked = false;
	counter = 0;
	resultTexture.LoadFromFile(application.battleFailed ? FAILURE_TEXTURE_FILE : SUCCESS_TEXTURE_FILE, true);
	buttonSound.Load(BUTTON_SOUND_FILE);
}

int32_t Result::Update() {
	// Every update with the button down plays the sound again.
	if (KeyDown(VK_LBUTTON)) {
		clicked = true;
		buttonSound.Play();
	}
	if (clicked) {
		counter += 1;
	}
	if (counter > RETURN_FRAMES) {
		return SCENE_TITLE;
	}
	if (KeyDown(VK_ESCAPE) && AskReturnToTitle()) {
		return SCENE_TITLE;
	}
	return SCENE_RESULT;
}

bool Result::AskReturnToTitle() const {
	return MessageBoxA(Application::Get().window, RETURN_QUESTION, CONFIRM_CAPTION,
	                   MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2 | MB_TOPMOST) == IDYES;
}

void Result::Draw() {
	GraphicsDevice& graphics = GraphicsDevice::Get();
	IDirect3DDevice9* device = graphics.device;
	if (device == nullptr || graphics.sprite == nullptr) {
		return;
	}
	device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, BLACK, 1.0f, 0);
	device->BeginScene();
	camera.Update();
	graphics.sprite->Begin(D3DXSPRITE_ALPHABLEND);
	const Application& application = Application::Get();
	D3DXMATRIX centred;
	D3DXMatrixTranslation(&centred, static_cast<float>(application.clientWidth / 2 - PICTURE_HALF_WIDTH),
	                      static_cast<float>(application.clientHeight / 2 - PICTURE_HALF_HEIGHT), 1.0f);
	graphics.DrawSprite(&resultTexture, UNTINTED, &centred);
	graphics.sprite->End();
	device->EndScene();
}

void Result::Uninit() {
	resultTexture.Release();
	buttonSound.Release();
}
