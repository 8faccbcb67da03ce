#include "render/StageObject.h"

#include "app/Application.h"

namespace {

// Frames the lift travels one way before it turns.
constexpr int32_t LEG_FRAMES = 690;
// Chosen so that the first active frames turn it at once into its first leg.
constexpr int32_t FIRST_FRAME_COUNT = 689;
constexpr float SPEED = 0.5f;

int32_t Reversed(int32_t mode) {
	switch (mode) {
	case 0: return 1;
	case 1: return 0;
	case 2: return 3;
	case 3: return 2;
	default: return mode;
	}
}

D3DXVECTOR3 VelocityOf(int32_t mode) {
	switch (mode) {
	case 0: return D3DXVECTOR3(0, -SPEED, 0);
	case 1: return D3DXVECTOR3(0, SPEED, 0);
	case 2: return D3DXVECTOR3(SPEED, 0, 0);
	case 3: return D3DXVECTOR3(-SPEED, 0, 0);
	default: return D3DXVECTOR3(0, 0, 0);
	}
}

}  // namespace

StageObject::StageObject() : frameCounter(FIRST_FRAME_COUNT), active(false), mode(1) { D3DXMatrixIdentity(&world); }

StageObject* StageObject::Create(const std::string& path) {
	StageObject* object = new StageObject();
	object->model.Load(path);
	return object;
}

void StageObject::Update() {
	if (!active) {
		return;
	}
	++frameCounter;
	D3DXMATRIX step;
	D3DXMatrixTranslation(&step, velocity.x, velocity.y, velocity.z);
	world = step * world;
	if (frameCounter > LEG_FRAMES) {
		mode = Reversed(mode);
		velocity = VelocityOf(mode);
		frameCounter = 0;
	}
}

void StageObject::Draw() const {
	ModelShader& shader = Application::Get().modelShader;
	shader.SetWorld(world);
	shader.DrawModel(model);
}

void StageObject::DrawDepth() const {
	ModelShader& shader = Application::Get().modelShader;
	shader.SetWorld(world);
	shader.DrawDepth(model);
}

void StageObject::Release() { model.Release(); }
