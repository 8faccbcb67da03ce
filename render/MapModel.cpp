#include "render/MapModel.h"

#include "app/Application.h"
#include "app/GraphicsDevice.h"

namespace {

// Managed, and as the map has always been cloned: with the N-patch flag.
constexpr DWORD MAP_CLONE_OPTIONS = D3DXMESH_MANAGED | D3DXMESH_NPATCHES;

}  // namespace

MapModel::MapModel() { D3DXMatrixIdentity(&world); }

bool MapModel::Load(const std::string& path) {
	if (!model.Load(path)) {
		return false;
	}
	ID3DXMesh* cloned = nullptr;
	if (FAILED(model.mesh->CloneMeshFVF(MAP_CLONE_OPTIONS, MAP_VERTEX_FVF, GraphicsDevice::Get().device, &cloned))) {
		// Collision reads the converted layout only; a map in any other
		// layout would be misread, so none is kept.
		model.Release();
		return false;
	}
	model.mesh->Release();
	model.mesh = cloned;
	convertedMesh = cloned;
	return true;
}

void MapModel::Release() {
	model.Release();
	convertedMesh = nullptr;
}

void MapModel::Draw() const {
	ModelShader& shader = Application::Get().modelShader;
	shader.SetWorld(world);
	shader.DrawModel(model);
}

void MapModel::DrawDepth() const {
	ModelShader& shader = Application::Get().modelShader;
	shader.SetWorld(world);
	shader.DrawDepth(model);
}
