#include "platform/fx/EffectFileParser.h"
#include "platform/fx/ShaderSourceAssembler.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char* const GOOD_EFFECT = R"(vortane-effect 1
// parameters
float4x4 mW;
float4 OutlineColor = { 0.7, 0, 0, 1 };
float OutlineSize = 0.05f;
float3 LightDir;
texture MateDiffuseTex;
texturecube CubeTex;
float2 Offset = { -1.5, 2e-1 };
sampler DiffuseSampler {
	Texture = MateDiffuseTex;
	MinFilter = Linear;
	MagFilter = LINEAR;
	AddressU = Clamp;
};
sampler CubeSampler { Texture = CubeTex; }

glsl Common <<<
vec3 Shade(vec3 n) { return n; }
>>>
vertex ModelVS <<<
void main() { gl_Position = inPosition * mW; }
>>>
fragment ModelFS <<<
layout(location = 0) out vec4 color;
void main() { color = OutlineColor; }
>>>

technique Tech {
	pass P0 {
		VertexShader = ModelVS;
		PixelShader = ModelFS;
		CullMode = CCW;
		ZWriteEnable = false;
		AlphaBlendEnable = True;
		SrcBlend = SrcAlpha;
		DestBlend = One;
		BlendOp = RevSubtract;
		ColorWriteEnable = 7;
	}
	pass P1 { VertexShader = ModelVS; FragmentShader = ModelFS; CullMode = CW; CullMode = None; }
}
)";

struct ParseResult {
	bool ok;
	EffectSource source;
	std::string error;
};

ParseResult ParseText(const std::string& text, EffectFileLimits limits = {}) {
	EffectFileParser parser("test.fx", limits);
	ParseResult result;
	result.ok = parser.Parse({reinterpret_cast<const uint8_t*>(text.data()), text.size()}, result.source);
	result.error = parser.Error();
	return result;
}

// The body of a file around one technique, so that each error case only
// varies the part under test.
std::string WithTechnique(const std::string& declarations, const std::string& passBody) {
	return "vortane-effect 1\n" + declarations +
	       "vertex VS <<<\nvoid main() {}\n>>>\nfragment FS <<<\nvoid main() {}\n>>>\n"
	       "technique T {\n\tpass P {\n" + passBody + "\n\t}\n}\n";
}

const std::string PASS_SHADERS = "VertexShader = VS; FragmentShader = FS;";

void ExpectFailureAt(const std::string& text, int line, const std::string& fragment) {
	const ParseResult result = ParseText(text);
	EXPECT_FALSE(result.ok);
	EXPECT_NE(result.error.find("test.fx(" + std::to_string(line) + "):"), std::string::npos)
		<< "error was: " << result.error;
	EXPECT_NE(result.error.find(fragment), std::string::npos) << "error was: " << result.error;
	EXPECT_TRUE(result.source.techniques.empty());
}

}  // namespace

TEST(EffectFileParser, ReadsEveryKindOfDeclaration) {
	const ParseResult result = ParseText(GOOD_EFFECT);
	ASSERT_TRUE(result.ok) << result.error;
	const EffectSource& source = result.source;

	ASSERT_EQ(source.parameters.size(), 7u);
	EXPECT_EQ(source.parameters[0].type, EffectParameterType::Float4x4);
	const EffectParameterDecl* color = source.FindParameter("OutlineColor");
	ASSERT_NE(color, nullptr);
	EXPECT_FLOAT_EQ(color->initial[0], 0.7f);
	EXPECT_FLOAT_EQ(color->initial[3], 1.0f);
	EXPECT_FLOAT_EQ(source.FindParameter("OutlineSize")->initial[0], 0.05f);
	EXPECT_EQ(source.FindParameter("LightDir")->type, EffectParameterType::Float3);
	EXPECT_EQ(source.FindParameter("CubeTex")->type, EffectParameterType::TextureCube);

	ASSERT_EQ(source.samplers.size(), 2u);
	EXPECT_EQ(source.samplers[0].texture, "MateDiffuseTex");
	EXPECT_EQ(source.samplers[0].minFilter, DWORD(D3DTEXF_LINEAR));
	EXPECT_EQ(source.samplers[0].magFilter, DWORD(D3DTEXF_LINEAR));
	EXPECT_EQ(source.samplers[0].addressU, DWORD(D3DTADDRESS_CLAMP));
	EXPECT_EQ(source.samplers[0].addressV, DWORD(D3DTADDRESS_WRAP));
	EXPECT_EQ(source.samplers[1].minFilter, DWORD(D3DTEXF_POINT));

	ASSERT_EQ(source.blocks.size(), 3u);
	EXPECT_EQ(source.blocks[0].kind, ShaderBlockKind::Shared);
	EXPECT_EQ(source.blocks[0].text, "vec3 Shade(vec3 n) { return n; }\n");
	EXPECT_EQ(source.blocks[0].firstLine, 19);
	EXPECT_FLOAT_EQ(source.FindParameter("Offset")->initial[0], -1.5f);
	EXPECT_FLOAT_EQ(source.FindParameter("Offset")->initial[1], 0.2f);
	EXPECT_EQ(source.blocks[1].kind, ShaderBlockKind::Vertex);
	EXPECT_EQ(source.blocks[2].firstLine, 25);

	ASSERT_EQ(source.techniques.size(), 1u);
	const EffectTechniqueDecl& technique = source.techniques[0];
	ASSERT_EQ(technique.passes.size(), 2u);
	const EffectPassDecl& first = technique.passes[0];
	EXPECT_EQ(first.vertexBlock, "ModelVS");
	EXPECT_EQ(first.fragmentBlock, "ModelFS");
	ASSERT_EQ(first.states.size(), 7u);
	EXPECT_EQ(first.states[0].state, D3DRS_CULLMODE);
	EXPECT_EQ(first.states[0].value, DWORD(D3DCULL_CCW));
	EXPECT_EQ(first.states[1].value, DWORD(FALSE));
	EXPECT_EQ(first.states[2].value, DWORD(TRUE));
	EXPECT_EQ(first.states[4].value, DWORD(D3DBLEND_ONE));
	EXPECT_EQ(first.states[5].value, DWORD(D3DBLENDOP_REVSUBTRACT));
	EXPECT_EQ(first.states[6].value, 7u);
	// A state assigned twice keeps the last value.
	ASSERT_EQ(technique.passes[1].states.size(), 1u);
	EXPECT_EQ(technique.passes[1].states[0].value, DWORD(D3DCULL_NONE));
}

TEST(EffectFileParser, AcceptsByteOrderMarkAndWindowsLineEnds) {
	std::string text = GOOD_EFFECT;
	std::string crlf = "\xEF\xBB\xBF";
	for (const char c : text) {
		crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
	}
	const ParseResult result = ParseText(crlf);
	ASSERT_TRUE(result.ok) << result.error;
	EXPECT_EQ(result.source.techniques[0].passes.size(), 2u);
}

TEST(EffectFileParser, RefusesMissingOrWrongVersionLine) {
	ExpectFailureAt("float4 X;\n", 1, "vortane-effect 1");
	ExpectFailureAt("", 1, "vortane-effect 1");
	ExpectFailureAt("vortane-effect\n", 1, "vortane-effect 1");
	ExpectFailureAt("vortane-effect 2\ntechnique T {}\n", 1, "unsupported format version '2'");
}

TEST(EffectFileParser, ReportsSyntaxErrorsWithTheirLine) {
	ExpectFailureAt(WithTechnique("float4 A\nfloat B;\n", PASS_SHADERS), 3, "expected ';'");
	ExpectFailureAt(WithTechnique("float4 A;\nshader B;\n", PASS_SHADERS), 3, "unknown keyword 'shader'");
	ExpectFailureAt(WithTechnique("float2 A = { 1, 2, 3 };\n", PASS_SHADERS), 2, "takes 2 values");
	ExpectFailureAt(WithTechnique("float2 A = { 1 };\n", PASS_SHADERS), 2, "takes 2 values, not 1");
	ExpectFailureAt(WithTechnique("float A = 1x;\n", PASS_SHADERS), 2, "malformed number");
	ExpectFailureAt(WithTechnique("", PASS_SHADERS + "\nFogEnable = True;"), 11, "unknown pass state 'FogEnable'");
	ExpectFailureAt(WithTechnique("", PASS_SHADERS + "\nCullMode = Sideways;"), 11, "unknown value 'Sideways'");
	ExpectFailureAt(WithTechnique("", PASS_SHADERS + "\nAlphaRef = -1;"), 11, "expected a number");
	ExpectFailureAt(WithTechnique("float A; @\n", PASS_SHADERS), 2, "unexpected character '@'");
	ExpectFailureAt(WithTechnique("/* never\nclosed\n", PASS_SHADERS), 2, "never closed");
	ExpectFailureAt(WithTechnique("sampler S { Texture = T; }\n", PASS_SHADERS), 2, "no texture parameter");
	ExpectFailureAt(WithTechnique("float A;\nsampler S { Texture = A; }\n", PASS_SHADERS), 3, "no texture parameter");
	ExpectFailureAt(WithTechnique("texture A;\nsampler S { MinFilter = Linear; }\n", PASS_SHADERS), 3,
	                "names no Texture");
	ExpectFailureAt(WithTechnique("texture A;\nsampler S { Texture = A; Swizzle = X; }\n", PASS_SHADERS), 3,
	                "unknown sampler state 'Swizzle'");
	ExpectFailureAt(WithTechnique("texture A = 1;\n", PASS_SHADERS), 2, "takes no initial value");
}

TEST(EffectFileParser, RefusesInconsistentDeclarations) {
	ExpectFailureAt(WithTechnique("float A;\n\nfloat4 A;\n", PASS_SHADERS), 4, "'A' declared twice");
	ExpectFailureAt(WithTechnique("float d3d_Size;\n", PASS_SHADERS), 2, "reserved name");
	ExpectFailureAt(WithTechnique("", "VertexShader = VS;"), 9, "needs a VertexShader and a FragmentShader");
	ExpectFailureAt(WithTechnique("", "VertexShader = FS; FragmentShader = FS;"), 9, "'FS' is no vertex block");
	ExpectFailureAt(WithTechnique("", "VertexShader = VS; FragmentShader = Missing;"), 9,
	                "'Missing' is no fragment block");
	ExpectFailureAt("vortane-effect 1\ntechnique T {\n}\n", 2, "has no pass");
	ExpectFailureAt("vortane-effect 1\nfloat A;\n", 3, "declares no technique");
	ExpectFailureAt(WithTechnique("vertex VS <<<\n>>>\n", PASS_SHADERS), 4, "'VS' declared twice");
	ExpectFailureAt(WithTechnique("", PASS_SHADERS + "\n\t}\n\tpass P {\n" + PASS_SHADERS), 12,
	                "pass 'P' declared twice");
}

TEST(EffectFileParser, RefusesBrokenGlslBlocks) {
	ExpectFailureAt("vortane-effect 1\nvertex VS <<<\nvoid main() {}\n", 2, "never closed by '>>>'");
	ExpectFailureAt("vortane-effect 1\nvertex VS <<< void main() {}\n>>>\n", 2, "'<<<' must end its line");
	ExpectFailureAt("vortane-effect 1\nvertex VS\ntechnique T {}\n", 3, "expected '<<<'");
	// ">>>" only closes a block when it stands alone on its line.
	const ParseResult result = ParseText(WithTechnique("glsl G <<<\nint a = 1 >>> 2;\n  >>>  \n", PASS_SHADERS));
	ASSERT_TRUE(result.ok) << result.error;
	EXPECT_EQ(result.source.blocks[0].text, "int a = 1 >>> 2;\n");
}

TEST(EffectFileParser, FailsOnEveryTruncationOfAGoodFile) {
	const std::string text = GOOD_EFFECT;
	const size_t lastBrace = text.rfind('}');
	for (size_t length = 0; length < lastBrace; ++length) {
		const ParseResult result = ParseText(text.substr(0, length));
		ASSERT_FALSE(result.ok) << "accepted the first " << length << " bytes";
		ASSERT_FALSE(result.error.empty());
	}
}

TEST(EffectFileParser, EnforcesSizeAndCountLimits) {
	std::string manyParameters;
	for (int i = 0; i < 257; ++i) {
		manyParameters += "float P" + std::to_string(i) + ";\n";
	}
	ExpectFailureAt(WithTechnique(manyParameters, PASS_SHADERS), 258, "more than 256 parameters");

	std::string manyPasses = "vortane-effect 1\nvertex VS <<<\n>>>\nfragment FS <<<\n>>>\ntechnique T {\n";
	for (int i = 0; i < 17; ++i) {
		manyPasses += "pass P" + std::to_string(i) + " { " + PASS_SHADERS + " }\n";
	}
	ExpectFailureAt(manyPasses + "}\n", 23, "more than 16 passes");

	std::string manySamplers = "texture A;\n";
	for (int i = 0; i < 9; ++i) {
		manySamplers += "sampler S" + std::to_string(i) + " { Texture = A; }\n";
	}
	ExpectFailureAt(WithTechnique(manySamplers, PASS_SHADERS), 11, "more than 8 samplers");

	ExpectFailureAt(WithTechnique("float " + std::string(65, 'n') + ";\n", PASS_SHADERS), 2, "longer than 64");
	ExpectFailureAt(WithTechnique("// " + std::string(5000, 'x') + "\n", PASS_SHADERS), 2, "line longer than");
	ExpectFailureAt(WithTechnique(std::string("float A;\0\n", 10), PASS_SHADERS), 2, "NUL byte");

	EffectFileLimits small;
	small.maxBytes = 64;
	const ParseResult tooLarge = ParseText(GOOD_EFFECT, small);
	EXPECT_FALSE(tooLarge.ok);
	EXPECT_NE(tooLarge.error.find("larger than 64 bytes"), std::string::npos);
}

TEST(ShaderSourceAssembler, WrapsVertexStagesAndDeclaresParameters) {
	const ParseResult result = ParseText(GOOD_EFFECT);
	ASSERT_TRUE(result.ok) << result.error;
	const D3DXMACRO defines[] = {{"SHADOWS", "1"}, {nullptr, nullptr}};
	const ShaderSourceAssembler assembler(result.source, defines);
	const std::string vertex = assembler.Assemble(*result.source.FindBlock("ModelVS"));
	const std::string fragment = assembler.Assemble(*result.source.FindBlock("ModelFS"));

	EXPECT_EQ(vertex.rfind("#version 330 core\n", 0), 0u);
	EXPECT_EQ(fragment.rfind("#version 330 core\n", 0), 0u);
	for (const std::string* text : {&vertex, &fragment}) {
		EXPECT_NE(text->find("#define SHADOWS 1\n"), std::string::npos);
		EXPECT_NE(text->find("uniform mat4 mW;\n"), std::string::npos);
		EXPECT_NE(text->find("uniform vec3 LightDir;\n"), std::string::npos);
		EXPECT_NE(text->find("uniform sampler2D DiffuseSampler;\n"), std::string::npos);
		EXPECT_NE(text->find("uniform samplerCube CubeSampler;\n"), std::string::npos);
		EXPECT_EQ(text->find("MateDiffuseTex;"), std::string::npos) << "textures are not uniforms";
		EXPECT_NE(text->find("#line 19\nvec3 Shade"), std::string::npos) << "shared block with its file line";
	}
	EXPECT_NE(vertex.find("layout(location = 0) in vec4 inPosition;"), std::string::npos);
	EXPECT_NE(vertex.find("layout(location = 4) in vec2 inTexCoord1;"), std::string::npos);
	EXPECT_NE(vertex.find("vec4 d3d_PreTransformed(vec4 xyzrhw)"), std::string::npos);
	// The author's main is renamed and called from the generated one.
	const size_t rename = vertex.find("#define main d3d_UserMain\n#line 22\n");
	const size_t generated = vertex.find("#undef main\nvoid main() {\n\td3d_UserMain();");
	ASSERT_NE(rename, std::string::npos);
	ASSERT_NE(generated, std::string::npos);
	EXPECT_LT(rename, generated);
	EXPECT_EQ(fragment.find("d3d_UserMain"), std::string::npos);
	EXPECT_EQ(fragment.find("inPosition"), std::string::npos);
}

TEST(ShaderSourceAssembler, MovesExtensionDirectivesAboveTheDeclarations) {
	const ParseResult result = ParseText(R"(vortane-effect 1
float4 Tint;
glsl Shared <<<
  #extension GL_ARB_texture_gather : enable
vec4 Shade() { return Tint; }
>>>
vertex VS <<<
void main() { gl_Position = inPosition; }
>>>
fragment FS <<<
layout(location = 0) out vec4 color;
void main() { color = Shade(); }
>>>
technique T { pass P0 { VertexShader = VS; FragmentShader = FS; } }
)");
	ASSERT_TRUE(result.ok) << result.error;
	const ShaderSourceAssembler assembler(result.source, nullptr);
	const std::string fragment = assembler.Assemble(*result.source.FindBlock("FS"));
	EXPECT_EQ(fragment.rfind("#version 330 core\n  #extension GL_ARB_texture_gather : enable\nuniform vec4 Tint;", 0), 0u)
		<< fragment;
	EXPECT_EQ(fragment.find("#extension"), fragment.rfind("#extension")) << "moved, not copied";
	// A blank line stands in its place so the file's line numbers still hold.
	EXPECT_NE(fragment.find("#line 4\n\nvec4 Shade()"), std::string::npos) << fragment;
}
