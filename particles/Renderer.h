#pragma once
// Draws managers' particles through the Direct3D 9 device. Each Renderer
// gathers what is drawn between BeginRendering and EndRendering and draws it
// in batches at EndRendering; the shader, vertex buffer, textures and models
// are shared by every Renderer on the device (see particles/README.md).

#include "particles/GpuResources.h"
#include "particles/NodeRenderer.h"
#include "particles/RenderBatch.h"

#include <memory>
#include <string>

namespace particles {

class Renderer {
public:
	// At most squareMaxCount quads per Begin/End. Null when the device is
	// null or the shared resources cannot be made.
	static Renderer* Create(IDirect3DDevice9* device, int squareMaxCount, std::string* why = nullptr);
	void Destroy();

	// Handed to a manager, which then owns them; they stay valid after this
	// renderer is destroyed (they draw nothing more then).
	NodeRenderer* CreateSpriteRenderer();
	NodeRenderer* CreateRibbonRenderer();
	NodeRenderer* CreateRingRenderer();
	NodeRenderer* CreateModelRenderer();
	TextureLoader* CreateTextureLoader();

	void SetProjectionMatrix(const D3DXMATRIX& projection) { batch->SetProjection(projection); }
	void SetCameraMatrix(const D3DXMATRIX& view) { batch->SetCamera(view); }
	const D3DXMATRIX& GetProjectionMatrix() const { return batch->Projection(); }
	const D3DXMATRIX& GetCameraMatrix() const { return batch->View(); }

	bool BeginRendering();
	bool EndRendering();

	// Draw calls made by the last EndRendering.
	int LastDrawCalls() const { return lastDrawCalls; }
	int GetSquareMaxCount() const { return squareMaxCount; }

private:
	Renderer(std::shared_ptr<GpuResources> gpu, int squareMaxCount);
	~Renderer() = default;

	std::shared_ptr<GpuResources> gpu;
	std::shared_ptr<RenderBatch> batch;
	int squareMaxCount;
	int lastDrawCalls = 0;
	bool rendering = false;
};

}  // namespace particles
