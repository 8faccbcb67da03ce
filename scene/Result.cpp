#include "scene/Result.h"

#include "app/Application.h"
#include "app/GraphicsDevice.h"
#include "platform/D3DX9.h"
#include "platform/system/Win32.h"
#include "scene/MenuView.h"

namespace {

const char* const SUCCESS_TEXTURE_FILE = "data/Texture/Result/Result.png";
const char* const FAILURE_TEXTURE_FILE = "data/Texture/Result/Failed.png";
const char* const BUTTON_SOUND_FILE = "data/Sound/Result/Button_01.wav";
const char* const CONFIRM_CAPTION = "確認";
const char* const RETURN_QUESTION = "タイトルに戻りますか？";

// The title follows once this many frames have counted past the click.
constexpr int32_t RETURN_FRAMES = 60;
constexpr D3DCOLOR BLACK = 0xFF000000;
constexpr D3DCOLOR UNTINTED = 0xFFFFFFFF;

}  // namespace

Result::Result() { Init(); }

void Result::Init() {
	id = SCENE_RESULT;
	SetUpMenuView();

	clicked = false;
	counter = 0;
	resultTexture.LoadFromFile(Application::Get().battleFailed ? FAILURE_TEXTURE_FILE : SUCCESS_TEXTURE_FILE, true);
	buttonSound.Load(BUTTON_SOUND_FILE);
}

int32_t Result::Update() {
	// Every update with the button down plays the sound again.
	if (IsKeyDown(VK_LBUTTON)) {
		clicked = true;
		buttonSound.Play();
	}
	if (clicked) {
		counter += 1;
	}
	if (counter > RETURN_FRAMES) {
		return SCENE_TITLE;
	}
	if (IsKeyDown(VK_ESCAPE) && AskReturnToTitle()) {
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
	const D3DXMATRIX centred = CentredPictureCorner();
	graphics.DrawSprite(&resultTexture, UNTINTED, &centred);
	graphics.sprite->End();
	device->EndScene();
}

void Result::Uninit() {
	resultTexture.Release();
	buttonSound.Release();
}
