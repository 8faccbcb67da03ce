// The model shader object: what it binds per material, how its two
// techniques are framed, and what the toon, outline, glow and shadow
// drawing puts on screen.

#include "render/Model.h"
#include "render/ModelShader.h"
#include "render/ShadowMap.h"
#include "render/ViewFrustum.h"
#include "tests/render/RenderTestSupport.h"

#include "platform/image/Image.h"

#include <set>

namespace {

const D3DCOLOR CLEAR_COLOR = 0xFF102030;

class ModelShaderTest : public RenderTest {
protected:
	void SetUp() override {
		RenderTest::SetUp();
		shader.Init();
		ASSERT_NE(shader.effect, nullptr);
		LookFrom(D3DXVECTOR3(0, 0, -5), D3DXVECTOR3(0, 0, 0));
		SetLight(D3DXVECTOR3(0, 0, 1));
		SetWorld(D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1));
	}

	void TearDown() override {
		shader.Release();
		RenderTest::TearDown();
	}

	void LookFrom(const D3DXVECTOR3& eye, const D3DXVECTOR3& at) {
		const D3DXVECTOR3 up(0, 1, 0);
		D3DXMatrixLookAtLH(&view, &eye, &at, &up);
		D3DXMatrixPerspectiveFovLH(&projection, 1.0471976f, 1280.0f / 720.0f, 0.01f, 1000.0f);
		shader.effect->SetMatrix("mV", &view);
		shader.effect->SetMatrix("mP", &projection);
		const D3DXVECTOR4 camera(eye, 1.0f);
		shader.effect->SetVector("CamPos", &camera);
	}

	void SetLight(const D3DXVECTOR3& direction) {
		D3DXVECTOR3 unit;
		D3DXVec3Normalize(&unit, &direction);
		const D3DXVECTOR4 lightDir(unit, 0.0f);
		const D3DXVECTOR4 white(1, 1, 1, 1);
		const D3DXVECTOR4 ambient(0.3f, 0.3f, 0.3f, 0);
		shader.effect->SetVector("LightDir", &lightDir);
		shader.effect->SetVector("LightColor", &white);
		shader.effect->SetVector("LightAmbient", &ambient);
		shader.effect->SetVector("LightSpecular", &white);
	}

	void SetWorld(const D3DXMATRIX& world) { shader.SetWorld(world); }

	void Clear() {
		Device()->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, CLEAR_COLOR, 1.0f, 0);
	}

	RenderImage Screen() {
		RenderImage image;
		EXPECT_TRUE(image.Read(Graphics().backBuffer));
		return image;
	}

	void LoadQuad(Model& model, const std::vector<XMaterial>& materials) {
		ASSERT_TRUE(model.Load(WriteFile("quad.x", QuadXFile(materials))));
	}

	void WritePng(const std::string& relative, uint8_t r, uint8_t g, uint8_t b) {
		const uint8_t pixels[16] = {r, g, b, 255, r, g, b, 255, r, g, b, 255, r, g, b, 255};
		std::string why;
		const std::filesystem::path path = Folder() / relative;
		ASSERT_TRUE(WritePngFile(path.string(), 2, 2, pixels, why)) << why;
	}

	ModelShader shader;
	D3DXMATRIX view;
	D3DXMATRIX projection;
};

TEST_F(ModelShaderTest, InitLoadsTheRampsTheWhiteTextureAndTheCubeMap) {
	EXPECT_EQ(ShaderErrorBoxes(), 0u);
	EXPECT_FALSE(shader.toonRamp.IsEmpty());
	EXPECT_FALSE(shader.toonRamp2.IsEmpty());
	EXPECT_NE(shader.toonRamp.texture, shader.toonRamp2.texture);
	ASSERT_FALSE(shader.whiteTexture.IsEmpty());
	EXPECT_EQ(shader.whiteTexture.imageInfo.Width, 1u);
	EXPECT_EQ(shader.whiteTexture.imageInfo.Height, 1u);
	EXPECT_EQ(shader.whiteTexture.imageInfo.Format, D3DFMT_A8R8G8B8);
	D3DLOCKED_RECT locked{};
	ASSERT_EQ(shader.whiteTexture.texture->LockRect(0, &locked, nullptr, 0), S_OK);
	EXPECT_EQ(*static_cast<const uint32_t*>(locked.pBits), 0xFFFFFFFFu);
	shader.whiteTexture.texture->UnlockRect(0);
	EXPECT_NE(shader.environmentMap, nullptr);
}

TEST_F(ModelShaderTest, AModelWithoutMaterialsDrawsNothingButFramesTheTechnique) {
	Model model;
	LoadQuad(model, {PlainMaterial(1, 1, 1)});
	// The mesh is there; only the material count says there is nothing.
	model.materialCount = 0;
	RecordingEffect* recorder = Record(shader.effect);
	Clear();
	shader.DrawModel(model);
	const std::vector<std::string> framed = {"SetTechnique Tech", "Begin", "BeginPass", "EndPass", "End"};
	EXPECT_EQ(recorder->Sequence(), framed);
	EXPECT_TRUE(recorder->Calls("CommitChanges").empty());
	const RenderImage image = Screen();
	EXPECT_EQ(image.At(640, 360).Brightness(), 0x10 + 0x20 + 0x30);

	recorder->calls.clear();
	shader.DrawOutline(model, 0.05f, ENEMY_OUTLINE_COLOR);
	const std::vector<std::string> outlined = {"SetTechnique OutlineTech", "Begin", "BeginPass", "EndPass", "End"};
	EXPECT_EQ(recorder->Sequence(), outlined);
	model.materialCount = 1;
}

TEST_F(ModelShaderTest, AMaterialWithoutTextureIsDrawnWithTheWhiteTexture) {
	WritePng("red.png", 255, 0, 0);
	XMaterial textured = PlainMaterial(1, 1, 1);
	textured.texture = "red.png";
	Model model;
	LoadQuad(model, {textured, PlainMaterial(0, 1, 0)});
	ASSERT_NE(model.TextureOf(0), nullptr);
	ASSERT_EQ(model.TextureOf(1), nullptr);

	RecordingEffect* recorder = Record(shader.effect);
	Clear();
	shader.DrawModel(model);
	const std::vector<RecordingEffect::Call> textures = recorder->Calls("SetTexture");
	ASSERT_EQ(textures.size(), 2u);
	EXPECT_EQ(textures[0].name, "MateDiffuseTex");
	EXPECT_EQ(textures[0].texture, model.TextureOf(0));
	EXPECT_EQ(textures[1].name, "MateDiffuseTex");
	EXPECT_EQ(textures[1].texture, shader.whiteTexture.texture);
	EXPECT_EQ(recorder->Calls("CommitChanges").size(), 2u);

	// Triangle 0 (upper left) is textured red; triangle 1 (lower right)
	// shows its green material, not black.
	const RenderImage image = Screen();
	const POINT upperLeft = ScreenPoint(D3DXVECTOR3(-0.5f, 0.5f, 0), view, projection);
	const POINT lowerRight = ScreenPoint(D3DXVECTOR3(0.5f, -0.5f, 0), view, projection);
	const Rgba red = image.At(UINT(upperLeft.x), UINT(upperLeft.y));
	const Rgba green = image.At(UINT(lowerRight.x), UINT(lowerRight.y));
	EXPECT_GT(red.r, 150);
	EXPECT_LT(red.g, 60);
	EXPECT_GT(green.g, 150);
	EXPECT_LT(green.r, 60);
}

TEST_F(ModelShaderTest, EachSubsetGetsItsOwnMaterialColours) {
	XMaterial first{0.25f, 0.5f, 0.75f, 1, 12, {0.1f, 0.2f, 0.3f}, {0.4f, 0.5f, 0.6f}, ""};
	XMaterial second{1, 0, 0, 1, 40, {1, 1, 1}, {0, 0, 0}, ""};
	Model model;
	LoadQuad(model, {first, second});
	RecordingEffect* recorder = Record(shader.effect);
	shader.DrawModel(model);
	std::vector<RecordingEffect::Call> diffuse, emissive, specular;
	for (const RecordingEffect::Call& call : recorder->Calls("SetVector")) {
		(call.name == "MateDiffuse" ? diffuse : call.name == "MateEmissive" ? emissive : specular).push_back(call);
	}
	ASSERT_EQ(diffuse.size(), 2u);
	ASSERT_EQ(emissive.size(), 2u);
	ASSERT_EQ(specular.size(), 2u);
	EXPECT_FLOAT_EQ(diffuse[0].vector.y, 0.5f);
	EXPECT_FLOAT_EQ(diffuse[1].vector.x, 1.0f);
	EXPECT_FLOAT_EQ(emissive[0].vector.z, 0.6f);
	EXPECT_FLOAT_EQ(specular[0].vector.y, 0.2f);
	EXPECT_FLOAT_EQ(specular[1].vector.x, 1.0f);
	const std::vector<RecordingEffect::Call> powers = recorder->Calls("SetFloat");
	ASSERT_EQ(powers.size(), 2u);
	EXPECT_EQ(powers[0].name, "MateSpePower");
	EXPECT_FLOAT_EQ(powers[0].value, 12.0f);
	EXPECT_FLOAT_EQ(powers[1].value, 40.0f);
}

TEST_F(ModelShaderTest, LightingFallsIntoAFewBands) {
	Model model;
	LoadQuad(model, {XMaterial{0.8f, 0.8f, 0.8f, 1, 10, {0, 0, 0}, {0, 0, 0}, ""}});
	std::set<int> levels;
	int brightest = 0;
	int darkest = 1000;
	for (int step = 0; step <= 24; ++step) {
		// From straight at the quad's face round to straight behind it.
		const float angle = 3.14159265f * float(step) / 24.0f;
		SetLight(D3DXVECTOR3(std::sin(angle), 0, std::cos(angle)));
		Clear();
		shader.DrawModel(model);
		const int brightness = Screen().At(640, 360).Brightness();
		levels.insert(brightness / 6);
		brightest = std::max(brightest, brightness);
		darkest = std::min(darkest, brightness);
	}
	EXPECT_GT(brightest * 10, darkest * 14) << brightest << " vs " << darkest;
	// A smooth shade would give every angle its own level.
	EXPECT_LE(levels.size(), 6u);
	EXPECT_GE(levels.size(), 3u);
}

TEST_F(ModelShaderTest, TheOutlineRingsTheSilhouetteInItsColour) {
	Model cube;
	ASSERT_TRUE(cube.Load(WriteFile("cube.x", CubeXFile(1.0f, PlainMaterial(0.9f, 0.9f, 0.9f)))));
	LookFrom(D3DXVECTOR3(0, 0, -6), D3DXVECTOR3(0, 0, 0));
	Clear();
	shader.DrawModel(cube);
	const float green[4] = {0, 1, 0, 1};
	shader.DrawOutline(cube, 0.1f, green);
	const RenderImage image = Screen();

	// Just outside the front face's right edge: the outline. Inside: the
	// cube. Far outside: the clear colour.
	const POINT edge = ScreenPoint(D3DXVECTOR3(1.0f, 0, -1.0f), view, projection);
	int outlinePixels = 0;
	for (LONG x = edge.x; x < edge.x + 30; ++x) {
		const Rgba p = image.At(UINT(x), UINT(edge.y));
		outlinePixels += (p.g > 200 && p.r < 40 && p.b < 40) ? 1 : 0;
	}
	EXPECT_GE(outlinePixels, 2);
	const Rgba centre = image.At(640, 360);
	EXPECT_FALSE(centre.g > 200 && centre.r < 40) << "the outline covers the model";
	const Rgba far = image.At(UINT(edge.x + 200), UINT(edge.y));
	EXPECT_EQ(far.Brightness(), 0x10 + 0x20 + 0x30);
}

// Two cubes turned so that their faces slope in depth, the far one half
// behind the near one.
class DepthFirstTest : public ModelShaderTest {
protected:
	void SetUp() override {
		ModelShaderTest::SetUp();
		ASSERT_TRUE(nearCube.Load(WriteFile("near.x", CubeXFile(1.0f, PlainMaterial(0.9f, 0.5f, 0.2f)))));
		ASSERT_TRUE(farCube.Load(WriteFile("far.x", CubeXFile(1.5f, PlainMaterial(0.3f, 0.6f, 0.9f)))));
		LookFrom(D3DXVECTOR3(0, 1.5f, -7), D3DXVECTOR3(0, 0, 0));
		D3DXMATRIX turn, move;
		D3DXMatrixRotationYawPitchRoll(&turn, 0.6f, 0.3f, 0.1f);
		D3DXMatrixTranslation(&move, -0.6f, 0, -1.0f);
		nearWorld = turn * move;
		D3DXMatrixRotationYawPitchRoll(&turn, -0.4f, 0.2f, 0.0f);
		D3DXMatrixTranslation(&move, 0.8f, 0.2f, 1.5f);
		farWorld = turn * move;
	}

	void TearDown() override {
		nearCube.Release();
		farCube.Release();
		ModelShaderTest::TearDown();
	}

	void Draw(bool depth, Model& model, const D3DXMATRIX& world) {
		SetWorld(world);
		if (depth) {
			shader.DrawDepth(model);
		} else {
			shader.DrawModel(model);
		}
	}

	Model nearCube;
	Model farCube;
	D3DXMATRIX nearWorld;
	D3DXMATRIX farWorld;
};

// The depth laid down first must be the shading's own to the last bit:
// anything else shows as holes or speckles where the shading loses to it.
TEST_F(DepthFirstTest, ThePictureIsTheOneDrawnWithoutIt) {
	Clear();
	Draw(false, farCube, farWorld);
	Draw(false, nearCube, nearWorld);
	const RenderImage plain = Screen();

	Clear();
	Draw(true, nearCube, nearWorld);
	Draw(true, farCube, farWorld);
	Draw(false, farCube, farWorld);
	Draw(false, nearCube, nearWorld);
	const RenderImage depthFirst = Screen();

	ASSERT_EQ(depthFirst.Bytes().size(), plain.Bytes().size());
	size_t differing = 0;
	for (size_t i = 0; i < plain.Bytes().size(); ++i) {
		differing += depthFirst.Bytes()[i] != plain.Bytes()[i] ? 1 : 0;
	}
	EXPECT_EQ(differing, 0u);
	// Both cubes are in the picture, so the comparison means something.
	const POINT nearCentre = ScreenPoint(TranslationOf(nearWorld), view, projection);
	EXPECT_GT(plain.At(UINT(nearCentre.x), UINT(nearCentre.y)).r, 100);
	const POINT farRight = ScreenPoint(TranslationOf(farWorld) + D3DXVECTOR3(1.2f, 0, 0), view, projection);
	EXPECT_GT(plain.At(UINT(farRight.x), UINT(farRight.y)).b, 100);
}

// With every model opaque the toon pass draws without the blend, which at
// alpha 1 changes no pixel; the blend the effects and the HUD rely on must be
// back on after each draw, batched or not.
TEST_F(DepthFirstTest, OpaqueModelsDrawTheSamePictureAndGiveTheBlendBack) {
	Device()->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
	Clear();
	Draw(false, farCube, farWorld);
	Draw(false, nearCube, nearWorld);
	const RenderImage blended = Screen();

	Clear();
	shader.SetEveryModelOpaque(true);
	Draw(false, farCube, farWorld);
	DWORD blend = FALSE;
	Device()->GetRenderState(D3DRS_ALPHABLENDENABLE, &blend);
	EXPECT_EQ(blend, DWORD(TRUE));
	SetWorld(nearWorld);
	shader.DrawBatched(nearCube);
	shader.DrawBatched(nearCube);
	shader.EndBatch();
	shader.SetEveryModelOpaque(false);
	Device()->GetRenderState(D3DRS_ALPHABLENDENABLE, &blend);
	EXPECT_EQ(blend, DWORD(TRUE));
	const RenderImage opaque = Screen();

	ASSERT_EQ(opaque.Bytes().size(), blended.Bytes().size());
	EXPECT_TRUE(opaque.Bytes() == blended.Bytes());
	const POINT nearCentre = ScreenPoint(TranslationOf(nearWorld), view, projection);
	EXPECT_GT(opaque.At(UINT(nearCentre.x), UINT(nearCentre.y)).r, 100);
}

TEST_F(DepthFirstTest, DepthAloneShowsNothingButHidesWhatLiesBehind) {
	Clear();
	Draw(true, nearCube, nearWorld);
	const RenderImage depthOnly = Screen();
	for (UINT y = 0; y < depthOnly.Height(); y += 7) {
		for (UINT x = 0; x < depthOnly.Width(); x += 7) {
			ASSERT_EQ(depthOnly.At(x, y).Brightness(), 0x10 + 0x20 + 0x30) << x << "," << y;
		}
	}
	// The far cube, shaded after, shows only where the near one's depth is not.
	Draw(false, farCube, farWorld);
	const RenderImage behind = Screen();
	const POINT nearCentre = ScreenPoint(TranslationOf(nearWorld), view, projection);
	EXPECT_EQ(behind.At(UINT(nearCentre.x), UINT(nearCentre.y)).Brightness(), 0x10 + 0x20 + 0x30);
	const POINT farRight = ScreenPoint(TranslationOf(farWorld) + D3DXVECTOR3(1.2f, 0, 0), view, projection);
	EXPECT_GT(behind.At(UINT(farRight.x), UINT(farRight.y)).b, 100);
}

TEST_F(ModelShaderTest, EmissivePartsWriteTheGlowTarget) {
	Texture glowTarget;
	ASSERT_TRUE(glowTarget.Create(1280, 720, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT));
	glowTarget.SetAsRenderTarget(0);
	Device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
	Device()->SetRenderTarget(0, Graphics().backBuffer);
	Clear();
	glowTarget.SetAsRenderTarget(1);

	XMaterial glowing{0.2f, 0.2f, 0.2f, 1, 10, {0, 0, 0}, {0.2f, 0.9f, 1.0f}, ""};
	Model model;
	LoadQuad(model, {glowing, PlainMaterial(0.8f, 0.8f, 0.8f)});
	shader.DrawModel(model);
	Device()->SetRenderTarget(1, nullptr);

	RenderImage glow;
	ASSERT_TRUE(glow.Read(glowTarget.surface));
	const POINT upperLeft = ScreenPoint(D3DXVECTOR3(-0.5f, 0.5f, 0), view, projection);
	const POINT lowerRight = ScreenPoint(D3DXVECTOR3(0.5f, -0.5f, 0), view, projection);
	const Rgba lit = glow.At(UINT(upperLeft.x), UINT(upperLeft.y));
	const Rgba plain = glow.At(UINT(lowerRight.x), UINT(lowerRight.y));
	EXPECT_GT(lit.b, 150);
	EXPECT_GT(lit.g, 120);
	EXPECT_LT(plain.Brightness(), 30);
	EXPECT_EQ(glow.At(10, 10).Brightness(), 0);
}

TEST_F(ModelShaderTest, ACasterShadowsTheFloorBelowIt) {
	ShadowMap shadowMap;
	shadowMap.Init();
	ASSERT_TRUE(shadowMap.IsReady());
	UseBattleLight();
	D3DLIGHT9 light{};
	Graphics().GetLight(&light, 0);
	const D3DXVECTOR3 direction(light.Direction);
	SetLight(direction);

	Model floor;
	LoadQuad(floor, {PlainMaterial(0.8f, 0.8f, 0.8f)});
	Model caster;
	ASSERT_TRUE(caster.Load(WriteFile("cube.x", CubeXFile(1.0f, PlainMaterial(1, 1, 1)))));
	D3DXMATRIX floorScale, floorTurn, floorWorld, casterWorld;
	D3DXMatrixScaling(&floorScale, 20, 20, 20);
	D3DXMatrixRotationX(&floorTurn, 1.5707963f);
	floorWorld = floorScale * floorTurn;
	D3DXMatrixTranslation(&casterWorld, 0, 3, 0);

	const D3DXVECTOR3 player(0, 0, 0);
	shadowMap.Begin(player - 30.0f * direction);
	shadowMap.SetWorld(casterWorld);
	shadowMap.DrawModel(caster);
	shadowMap.End();
	shader.effect->SetMatrix("mLightVP", &shadowMap.lightViewProjection);
	shader.effect->SetTexture("ShadowTex", shadowMap.shadowTexture.texture);

	LookFrom(D3DXVECTOR3(0, 22, -14), D3DXVECTOR3(0, 0, 2));
	Clear();
	SetWorld(floorWorld);
	shader.DrawModel(floor);
	const RenderImage image = Screen();

	// The cube's centre, carried along the light down to the floor.
	const float down = 3.0f / -direction.y;
	const D3DXVECTOR3 shadowCentre = D3DXVECTOR3(0, 3, 0) + down * direction;
	const POINT shaded = ScreenPoint(shadowCentre, view, projection);
	const POINT open = ScreenPoint(D3DXVECTOR3(-6, 0, -2), view, projection);
	const int shadedBrightness = image.At(UINT(shaded.x), UINT(shaded.y)).Brightness();
	const int openBrightness = image.At(UINT(open.x), UINT(open.y)).Brightness();
	EXPECT_LT(shadedBrightness * 10, openBrightness * 8) << shadedBrightness << " vs " << openBrightness;
	EXPECT_GT(shadedBrightness, 0);
}

TEST_F(ModelShaderTest, WithoutAShadowMapNothingIsShadowed) {
	Model model;
	LoadQuad(model, {PlainMaterial(0.8f, 0.8f, 0.8f)});
	SetLight(D3DXVECTOR3(0.3f, -0.2f, 1.0f));
	// A pass with no casters: everything lies in front of the far plane.
	ShadowMap shadowMap;
	shadowMap.Init();
	shadowMap.Begin(D3DXVECTOR3(0, 0, -30));
	shadowMap.End();
	shader.effect->SetMatrix("mLightVP", &shadowMap.lightViewProjection);
	shader.effect->SetTexture("ShadowTex", shadowMap.shadowTexture.texture);
	Clear();
	shader.DrawModel(model);
	const int withEmptyMap = Screen().At(640, 360).Brightness();
	// No texture at all, as when the shadow shader did not compile.
	shader.effect->SetTexture("ShadowTex", nullptr);
	Clear();
	shader.DrawModel(model);
	const int withoutMap = Screen().At(640, 360).Brightness();
	EXPECT_NEAR(withoutMap, withEmptyMap, 3);
	// And both are the fully lit picture: a shadowed one would be about
	// two thirds as bright.
	EXPECT_GT(withoutMap, 480) << withoutMap;
}

TEST_F(ModelShaderTest, WithoutAnEffectNothingIsDrawnAndNothingBreaks) {
	Model model;
	LoadQuad(model, {PlainMaterial(1, 1, 1)});
	SafeRelease(shader.effect);
	Clear();
	shader.SetWorld(D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1));
	shader.DrawModel(model);
	shader.DrawOutline(model, 0.05f, ENEMY_OUTLINE_COLOR);
	EXPECT_EQ(Screen().At(640, 360).Brightness(), 0x10 + 0x20 + 0x30);
}

// Culling leaves out only what cannot reach the picture: a cube slid out
// across the left edge of the view, bare and outlined, gives the same
// pixels with culling as without, down to the last sliver of outline, and
// once wholly outside it is not drawn at all.
class CullingTest : public ModelShaderTest {
protected:
	void SetUp() override {
		ModelShaderTest::SetUp();
		ASSERT_TRUE(cube.Load(WriteFile("cube.x", CubeXFile(1.0f, PlainMaterial(0.9f, 0.5f, 0.2f)))));
	}

	void TearDown() override {
		cube.Release();
		ModelShaderTest::TearDown();
	}

	RenderImage DrawAt(float x, bool culling, float outline) {
		const ViewFrustum frustum(view, projection);
		shader.SetCullingView(culling ? &frustum : nullptr);
		Clear();
		D3DXMATRIX turn, move;
		// A corner points straight out through the left side of the view, so
		// the cube reaches its bounding sphere exactly where it leaves.
		D3DXMatrixRotationYawPitchRoll(&turn, 0.157f, -0.7854f, 0.0f);
		D3DXMatrixTranslation(&move, x, 0.0f, 0.0f);
		SetWorld(turn * move);
		shader.DrawModel(cube);
		if (outline > 0.0f) {
			shader.DrawOutline(cube, outline, ENEMY_OUTLINE_COLOR);
		}
		shader.SetCullingView(nullptr);
		return Screen();
	}

	// Pixels that are not the clear colour.
	static size_t Drawn(const RenderImage& image) {
		size_t drawn = 0;
		for (UINT y = 0; y < image.Height(); ++y) {
			for (UINT x = 0; x < image.Width(); ++x) {
				drawn += image.At(x, y).Brightness() != 0x10 + 0x20 + 0x30 ? 1 : 0;
			}
		}
		return drawn;
	}

	Model cube;
};

TEST_F(CullingTest, WhatReachesTheEdgeOfTheViewIsDrawnAsWithoutCulling) {
	for (const float outline : {0.0f, 1.0f}) {
		int slivers = 0;
		// The left edge lies 5.13 units out at the cube's depth; the corner
		// leaves the view 1.73 units further out, its outline 1 more.
		for (float x = -6.0f; x > -9.5f; x -= 0.1f) {
			const RenderImage culled = DrawAt(x, true, outline);
			const RenderImage plain = DrawAt(x, false, outline);
			ASSERT_TRUE(culled.Bytes() == plain.Bytes()) << "cube at x " << x << ", outline " << outline;
			const size_t drawn = Drawn(plain);
			slivers += drawn > 0 && drawn < 2000 ? 1 : 0;
		}
		// The comparison covered the last few slivers before the cube is gone.
		EXPECT_GE(slivers, 2) << "outline " << outline;
	}
}

TEST_F(CullingTest, AModelWhollyOutsideTheViewIsNotDrawn) {
	RecordingEffect* recorder = Record(shader.effect);
	const ViewFrustum frustum(view, projection);
	D3DXMATRIX far;
	D3DXMatrixTranslation(&far, -12.0f, 0.0f, 0.0f);
	SetWorld(far);
	shader.SetCullingView(&frustum);
	shader.DrawModel(cube);
	shader.DrawDepth(cube);
	shader.DrawOutline(cube, 0.05f, ENEMY_OUTLINE_COLOR);
	shader.DrawBatched(cube);
	shader.EndBatch();
	EXPECT_TRUE(recorder->Calls("Begin").empty());
	shader.SetCullingView(nullptr);
	shader.DrawModel(cube);
	EXPECT_EQ(recorder->Calls("Begin").size(), 1u);
}

}  // namespace
