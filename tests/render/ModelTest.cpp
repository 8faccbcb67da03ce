// Models and the model table: loading, texture lookup beside the X file,
// release; the stage map's converted layout; the lift's movement.

#include "render/MapModel.h"
#include "render/Model.h"
#include "render/ModelTable.h"
#include "render/StageObject.h"
#include "tests/render/RenderTestSupport.h"

#include "platform/image/Image.h"

namespace {

// A 2 x 2 opaque PNG in one colour.
void WritePng(const std::string& path, uint8_t r, uint8_t g, uint8_t b) {
	const uint8_t pixels[16] = {r, g, b, 255, r, g, b, 255, r, g, b, 255, r, g, b, 255};
	std::string why;
	std::filesystem::create_directories(std::filesystem::path(path).parent_path());
	ASSERT_TRUE(WritePngFile(path, 2, 2, pixels, why)) << why;
}

using ModelTest = RenderTest;

TEST(ModelPaths, FolderKeepsItsTrailingSeparator) {
	EXPECT_EQ(FolderOf("data/robot/body.x"), "data/robot/");
	EXPECT_EQ(FolderOf("data\\Enemy\\Tank\\Arm_G.x"), "data\\Enemy\\Tank\\");
	EXPECT_EQ(FolderOf("body.x"), "");
}

TEST_F(ModelTest, MaterialsAreCopiedWithAmbientFromDiffuse) {
	XMaterial shiny{0.2f, 0.4f, 0.6f, 0.8f, 33, {0.5f, 0.5f, 0.5f}, {0.1f, 0.2f, 0.3f}, ""};
	const std::string path = WriteFile("quad.x", QuadXFile({shiny, PlainMaterial(1, 0, 0)}));
	Model model;
	ASSERT_TRUE(model.Load(path));
	EXPECT_EQ(model.fileName, "quad.x");
	ASSERT_EQ(model.materialCount, 2u);
	ASSERT_EQ(model.textures.size(), 2u);
	ASSERT_EQ(model.materials.size(), 2u);
	const D3DMATERIAL9& first = model.materials[0];
	EXPECT_FLOAT_EQ(first.Diffuse.g, 0.4f);
	EXPECT_FLOAT_EQ(first.Diffuse.a, 0.8f);
	EXPECT_FLOAT_EQ(first.Ambient.r, 0.2f);
	EXPECT_FLOAT_EQ(first.Ambient.b, 0.6f);
	EXPECT_FLOAT_EQ(first.Ambient.a, 0.8f);
	EXPECT_FLOAT_EQ(first.Power, 33.0f);
	EXPECT_FLOAT_EQ(first.Emissive.b, 0.3f);
	EXPECT_FLOAT_EQ(model.materials[1].Ambient.r, 1.0f);
	EXPECT_NE(model.adjacency, nullptr);
}

TEST_F(ModelTest, TexturesAreLookedUpBesideTheXFileAndMissingOnesStayEmpty) {
	WritePng((Folder() / "parts" / "panel.png").string(), 255, 0, 0);
	WritePng((Folder() / "parts" / "deep" / "trim.png").string(), 0, 255, 0);
	// The same name in the working folder must not be the one found.
	WritePng((Folder() / "panel.png").string(), 0, 0, 255);
	XMaterial textured = PlainMaterial(1, 1, 1);
	textured.texture = "panel.png";
	XMaterial nested = PlainMaterial(1, 1, 1);
	nested.texture = "deep/trim.png";
	XMaterial missing = PlainMaterial(1, 1, 1);
	missing.texture = "nowhere.png";
	const XMaterial bare = PlainMaterial(1, 1, 1);
	const std::string path = WriteFile("parts/quad.x", QuadXFile({textured, nested, missing, bare}));

	Model model;
	ASSERT_TRUE(model.Load(path));
	ASSERT_EQ(model.materialCount, 4u);
	const std::string folder = (Folder() / "parts").string() + "/";
	EXPECT_EQ(model.textures[0].fileName, folder + "panel.png");
	ASSERT_NE(model.TextureOf(0), nullptr);
	EXPECT_EQ(model.textures[0].imageInfo.Width, 2u);
	ASSERT_NE(model.TextureOf(1), nullptr);
	EXPECT_EQ(model.textures[1].fileName, folder + "deep/trim.png");
	EXPECT_EQ(model.TextureOf(2), nullptr);
	EXPECT_TRUE(model.textures[2].IsEmpty());
	EXPECT_EQ(model.TextureOf(3), nullptr);
	EXPECT_TRUE(model.textures[3].IsEmpty());
	EXPECT_EQ(model.TextureOf(4), nullptr);
}

// Drawing depth first would hide what a translucent model lets through, so
// the battle asks whether each is opaque: its materials, and its textures
// texel by texel.
TEST_F(ModelTest, AModelIsOpaqueOnlyWhenItsMaterialsAndTexturesAre) {
	WritePng((Folder() / "solid.png").string(), 200, 100, 50);
	const uint8_t holed[16] = {9, 9, 9, 255, 9, 9, 9, 255, 9, 9, 9, 254, 9, 9, 9, 255};
	std::string why;
	ASSERT_TRUE(WritePngFile((Folder() / "holed.png").string(), 2, 2, holed, why)) << why;

	XMaterial textured = PlainMaterial(1, 1, 1);
	textured.texture = "solid.png";
	Model model;
	ASSERT_TRUE(model.Load(WriteFile("solid.x", QuadXFile({PlainMaterial(1, 0, 0), textured}))));
	EXPECT_TRUE(model.IsOpaque());

	XMaterial faded = PlainMaterial(1, 0, 0);
	faded.a = 0.5f;
	ASSERT_TRUE(model.Load(WriteFile("faded.x", QuadXFile({PlainMaterial(1, 1, 1), faded}))));
	EXPECT_FALSE(model.IsOpaque());

	XMaterial seeThrough = PlainMaterial(1, 1, 1);
	seeThrough.texture = "holed.png";
	ASSERT_TRUE(model.Load(WriteFile("holed.x", QuadXFile({seeThrough}))));
	EXPECT_FALSE(model.IsOpaque());

	model.Release();
	EXPECT_TRUE(model.IsOpaque()) << "an empty model hides nothing, but holds nothing back either";
}

TEST_F(ModelTest, ReleaseEmptiesTheModelAndIsHarmlessTwice) {
	XMaterial textured = PlainMaterial(1, 1, 1);
	textured.texture = "t.png";
	WritePng((Folder() / "t.png").string(), 9, 9, 9);
	Model model;
	ASSERT_TRUE(model.Load(WriteFile("m.x", QuadXFile({textured}))));
	IDirect3DTexture9* texture = model.TextureOf(0);
	ASSERT_NE(texture, nullptr);
	texture->AddRef();
	model.Release();
	EXPECT_EQ(model.mesh, nullptr);
	EXPECT_EQ(model.adjacency, nullptr);
	EXPECT_EQ(model.materialCount, 0u);
	EXPECT_TRUE(model.textures.empty());
	EXPECT_TRUE(model.materials.empty());
	EXPECT_TRUE(model.fileName.empty());
	// Only our own reference is left on the texture.
	EXPECT_EQ(ReferenceCount(texture), 1u);
	texture->Release();
	model.Release();
	EXPECT_TRUE(model.IsEmpty());

	Model never;
	never.Release();
	EXPECT_TRUE(never.IsEmpty());
}

TEST_F(ModelTest, LoadingAgainReplacesWhatWasLoaded) {
	Model model;
	ASSERT_TRUE(model.Load(WriteFile("two.x", QuadXFile({PlainMaterial(1, 0, 0), PlainMaterial(0, 1, 0)}))));
	ID3DXMesh* first = model.mesh;
	first->AddRef();
	ASSERT_TRUE(model.Load(WriteFile("one.x", QuadXFile({PlainMaterial(0, 0, 1)}))));
	EXPECT_EQ(model.materialCount, 1u);
	EXPECT_EQ(model.textures.size(), 1u);
	EXPECT_EQ(model.fileName, "one.x");
	// The first mesh is no longer held by the model.
	EXPECT_EQ(ReferenceCount(first), 1u);
	first->Release();
}

TEST_F(ModelTest, AFileThatDoesNotLoadLeavesTheModelEmpty) {
	Model model;
	EXPECT_FALSE(model.Load((Folder() / "none.x").string()));
	EXPECT_TRUE(model.IsEmpty());
	EXPECT_EQ(model.materialCount, 0u);
	EXPECT_EQ(model.fileName, "none.x");
	Model broken;
	EXPECT_FALSE(broken.Load(WriteFile("broken.x", "xof 0303txt 0032\nMesh { 99999999;\n")));
	EXPECT_TRUE(broken.IsEmpty());
	EXPECT_TRUE(broken.textures.empty());
}

TEST_F(ModelTest, TheTableLoadsEverySlotButTheUnusedOne) {
	ModelTable table;
	table.LoadAll();
	for (int slot = 0; slot < MODEL_SLOT_COUNT; ++slot) {
		SCOPED_TRACE(slot);
		if (slot == MODEL_UNUSED) {
			EXPECT_EQ(ModelTable::FileOf(slot), nullptr);
			EXPECT_TRUE(table[slot].IsEmpty());
			continue;
		}
		ASSERT_NE(ModelTable::FileOf(slot), nullptr);
		EXPECT_FALSE(table[slot].IsEmpty()) << ModelTable::FileOf(slot);
		EXPECT_GT(table[slot].materialCount, 0u);
		EXPECT_EQ(table[slot].fileName, std::string(ModelTable::FileOf(slot)).substr(FolderOf(ModelTable::FileOf(slot)).size()));
	}
	EXPECT_EQ(table[MODEL_ROBOT_BODY].fileName, "body.x");
	EXPECT_EQ(table[MODEL_WALKER_LEFT_UPPER].fileName, "Left_Musle.x");
	EXPECT_EQ(table[MODEL_RED_AMMO].fileName, "RedAmmo.x");
	// The robot's textures come from its own folder.
	bool anyTexture = false;
	for (const Texture& texture : table[MODEL_ROBOT_BODY].textures) {
		if (!texture.IsEmpty()) {
			anyTexture = true;
			EXPECT_EQ(texture.fileName.rfind("data/robot/", 0), 0u) << texture.fileName;
		}
	}
	EXPECT_TRUE(anyTexture);
	// The battle lays depth down first only over opaque models: every one
	// the game ships is.
	EXPECT_TRUE(table.AllOpaque());

	table.ReleaseAll();
	table.ReleaseAll();
	for (const Model& model : table.models) {
		EXPECT_TRUE(model.IsEmpty());
	}
}

TEST_F(ModelTest, TheMapIsConvertedToThe32ByteLayout) {
	Model original;
	ASSERT_TRUE(original.Load("data/map/Map_01.x"));
	MapModel map;
	EXPECT_FLOAT_EQ(map.world(0, 0), 1.0f);
	EXPECT_FLOAT_EQ(map.world(3, 3), 1.0f);
	ASSERT_TRUE(map.Load("data/map/Map_01.x"));
	ASSERT_NE(map.convertedMesh, nullptr);
	EXPECT_EQ(map.model.mesh, map.convertedMesh);
	EXPECT_EQ(map.convertedMesh->GetFVF(), MAP_VERTEX_FVF);
	EXPECT_EQ(map.convertedMesh->GetNumBytesPerVertex(), 32u);
	EXPECT_EQ(map.convertedMesh->GetNumFaces(), original.mesh->GetNumFaces());
	EXPECT_EQ(map.convertedMesh->GetOptions() & D3DXMESH_32BIT, 0u);
	// The loaded file's materials and adjacency stay.
	EXPECT_EQ(map.model.materialCount, original.materialCount);
	EXPECT_NE(map.model.adjacency, nullptr);
	// The converted mesh is owned once, through the model.
	EXPECT_EQ(ReferenceCount(map.convertedMesh), 1u);
	map.Release();
	EXPECT_TRUE(map.model.IsEmpty());
	EXPECT_EQ(map.convertedMesh, nullptr);
	map.Release();
}

TEST_F(ModelTest, TheStrideIs32BytesWhateverTheFileHad) {
	// The quad has normals and texture coordinates; one without either
	// must come out in the same layout.
	const std::string bareMesh =
	    "xof 0303txt 0032\nMesh m {\n 3;\n 0.0;0.0;0.0;,\n 0.0;1.0;0.0;,\n 1.0;0.0;0.0;;\n 1;\n 3;0,1,2;;\n}\n";
	MapModel map;
	ASSERT_TRUE(map.Load(WriteFile("bare.x", bareMesh)));
	EXPECT_EQ(map.model.mesh->GetNumBytesPerVertex(), 32u);
	EXPECT_EQ(map.model.mesh->GetFVF(), MAP_VERTEX_FVF);
	MapModel missing;
	EXPECT_FALSE(missing.Load((Folder() / "absent.x").string()));
	EXPECT_EQ(missing.convertedMesh, nullptr);
	EXPECT_TRUE(missing.model.IsEmpty());
}

D3DXVECTOR3 Position(const StageObject& object) {
	return D3DXVECTOR3(object.world(3, 0), object.world(3, 1), object.world(3, 2));
}

TEST(StageObjectTest, StartsStillAndUpward) {
	StageObject lift;
	EXPECT_EQ(lift.frameCounter, 689);
	EXPECT_EQ(lift.mode, 1);
	EXPECT_FALSE(lift.active);
	EXPECT_FLOAT_EQ(lift.GetVelocity().y, 0.0f);
	D3DXMatrixTranslation(&lift.world, 815, 105, 2158);
	for (int i = 0; i < 2000; ++i) {
		lift.Update();
	}
	EXPECT_EQ(lift.frameCounter, 689);
	EXPECT_FLOAT_EQ(Position(lift).y, 105.0f);
}

TEST(StageObjectTest, OnceActiveItGoesDownFirstThenUp) {
	StageObject lift;
	D3DXMatrixTranslation(&lift.world, 815, 105, 2158);
	lift.active = true;
	lift.Update();
	EXPECT_FLOAT_EQ(Position(lift).y, 105.0f);
	EXPECT_EQ(lift.mode, 1);
	lift.Update();
	EXPECT_FLOAT_EQ(Position(lift).y, 105.0f);
	EXPECT_EQ(lift.mode, 0);
	EXPECT_EQ(lift.frameCounter, 0);
	EXPECT_FLOAT_EQ(lift.GetVelocity().y, -0.5f);
	lift.Update();
	EXPECT_FLOAT_EQ(Position(lift).y, 104.5f);

	// The downward leg lasts 691 frames in all.
	float lowest = Position(lift).y;
	for (int i = 1; i < 691; ++i) {
		lift.Update();
		lowest = std::min(lowest, Position(lift).y);
	}
	EXPECT_NEAR(Position(lift).y, 105.0f - 345.5f, 1e-2f);
	EXPECT_EQ(lift.mode, 1);
	EXPECT_FLOAT_EQ(lift.GetVelocity().y, 0.5f);
	lift.Update();
	EXPECT_GT(Position(lift).y, lowest);
	EXPECT_FLOAT_EQ(Position(lift).x, 815.0f);
	EXPECT_FLOAT_EQ(Position(lift).z, 2158.0f);
}

TEST(StageObjectTest, SidewaysModesTurnIntoEachOther) {
	StageObject lift;
	lift.active = true;
	lift.mode = 2;
	lift.frameCounter = 690;
	lift.Update();
	EXPECT_EQ(lift.mode, 3);
	EXPECT_FLOAT_EQ(lift.GetVelocity().x, -0.5f);
	EXPECT_FLOAT_EQ(lift.GetVelocity().z, 0.0f);
	lift.frameCounter = 690;
	lift.Update();
	EXPECT_EQ(lift.mode, 2);
	EXPECT_FLOAT_EQ(lift.GetVelocity().x, 0.5f);
	lift.mode = 7;
	lift.frameCounter = 690;
	lift.Update();
	EXPECT_EQ(lift.mode, 7);
	EXPECT_FLOAT_EQ(lift.GetVelocity().x, 0.0f);
	EXPECT_FLOAT_EQ(lift.GetVelocity().y, 0.0f);
}

TEST_F(ModelTest, TheLiftLoadsItsModel) {
	StageObject* lift = StageObject::Create("data/Object/Lift.x");
	ASSERT_NE(lift, nullptr);
	EXPECT_FALSE(lift->model.IsEmpty());
	EXPECT_EQ(lift->frameCounter, 689);
	lift->Release();
	EXPECT_TRUE(lift->model.IsEmpty());
	lift->Release();
	delete lift;
}

}  // namespace
