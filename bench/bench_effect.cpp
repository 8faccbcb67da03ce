// Reading effect files: the whole reader (checks, tokens, declarations,
// validation) and the GLSL assembly of every pass, on a file shaped like the
// model shader (a dozen parameters, four samplers, two techniques) grown with
// extra GLSL to about 64 KiB.

#include "platform/fx/EffectFileParser.h"
#include "platform/fx/ShaderSourceAssembler.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

std::string ModelLikeEffect(size_t glslLines) {
	std::string text = "vortane-effect 1\n";
	for (const char* matrix : {"mW", "mV", "mP", "mLightVP"}) {
		text += std::string("float4x4 ") + matrix + ";\n";
	}
	for (const char* vector : {"LightDir", "LightColor", "LightAmbient", "LightSpecular", "CamPos", "MateDiffuse",
	                           "MateEmissive", "MateSpecular", "OutlineColor"}) {
		text += std::string("float4 ") + vector + " = { 0, 0, 0, 1 };\n";
	}
	text += "float MateSpePower = 8;\nfloat OutlineSize = 0.05;\n";
	for (const char* texture : {"MateDiffuseTex", "ToonTex", "ShadowTex"}) {
		text += std::string("texture ") + texture + ";\nsampler " + texture + "Sampler { Texture = " + texture +
		        "; MinFilter = Linear; MagFilter = Linear; AddressU = Clamp; }\n";
	}
	text += "texturecube CubeTex;\nsampler CubeSampler { Texture = CubeTex; MinFilter = Linear; }\n";
	text += "glsl Common <<<\n";
	for (size_t i = 0; i < glslLines; ++i) {
		text += "float helper" + std::to_string(i) + "(float x) { return x * " + std::to_string(i) + ".0 + 1.0; }\n";
	}
	text += ">>>\nvertex VS <<<\nvoid main() { gl_Position = inPosition * mW * mV * mP; }\n>>>\n";
	text += "fragment FS <<<\nlayout(location = 0) out vec4 color;\nvoid main() { color = MateDiffuse; }\n>>>\n";
	text += "technique Tech { pass P0 { VertexShader = VS; FragmentShader = FS; CullMode = CCW; } }\n";
	text += "technique OutlineTech { pass P0 { VertexShader = VS; FragmentShader = FS; CullMode = CW; } }\n";
	return text;
}

void BM_ParseEffect(benchmark::State& state) {
	const std::string text = ModelLikeEffect(size_t(state.range(0)));
	for (auto _ : state) {
		EffectFileParser parser("bench.fx");
		EffectSource source;
		const bool ok = parser.Parse({reinterpret_cast<const uint8_t*>(text.data()), text.size()}, source);
		benchmark::DoNotOptimize(ok);
	}
	state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_ParseEffect)->Arg(10)->Arg(1000);

void BM_AssembleStages(benchmark::State& state) {
	const std::string text = ModelLikeEffect(1000);
	EffectFileParser parser("bench.fx");
	EffectSource source;
	if (!parser.Parse({reinterpret_cast<const uint8_t*>(text.data()), text.size()}, source)) {
		state.SkipWithError(parser.Error().c_str());
		return;
	}
	const ShaderSourceAssembler assembler(source, nullptr);
	for (auto _ : state) {
		for (const ShaderBlock& block : source.blocks) {
			if (block.kind != ShaderBlockKind::Shared) {
				benchmark::DoNotOptimize(assembler.Assemble(block));
			}
		}
	}
}
BENCHMARK(BM_AssembleStages);

}  // namespace

BENCHMARK_MAIN();
