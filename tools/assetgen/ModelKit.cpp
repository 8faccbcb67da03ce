#include "tools/assetgen/ModelKit.h"

#include "tools/assetgen/SurfaceTextures.h"

namespace {

XMaterial Surface(float r, float g, float b, const char* texture, float specular, float power) {
	XMaterial m;
	m.diffuse = {r, g, b, 1};
	m.specular = {specular, specular, specular};
	m.power = power;
	m.textureFile = texture;
	return m;
}

}  // namespace

XMaterial GlowMaterial(float r, float g, float b) {
	XMaterial m;
	m.diffuse = {r, g, b, 1};
	m.emissive = {r, g, b};
	m.specular = {0, 0, 0};
	m.power = 1;
	return m;
}

Palette AddPlayerPalette(MeshBuilder& builder) {
	Palette p;
	p.armour = builder.AddMaterial(Surface(0.92f, 0.93f, 0.95f, "robot_panel.png", 0.6f, 30));
	p.trim = builder.AddMaterial(Surface(0.2f, 0.4f, 0.78f, "robot_panel.png", 0.5f, 30));
	p.frame = builder.AddMaterial(Surface(0.3f, 0.32f, 0.36f, "robot_metal.png", 0.7f, 40));
	p.glow = builder.AddMaterial(GlowMaterial(0.3f, 0.75f, 1.0f));
	p.hazard = builder.AddMaterial(Surface(1, 1, 1, "robot_hazard.png", 0.3f, 10));
	return p;
}

Palette AddEnemyPalette(MeshBuilder& builder) {
	Palette p;
	p.armour = builder.AddMaterial(Surface(0.36f, 0.37f, 0.4f, "enemy_panel.png", 0.5f, 25));
	p.trim = builder.AddMaterial(Surface(0.55f, 0.09f, 0.08f, "enemy_panel.png", 0.5f, 25));
	p.frame = builder.AddMaterial(Surface(0.16f, 0.16f, 0.18f, "enemy_metal.png", 0.7f, 40));
	p.glow = builder.AddMaterial(GlowMaterial(1.0f, 0.16f, 0.1f));
	p.hazard = builder.AddMaterial(Surface(1, 1, 1, "enemy_hazard.png", 0.3f, 10));
	return p;
}

bool WriteMesh(AssetOutput& output, const std::string& path, const MeshBuilder& builder) {
	const XMesh mesh = builder.Build();
	if (mesh.vertices.size() > 65535) {
		return false;  // the game reads meshes with 16-bit indices
	}
	return output.WriteText(path, WriteXFile(mesh));
}

bool WritePlayerTextures(AssetOutput& output, const std::string& folder) {
	bool ok = output.WriteFile(folder + "/robot_panel.png", PanelTexturePng(256, {1, 1, 1}, {0.45f, 0.47f, 0.52f}, 11));
	ok = output.WriteFile(folder + "/robot_metal.png", MetalPlateTexturePng(128, {0.85f, 0.87f, 0.9f}, 12)) && ok;
	ok = output.WriteFile(folder + "/robot_hazard.png", HazardTexturePng(64, {0.95f, 0.75f, 0.1f}, {0.1f, 0.1f, 0.12f})) && ok;
	return ok;
}

bool WriteEnemyTextures(AssetOutput& output, const std::string& folder) {
	bool ok = output.WriteFile(folder + "/enemy_panel.png", PanelTexturePng(256, {1, 1, 1}, {0.3f, 0.3f, 0.32f}, 21));
	ok = output.WriteFile(folder + "/enemy_metal.png", MetalPlateTexturePng(128, {0.8f, 0.8f, 0.82f}, 22)) && ok;
	ok = output.WriteFile(folder + "/enemy_hazard.png", HazardTexturePng(64, {0.9f, 0.15f, 0.1f}, {0.1f, 0.1f, 0.1f})) && ok;
	return ok;
}
