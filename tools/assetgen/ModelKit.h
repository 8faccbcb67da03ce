#pragma once
// Shared pieces of the model generators: the two palettes (the player's
// white and steel blue with blue light, the enemies' gunmetal and dark red
// with red light) and writing a built mesh into the data folder.

#include "tools/assetgen/AssetOutput.h"
#include "tools/assetgen/MeshBuilder.h"

#include <string>

// Material slots of one palette, added to a builder in this order.
struct Palette {
	int armour;     // main plates
	int trim;       // secondary plates
	int frame;      // joints, guns, inner frame
	int glow;       // emissive accents the glow pass picks up
	int hazard;     // warning stripes
};

Palette AddPlayerPalette(MeshBuilder& builder);
Palette AddEnemyPalette(MeshBuilder& builder);

// A material that only glows, for shots and lights.
XMaterial GlowMaterial(float r, float g, float b);

// Writes the mesh as .x text at path (relative to the data folder).
bool WriteMesh(AssetOutput& output, const std::string& path, const MeshBuilder& builder);

// The texture files the palettes name, written into folder (e.g. "robot").
bool WritePlayerTextures(AssetOutput& output, const std::string& folder);
bool WriteEnemyTextures(AssetOutput& output, const std::string& folder);

bool GenerateRobotModels(AssetOutput& output);
bool GenerateEnemyModels(AssetOutput& output);
bool GenerateStageMap(AssetOutput& output);
