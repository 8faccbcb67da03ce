#pragma once
// The four ways a node's particles become triangles in a renderer's batch.

#include "particles/GpuResources.h"
#include "particles/NodeRenderer.h"
#include "particles/RenderBatch.h"

#include <memory>

namespace particles {

class BatchNodeRenderer : public NodeRenderer {
public:
	BatchNodeRenderer(std::shared_ptr<RenderBatch> batch_, std::shared_ptr<GpuResources> gpu_)
		: batch(std::move(batch_)), gpu(std::move(gpu_)) {}

protected:
	// Where a particle is in the world, and its velocity there.
	static D3DXVECTOR3 WorldPosition(const NodeDrawData& data, const Particle& particle);
	static D3DXVECTOR3 WorldVelocity(const NodeDrawData& data, const Particle& particle);

	std::shared_ptr<RenderBatch> batch;
	std::shared_ptr<GpuResources> gpu;
};

class SpriteRenderer : public BatchNodeRenderer {
public:
	using BatchNodeRenderer::BatchNodeRenderer;
	void Render(const NodeDrawData& data) override;
};

class RibbonRenderer : public BatchNodeRenderer {
public:
	using BatchNodeRenderer::BatchNodeRenderer;
	void Render(const NodeDrawData& data) override;
};

class RingRenderer : public BatchNodeRenderer {
public:
	using BatchNodeRenderer::BatchNodeRenderer;
	void Render(const NodeDrawData& data) override;
};

class ModelRenderer : public BatchNodeRenderer {
public:
	using BatchNodeRenderer::BatchNodeRenderer;
	void Render(const NodeDrawData& data) override;
	ModelPtr LoadModel(const std::string& path) override { return gpu->LoadModel(path); }
};

class GpuTextureLoader : public TextureLoader {
public:
	explicit GpuTextureLoader(std::shared_ptr<GpuResources> gpu_) : gpu(std::move(gpu_)) {}
	TexturePtr Load(const std::string& path) override { return gpu->LoadTexture(path); }

private:
	std::shared_ptr<GpuResources> gpu;
};

}  // namespace particles
