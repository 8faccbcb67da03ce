// The shadow pass: its target and depth surface, the light camera, the
// depth it writes, and that it hands the device back as it found it.

#include "render/Model.h"
#include "render/ShadowMap.h"
#include "tests/render/RenderTestSupport.h"

#include <algorithm>

namespace {

class ShadowMapTest : public RenderTest {
protected:
	void SetUp() override {
		RenderTest::SetUp();
		UseBattleLight();
		shadowMap.Init();
		ASSERT_TRUE(shadowMap.IsReady());
	}
	void TearDown() override {
		shadowMap.Release();
		RenderTest::TearDown();
	}

	// The cube drawn as a caster centred at centre, from a light camera at
	// eye; the shadow map's depths read back, 1024 x 1024.
	std::vector<float> DrawCaster(const Model& caster, const D3DXVECTOR3& eye, const D3DXVECTOR3& centre) {
		D3DXMATRIX world;
		D3DXMatrixTranslation(&world, centre.x, centre.y, centre.z);
		shadowMap.Begin(eye);
		shadowMap.SetWorld(world);
		shadowMap.DrawModel(caster);
		std::vector<float> depths;
		UINT width = 0, height = 0;
		EXPECT_TRUE(ReadRenderTargetFloats(shadowMap.shadowTexture.surface, depths, width, height));
		shadowMap.End();
		EXPECT_EQ(depths.size(), size_t(SHADOW_MAP_SIZE) * SHADOW_MAP_SIZE);
		return depths;
	}

	D3DXVECTOR3 LightDirection() {
		D3DLIGHT9 light{};
		Graphics().GetLight(&light, 0);
		return D3DXVECTOR3(light.Direction);
	}

	ShadowMap shadowMap;
};

TEST_F(ShadowMapTest, InitMakesAFloatTargetAndADepthSurface) {
	EXPECT_EQ(ShaderErrorBoxes(), 0u);
	EXPECT_EQ(shadowMap.shadowTexture.imageInfo.Width, 1024u);
	EXPECT_EQ(shadowMap.shadowTexture.imageInfo.Height, 1024u);
	EXPECT_EQ(shadowMap.shadowTexture.imageInfo.Format, D3DFMT_R32F);
	EXPECT_EQ(shadowMap.shadowTexture.imageInfo.MipLevels, 1u);
	EXPECT_EQ(shadowMap.depthSurface.desc.Width, 1024u);
	EXPECT_EQ(shadowMap.depthSurface.desc.Format, D3DFMT_D24S8);
	EXPECT_FLOAT_EQ(ShadowMap().lightViewProjection(2, 2), 1.0f);
}

TEST_F(ShadowMapTest, EndRestoresTheTargetsWithoutExtraReferences) {
	Texture glowTarget;
	ASSERT_TRUE(glowTarget.Create(1280, 720, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT));
	glowTarget.SetAsRenderTarget(1);
	IDirect3DSurface9* target = nullptr;
	IDirect3DSurface9* depth = nullptr;
	ASSERT_EQ(Device()->GetRenderTarget(0, &target), S_OK);
	ASSERT_EQ(Device()->GetDepthStencilSurface(&depth), S_OK);
	const ULONG targetReferences = ReferenceCount(target);
	const ULONG depthReferences = ReferenceCount(depth);

	shadowMap.Begin(D3DXVECTOR3(0, 0, 0) - 30.0f * LightDirection());
	IDirect3DSurface9* during = nullptr;
	ASSERT_EQ(Device()->GetRenderTarget(0, &during), S_OK);
	EXPECT_EQ(during, shadowMap.shadowTexture.surface);
	during->Release();
	ASSERT_EQ(Device()->GetDepthStencilSurface(&during), S_OK);
	EXPECT_EQ(during, shadowMap.depthSurface.surface);
	during->Release();
	// The pass is cleared to the far plane.
	std::vector<float> depths;
	UINT width = 0, height = 0;
	ASSERT_TRUE(ReadRenderTargetFloats(shadowMap.shadowTexture.surface, depths, width, height));
	EXPECT_FLOAT_EQ(depths[0], 1.0f);
	EXPECT_FLOAT_EQ(depths[depths.size() - 1], 1.0f);
	shadowMap.End();

	IDirect3DSurface9* after = nullptr;
	ASSERT_EQ(Device()->GetRenderTarget(0, &after), S_OK);
	EXPECT_EQ(after, target);
	after->Release();
	ASSERT_EQ(Device()->GetDepthStencilSurface(&after), S_OK);
	EXPECT_EQ(after, depth);
	after->Release();
	ASSERT_EQ(Device()->GetRenderTarget(1, &after), S_OK);
	EXPECT_EQ(after, glowTarget.surface);
	after->Release();
	EXPECT_EQ(ReferenceCount(target), targetReferences);
	EXPECT_EQ(ReferenceCount(depth), depthReferences);
	EXPECT_EQ(shadowMap.savedRenderTarget, nullptr);
	EXPECT_EQ(shadowMap.savedDepthSurface, nullptr);
	target->Release();
	depth->Release();
	Device()->SetRenderTarget(1, nullptr);
}

TEST_F(ShadowMapTest, TheLightCameraLooksAlongTheLightFromTheEye) {
	const D3DXVECTOR3 player(120, 40, -60);
	const D3DXVECTOR3 direction = LightDirection();
	shadowMap.Begin(player - 30.0f * direction);
	shadowMap.End();
	D3DXVECTOR3 projected;
	D3DXVec3TransformCoord(&projected, &player, &shadowMap.lightViewProjection);
	// The player sits in the middle of the map, 30 units in: (30 - 1) / 99 deep.
	EXPECT_NEAR(projected.x, 0.0f, 1e-4f);
	EXPECT_NEAR(projected.y, 0.0f, 1e-4f);
	EXPECT_NEAR(projected.z, 29.0f / 99.0f, 1e-4f);
	// 50 units across the light is the map's edge.
	D3DXVECTOR3 across;
	const D3DXVECTOR3 up(0, 1, 0);
	D3DXVec3Cross(&across, &up, &direction);
	D3DXVec3Normalize(&across, &across);
	const D3DXVECTOR3 edge = player + 50.0f * across;
	D3DXVec3TransformCoord(&projected, &edge, &shadowMap.lightViewProjection);
	EXPECT_NEAR(std::fabs(projected.x), 1.0f, 1e-3f);
}

TEST_F(ShadowMapTest, CastersWriteTheirLightSpaceDepth) {
	// A cube straight along the light, 30 units from the light camera.
	Model cube;
	ASSERT_TRUE(cube.Load(WriteFile("cube.x", CubeXFile(2.0f, PlainMaterial(1, 1, 1)))));
	const D3DXVECTOR3 direction = LightDirection();
	const D3DXVECTOR3 eye(0, 50, 0);
	RecordingEffect* recorder = Record(shadowMap.effect);
	const std::vector<float> depths = DrawCaster(cube, eye, eye + 30.0f * direction);
	ASSERT_EQ(depths.size(), 1024u * 1024u);
	// The nearest face of the cube is a little in front of its centre.
	const float centreDepth = depths[512 * 1024 + 512];
	EXPECT_LT(centreDepth, 29.0f / 99.0f);
	EXPECT_GT(centreDepth, 25.0f / 99.0f);
	EXPECT_FLOAT_EQ(depths[10 * 1024 + 10], 1.0f);
	// A material without texture binds none.
	const std::vector<RecordingEffect::Call> textures = recorder->Calls("SetTexture");
	ASSERT_EQ(textures.size(), 1u);
	EXPECT_EQ(textures[0].name, "MeshTex");
	EXPECT_EQ(textures[0].texture, nullptr);
	const std::vector<std::string> framed = {"SetTechnique Tech", "Begin", "BeginPass", "EndPass", "End"};
	EXPECT_EQ(recorder->Sequence(), framed);
}

TEST_F(ShadowMapTest, WithoutAnEffectThePassLeavesTheDeviceAlone) {
	ShadowMap broken;
	// Never initialised: no effect, no target.
	EXPECT_FALSE(broken.IsReady());
	IDirect3DSurface9* target = nullptr;
	ASSERT_EQ(Device()->GetRenderTarget(0, &target), S_OK);
	const ULONG references = ReferenceCount(target);
	broken.Begin(D3DXVECTOR3(0, 10, 0));
	Model model;
	broken.SetWorld(D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1));
	broken.DrawModel(model);
	broken.End();
	IDirect3DSurface9* after = nullptr;
	ASSERT_EQ(Device()->GetRenderTarget(0, &after), S_OK);
	EXPECT_EQ(after, target);
	after->Release();
	EXPECT_EQ(ReferenceCount(target), references);
	target->Release();
}

}  // namespace

// The light's box is 100 units across and 1 to 100 along the light: a caster
// whose corner reaches into it still writes its depth there; one wholly
// beyond it is not drawn at all.
TEST_F(ShadowMapTest, OnlyCastersReachingTheLightBoxAreDrawn) {
	Model cube;
	ASSERT_TRUE(cube.Load(WriteFile("cube.x", CubeXFile(2.0f, PlainMaterial(1, 1, 1)))));
	const D3DXVECTOR3 direction = LightDirection();
	D3DXVECTOR3 across;
	const D3DXVECTOR3 up(0, 1, 0);
	D3DXVec3Cross(&across, &up, &direction);
	D3DXVec3Normalize(&across, &across);
	const D3DXVECTOR3 eye(0, 50, 0);
	auto drawAt = [&](float sideways) {
		RecordingEffect* recorder = Record(shadowMap.effect);
		const std::vector<float> depths = DrawCaster(cube, eye, eye + 30.0f * direction + sideways * across);
		const bool drawn = !recorder->Calls("Begin").empty();
		const size_t written = size_t(std::count_if(depths.begin(), depths.end(), [](float d) { return d < 1.0f; }));
		return std::make_pair(drawn, written);
	};
	// The box's side is 50 units out; the cube reaches 2 units either way.
	const auto [nearSideDrawn, nearSideWritten] = drawAt(51.0f);
	EXPECT_TRUE(nearSideDrawn);
	EXPECT_GT(nearSideWritten, 0u);
	const auto [beyondDrawn, beyondWritten] = drawAt(56.0f);
	EXPECT_FALSE(beyondDrawn);
	EXPECT_EQ(beyondWritten, 0u);
}
