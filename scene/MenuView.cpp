#include "scene/MenuView.h"

#include "app/Application.h"
#include "app/GraphicsDevice.h"

namespace {

constexpr float FIELD_OF_VIEW = 1.0471976f;  // 60 degrees
constexpr float NEAR_PLANE = 0.01f;
constexpr float FAR_PLANE = 1000.0f;
constexpr int32_t PICTURE_HALF_WIDTH = 400;
constexpr int32_t PICTURE_HALF_HEIGHT = 300;

}  // namespace

void SetUpMenuView() {
	GraphicsDevice& graphics = GraphicsDevice::Get();
	graphics.SetDirectionalLight(0, D3DXVECTOR3(1.0f, -1.0f, 0.0f), D3DXCOLOR(1.0f, 1.0f, 1.0f, 1.0f),
	                             D3DXCOLOR(0.3f, 0.3f, 0.3f, 0.0f), D3DXCOLOR(1.0f, 1.0f, 1.0f, 0.0f));
	if (graphics.device != nullptr) {
		const float aspect = static_cast<float>(graphics.presentParameters.BackBufferWidth) /
		                     static_cast<float>(graphics.presentParameters.BackBufferHeight);
		D3DXMATRIX projection;
		D3DXMatrixPerspectiveFovLH(&projection, FIELD_OF_VIEW, aspect, NEAR_PLANE, FAR_PLANE);
		graphics.device->SetTransform(D3DTS_PROJECTION, &projection);
	}
	Application& application = Application::Get();
	application.cameraEye = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
	application.cameraTarget = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
}

D3DXMATRIX CentredPictureCorner() {
	const Application& application = Application::Get();
	// Halved in whole pixels, so the picture lands on pixel boundaries.
	D3DXMATRIX corner;
	D3DXMatrixTranslation(&corner, static_cast<float>(application.clientWidth / 2 - PICTURE_HALF_WIDTH),
	                      static_cast<float>(application.clientHeight / 2 - PICTURE_HALF_HEIGHT), 1.0f);
	return corner;
}
