#include "ParticleTestSupport.h"
#include "particles/Renderer.h"
#include "tests/gpu/GpuTestFixture.h"

#include <fstream>

using namespace particles;
using namespace particles_test;

namespace {

// Draws effects on the real device (offscreen) and reads the pixels back.
// The camera looks down +z from (0, 0, -5) at the origin.
class ParticleRenderingTest : public GpuTest {
protected:
	void SetUp() override {
		GpuTest::SetUp();
		std::string why;
		renderer = Renderer::Create(Device(), 2000, &why);
		ASSERT_NE(renderer, nullptr) << why;
		manager.reset(Manager::Create(100, true));
		manager->SetSpriteRenderer(renderer->CreateSpriteRenderer());
		manager->SetRingRenderer(renderer->CreateRingRenderer());
		manager->SetModelRenderer(renderer->CreateModelRenderer());
		manager->SetTextureLoader(renderer->CreateTextureLoader());
		D3DXMATRIX projection, camera;
		D3DXMatrixPerspectiveFovLH(&projection, 1.0471976f, 1280.0f / 720.0f, 0.01f, 1000.0f);
		const D3DXVECTOR3 eye(0, 0, -5), at(0, 0, 0), up(0, 1, 0);
		D3DXMatrixLookAtLH(&camera, &eye, &at, &up);
		renderer->SetProjectionMatrix(projection);
		renderer->SetCameraMatrix(camera);
		Device()->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_XRGB(0, 0, 0), 1.0f, 0);
	}

	void TearDown() override {
		effects.clear();
		manager.reset();
		if (renderer != nullptr) {
			renderer->Destroy();
		}
		GpuTest::TearDown();
	}

	// A 2-unit square of one colour at z, one frame into its life.
	Handle PlaySquare(const std::string& blend, const std::string& color, float z) {
		effects.push_back(EffectFromText(SpriteEffect(1, 100, "size 2\nblend " + blend + "\ncolor " + color + "\n"),
		                                 manager.get()));
		const Handle handle = manager->Play(effects.back().get(), 0, 0, z);
		return handle;
	}

	void DrawAll() {
		manager->Update(1.0f);
		renderer->BeginRendering();
		manager->Draw();
		renderer->EndRendering();
	}

	Renderer* renderer = nullptr;
	ManagerPtr manager;
	std::vector<EffectPtr> effects;
};

TEST_F(ParticleRenderingTest, AdditiveSpriteBrightensOnlyWhereItStands) {
	PlaySquare("additive", "1 0.5 0 1", 0);
	DrawAll();
	const PixelImage image = ReadBackBuffer();
	const Pixel centre = image.At(640, 360);
	EXPECT_GE(centre.r, 250);
	EXPECT_NEAR(centre.g, 128, 3);
	EXPECT_EQ(centre.b, 0);
	// The square is about 250 pixels tall at this distance: its edges and the corners stay black.
	EXPECT_EQ(image.At(640, 200), (Pixel{0, 0, 0, 255}));
	EXPECT_EQ(image.At(10, 10), (Pixel{0, 0, 0, 255}));
	EXPECT_GE(image.At(640, 250).r, 250);
	EXPECT_EQ(renderer->LastDrawCalls(), 1);
}

TEST_F(ParticleRenderingTest, DepthTestHidesItBehindNearerDepthAndItWritesNone) {
	// A nearer surface's depth in the left half of the square.
	const D3DRECT nearer{540, 300, 640, 420};
	Device()->Clear(1, &nearer, D3DCLEAR_ZBUFFER, 0, 0.0f, 0);
	PlaySquare("additive", "1 0 0 1", 0);
	PlaySquare("additive", "0 0 1 1", 2);  // behind the red one: seen through it if no depth is written
	DrawAll();
	const PixelImage image = ReadBackBuffer();
	EXPECT_EQ(image.At(600, 360), (Pixel{0, 0, 0, 255})) << "drawn over a nearer depth";
	const Pixel overlap = image.At(700, 360);
	EXPECT_GE(overlap.r, 250);
	EXPECT_GE(overlap.b, 250) << "the nearer particle wrote depth";
}

TEST_F(ParticleRenderingTest, AlphaSpriteBlendsOverTheScene) {
	Device()->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(0, 0, 200), 1.0f, 0);
	PlaySquare("alpha", "1 1 1 0.5", 0);
	DrawAll();
	const Pixel centre = ReadBackBuffer().At(640, 360);
	EXPECT_NEAR(centre.r, 128, 3);
	EXPECT_NEAR(centre.b, 228, 3);
}

TEST_F(ParticleRenderingTest, AdditiveLightsTheGlowTargetAndAlphaLeavesItAlone) {
	IDirect3DTexture9* glowTexture = nullptr;
	ASSERT_EQ(Device()->CreateTexture(1280, 720, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
	                                  &glowTexture, nullptr),
	          S_OK);
	IDirect3DSurface9* glow = nullptr;
	ASSERT_EQ(glowTexture->GetSurfaceLevel(0, &glow), S_OK);
	ASSERT_EQ(Device()->SetRenderTarget(1, glow), S_OK);
	Device()->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_ARGB(255, 40, 40, 40), 1.0f, 0);
	effects.push_back(EffectFromText(SpriteEffect(1, 100, "size 1\nblend additive\ncolor 0 1 0 1\n"), manager.get()));
	manager->Play(effects.back().get(), -1, 0, 0);
	effects.push_back(EffectFromText(SpriteEffect(1, 100, "size 1\nblend alpha\ncolor 1 1 1 1\n"), manager.get()));
	manager->Play(effects.back().get(), 1, 0, 0);
	DrawAll();
	Device()->SetRenderTarget(1, nullptr);
	PixelImage glowImage;
	ASSERT_TRUE(glowImage.Read(glow));
	const PixelImage scene = ReadBackBuffer();
	// Left square: additive green in both targets. Right square: white on screen, glow untouched.
	EXPECT_GE(scene.At(530, 360).g, 250);
	EXPECT_GE(glowImage.At(530, 360).g, 250);
	EXPECT_EQ(glowImage.At(530, 360).r, 40);
	EXPECT_GE(scene.At(750, 360).r, 250);
	EXPECT_EQ(glowImage.At(750, 360), (Pixel{40, 40, 40, 255}));
	glow->Release();
	glowTexture->Release();
}

TEST_F(ParticleRenderingTest, RingModelAndTextureDrawThroughTheSharedResources) {
	const std::string meshPath = TemporaryPath("Quad.x");
	std::ofstream(meshPath) << "xof 0303txt 0032\nMesh {\n4;\n-1;-1;0;,\n1;-1;0;,\n1;1;0;,\n-1;1;0;;\n"
	                           "2;\n3;0,1,2;,\n3;0,2,3;;\n}\n";
	const std::string folder = meshPath.substr(0, meshPath.find_last_of('/') + 1);
	const std::string text = "vortane-particles 1\nnode Hoop\nrenderer ring\nring 32 0.8 1\nsize 4\nlife 50\n"
	                         "color 1 0 0 1\nnode Plate\nrenderer model\nmodel Quad.x\nsize 0.25\nlife 50\n"
	                         "color 0 1 0 1\nnode Missing\ntexture None.png\nlife 50\nposition 100 0 0\n";
	effects.push_back(EffectPtr(Effect::CreateFromMemory(manager.get(), Bytes(text), "mixed.efk", 1.0f, folder)));
	ASSERT_NE(effects.back(), nullptr);
	ASSERT_NE(effects.back()->NodeModel(1), nullptr) << "the model renderer did not load " << meshPath;
	EXPECT_EQ(effects.back()->NodeTexture(2), nullptr);
	manager->Play(effects.back().get(), 0, 0, 0);
	DrawAll();
	const PixelImage image = ReadBackBuffer();
	EXPECT_EQ(image.At(640, 360), (Pixel{0, 255, 0, 255}));  // the model at the centre
	EXPECT_EQ(image.At(640, 470), (Pixel{0, 0, 0, 255}));    // inside the ring's hole
	EXPECT_GE(image.At(640, 360 - 224).r, 250);              // on the ring, 1.8 units up
}

TEST_F(ParticleRenderingTest, SquareBudgetDropsWhatDoesNotFit) {
	Renderer* small = Renderer::Create(Device(), 3);
	ASSERT_NE(small, nullptr);
	ManagerPtr other(Manager::Create(10, true));
	other->SetSpriteRenderer(small->CreateSpriteRenderer());
	EffectPtr many = EffectFromText(SpriteEffect(10, 50, "size 0.1\nshape line -2 0 0 2 0 0\n"));
	other->Play(many.get(), 0, 0, 0);
	other->Update(1.0f);
	small->SetProjectionMatrix(renderer->GetProjectionMatrix());
	small->SetCameraMatrix(renderer->GetCameraMatrix());
	small->BeginRendering();
	other->Draw();
	small->EndRendering();
	const PixelImage image = ReadBackBuffer();
	size_t lit = 0;
	for (UINT x = 0; x < 1280; x += 2) {
		lit += image.At(x, 360).r > 0 ? 1 : 0;
	}
	// Three of ten dots, each about 12 pixels wide (sampled every other pixel).
	EXPECT_GT(lit, 12u);
	EXPECT_LT(lit, 25u);
	other.reset();
	small->Destroy();
}

}  // namespace
