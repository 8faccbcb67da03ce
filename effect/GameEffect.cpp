#include "effect/GameEffect.h"

#include "app/Application.h"
#include "app/GraphicsDevice.h"
#include "render/DrawPhaseProfiler.h"

#include <utility>

namespace {

constexpr int MAX_SQUARES = 2000;
constexpr int MAX_INSTANCES = 2000;

}  // namespace

GameEffect::GameEffect(GameEffect&& other) noexcept { *this = std::move(other); }

GameEffect& GameEffect::operator=(GameEffect&& other) noexcept {
	if (this != &other) {
		Release();
		renderer = std::exchange(other.renderer, nullptr);
		manager = std::exchange(other.manager, nullptr);
		effect = std::exchange(other.effect, nullptr);
		handle = std::exchange(other.handle, particles::INVALID_HANDLE);
		eye = other.eye;
		lookAt = other.lookAt;
		position = other.position;
	}
	return *this;
}

GameEffect::~GameEffect() { Release(); }

void GameEffect::Load(const wchar_t* path, const wchar_t* materialFolder) {
	Load(particles::ToUtf8(path != nullptr ? path : L""), particles::ToUtf8(materialFolder != nullptr ? materialFolder : L""));
}

void GameEffect::Load(const char16_t* path, const char16_t* materialFolder) {
	Load(particles::ToUtf8(path != nullptr ? path : u""), particles::ToUtf8(materialFolder != nullptr ? materialFolder : u""));
}

void GameEffect::Load(const std::string& path, const std::string& materialFolder) {
	Release();
	renderer = particles::Renderer::Create(GraphicsDevice::Get().device, MAX_SQUARES);
	manager = particles::Manager::Create(MAX_INSTANCES, true);
	if (renderer != nullptr) {
		manager->SetSpriteRenderer(renderer->CreateSpriteRenderer());
		manager->SetRibbonRenderer(renderer->CreateRibbonRenderer());
		manager->SetRingRenderer(renderer->CreateRingRenderer());
		manager->SetModelRenderer(renderer->CreateModelRenderer());
		manager->SetTextureLoader(renderer->CreateTextureLoader());
	}
	manager->SetCoordinateSystem(particles::CoordinateSystem::LH);
	effect = particles::Effect::Create(manager, path, 1.0f, materialFolder);
}

void GameEffect::Play() {
	if (manager != nullptr) {
		handle = manager->Play(effect, position);
	}
}

void GameEffect::PlayRotatedY(float degrees) {
	if (manager == nullptr) {
		return;
	}
	handle = manager->Play(effect, position);
	manager->SetRotation(handle, D3DXVECTOR3(0, 1, 0), degrees * 0.017453292f);
	manager->SetLocation(handle, position);
}

void GameEffect::PlayOriented(float yawDegrees, float pitchDegrees) {
	if (manager == nullptr) {
		return;
	}
	manager->SetLocation(handle, position);
	handle = manager->Play(effect, position);
	D3DXMATRIX m, factor;
	D3DXMatrixIdentity(&m);
	D3DXMatrixRotationY(&factor, yawDegrees * 0.017453f);
	m = factor * m;
	D3DXMatrixRotationX(&factor, pitchDegrees * 0.017453f);
	m = factor * m;
	D3DXMatrixTranslation(&factor, position.x, position.y, position.z);
	m = factor * m;
	manager->SetMatrix(handle, particles::Matrix43::FromMatrix(m));
	manager->SetLocation(handle, position);
}

void GameEffect::Restart() {
	if (manager == nullptr) {
		return;
	}
	if (manager->Exists(handle)) {
		manager->StopEffect(handle);
	}
	handle = manager->Play(effect, position);
	manager->SetAutoDrawing(handle, false);
}

void GameEffect::Stop() {
	if (manager != nullptr) {
		manager->StopEffect(handle);
	}
}

void GameEffect::SetRotation(const D3DXVECTOR3& axis, float degrees) {
	if (manager != nullptr) {
		manager->SetRotation(handle, axis, degrees * 0.017453292f);
	}
}

void GameEffect::Move() {
	if (manager != nullptr) {
		manager->SetLocation(handle, position);
	}
}

void GameEffect::Update() {
	if (manager == nullptr) {
		return;
	}
	const Application& application = Application::Get();
	eye = application.cameraEye;
	lookAt = application.cameraTarget;
	if (renderer != nullptr) {
		// A window not yet sized has no aspect; square pixels stand in.
		const float aspect = application.clientHeight > 0
		                         ? static_cast<float>(application.clientWidth) / static_cast<float>(application.clientHeight)
		                         : 1.0f;
		D3DXMATRIX projection, camera;
		D3DXMatrixPerspectiveFovLH(&projection, 1.0471976f, aspect, 0.01f, 1000.0f);
		renderer->SetProjectionMatrix(projection);
		const D3DXVECTOR3 up(0, 1, 0);
		D3DXMatrixLookAtLH(&camera, &eye, &lookAt, &up);
		renderer->SetCameraMatrix(camera);
	}
	manager->Update(1.0f);
}

void GameEffect::Draw() {
	if (manager == nullptr) {
		return;
	}
	const DrawPhaseScope timed(DrawPhase::Effects);
	if (renderer != nullptr) {
		renderer->BeginRendering();
	}
	manager->Draw();
	if (renderer != nullptr) {
		renderer->EndRendering();
	}
}

void GameEffect::DrawCurrent() {
	if (manager == nullptr) {
		return;
	}
	const DrawPhaseScope timed(DrawPhase::Effects);
	if (renderer != nullptr) {
		renderer->BeginRendering();
	}
	manager->DrawHandle(handle);
	if (renderer != nullptr) {
		renderer->EndRendering();
	}
}

void GameEffect::Release() {
	if (effect != nullptr) {
		effect->Release();
		effect = nullptr;
	}
	// Also when loading failed: the manager and renderer were made all the same.
	if (manager != nullptr) {
		manager->Destroy();
		manager = nullptr;
	}
	if (renderer != nullptr) {
		renderer->Destroy();
		renderer = nullptr;
	}
	handle = particles::INVALID_HANDLE;
}
