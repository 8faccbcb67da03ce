#include "particles/Renderer.h"

#include "particles/NodeRenderers.h"

namespace particles {

Renderer* Renderer::Create(IDirect3DDevice9* device, int squareMaxCount, std::string* why) {
	std::shared_ptr<GpuResources> gpu = GpuResources::ForDevice(device, why);
	if (gpu == nullptr) {
		return nullptr;
	}
	return new Renderer(std::move(gpu), squareMaxCount);
}

Renderer::Renderer(std::shared_ptr<GpuResources> gpu_, int squareMaxCount_)
	: gpu(std::move(gpu_)), batch(std::make_shared<RenderBatch>(squareMaxCount_)), squareMaxCount(squareMaxCount_) {}

void Renderer::Destroy() { delete this; }

NodeRenderer* Renderer::CreateSpriteRenderer() { return new SpriteRenderer(batch, gpu); }
NodeRenderer* Renderer::CreateRibbonRenderer() { return new RibbonRenderer(batch, gpu); }
NodeRenderer* Renderer::CreateRingRenderer() { return new RingRenderer(batch, gpu); }
NodeRenderer* Renderer::CreateModelRenderer() { return new ModelRenderer(batch, gpu); }
TextureLoader* Renderer::CreateTextureLoader() { return new GpuTextureLoader(gpu); }

bool Renderer::BeginRendering() {
	batch->Clear();
	rendering = true;
	return true;
}

bool Renderer::EndRendering() {
	if (!rendering) {
		batch->Clear();
		return false;
	}
	rendering = false;
	lastDrawCalls = batch->Flush(*gpu);
	return true;
}

}  // namespace particles
