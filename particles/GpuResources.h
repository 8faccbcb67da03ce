#pragma once
// The GPU objects every renderer on one device shares: the particle shader,
// the streaming vertex buffer, a white texture and the caches of loaded
// textures and models. Made by the first Renderer on a device and freed with
// the last one.

#include "particles/Resources.h"
#include "platform/fx/D3DX9Effect.h"
#include "platform/gpu/D3D9.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace particles {

// Vertex of every particle batch: D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1.
struct BatchVertex {
	float x, y, z;
	D3DCOLOR color;
	float u, v;
};
constexpr DWORD BATCH_VERTEX_FVF = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;

class GpuTexture : public TextureResource {
public:
	explicit GpuTexture(IDirect3DTexture9* texture_) : texture(texture_) {}
	~GpuTexture() override;
	IDirect3DTexture9* Texture() const { return texture; }

private:
	IDirect3DTexture9* texture;
};

// A mesh kept as plain triangles (positions and texture coordinates) so
// model particles join the same vertex batches as sprites.
class GpuModel : public ModelResource {
public:
	struct Corner {
		D3DXVECTOR3 position;
		float u, v;
	};
	std::vector<Corner> corners;  // three per triangle
};

class GpuResources {
public:
	// The resources of this device, made on first use; null with *why set
	// when the shader or buffer cannot be made.
	static std::shared_ptr<GpuResources> ForDevice(IDirect3DDevice9* device, std::string* why);
	~GpuResources();

	IDirect3DDevice9* Device() const { return device; }
	ID3DXEffect* Shader() const { return shader; }
	IDirect3DVertexBuffer9* VertexBuffer() const { return vertexBuffer; }
	UINT VertexCapacity() const { return vertexCapacity; }
	IDirect3DTexture9* WhiteTexture() const { return white; }

	// Cached by name while anyone holds them; null when the file is missing.
	TexturePtr LoadTexture(const std::string& path);
	ModelPtr LoadModel(const std::string& path);

	static constexpr UINT MAX_MODEL_TRIANGLES = 4096;

private:
	explicit GpuResources(IDirect3DDevice9* device);
	bool Init(std::string* why);

	IDirect3DDevice9* device;
	ID3DXEffect* shader = nullptr;
	IDirect3DVertexBuffer9* vertexBuffer = nullptr;
	UINT vertexCapacity = 0;
	IDirect3DTexture9* white = nullptr;
	std::map<std::string, std::weak_ptr<const TextureResource>> textures;
	std::map<std::string, std::weak_ptr<const ModelResource>> models;
};

}  // namespace particles
