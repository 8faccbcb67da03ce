#include "scene/Title.h"

#include "app/Application.h"
#include "app/GraphicsDevice.h"
#include "platform/D3DX9.h"
#include "platform/system/Win32.h"
#include "scene/MenuView.h"

#include <cstdlib>

namespace {

const char* const TITLE_TEXTURE_FILE = "data/Texture/Title/Title.png";
const char* const OUT_CIRCLE_TEXTURE_FILE = "data/Texture/Title/OutCircle.png";
const char* const MID_CIRCLE_TEXTURE_FILE = "data/Texture/Title/MidCircle.png";
const char* const CIRCLE_TEXTURE_FILE = "data/Texture/Title/Circle.png";
const char* const LOADING_TEXTURE_FILE = "data/Texture/Title/Loading.png";
const char* const MUSIC_FILE = "data/Sound/Title/TitleBGM.wav";
const char* const START_SOUND_FILE = "data/Sound/Title/Start_Button.wav";

// After the click the counter rises by two a frame; past this the battle
// starts.
constexpr int32_t LOADING_FRAMES = 120;
// Frames between changes of the ring speeds.
constexpr int32_t SPEED_CHANGE_FRAMES = 180;
constexpr float RADIANS_PER_DEGREE = 0.017453292f;
constexpr D3DCOLOR BLACK = 0xFF000000;
constexpr D3DCOLOR UNTINTED = 0xFFFFFFFF;

// One of the whole numbers -5 to 4.
float RandomRingSpeed() { return static_cast<float>(std::rand() % 10) - 5.0f; }

D3DXVECTOR3 CenterOf(const Texture& texture) {
	const RECT& source = texture.sourceRect;
	return D3DXVECTOR3(static_cast<float>(source.right - source.left) / 2.0f,
	                   static_cast<float>(source.bottom - source.top) / 2.0f, 0.0f);
}

}  // namespace

Title::Title() { Init(); }

void Title::Init() {
	id = SCENE_TITLE;
	SetUpMenuView();

	titleTexture.LoadFromFile(TITLE_TEXTURE_FILE, true);
	circleTexture.LoadFromFile(CIRCLE_TEXTURE_FILE, true);
	midCircleTexture.LoadFromFile(MID_CIRCLE_TEXTURE_FILE, true);
	outCircleTexture.LoadFromFile(OUT_CIRCLE_TEXTURE_FILE, true);
	loadingTexture.LoadFromFile(LOADING_TEXTURE_FILE, true);

	// Loading the music starts it.
	music.Load(MUSIC_FILE);
	startSound.Load(START_SOUND_FILE);

	outCircleAngle = 0.0f;
	midCircleAngle = 0.0f;
	circleAngle = 0.0f;
	counter = 0;
	DrawRingSpeeds();
	for (D3DXMATRIX& entry : camera.history) {
		D3DXMatrixIdentity(&entry);
	}
	loading = false;
	// Nothing shows it again while the game runs.
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
	// Every update with the button down counts as a click, so holding it
	// replays the start sound each frame.
	if (IsKeyDown(VK_LBUTTON)) {
		loading = true;
		music.Stop();
		startSound.Play();
		ShowCursor(FALSE);
	}
	music.Update();
	startSound.Update();
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
	if (device == nullptr || graphics.sprite == nullptr) {
		return;
	}
	device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, BLACK, 1.0f, 0);
	device->BeginScene();
	camera.Update();
	graphics.sprite->Begin(D3DXSPRITE_ALPHABLEND);
	const Application& application = Application::Get();
	if (loading) {
		graphics.DrawSpriteStretched(&loadingTexture, 0, 0, application.clientWidth, application.clientHeight,
		                             UNTINTED);
	} else {
		const D3DXMATRIX pictureCorner = CentredPictureCorner();
		DrawRings(pictureCorner);
		// Over the rings, which show through its open corner.
		graphics.DrawSprite(&titleTexture, UNTINTED, &pictureCorner);
	}
	graphics.sprite->End();
	device->EndScene();
}

// Each ring turns about its own centre, which sits on the picture's corner.
void Title::DrawRings(const D3DXMATRIX& pictureCorner) {
	const struct {
		const Texture& texture;
		float angle;
	} rings[] = {
		{circleTexture, circleAngle},
		{midCircleTexture, midCircleAngle},
		{outCircleTexture, outCircleAngle},
	};
	GraphicsDevice& graphics = GraphicsDevice::Get();
	for (const auto& ring : rings) {
		D3DXMATRIX rotation;
		D3DXMatrixRotationZ(&rotation, ring.angle * RADIANS_PER_DEGREE);
		const D3DXMATRIX transform = rotation * pictureCorner;
		graphics.DrawSpriteCentered(&ring.texture, UNTINTED, &transform, CenterOf(ring.texture));
	}
}

void Title::Uninit() {
	titleTexture.Release();
	circleTexture.Release();
	midCircleTexture.Release();
	outCircleTexture.Release();
	loadingTexture.Release();
	startSound.Release();
	music.Release();
}
