#include "scene/CGame.h"

#include "app/Application.h"
#include "app/GraphicsDevice.h"
#include "platform/system/Win32.h"
#include "enemy/Boss_Tank.h"
#include "enemy/EnemyBase.h"
#include "enemy/Turret.h"
#include "enemy/Two_Leg.h"
#include "player/MapCollision.h"
#include "render/CharacterPixelScope.h"
#include "render/DrawPhaseProfiler.h"
#include "render/ModelTable.h"
#include "render/ViewFrustum.h"
#include "render/StageObject.h"
#include "scene/SceneManager.h"

#include <algorithm>
#include <cstdlib>

namespace {

const char* const BACK_TEXTURE_FILE = "data/Texture/back.png";
const char* const MAP_FILE = "data/map/Map_01.x";
const char* const LIFT_FILE = "data/Object/Lift.x";
const char* const MUSIC_FILE = "data/Sound/Game/Game_BGM.wav";
const char* const CONFIRM_CAPTION = "確認";
const char* const RETURN_QUESTION = "タイトルに戻りますか？";

const D3DXVECTOR3 LIGHT_DIRECTION(0.5f, -1.0f, 1.0f);
const D3DXVECTOR3 LIFT_POSITION(815.0f, 105.0f, 2158.0f);
const D3DXVECTOR3 TURRET_POSITION(700.0f, 130.0f, 2166.0f);
constexpr float FIELD_OF_VIEW = 1.0471976f;  // 60 degrees
constexpr float NEAR_PLANE = 0.01f;
constexpr float FAR_PLANE = 1000.0f;
// The shadow camera stands this far from the robot, against the light.
constexpr float SHADOW_EYE_DISTANCE = 30.0f;

constexpr D3DCOLOR BACKGROUND_COLOR = 0xFF000032;
constexpr D3DCOLOR NO_GLOW = 0xFF000000;
constexpr D3DCOLOR FADE_BLACK = 0xFF000000;
constexpr D3DCOLOR FADE_RED = 0xFFFF0000;
// The blurred glow covers this rectangle at twice its strength.
constexpr int GLOW_WIDTH = 1280;
constexpr int GLOW_HEIGHT = 720;
const float GLOW_STRENGTH[4] = {2.0f, 2.0f, 2.0f, 2.0f};

constexpr int32_t MAX_FADE_ALPHA = 255;
// The lift moves only once this few enemies are left.
constexpr size_t LIFT_ENEMY_LIMIT = 1;

D3DXVECTOR4 AsVector(const D3DCOLORVALUE& color) { return D3DXVECTOR4(color.r, color.g, color.b, color.a); }
}  // namespace

CGame::CGame() { Init(); }

CGame::~CGame() {
	fadeTexture.Release();
	screenTarget.Release();
	music.Release();
	player.Release();
	backTexture.Release();
}

void CGame::Init() {
	// A table left by a battle that never ended would otherwise leak.
	if (modelTable != nullptr) {
		modelTable->ReleaseAll();
		delete modelTable;
	}
	modelTable = new ModelTable();

	id = SCENE_GAME;
	Application& application = Application::Get();
	application.battleFailed = false;
	SetUpLightAndProjection();

	backTexture.LoadFromFile(BACK_TEXTURE_FILE, true);
	modelTable->LoadAll();
	if (sceneManager != nullptr) {
		sceneManager->map.Load(MAP_FILE);
		SpawnEnemies();
		StageObject* lift = StageObject::Create(LIFT_FILE);
		D3DXMatrixTranslation(&lift->world, LIFT_POSITION.x, LIFT_POSITION.y, LIFT_POSITION.z);
		sceneManager->stageObjects.push_back(lift);
	}
	application.viewPitch = 0.0f;
	application.viewYaw = 0.0f;
	if (sceneManager != nullptr) {
		sceneManager->map.BuildFaceNormals();
	}
	player.Initialise();
	music.Load(MUSIC_FILE);
	depthFirst = EveryModelOpaque();

	const D3DPRESENT_PARAMETERS& present = GraphicsDevice::Get().presentParameters;
	screenTarget.Create(present.BackBufferWidth, present.BackBufferHeight, 1, D3DUSAGE_RENDERTARGET,
	                    D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
	fadeTexture.Create(1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
	fadeTexture.Fill(FADE_BLACK, 0);

	endCounter = 0;
	fadeAlpha = 0;
	ending = false;
	// Each enemy takes one step before the first frame is drawn.
	if (sceneManager != nullptr) {
		for (EnemyBase* enemy : sceneManager->enemies) {
			enemy->Update(player);
		}
	}
}

// The stage's enemies in list order. Each walker draws its place from the
// generator after it is built, x before z: the same seed gives the same yard.
void CGame::SpawnEnemies() {
	std::vector<EnemyBase*>& enemies = sceneManager->enemies;
	for (int i = 0; i < 2; ++i) {
		Two_Leg* walker = new Two_Leg();
		const float x = static_cast<float>(std::rand() % 50) - 140.0f - 50.0f;
		const float z = static_cast<float>(std::rand() % 50) + 1.0f + 1400.0f;
		D3DXMatrixTranslation(&walker->world, x, 100.0f, z);
		enemies.push_back(walker);
	}
	for (int i = 0; i < 3; ++i) {
		Two_Leg* walker = new Two_Leg();
		const float x = static_cast<float>(std::rand() % 200) - 185.0f - 100.0f;
		D3DXMatrixTranslation(&walker->world, x, 100.0f, 2000.0f);
		enemies.push_back(walker);
	}
	for (int i = 0; i < 2; ++i) {
		Two_Leg* walker = new Two_Leg();
		const float x = static_cast<float>(std::rand() % 100) - 185.0f - 50.0f;
		D3DXMatrixTranslation(&walker->world, x, 150.0f, 2150.0f);
		enemies.push_back(walker);
	}
	Turret* turret = new Turret();
	D3DXMatrixTranslation(&turret->world, TURRET_POSITION.x, TURRET_POSITION.y, TURRET_POSITION.z);
	enemies.push_back(turret);
	// The boss places itself.
	enemies.push_back(new Boss_Tank());
}

void CGame::SetUpLightAndProjection() const {
	GraphicsDevice& graphics = GraphicsDevice::Get();
	graphics.SetDirectionalLight(0, LIGHT_DIRECTION, D3DXCOLOR(1.0f, 1.0f, 1.0f, 1.0f),
	                             D3DXCOLOR(0.3f, 0.3f, 0.3f, 0.0f), D3DXCOLOR(1.0f, 1.0f, 1.0f, 0.0f));
	if (graphics.device == nullptr) {
		return;
	}
	const float aspect = static_cast<float>(graphics.presentParameters.BackBufferWidth) /
	                     static_cast<float>(graphics.presentParameters.BackBufferHeight);
	D3DXMATRIX projection;
	D3DXMatrixPerspectiveFovLH(&projection, FIELD_OF_VIEW, aspect, NEAR_PLANE, FAR_PLANE);
	graphics.device->SetTransform(D3DTS_PROJECTION, &projection);
}

int32_t CGame::Update() {
	if (sceneManager == nullptr) {
		return id;
	}
	Application& application = Application::Get();
	UpdateEnemies();
	DeleteGoneEnemies();
	if (sceneManager->enemies.size() <= LIFT_ENEMY_LIMIT) {
		for (StageObject* object : sceneManager->stageObjects) {
			object->Update();
		}
	}
	player.Update();
	camera.PushHistory(player.world);

	if (sceneManager->enemies.empty()) {
		application.battleFailed = false;
		ending = true;
	}
	if (ending) {
		endCounter += 1;
		fadeAlpha = std::min(fadeAlpha + FADE_ALPHA_STEP, MAX_FADE_ALPHA);
	}
	if (endCounter >= ENDING_FRAMES) {
		return SCENE_RESULT;
	}
	if (player.hitPoints <= 0.0f) {
		fadeTexture.Fill(FADE_RED, 0);
		application.battleFailed = true;
		ending = true;
	}
	if (IsKeyDown(VK_ESCAPE) && AskReturnToTitle()) {
		return SCENE_TITLE;
	}
	return SCENE_GAME;
}

// The length is read at every step: a missile the boss launches in this
// pass is updated in it too.
void CGame::UpdateEnemies() {
	std::vector<EnemyBase*>& enemies = sceneManager->enemies;
	for (size_t i = 0; i < enemies.size(); ++i) {
		enemies[i]->Update(player);
	}
}

void CGame::DeleteGoneEnemies() {
	std::vector<EnemyBase*>& enemies = sceneManager->enemies;
	size_t kept = 0;
	for (EnemyBase* enemy : enemies) {
		if (enemy->exists) {
			enemies[kept++] = enemy;
		} else {
			delete enemy;
		}
	}
	enemies.resize(kept);
}

void CGame::DeleteEnemies() {
	for (EnemyBase* enemy : sceneManager->enemies) {
		delete enemy;
	}
	sceneManager->enemies.clear();
}

bool CGame::AskReturnToTitle() const {
	return MessageBoxA(Application::Get().window, RETURN_QUESTION, CONFIRM_CAPTION,
	                   MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2 | MB_TOPMOST) == IDYES;
}

void CGame::Draw() {
	DrawPhaseProfiler::Begin(DrawPhase::MainPass);
	BeginFrame();
	DrawPhaseProfiler::End(DrawPhase::MainPass);
	DrawPhaseProfiler::Begin(DrawPhase::Shadow);
	BeginShadowPass();
	player.DrawShadow();
	if (sceneManager != nullptr) {
		const CharacterPixelScope enemies;
		for (EnemyBase* enemy : sceneManager->enemies) {
			enemy->DrawShadow();
		}
	}
	EndShadowPass();
	DrawPhaseProfiler::End(DrawPhase::Shadow);
	DrawPhaseProfiler::Begin(DrawPhase::MainPass);
	DrawMainPass();
	DrawPhaseProfiler::End(DrawPhase::MainPass);
	DrawPhaseProfiler::Begin(DrawPhase::Glow);
	DrawGlow();
	DrawPhaseProfiler::End(DrawPhase::Glow);
	DrawPhaseProfiler::Begin(DrawPhase::Overlay);
	DrawOverlay();
	DrawPhaseProfiler::End(DrawPhase::Overlay);
}

void CGame::RestoreBackBuffer() {
	GraphicsDevice& graphics = GraphicsDevice::Get();
	graphics.device->SetRenderTarget(0, graphics.backBuffer);
	for (DWORD index = 1; index <= 3; ++index) {
		graphics.device->SetRenderTarget(index, nullptr);
	}
}

void CGame::BeginFrame() {
	IDirect3DDevice9* device = GraphicsDevice::Get().device;
	device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, BACKGROUND_COLOR, 1.0f, 0);
	// Without its own target the clear would wipe the picture instead.
	if (!screenTarget.IsEmpty()) {
		screenTarget.SetAsRenderTarget(0);
		device->Clear(0, nullptr, D3DCLEAR_TARGET, NO_GLOW, 1.0f, 0);
	}
	RestoreBackBuffer();
	device->BeginScene();
	camera.Update();
	SetFrameParameters();
	// From here the main pass writes the picture and the glow image at once.
	screenTarget.SetAsRenderTarget(1);
}

void CGame::SetFrameParameters() const {
	GraphicsDevice& graphics = GraphicsDevice::Get();
	D3DXMATRIX view;
	D3DXMATRIX projection;
	graphics.device->GetTransform(D3DTS_VIEW, &view);
	graphics.device->GetTransform(D3DTS_PROJECTION, &projection);
	D3DXMATRIX inverseView;
	if (D3DXMatrixInverse(&inverseView, nullptr, &view) == nullptr) {
		D3DXMatrixIdentity(&inverseView);
	}
	const D3DXVECTOR3 cameraPosition = TranslationOf(inverseView);
	D3DLIGHT9 light{};
	graphics.GetLight(&light, 0);
	const D3DXVECTOR4 lightColor = AsVector(light.Diffuse);
	const D3DXVECTOR4 lightAmbient = AsVector(light.Ambient);
	const D3DXVECTOR4 lightSpecular = AsVector(light.Specular);

	Application& application = Application::Get();
	if (ID3DXEffect* plain = application.plainShader.effect) {
		plain->SetValue("LightDir", &light.Direction, sizeof(light.Direction));
		plain->SetVector("LightColor", &lightColor);
		plain->SetVector("LightAmbient", &lightAmbient);
		plain->SetVector("LightSpecular", &lightSpecular);
		plain->SetMatrix("mP", &projection);
		plain->SetMatrix("mV", &view);
		plain->SetValue("CamPos", &cameraPosition, sizeof(cameraPosition));
	}
	if (ID3DXEffect* model = application.modelShader.effect) {
		const D3DXVECTOR4 lightDirection(light.Direction.x, light.Direction.y, light.Direction.z, light.Range);
		const D3DXVECTOR4 camera(cameraPosition.x, cameraPosition.y, cameraPosition.z, 1.0f);
		model->SetMatrix("mV", &view);
		model->SetMatrix("mP", &projection);
		model->SetVector("LightDir", &lightDirection);
		model->SetVector("LightColor", &lightColor);
		model->SetVector("LightAmbient", &lightAmbient);
		model->SetVector("LightSpecular", &lightSpecular);
		model->SetVector("CamPos", &camera);
	}
}

void CGame::BeginShadowPass() {
	D3DLIGHT9 light{};
	GraphicsDevice::Get().GetLight(&light, 0);
	const D3DXVECTOR3 direction(light.Direction);
	const D3DXVECTOR3 eye = player.Position() - SHADOW_EYE_DISTANCE * direction;
	Application::Get().shadowMap.Begin(eye);
}

void CGame::EndShadowPass() {
	Application& application = Application::Get();
	ShadowMap& shadowMap = application.shadowMap;
	shadowMap.End();
	if (ID3DXEffect* model = application.modelShader.effect) {
		model->SetMatrix("mLightVP", &shadowMap.lightViewProjection);
		model->SetTexture("ShadowTex", shadowMap.shadowTexture.texture);
	}
}

void CGame::DrawMainPass() {
	if (sceneManager == nullptr) {
		return;
	}
	ModelShader& modelShader = Application::Get().modelShader;
	modelShader.SetEveryModelOpaque(depthFirst);
	D3DXMATRIX view;
	D3DXMATRIX projection;
	GraphicsDevice::Get().device->GetTransform(D3DTS_VIEW, &view);
	GraphicsDevice::Get().device->GetTransform(D3DTS_PROJECTION, &projection);
	const ViewFrustum camera(view, projection);
	modelShader.SetCullingView(&camera);
	DrawDepthFirst();
	sceneManager->map.Draw();
	player.Draw();
	{
		const CharacterPixelScope enemies;
		for (EnemyBase* enemy : sceneManager->enemies) {
			enemy->Draw(player);
		}
	}
	for (const StageObject* object : sceneManager->stageObjects) {
		object->Draw();
	}
	modelShader.SetEveryModelOpaque(false);
	modelShader.SetCullingView(nullptr);
}

bool CGame::EveryModelOpaque() const {
	if (!modelTable->AllOpaque()) {
		return false;
	}
	if (sceneManager == nullptr) {
		return true;
	}
	if (!sceneManager->map.model.IsOpaque()) {
		return false;
	}
	for (const StageObject* object : sceneManager->stageObjects) {
		if (!object->model.IsOpaque()) {
			return false;
		}
	}
	return true;
}

// The depth of every model the main pass shades, laid down before any is
// shaded: each pixel then runs the toon shading once, for the surface that
// ends up in view, instead of once for every layer drawn over it. Only what
// the draws below shade the same whatever their game work belongs here:
// depth with nothing shaded over it would punch a hole in the picture.
void CGame::DrawDepthFirst() const {
	if (!depthFirst) {
		return;
	}
	player.DrawDepth();
	{
		const CharacterPixelScope enemies;
		for (const EnemyBase* enemy : sceneManager->enemies) {
			enemy->DrawDepth();
		}
	}
	for (const StageObject* object : sceneManager->stageObjects) {
		object->DrawDepth();
	}
	sceneManager->map.DrawDepth();
}

void CGame::DrawGlow() {
	RestoreBackBuffer();
	BlurFilter& blur = Application::Get().blurFilter;
	blur.Blur(screenTarget);
	IDirect3DDevice9* device = GraphicsDevice::Get().device;
	device->SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_ADD);
	device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
	device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
	blur.DrawNormal(blur.resultTarget, 0, 0, GLOW_WIDTH, GLOW_HEIGHT, GLOW_STRENGTH);
	device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
}

void CGame::DrawOverlay() {
	GraphicsDevice& graphics = GraphicsDevice::Get();
	graphics.sprite->Begin(D3DXSPRITE_ALPHABLEND);
	D3DXMATRIX atTopLeft;
	D3DXMatrixTranslation(&atTopLeft, 0.0f, 0.0f, 1.0f);
	graphics.DrawSprite(&backTexture, 0xFFFFFFFF, &atTopLeft);
	player.DrawHud();
	if (ending) {
		const Application& application = Application::Get();
		graphics.DrawSpriteStretched(&fadeTexture, 0, 0, application.clientWidth, application.clientHeight,
		                             D3DCOLOR_ARGB(DWORD(fadeAlpha), 255, 255, 255));
	}
	graphics.sprite->End();
	graphics.device->EndScene();
}

void CGame::Uninit() {
	if (modelTable != nullptr) {
		modelTable->ReleaseAll();
		delete modelTable;
		modelTable = nullptr;
	}
	if (sceneManager != nullptr) {
		sceneManager->map.Release();
	}
	backTexture.Release();
	player.Release();
	if (sceneManager != nullptr) {
		DeleteEnemies();
		for (StageObject* object : sceneManager->stageObjects) {
			object->Release();
			delete object;
		}
		sceneManager->stageObjects.clear();
		ClearFaceNormals(sceneManager->mapNormals);
	}
	music.Release();
}
