// The glow blur: its half-size targets, the texel sizes of its passes, the
// spreading it does, and that render target 0 comes back as it was.

#include "render/BlurFilter.h"
#include "tests/render/RenderTestSupport.h"

#include <cmath>

namespace {

class BlurFilterTest : public RenderTest {
protected:
	void SetUp() override {
		RenderTest::SetUp();
		blur.Init();
		ASSERT_NE(blur.effect, nullptr);
		ASSERT_TRUE(input.Create(UINT(ScreenWidth()), 720, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
		                         D3DPOOL_DEFAULT));
	}
	void TearDown() override {
		input.Release();
		blur.Release();
		RenderTest::TearDown();
	}

	// Black with one white square of side `size` centred at (x, y).
	void PaintInput(LONG x, LONG y, LONG size) {
		input.SetAsRenderTarget(0);
		Device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
		const D3DRECT square = {x - size / 2, y - size / 2, x + size / 2, y + size / 2};
		Device()->Clear(1, &square, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0);
		Device()->SetRenderTarget(0, Graphics().backBuffer);
	}

	BlurFilter blur;
	Texture input;
};

TEST_F(BlurFilterTest, TheTargetsAreHalfTheScreen) {
	EXPECT_EQ(ShaderErrorBoxes(), 0u);
	for (const Texture* target : {&blur.scratchTarget, &blur.resultTarget}) {
		EXPECT_EQ(target->imageInfo.Width, 640u);
		EXPECT_EQ(target->imageInfo.Height, 360u);
		EXPECT_EQ(target->imageInfo.Format, D3DFMT_A8B8G8R8);
	}
	EXPECT_NE(blur.scratchTarget.texture, blur.resultTarget.texture);
}

TEST_F(BlurFilterTest, PassesUseTheTexelSizeOfTheirInput) {
	RecordingEffect* recorder = Record(blur.effect);
	PaintInput(640, 360, 16);
	blur.Blur(input);
	std::vector<std::string> techniques;
	for (const RecordingEffect::Call& call : recorder->Calls("SetTechnique")) {
		techniques.push_back(call.name);
	}
	std::vector<std::string> expected = {"NormalTech"};
	for (int i = 0; i < 5; ++i) {
		expected.push_back("XBlurTech");
		expected.push_back("YBlurTech");
	}
	EXPECT_EQ(techniques, expected);

	std::vector<D3DXVECTOR4> sizes;
	for (const RecordingEffect::Call& call : recorder->Calls("SetVector")) {
		if (call.name == "TexelSize") {
			sizes.push_back(call.vector);
		}
	}
	ASSERT_EQ(sizes.size(), 11u);
	EXPECT_FLOAT_EQ(sizes[0].x, 1.0f / 1280.0f);
	EXPECT_FLOAT_EQ(sizes[0].y, 1.0f / 720.0f);
	for (size_t i = 1; i < sizes.size(); ++i) {
		EXPECT_FLOAT_EQ(sizes[i].x, 1.0f / 640.0f) << i;
		EXPECT_FLOAT_EQ(sizes[i].y, 1.0f / 360.0f) << i;
	}
	// The downsample is drawn at full strength.
	const std::vector<RecordingEffect::Call> vectors = recorder->Calls("SetVector");
	ASSERT_FALSE(vectors.empty());
	EXPECT_EQ(vectors[0].name, "Color");
	EXPECT_FLOAT_EQ(vectors[0].vector.x, 1.0f);
	EXPECT_FLOAT_EQ(vectors[0].vector.w, 1.0f);
}

// The downsample draws without the blend (its alpha of 1 would change
// nothing); the composite and the HUD after it need the blend back.
TEST_F(BlurFilterTest, BlurHandsTheBlendBackAsItFoundIt) {
	for (const DWORD blending : {DWORD(TRUE), DWORD(FALSE)}) {
		Device()->SetRenderState(D3DRS_ALPHABLENDENABLE, blending);
		blur.Blur(input);
		DWORD after = 2;
		Device()->GetRenderState(D3DRS_ALPHABLENDENABLE, &after);
		EXPECT_EQ(after, blending);
	}
	Device()->SetRenderTarget(0, Graphics().backBuffer);
}

TEST_F(BlurFilterTest, BlurRestoresRenderTargetZeroWithoutExtraReferences) {
	Texture other;
	ASSERT_TRUE(other.Create(1280, 720, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT));
	other.SetAsRenderTarget(0);
	IDirect3DSurface9* depth = nullptr;
	ASSERT_EQ(Device()->GetDepthStencilSurface(&depth), S_OK);
	const ULONG otherReferences = ReferenceCount(other.surface);
	const ULONG depthReferences = ReferenceCount(depth);
	blur.Blur(input);
	IDirect3DSurface9* after = nullptr;
	ASSERT_EQ(Device()->GetRenderTarget(0, &after), S_OK);
	EXPECT_EQ(after, other.surface);
	after->Release();
	ASSERT_EQ(Device()->GetDepthStencilSurface(&after), S_OK);
	EXPECT_EQ(after, depth);
	after->Release();
	EXPECT_EQ(ReferenceCount(other.surface), otherReferences);
	EXPECT_EQ(ReferenceCount(depth), depthReferences);
	depth->Release();
	Device()->SetRenderTarget(0, Graphics().backBuffer);
}

TEST_F(BlurFilterTest, ABrightSpotSpreadsEvenlyAndFades) {
	PaintInput(640, 360, 8);
	blur.Blur(input);
	RenderImage result;
	ASSERT_TRUE(result.Read(blur.resultTarget.surface));
	ASSERT_EQ(result.Width(), 640u);
	// The spot is 4 x 4 texels at half size, centred on texel corner (320, 180).
	const int centre = result.At(320, 180).r;
	EXPECT_GT(centre, 5);
	EXPECT_LT(centre, 200);
	const int left = result.At(313, 180).r;
	const int right = result.At(326, 180).r;
	const int above = result.At(320, 173).r;
	const int below = result.At(320, 186).r;
	EXPECT_GT(left, 0);
	EXPECT_LT(left, centre);
	EXPECT_NEAR(left, right, 3);
	EXPECT_NEAR(above, below, 3);
	EXPECT_NEAR(left, above, 3);
	EXPECT_EQ(result.At(100, 100).r, 0);
	// Grey in, grey out: the channels stay together.
	EXPECT_EQ(result.At(320, 180).g, centre);
	// Most of the light is kept: 64 white full-size pixels make 16 at half size.
	double total = 0;
	for (UINT y = 140; y < 220; ++y) {
		for (UINT x = 280; x < 360; ++x) {
			total += result.At(x, y).r / 255.0;
		}
	}
	EXPECT_NEAR(total, 16.0, 3.0);
}

TEST_F(BlurFilterTest, NormalScalesByColourAndTheCompositeAdds) {
	PaintInput(640, 360, 1280);  // all white
	Texture target;
	ASSERT_TRUE(target.Create(64, 64, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT));
	target.SetAsRenderTarget(0);
	Device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
	const float half[4] = {0.5f, 0.25f, 1.0f, 1.0f};
	blur.DrawNormal(input, 0, 0, 64, 64, half);
	RenderImage image;
	ASSERT_TRUE(image.Read(target.surface));
	EXPECT_NEAR(image.At(32, 32).r, 128, 2);
	EXPECT_NEAR(image.At(32, 32).g, 64, 2);
	EXPECT_EQ(image.At(32, 32).b, 255);

	// The battle's composite: added over what is there.
	Device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF404040, 1.0f, 0);
	Device()->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
	const float dim[4] = {0.25f, 0.25f, 0.25f, 1.0f};
	blur.DrawNormal(input, 0, 0, 32, 64, dim);
	Device()->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
	ASSERT_TRUE(image.Read(target.surface));
	EXPECT_NEAR(image.At(16, 32).r, 0x40 + 64, 3);
	EXPECT_EQ(image.At(48, 32).r, 0x40);
	Device()->SetRenderTarget(0, Graphics().backBuffer);
}

class OddScreenBlurTest : public RenderTest {
protected:
	int ScreenWidth() const override { return 1281; }
};

TEST_F(OddScreenBlurTest, AnOddWidthRoundsTheTargetsDown) {
	ASSERT_EQ(Graphics().presentParameters.BackBufferWidth, 1281u);
	BlurFilter blur;
	blur.Init();
	EXPECT_EQ(blur.resultTarget.imageInfo.Width, 640u);
	EXPECT_EQ(blur.scratchTarget.imageInfo.Width, 640u);
	EXPECT_EQ(blur.resultTarget.imageInfo.Height, 360u);
}

TEST_F(BlurFilterTest, AnEmptyInputDrawsNothing) {
	RecordingEffect* recorder = Record(blur.effect);
	Texture empty;
	blur.Blur(empty);
	EXPECT_TRUE(recorder->Calls("Begin").empty());
}

TEST_F(BlurFilterTest, WithoutAnEffectBlurDoesNothing) {
	SafeRelease(blur.effect);
	IDirect3DSurface9* target = nullptr;
	ASSERT_EQ(Device()->GetRenderTarget(0, &target), S_OK);
	const ULONG references = ReferenceCount(target);
	blur.Blur(input);
	const float one[4] = {1, 1, 1, 1};
	blur.DrawNormal(input, 0, 0, 10, 10, one);
	EXPECT_EQ(ReferenceCount(target), references);
	target->Release();
}

}  // namespace
