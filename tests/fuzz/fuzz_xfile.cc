// libFuzzer target: the X-file reader and the mesh built from what it accepts.

#include "platform/mesh/XFileMeshLoader.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
	XFileLimits limits;
	// Small enough that a hostile count cannot make one input take long.
	limits.maxVerticesPerMesh = 1u << 16;
	limits.maxFacesPerMesh = 1u << 16;
	LoadedXFile loaded;
	std::string why;
	if (SUCCEEDED(XFileMeshLoader(limits).Load(std::span<const uint8_t>(data, size), D3DXMESH_32BIT, nullptr, loaded, why))) {
		// Touch what a caller would: every index and every material's name.
		void* indices = nullptr;
		loaded.mesh->LockIndexBuffer(D3DLOCK_READONLY, &indices);
		uint32_t sum = 0;
		for (DWORD i = 0; i < loaded.mesh->GetNumFaces() * 3; ++i) {
			sum += static_cast<const uint32_t*>(indices)[i];
		}
		loaded.mesh->UnlockIndexBuffer();
		const auto* materials = static_cast<const D3DXMATERIAL*>(loaded.materials->GetBufferPointer());
		for (DWORD i = 0; i < loaded.materialCount; ++i) {
			if (materials[i].pTextureFilename != nullptr) {
				sum += uint32_t(std::string(materials[i].pTextureFilename).size());
			}
		}
		volatile uint32_t keep = sum;
		(void)keep;
	}
	loaded.Release();
	return 0;
}
