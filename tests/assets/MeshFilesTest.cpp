// The generated meshes: every file the game loads exists, reads back through
// an independent X reader with the counts our writer declared, winds its
// faces outward, fits 16-bit indices and finds the textures it names.
#include "tests/assets/MeshTestSupport.h"

#include <gtest/gtest.h>
#include <stb_image.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <cctype>

namespace {

const char* const kMeshFiles[] = {
    "data/robot/body.x",          "data/robot/under_body.x",        "data/robot/BackPack.x",
    "data/robot/vernier.x",       "data/robot/L_sholder.x",         "data/robot/R_sholder.x",
    "data/robot/L_upper_arm.x",   "data/robot/L_lower_arm.x",       "data/robot/R_lower_arm.x",
    "data/robot/Plasma.x",        "data/robot/L_upper_leg.x",       "data/robot/L_lower_leg.x",
    "data/Enemy/two_leg/Body.x",  "data/Enemy/two_leg/Left_Musle.x", "data/Enemy/two_leg/Left_Leg.x",
    "data/Enemy/two_leg/Right_Musle.x", "data/Enemy/two_leg/Right_Leg.x", "data/Enemy/Turret/Turret.x",
    "data/Enemy/Turret/RaserGun.x", "data/Enemy/Tank/Boss_Op.x",    "data/Enemy/Tank/Arm_G.x",
    "data/Enemy/Tank/Arm_P.x",    "data/Enemy/Tank/Missile.x",      "data/Ammo/Ammo.x",
    "data/Ammo/RedAmmo.x",        "data/map/Map_01.x",              "data/Object/Lift.x",
};

class EveryMeshFile : public testing::TestWithParam<const char*> {};

TEST_P(EveryMeshFile, ExistsAndStartsWithTheTextHeader) {
	const std::string text = ReadTextFile(GetParam());
	ASSERT_FALSE(text.empty()) << GetParam() << " is missing or empty";
	EXPECT_EQ(text.rfind("xof 0303txt 0032", 0), 0u);
}

TEST_P(EveryMeshFile, IndependentReaderAgreesWithDeclaredCounts) {
	const auto declared = CountsFromXText(ReadTextFile(GetParam()));
	ASSERT_TRUE(declared.has_value()) << GetParam();
	const LoadedMesh mesh = LoadMesh(GetParam());
	ASSERT_TRUE(mesh.loaded) << GetParam();
	EXPECT_GT(declared->faces, 0u);
	EXPECT_EQ(mesh.counts.vertices, declared->vertices);
	EXPECT_EQ(mesh.counts.faces, declared->faces);
	EXPECT_EQ(mesh.counts.materials, declared->materials);
	EXPECT_LE(declared->vertices, 65535u) << "the game draws meshes with 16-bit indices";
}

TEST_P(EveryMeshFile, FacesWindClockwiseFromOutside) {
	const LoadedMesh mesh = LoadMesh(GetParam());
	ASSERT_TRUE(mesh.loaded);
	// Each face's winding agrees with the normal written for it...
	size_t disagreeing = 0;
	for (const Triangle& t : mesh.triangles) {
		disagreeing += Dot(Cross(t.b - t.a, t.c - t.a), t.normal) <= 0;
	}
	EXPECT_EQ(disagreeing, 0u);
	// ...and the solids enclose positive volume, so the normals face out.
	if (std::string(GetParam()).find("map/") == std::string::npos) {
		EXPECT_GT(SignedVolume(mesh.triangles), 0.0f);
	}
}

TEST_P(EveryMeshFile, NamedTexturesLieBesideTheMesh) {
	const LoadedMesh mesh = LoadMesh(GetParam());
	ASSERT_TRUE(mesh.loaded);
	const std::filesystem::path folder = std::filesystem::path(GetParam()).parent_path();
	for (const std::string& texture : mesh.textureFiles) {
		if (!texture.empty()) {
			const std::filesystem::path path = folder / texture;
			EXPECT_TRUE(std::filesystem::is_regular_file(path)) << path;
			// The game loads model textures without non-power-of-two support.
			int width = 0, height = 0, channels = 0;
			ASSERT_TRUE(stbi_info(path.c_str(), &width, &height, &channels)) << path;
			EXPECT_EQ(width & (width - 1), 0) << path;
			EXPECT_EQ(height & (height - 1), 0) << path;
		}
	}
}

INSTANTIATE_TEST_SUITE_P(GeneratedMeshes, EveryMeshFile, testing::ValuesIn(kMeshFiles),
                         [](const testing::TestParamInfo<const char*>& info) {
	                         std::string name = info.param;
	                         for (char& c : name) {
		                         c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
	                         }
	                         return name;
                         });

TEST(GeneratedMeshes, MaterialsAreListedInFaceOrder) {
	// Faces come grouped by material: the material list never returns to a
	// material once it has moved past it.
	const std::string text = ReadTextFile("data/robot/body.x");
	size_t at = text.find("MeshMaterialList {");
	ASSERT_NE(at, std::string::npos);
	const auto counts = CountsFromXText(text);
	ASSERT_TRUE(counts.has_value());
	std::istringstream list(text.substr(at + 18));
	std::string token;
	size_t materials = 0, faces = 0;
	char separator;
	list >> materials >> separator >> faces >> separator;
	ASSERT_EQ(faces, counts->faces);
	long previous = -1;
	for (size_t i = 0; i < faces; ++i) {
		long material = -1;
		list >> material >> separator;
		ASSERT_GE(material, previous);
		ASSERT_LT(material, static_cast<long>(materials));
		previous = material;
	}
	EXPECT_EQ(previous, static_cast<long>(materials) - 1);
}

TEST(GeneratedMeshes, EveryModelHasGlowingAccents) {
	// The glow pass picks up emissive materials; each character part set
	// carries at least one.
	for (const char* file : {"data/robot/body.x", "data/Enemy/two_leg/Body.x", "data/Enemy/Turret/RaserGun.x",
	                         "data/Enemy/Tank/Boss_Op.x", "data/Ammo/Ammo.x", "data/Ammo/RedAmmo.x", "data/map/Map_01.x"}) {
		const std::string text = ReadTextFile(file);
		bool glowing = false;
		for (size_t at = text.find("Material {"); at != std::string::npos && !glowing; at = text.find("Material {", at + 1)) {
			std::istringstream material(text.substr(at + 10, 400));
			float value[12] = {};
			char separator;
			for (float& v : value) {
				material >> v >> separator;
				if (separator == ';' && material.peek() == ';') {
					material.get();
				}
			}
			glowing = value[8] + value[9] + value[10] > 0.5f;  // emissive r + g + b
		}
		EXPECT_TRUE(glowing) << file;
	}
}

}  // namespace
