#pragma once
// The stage map: its model, converted to one fixed 32-byte vertex layout
// (position, normal, one texture coordinate) that the collision code reads.

#include "render/Model.h"

constexpr DWORD MAP_VERTEX_FVF = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;
constexpr DWORD MAP_VERTEX_STRIDE = 32;

class MapModel {
public:
	MapModel();
	MapModel(const MapModel&) = delete;
	MapModel& operator=(const MapModel&) = delete;

	// Loads the map and replaces its mesh with the converted clone; false
	// (and the model empty) when either step fails.
	bool Load(const std::string& path);
	void Release();
	// Toon-shaded with the world matrix, without outline.
	void Draw() const;
	// Its depth alone, before Draw: the map hides much of itself, and the
	// toon shading then runs once a pixel instead of once a layer.
	void DrawDepth() const;

	// Sets the world scale and fills the scene manager's face-normal table;
	// defined with the map collision code.
	void BuildFaceNormals();

	Model model;
	ID3DXMesh* convertedMesh = nullptr;  // the same interface as model.mesh
	D3DXMATRIX world;
};
