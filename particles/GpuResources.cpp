#include "particles/GpuResources.h"

#include "platform/mesh/D3DX9Mesh.h"

#include <cstring>

namespace particles {

namespace {

// Additive particles add their light to the scene and to the glow target
// (output 1); alpha particles blend over the scene and write zero alpha to
// the glow target, which their blend turns into no change. Neither touches
// depth or the targets' alpha.
constexpr const char* PARTICLE_SHADER = R"(vortane-effect 1
float4x4 ViewProjection;
texture ParticleTexture;
sampler ParticleSampler {
	Texture = ParticleTexture;
	MinFilter = Linear;
	MagFilter = Linear;
	AddressU = Clamp;
	AddressV = Clamp;
}

vertex ParticleVS <<<
out vec4 vColor;
out vec2 vUv;
void main() {
	gl_Position = vec4(inPosition.xyz, 1.0) * ViewProjection;
	vColor = inColor;
	vUv = inTexCoord0;
}
>>>

fragment AdditiveFS <<<
in vec4 vColor;
in vec2 vUv;
layout(location = 0) out vec4 color;
layout(location = 1) out vec4 glow;
void main() {
	vec4 c = texture(ParticleSampler, vUv) * vColor;
	color = c;
	glow = c;
}
>>>

fragment AlphaFS <<<
in vec4 vColor;
in vec2 vUv;
layout(location = 0) out vec4 color;
layout(location = 1) out vec4 glow;
void main() {
	color = texture(ParticleSampler, vUv) * vColor;
	glow = vec4(0.0);
}
>>>

technique Additive {
	pass P0 {
		VertexShader = ParticleVS;
		FragmentShader = AdditiveFS;
		CullMode = None;
		ZEnable = True;
		ZWriteEnable = False;
		ZFunc = LessEqual;
		AlphaBlendEnable = True;
		BlendOp = Add;
		SrcBlend = SrcAlpha;
		DestBlend = One;
		SeparateAlphaBlendEnable = True;
		SrcBlendAlpha = Zero;
		DestBlendAlpha = One;
	}
}

technique Alpha {
	pass P0 {
		VertexShader = ParticleVS;
		FragmentShader = AlphaFS;
		CullMode = None;
		ZEnable = True;
		ZWriteEnable = False;
		ZFunc = LessEqual;
		AlphaBlendEnable = True;
		BlendOp = Add;
		SrcBlend = SrcAlpha;
		DestBlend = InvSrcAlpha;
		SeparateAlphaBlendEnable = True;
		SrcBlendAlpha = Zero;
		DestBlendAlpha = One;
	}
}
)";

// Room for the largest renderer's squares several times over.
constexpr UINT VERTEX_CAPACITY = 2000u * 6u * 4u;

std::map<IDirect3DDevice9*, std::weak_ptr<GpuResources>>& Registry() {
	static std::map<IDirect3DDevice9*, std::weak_ptr<GpuResources>> registry;
	return registry;
}

bool Fail(std::string* why, const std::string& reason) {
	if (why != nullptr) {
		*why = reason;
	}
	return false;
}

bool CopyMeshTriangles(ID3DXMesh* mesh, GpuModel& model) {
	const DWORD faces = mesh->GetNumFaces();
	const DWORD vertices = mesh->GetNumVertices();
	if (faces == 0 || faces > GpuResources::MAX_MODEL_TRIANGLES || mesh->GetNumBytesPerVertex() != 20) {
		return false;
	}
	const bool wide = (mesh->GetOptions() & D3DXMESH_32BIT) != 0;
	void* vertexData = nullptr;
	void* indexData = nullptr;
	if (FAILED(mesh->LockVertexBuffer(D3DLOCK_READONLY, &vertexData))) {
		return false;
	}
	if (FAILED(mesh->LockIndexBuffer(D3DLOCK_READONLY, &indexData))) {
		mesh->UnlockVertexBuffer();
		return false;
	}
	bool ok = true;
	const auto* bytes = static_cast<const uint8_t*>(vertexData);
	for (DWORD i = 0; i < faces * 3 && ok; ++i) {
		const DWORD index = wide ? static_cast<const uint32_t*>(indexData)[i] : static_cast<const uint16_t*>(indexData)[i];
		if (index >= vertices) {
			ok = false;
			break;
		}
		float values[5];
		std::memcpy(values, bytes + size_t(index) * 20, sizeof values);
		model.corners.push_back({D3DXVECTOR3(values[0], values[1], values[2]), values[3], values[4]});
	}
	mesh->UnlockIndexBuffer();
	mesh->UnlockVertexBuffer();
	return ok;
}

}  // namespace

GpuTexture::~GpuTexture() {
	if (texture != nullptr) {
		texture->Release();
	}
}

std::shared_ptr<GpuResources> GpuResources::ForDevice(IDirect3DDevice9* device, std::string* why) {
	if (device == nullptr) {
		Fail(why, "no device");
		return nullptr;
	}
	auto& registry = Registry();
	if (std::shared_ptr<GpuResources> existing = registry[device].lock()) {
		return existing;
	}
	std::shared_ptr<GpuResources> made(new GpuResources(device));
	if (!made->Init(why)) {
		return nullptr;
	}
	registry[device] = made;
	return made;
}

GpuResources::GpuResources(IDirect3DDevice9* device_) : device(device_) { device->AddRef(); }

GpuResources::~GpuResources() {
	SafeRelease(shader);
	SafeRelease(vertexBuffer);
	SafeRelease(white);
	auto& registry = Registry();
	const auto found = registry.find(device);
	if (found != registry.end() && found->second.expired()) {
		registry.erase(found);
	}
	device->Release();
}

bool GpuResources::Init(std::string* why) {
	ID3DXBuffer* errors = nullptr;
	if (FAILED(D3DXCreateEffect(device, PARTICLE_SHADER, UINT(std::strlen(PARTICLE_SHADER)), nullptr, nullptr, 0,
	                            nullptr, &shader, &errors))) {
		std::string reason = "particle shader: ";
		if (errors != nullptr) {
			reason += static_cast<const char*>(errors->GetBufferPointer());
			errors->Release();
		}
		return Fail(why, reason);
	}
	SafeRelease(errors);
	vertexCapacity = VERTEX_CAPACITY;
	if (FAILED(device->CreateVertexBuffer(vertexCapacity * sizeof(BatchVertex), D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY,
	                                      BATCH_VERTEX_FVF, D3DPOOL_DEFAULT, &vertexBuffer, nullptr))) {
		return Fail(why, "particle vertex buffer");
	}
	if (FAILED(device->CreateTexture(1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &white, nullptr))) {
		return Fail(why, "white texture");
	}
	D3DLOCKED_RECT locked{};
	if (SUCCEEDED(white->LockRect(0, &locked, nullptr, 0))) {
		*static_cast<DWORD*>(locked.pBits) = 0xFFFFFFFFu;
		white->UnlockRect(0);
	}
	return true;
}

TexturePtr GpuResources::LoadTexture(const std::string& path) {
	if (TexturePtr cached = textures[path].lock()) {
		return cached;
	}
	IDirect3DTexture9* texture = nullptr;
	if (FAILED(D3DXCreateTextureFromFileExA(device, path.c_str(), D3DX_DEFAULT_NONPOW2, D3DX_DEFAULT_NONPOW2, 1, 0,
	                                        D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr,
	                                        nullptr, &texture))) {
		textures.erase(path);
		return nullptr;
	}
	TexturePtr loaded = std::make_shared<GpuTexture>(texture);
	textures[path] = loaded;
	return loaded;
}

ModelPtr GpuResources::LoadModel(const std::string& path) {
	if (ModelPtr cached = models[path].lock()) {
		return cached;
	}
	models.erase(path);
	ID3DXMesh* mesh = nullptr;
	if (FAILED(D3DXLoadMeshFromXA(path.c_str(), D3DXMESH_SYSTEMMEM, device, nullptr, nullptr, nullptr, nullptr,
	                              &mesh))) {
		return nullptr;
	}
	ID3DXMesh* simple = nullptr;
	const HRESULT cloned = mesh->CloneMeshFVF(D3DXMESH_SYSTEMMEM | D3DXMESH_32BIT, D3DFVF_XYZ | D3DFVF_TEX1, device,
	                                          &simple);
	mesh->Release();
	if (FAILED(cloned)) {
		return nullptr;
	}
	auto model = std::make_shared<GpuModel>();
	const bool ok = CopyMeshTriangles(simple, *model);
	simple->Release();
	if (!ok) {
		return nullptr;
	}
	models[path] = model;
	return model;
}

}  // namespace particles
