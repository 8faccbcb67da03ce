#include "platform/mesh/D3DXMeshObject.h"

#include "platform/mesh/BruteForceIntersector.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t MAX_16BIT_VERTICES = 0xFFFF;

uint32_t ReadIndex(const std::vector<uint8_t>& data, size_t indexBytes, size_t slot) {
	if (indexBytes == 2) {
		uint16_t value;
		std::memcpy(&value, data.data() + slot * 2, 2);
		return value;
	}
	uint32_t value;
	std::memcpy(&value, data.data() + slot * 4, 4);
	return value;
}

}  // namespace

D3DXMeshObject::D3DXMeshObject(DWORD options_, DWORD fvf, IDirect3DDevice9* device_)
	: options(options_), format(fvf), device(device_) {
	if (device != nullptr) {
		device->AddRef();
	}
}

D3DXMeshObject::~D3DXMeshObject() {
	SafeRelease(vertexBuffer);
	SafeRelease(indexBuffer);
	SafeRelease(device);
}

HRESULT D3DXMeshObject::Create(DWORD options, DWORD fvf, std::vector<uint8_t> vertices, std::span<const uint32_t> indices,
                               std::vector<DWORD> attributes, IDirect3DDevice9* device, D3DXMeshObject** mesh) {
	if (mesh == nullptr) {
		return D3DERR_INVALIDCALL;
	}
	*mesh = nullptr;
	const VertexFormat format(fvf);
	if (!format.IsSupported() || vertices.size() % format.Stride() != 0 || indices.size() != 3 * attributes.size() ||
	    attributes.empty() || !std::is_sorted(attributes.begin(), attributes.end())) {
		return D3DERR_INVALIDCALL;
	}
	const size_t vertexCount = vertices.size() / format.Stride();
	const bool wide = (options & D3DXMESH_32BIT) != 0;
	if (vertexCount == 0 || (!wide && vertexCount > MAX_16BIT_VERTICES) || vertexCount > UINT32_MAX) {
		return D3DERR_INVALIDCALL;
	}
	if (std::any_of(indices.begin(), indices.end(), [&](uint32_t index) { return index >= vertexCount; })) {
		return D3DERR_INVALIDCALL;
	}

	D3DXMeshObject* object = new D3DXMeshObject(options, fvf, device);
	object->vertexCount = vertexCount;
	object->vertexData = std::move(vertices);
	object->attributes = std::move(attributes);
	object->indexBytes = wide ? 4 : 2;
	object->indexData.resize(indices.size() * object->indexBytes);
	for (size_t slot = 0; slot < indices.size(); ++slot) {
		if (wide) {
			std::memcpy(object->indexData.data() + slot * 4, &indices[slot], 4);
		} else {
			const uint16_t narrow = uint16_t(indices[slot]);
			std::memcpy(object->indexData.data() + slot * 2, &narrow, 2);
		}
	}
	object->BuildSubsets();
	const HRESULT created = device != nullptr ? object->CreateGpuBuffers() : S_OK;
	if (FAILED(created)) {
		object->Release();
		return created;
	}
	// A failed build leaves the brute-force search in charge, which is slower but right.
	object->intersector.Build(object->Positions(), object->TriangleIndices());
	*mesh = object;
	return S_OK;
}

void D3DXMeshObject::BuildSubsets() {
	subsets.clear();
	for (size_t face = 0; face < attributes.size(); ++face) {
		if (subsets.empty() || subsets.back().attributeId != attributes[face]) {
			subsets.push_back(Subset{attributes[face], UINT(face), 0, UINT32_MAX, 0});
		}
		Subset& subset = subsets.back();
		++subset.faceCount;
		for (size_t corner = 0; corner < 3; ++corner) {
			const uint32_t index = ReadIndex(indexData, indexBytes, face * 3 + corner);
			subset.minVertex = std::min(subset.minVertex, index);
			subset.maxVertex = std::max(subset.maxVertex, index);
		}
	}
}

HRESULT D3DXMeshObject::CreateGpuBuffers() {
	const D3DPOOL pool = D3DPOOL_MANAGED;
	HRESULT result = device->CreateVertexBuffer(UINT(vertexData.size()), D3DUSAGE_WRITEONLY, format.Fvf(), pool,
	                                            &vertexBuffer, nullptr);
	if (SUCCEEDED(result)) {
		const D3DFORMAT indexFormat = indexBytes == 4 ? D3DFMT_INDEX32 : D3DFMT_INDEX16;
		result = device->CreateIndexBuffer(UINT(indexData.size()), D3DUSAGE_WRITEONLY, indexFormat, pool, &indexBuffer,
		                                   nullptr);
	}
	if (FAILED(result) || vertexBuffer == nullptr || indexBuffer == nullptr) {
		SafeRelease(vertexBuffer);
		SafeRelease(indexBuffer);
		return FAILED(result) ? result : E_FAIL;
	}
	gpuStale = true;
	return UploadIfStale();
}

HRESULT D3DXMeshObject::UploadIfStale() {
	if (!gpuStale || vertexBuffer == nullptr) {
		return S_OK;
	}
	void* target = nullptr;
	if (FAILED(vertexBuffer->Lock(0, 0, &target, 0)) || target == nullptr) {
		return E_FAIL;
	}
	std::memcpy(target, vertexData.data(), vertexData.size());
	vertexBuffer->Unlock();
	target = nullptr;
	if (FAILED(indexBuffer->Lock(0, 0, &target, 0)) || target == nullptr) {
		return E_FAIL;
	}
	std::memcpy(target, indexData.data(), indexData.size());
	indexBuffer->Unlock();
	gpuStale = false;
	return S_OK;
}

HRESULT D3DXMeshObject::DrawSubset(DWORD attributeId) {
	if (device == nullptr || vertexBuffer == nullptr) {
		return D3DERR_INVALIDCALL;
	}
	const auto subset = std::find_if(subsets.begin(), subsets.end(),
	                                 [&](const Subset& s) { return s.attributeId == attributeId; });
	if (subset == subsets.end()) {
		return S_OK;  // an attribute without faces draws nothing
	}
	if (FAILED(UploadIfStale())) {
		return E_FAIL;
	}
	device->SetFVF(format.Fvf());
	device->SetStreamSource(0, vertexBuffer, 0, format.Stride());
	device->SetIndices(indexBuffer);
	return device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, subset->minVertex,
	                                    subset->maxVertex - subset->minVertex + 1,
	                                    subset->firstFace * 3, subset->faceCount);
}

HRESULT D3DXMeshObject::CloneMeshFVF(DWORD cloneOptions, DWORD fvf, IDirect3DDevice9* cloneDevice, ID3DXMesh** cloned) {
	if (cloned == nullptr) {
		return D3DERR_INVALIDCALL;
	}
	*cloned = nullptr;
	const VertexFormat target(fvf);
	if (!target.IsSupported()) {
		return D3DERR_INVALIDCALL;
	}
	std::vector<uint8_t> converted(vertexCount * target.Stride(), 0);
	const UINT sharedSets = std::min(format.TexcoordSets(), target.TexcoordSets());
	const DWORD white = 0xFFFFFFFFu;
	for (size_t vertex = 0; vertex < vertexCount; ++vertex) {
		const uint8_t* from = vertexData.data() + vertex * format.Stride();
		uint8_t* to = converted.data() + vertex * target.Stride();
		std::memcpy(to, from, 12);
		if (target.HasNormal() && format.HasNormal()) {
			std::memcpy(to + target.NormalOffset(), from + format.NormalOffset(), 12);
		}
		if (target.HasDiffuse()) {
			std::memcpy(to + target.DiffuseOffset(), format.HasDiffuse() ? from + format.DiffuseOffset() : reinterpret_cast<const uint8_t*>(&white), 4);
		}
		if (sharedSets > 0) {
			std::memcpy(to + target.TexcoordOffset(0), from + format.TexcoordOffset(0), sharedSets * 8);
		}
	}
	D3DXMeshObject* mesh = nullptr;
	const HRESULT result =
		Create(cloneOptions, fvf, std::move(converted), TriangleIndices(), attributes, cloneDevice, &mesh);
	*cloned = mesh;
	return result;
}

HRESULT D3DXMeshObject::LockVertexBuffer(DWORD flags, void** data) {
	if (data == nullptr) {
		return D3DERR_INVALIDCALL;
	}
	++vertexLocks;
	vertexWritten = vertexWritten || (flags & D3DLOCK_READONLY) == 0;
	*data = vertexData.data();
	return S_OK;
}

HRESULT D3DXMeshObject::UnlockVertexBuffer() {
	if (vertexLocks == 0) {
		return D3DERR_INVALIDCALL;
	}
	if (--vertexLocks == 0 && vertexWritten) {
		// Uploading and rebuilding wait for the next draw or ray, so that a
		// caller locking once per face pays once.
		vertexWritten = false;
		gpuStale = true;
		intersectorStale = true;
	}
	return S_OK;
}

HRESULT D3DXMeshObject::LockIndexBuffer(DWORD flags, void** data) {
	if (data == nullptr) {
		return D3DERR_INVALIDCALL;
	}
	++indexLocks;
	indexWritten = indexWritten || (flags & D3DLOCK_READONLY) == 0;
	*data = indexData.data();
	return S_OK;
}

HRESULT D3DXMeshObject::UnlockIndexBuffer() {
	if (indexLocks == 0) {
		return D3DERR_INVALIDCALL;
	}
	if (--indexLocks == 0 && indexWritten) {
		indexWritten = false;
		gpuStale = true;
		intersectorStale = true;
		BuildSubsets();
	}
	return S_OK;
}

HRESULT D3DXMeshObject::GetVertexBuffer(IDirect3DVertexBuffer9** buffer) {
	if (buffer == nullptr || vertexBuffer == nullptr) {
		return D3DERR_INVALIDCALL;
	}
	UploadIfStale();
	vertexBuffer->AddRef();
	*buffer = vertexBuffer;
	return S_OK;
}

HRESULT D3DXMeshObject::GetIndexBuffer(IDirect3DIndexBuffer9** buffer) {
	if (buffer == nullptr || indexBuffer == nullptr) {
		return D3DERR_INVALIDCALL;
	}
	UploadIfStale();
	indexBuffer->AddRef();
	*buffer = indexBuffer;
	return S_OK;
}

std::vector<D3DXVECTOR3> D3DXMeshObject::Positions() const {
	std::vector<D3DXVECTOR3> positions(vertexCount);
	for (size_t vertex = 0; vertex < vertexCount; ++vertex) {
		std::memcpy(&positions[vertex], vertexData.data() + vertex * format.Stride(), 12);
	}
	return positions;
}

std::vector<uint32_t> D3DXMeshObject::TriangleIndices() const {
	std::vector<uint32_t> indices(attributes.size() * 3);
	for (size_t slot = 0; slot < indices.size(); ++slot) {
		indices[slot] = ReadIndex(indexData, indexBytes, slot);
	}
	return indices;
}

void D3DXMeshObject::RebuildIntersectorIfStale() {
	if (!intersectorStale) {
		return;
	}
	intersectorStale = false;
	const std::vector<D3DXVECTOR3> positions = Positions();
	const std::vector<uint32_t> indices = TriangleIndices();
	if (!intersector.Holds(positions, indices)) {
		intersector.Build(positions, indices);
	}
}

RayHit D3DXMeshObject::Intersect(const D3DXVECTOR3& origin, const D3DXVECTOR3& direction) {
	RebuildIntersectorIfStale();
	if (intersector.IsBuilt()) {
		return intersector.Intersect(origin, direction);
	}
	return BruteForceIntersector(Positions(), TriangleIndices()).Intersect(origin, direction);
}

std::vector<RayHit> D3DXMeshObject::AllHits(const D3DXVECTOR3& origin, const D3DXVECTOR3& direction) const {
	return BruteForceIntersector(Positions(), TriangleIndices()).AllHits(origin, direction);
}
