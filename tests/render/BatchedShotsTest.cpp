// Shots drawn as a batch: the picture and the glow image are exactly those
// of drawing each shot on its own, the technique is begun once for the run,
// and the run ends before anything else uses the device.

#include "app/Application.h"
#include "player/Ammo.h"
#include "render/ModelShader.h"
#include "render/ModelTable.h"
#include "tests/render/RenderTestSupport.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

constexpr D3DCOLOR CLEAR_COLOR = 0xFF000032;
constexpr int SHOT_COUNT = 300;

class BatchedShotsTest : public RenderTest {
protected:
	void SetUp() override {
		RenderTest::SetUp();
		shader().Init();
		ASSERT_NE(shader().effect, nullptr);
		modelTable = new ModelTable();
		modelTable->LoadAll();
		ASSERT_GT((*modelTable)[MODEL_RED_AMMO].materialCount, 0u);
		ASSERT_TRUE(glow.Create(1280, 720, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT));
		SetCamera();
		MakeShots();
	}

	void TearDown() override {
		shots.clear();
		glow.Release();
		modelTable->ReleaseAll();
		delete modelTable;
		modelTable = nullptr;
		shader().Release();
		RenderTest::TearDown();
	}

	static ModelShader& shader() { return Application::Get().modelShader; }

	// The battle's light and lens, looking down the +z axis at the shots.
	void SetCamera() {
		const D3DXVECTOR3 eye(0, 5, -40), at(0, 0, 0), up(0, 1, 0);
		D3DXMATRIX view, projection;
		D3DXMatrixLookAtLH(&view, &eye, &at, &up);
		D3DXMatrixPerspectiveFovLH(&projection, 1.0471976f, 1280.0f / 720.0f, 0.01f, 1000.0f);
		D3DXVECTOR3 direction(0.5f, -1.0f, 1.0f);
		D3DXVec3Normalize(&direction, &direction);
		const D3DXVECTOR4 light(direction, 0.0f), white(1, 1, 1, 1), ambient(0.3f, 0.3f, 0.3f, 0.0f);
		const D3DXVECTOR4 camera(eye, 1.0f);
		ID3DXEffect* effect = shader().effect;
		effect->SetMatrix("mV", &view);
		effect->SetMatrix("mP", &projection);
		effect->SetVector("LightDir", &light);
		effect->SetVector("LightColor", &white);
		effect->SetVector("LightAmbient", &ambient);
		effect->SetVector("LightSpecular", &white);
		effect->SetVector("CamPos", &camera);
	}

	// A cloud of red shots, turned every way, many overlapping one another.
	void MakeShots() {
		uint32_t seed = 12345;
		auto next = [&seed](float low, float high) {
			seed = seed * 1664525u + 1013904223u;
			return low + (high - low) * float(seed >> 8) / float(1u << 24);
		};
		for (int i = 0; i < SHOT_COUNT; ++i) {
			auto shot = std::make_unique<Ammo>(AMMO_WALKER);
			D3DXMATRIX turn, place;
			D3DXMatrixRotationYawPitchRoll(&turn, next(-3.14f, 3.14f), next(-1.5f, 1.5f), next(-3.14f, 3.14f));
			D3DXMatrixTranslation(&place, next(-25, 25), next(-12, 12), next(-20, 20));
			shot->SetLaunchMatrix(turn * place);
			shots.push_back(std::move(shot));
		}
		shots[7]->active = false;  // a spent shot in the middle of the run
	}

	// Picture and glow cleared, the glow bound as second target as in the battle.
	void BeginFrame() {
		glow.SetAsRenderTarget(0);
		Device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
		Device()->SetRenderTarget(0, Graphics().backBuffer);
		Device()->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, CLEAR_COLOR, 1.0f, 0);
		glow.SetAsRenderTarget(1);
	}

	// After the shots, a blended fixed-function triangle over them: drawn
	// wrongly if the shots' technique were still begun under it. The glow
	// target is unbound first: the built-in program leaves a second output
	// undefined.
	void DrawAfterTheShots() {
		Device()->SetRenderTarget(1, nullptr);
		struct Vertex {
			float x, y, z, rhw;
			D3DCOLOR color;
		};
		const Vertex triangle[3] = {{100, 100, 0.5f, 1, 0x8000FF00}, {900, 150, 0.5f, 1, 0x8000FF00},
		                            {400, 650, 0.5f, 1, 0x8000FF00}};
		Device()->SetTexture(0, nullptr);
		Device()->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
		Device()->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, triangle, sizeof(Vertex));
	}

	void EndFrame(RenderImage& picture, RenderImage& glowImage) {
		Device()->SetRenderTarget(1, nullptr);
		ASSERT_TRUE(picture.Read(Graphics().backBuffer));
		ASSERT_TRUE(glowImage.Read(glow.surface));
	}

	static size_t Lit(const RenderImage& image) {
		size_t count = 0;
		for (size_t i = 0; i < image.Bytes().size(); i += 4) {
			count += (image.Bytes()[i] | image.Bytes()[i + 1] | image.Bytes()[i + 2]) != 0 ? 1 : 0;
		}
		return count;
	}

	static size_t Differing(const RenderImage& a, const RenderImage& b) {
		size_t count = 0;
		for (size_t i = 0; i < a.Bytes().size() && i < b.Bytes().size(); i += 4) {
			count += std::memcmp(&a.Bytes()[i], &b.Bytes()[i], 4) != 0 ? 1 : 0;
		}
		return count;
	}

	Texture glow;
	std::vector<std::unique_ptr<Ammo>> shots;
};

TEST_F(BatchedShotsTest, ABatchDrawsExactlyWhatOneDrawAShotDraws) {
	const Model& redAmmo = (*modelTable)[MODEL_RED_AMMO];
	RenderImage onePicture, oneGlow, batchPicture, batchGlow;

	BeginFrame();
	for (const auto& shot : shots) {
		if (shot->active) {
			shader().SetWorld(shot->world);
			shader().DrawModel(redAmmo);
		}
	}
	DrawAfterTheShots();
	EndFrame(onePicture, oneGlow);

	BeginFrame();
	for (const auto& shot : shots) {
		shot->Draw();
	}
	DrawAfterTheShots();
	EndFrame(batchPicture, batchGlow);

	// Enough on screen that a wrong batch could not hide.
	RenderImage cleared;
	BeginFrame();
	Device()->SetRenderTarget(1, nullptr);
	ASSERT_TRUE(cleared.Read(Graphics().backBuffer));
	EXPECT_GT(Differing(onePicture, cleared), size_t(1280 * 720 / 10));

	ASSERT_EQ(onePicture.Bytes().size(), batchPicture.Bytes().size());
	EXPECT_EQ(Differing(onePicture, batchPicture), 0u);
	EXPECT_TRUE(onePicture.Bytes() == batchPicture.Bytes());
	ASSERT_EQ(oneGlow.Bytes().size(), batchGlow.Bytes().size());
	EXPECT_GT(Lit(oneGlow), size_t(1000));
	EXPECT_EQ(Differing(oneGlow, batchGlow), 0u);
	EXPECT_TRUE(oneGlow.Bytes() == batchGlow.Bytes());
}

TEST_F(BatchedShotsTest, TheTechniqueIsBegunOnceForARunOfShots) {
	RecordingEffect* recorder = Record(shader().effect);
	BeginFrame();
	for (int i = 0; i < 5; ++i) {
		shots[size_t(i)]->Draw();
	}
	const std::vector<std::string> open = {"SetTechnique Tech", "Begin", "BeginPass"};
	EXPECT_EQ(recorder->Sequence(), open);
	const uint32_t materials = (*modelTable)[MODEL_RED_AMMO].materialCount;
	EXPECT_EQ(recorder->Calls("CommitChanges").size(), size_t(5 * materials));
	// Each shot's own world matrix reaches the effect before its commit.
	const std::vector<RecordingEffect::Call> worlds = recorder->Calls("SetMatrix");
	ASSERT_EQ(worlds.size(), 5u);
	EXPECT_EQ(worlds[4].name, "mW");
	EXPECT_FLOAT_EQ(worlds[4].matrix(3, 0), shots[4]->world._41);
	Device()->SetRenderTarget(1, nullptr);
	EXPECT_EQ(recorder->Sequence().size(), 5u);
}

// Whatever uses the device next finds the technique ended and the states
// it saved put back.
TEST_F(BatchedShotsTest, TheRunEndsBeforeTheDeviceIsUsedForAnythingElse) {
	const std::vector<std::string> framed = {"SetTechnique Tech", "Begin", "BeginPass", "EndPass", "End"};
	const auto afterOneShot = [&](auto use) {
		RecordingEffect* recorder = Record(shader().effect);
		shots[0]->Draw();
		use();
		std::vector<std::string> sequence = recorder->Sequence();
		sequence.resize(std::min(sequence.size(), framed.size()));
		EXPECT_EQ(sequence, framed);
	};
	Device()->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
	afterOneShot([&] {
		DWORD cull = 0;
		Device()->GetRenderState(D3DRS_CULLMODE, &cull);
		EXPECT_EQ(cull, DWORD(D3DCULL_NONE));
	});
	afterOneShot([&] { Device()->SetRenderState(D3DRS_ZENABLE, TRUE); });
	afterOneShot([&] { Device()->Clear(0, nullptr, D3DCLEAR_TARGET, CLEAR_COLOR, 1.0f, 0); });
	afterOneShot([&] { DrawAfterTheShots(); });
	afterOneShot([&] { Device()->Present(nullptr, nullptr, nullptr, nullptr); });
	afterOneShot([&] { shader().DrawModel((*modelTable)[MODEL_AMMO]); });
	afterOneShot([&] { shader().DrawOutline((*modelTable)[MODEL_RED_AMMO], 0.05f, ENEMY_OUTLINE_COLOR); });
	afterOneShot([&] { shader().EndBatch(); });
	// Another effect beginning ends the run first.
	ID3DXEffect* other = nullptr;
	ASSERT_TRUE(SUCCEEDED(D3DXCreateEffectFromFileA(Device(), "Shader/Blur.fx", nullptr, nullptr, 0, nullptr, &other,
	                                                nullptr)));
	afterOneShot([&] {
		UINT passes = 0;
		EXPECT_TRUE(SUCCEEDED(other->Begin(&passes, 0)));
		other->End();
	});
	other->Release();
}

TEST_F(BatchedShotsTest, SpentShotsAndAMissingShaderDrawNothing) {
	RecordingEffect* recorder = Record(shader().effect);
	shots[7]->Draw();
	EXPECT_TRUE(recorder->calls.empty());
	ModelShader& modelShader = shader();
	SafeRelease(modelShader.effect);
	shots[0]->Draw();
	EXPECT_EQ(modelShader.effect, nullptr);
}

}  // namespace
