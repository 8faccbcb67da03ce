#include "scene/Camera.h"

#include "app/Application.h"
#include "app/GraphicsDevice.h"

#include <algorithm>

namespace {

// In the robot's local frame: x right, y up, z forward.
const D3DXVECTOR3 LOCAL_EYE(8.0f, 5.0f, -20.0f);
const D3DXVECTOR3 LOCAL_TARGET(0.0f, 0.0f, 60.0f);
const D3DXVECTOR3 UP(0.0f, 1.0f, 0.0f);
constexpr float RADIANS_PER_DEGREE = 0.017453292f;

}  // namespace

Camera::Camera(int32_t length) : historyLength(std::clamp(length, int32_t(1), CAMERA_HISTORY_LENGTH)) {
	D3DXMatrixIdentity(&view);
	for (D3DXMATRIX& entry : history) {
		D3DXMatrixIdentity(&entry);
	}
}

void Camera::ComputePose(const D3DXMATRIX& robotWorld, float pitchDegrees, D3DXVECTOR3& eye, D3DXVECTOR3& target) {
	D3DXMATRIX tilt;
	D3DXMatrixRotationX(&tilt, pitchDegrees * RADIANS_PER_DEGREE);
	D3DXMATRIX carried;
	D3DXMatrixMultiply(&carried, &tilt, &robotWorld);
	D3DXVec3TransformCoord(&target, &LOCAL_TARGET, &carried);
	D3DXVec3TransformCoord(&eye, &LOCAL_EYE, &carried);
}

void Camera::Update() {
	Application& application = Application::Get();
	const int32_t followed = std::min(CAMERA_FOLLOW_DELAY, historyLength - 1);
	ComputePose(history[followed], application.viewPitch, application.cameraEye, application.cameraTarget);
	D3DXMatrixLookAtLH(&view, &application.cameraEye, &application.cameraTarget, &UP);
	IDirect3DDevice9* device = GraphicsDevice::Get().device;
	if (device != nullptr) {
		device->SetTransform(D3DTS_VIEW, &view);
	}
}

void Camera::PushHistory(const D3DXMATRIX& robotWorld) {
	for (int32_t i = historyLength - 1; i > 0; --i) {
		history[i] = history[i - 1];
	}
	history[0] = robotWorld;
}
