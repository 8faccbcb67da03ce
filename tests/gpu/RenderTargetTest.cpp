// Render targets: several bound at once, float targets, and targets of a
// different size left out, drawn through a program of the test's own the way
// effect programs draw.

#include "GpuTestFixture.h"

#include "platform/gpu/GpuProgramBinding.h"

#include <epoxy/gl.h>

namespace {

const char* const VERTEX = R"(#version 330 core
layout(location = 0) in vec4 position;
uniform vec2 d3d_ViewportSize;
void main() {
	vec2 ndc = vec2(position.x / d3d_ViewportSize.x * 2.0 - 1.0, 1.0 - position.y / d3d_ViewportSize.y * 2.0);
	gl_Position = vec4(ndc.x, -ndc.y, 2.0 * position.z - 1.0, 1.0);
}
)";

const char* const FRAGMENT = R"(#version 330 core
uniform vec4 firstColor;
uniform vec4 secondColor;
layout(location = 0) out vec4 first;
layout(location = 1) out vec4 second;
void main() {
	first = firstColor;
	second = secondColor;
}
)";

// Two outputs: location 0 and location 1 take a colour each.
class TwoOutputProgram {
public:
	TwoOutputProgram() {
		program = glCreateProgram();
		for (const auto& [type, source] : {std::pair{GL_VERTEX_SHADER, VERTEX}, std::pair{GL_FRAGMENT_SHADER, FRAGMENT}}) {
			const GLuint shader = glCreateShader(type);
			glShaderSource(shader, 1, &source, nullptr);
			glCompileShader(shader);
			glAttachShader(program, shader);
			glDeleteShader(shader);
		}
		glLinkProgram(program);
		GLint linked = GL_FALSE;
		glGetProgramiv(program, GL_LINK_STATUS, &linked);
		EXPECT_EQ(linked, GL_TRUE);
	}
	~TwoOutputProgram() { glDeleteProgram(program); }

	void SetColors(const float first[4], const float second[4]) const {
		glUseProgram(program);
		glUniform4fv(glGetUniformLocation(program, "firstColor"), 1, first);
		glUniform4fv(glGetUniformLocation(program, "secondColor"), 1, second);
	}

	GLuint program = 0;
};

class RenderTargetTest : public GpuTest {
protected:
	void DrawFullQuad(const TwoOutputProgram& program, float width, float height) {
		GpuUseProgram(Device(), program.program);
		Graphics().DrawScreenQuad(0.0f, 0.0f, width, height, 1.0f, 1.0f);
		GpuUseProgram(Device(), 0);
	}

	void SetUp() override {
		GpuTest::SetUp();
		Device()->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
		Device()->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
	}
};

TEST_F(RenderTargetTest, OneDrawWritesTwoTargets) {
	Texture first;
	Texture second;
	ASSERT_TRUE(first.Create(64, 32, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT));
	ASSERT_TRUE(second.Create(64, 32, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8B8G8R8, D3DPOOL_DEFAULT));
	first.SetAsRenderTarget(0);
	second.SetAsRenderTarget(1);
	TwoOutputProgram program;
	const float red[4] = {1, 0, 0, 1};
	const float green[4] = {0, 1, 0, 1};
	program.SetColors(red, green);
	DrawFullQuad(program, 64.0f, 32.0f);
	PixelImage firstImage;
	PixelImage secondImage;
	ASSERT_TRUE(firstImage.Read(first.surface));
	ASSERT_TRUE(secondImage.Read(second.surface));
	EXPECT_EQ(firstImage.CountDifferent(0, 0, 64, 32, Pixel{255, 0, 0, 255}), 0u);
	EXPECT_EQ(secondImage.CountDifferent(0, 0, 64, 32, Pixel{0, 255, 0, 255}), 0u);

	// Unbinding target 1 stops writes to it.
	Device()->SetRenderTarget(1, nullptr);
	const float blue[4] = {0, 0, 1, 1};
	program.SetColors(blue, blue);
	DrawFullQuad(program, 64.0f, 32.0f);
	ASSERT_TRUE(firstImage.Read(first.surface));
	ASSERT_TRUE(secondImage.Read(second.surface));
	EXPECT_EQ(firstImage.At(10, 10), (Pixel{0, 0, 255, 255}));
	EXPECT_EQ(secondImage.At(10, 10), (Pixel{0, 255, 0, 255}));
	Device()->SetRenderTarget(0, Graphics().backBuffer);
}

TEST_F(RenderTargetTest, FloatTargetKeepsValuesBeyondOne) {
	Texture target;
	ASSERT_TRUE(target.Create(16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_R32F, D3DPOOL_DEFAULT));
	target.SetAsRenderTarget(0);
	Device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0);
	std::vector<float> values;
	UINT width = 0;
	UINT height = 0;
	ASSERT_TRUE(ReadRenderTargetFloats(target.surface, values, width, height));
	ASSERT_EQ(values.size(), 256u);
	EXPECT_EQ(values[0], 1.0f);

	TwoOutputProgram program;
	for (const float value : {0.25f, 3.5f}) {
		const float color[4] = {value, 0, 0, 1};
		program.SetColors(color, color);
		DrawFullQuad(program, 16.0f, 16.0f);
		ASSERT_TRUE(ReadRenderTargetFloats(target.surface, values, width, height));
		EXPECT_EQ(width, 16u);
		EXPECT_EQ(values[0], value);
		EXPECT_EQ(values[255], value);
	}
	Device()->SetRenderTarget(0, Graphics().backBuffer);
}

TEST_F(RenderTargetTest, TargetOfAnotherSizeDoesNotShrinkTheDrawing) {
	// As in the shadow pass: a large float target 0 while a smaller target 1
	// stays bound; target 0 must still be drawn and cleared whole.
	Texture shadow;
	Texture glow;
	ASSERT_TRUE(shadow.Create(128, 128, 1, D3DUSAGE_RENDERTARGET, D3DFMT_R32F, D3DPOOL_DEFAULT));
	ASSERT_TRUE(glow.Create(64, 32, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT));
	glow.SetAsRenderTarget(0);
	Device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
	shadow.SetAsRenderTarget(0);
	glow.SetAsRenderTarget(1);
	Device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0);
	TwoOutputProgram program;
	const float half[4] = {0.5f, 0, 0, 1};
	program.SetColors(half, half);
	DrawFullQuad(program, 128.0f, 64.0f);

	std::vector<float> values;
	UINT width = 0;
	UINT height = 0;
	ASSERT_TRUE(ReadRenderTargetFloats(shadow.surface, values, width, height));
	EXPECT_EQ(values[63 * 128 + 127], 0.5f);  // drawn, beyond the small target
	EXPECT_EQ(values[100 * 128 + 100], 1.0f); // cleared, not drawn
	PixelImage glowImage;
	ASSERT_TRUE(glowImage.Read(glow.surface));
	EXPECT_EQ(glowImage.CountDifferent(0, 0, 64, 32, Pixel{0, 0, 0, 255}), 0u);
	Device()->SetRenderTarget(1, nullptr);
	Device()->SetRenderTarget(0, Graphics().backBuffer);
}

TEST_F(RenderTargetTest, RenderTargetTextureSamplesTopRowAtVZero) {
	Texture target;
	ASSERT_TRUE(target.Create(4, 4, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT));
	target.SetAsRenderTarget(0);
	Device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
	const D3DRECT topRow{0, 0, 4, 1};
	Device()->Clear(1, &topRow, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0);
	Device()->SetRenderTarget(0, Graphics().backBuffer);
	// Drawn 1:1 at the origin, the top row must come out on top.
	Device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
	D3DXMATRIX identity;
	GraphicsDevice::SetIdentity(&identity);
	Graphics().sprite->Begin(D3DXSPRITE_ALPHABLEND);
	Graphics().DrawSprite(&target, 0xFFFFFFFF, &identity);
	Graphics().sprite->End();
	const PixelImage image = ReadBackBuffer();
	EXPECT_EQ(image.At(2, 0), (Pixel{255, 0, 0, 255}));
	EXPECT_EQ(image.At(2, 3), (Pixel{0, 0, 255, 255}));
}

TEST_F(RenderTargetTest, DepthTestUsesTheBoundDepthSurface) {
	struct Vertex {
		float x, y, z, rhw;
		D3DCOLOR color;
	};
	auto quad = [&](float z, D3DCOLOR color) {
		const Vertex vertices[4] = {{0, 0, z, 1, color}, {32, 0, z, 1, color}, {0, 32, z, 1, color}, {32, 32, z, 1, color}};
		Device()->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, vertices, sizeof(Vertex));
	};
	Device()->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
	Device()->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
	Device()->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
	Device()->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
	quad(0.25f, 0xFFFF0000);
	quad(0.75f, 0xFF00FF00);  // behind: hidden
	EXPECT_EQ(ReadBackBuffer().At(16, 16), (Pixel{255, 0, 0, 255}));
	Device()->SetDepthStencilSurface(nullptr);
	quad(0.75f, 0xFF00FF00);  // no depth surface: drawn
	EXPECT_EQ(ReadBackBuffer().At(16, 16), (Pixel{0, 255, 0, 255}));
}

}  // namespace
