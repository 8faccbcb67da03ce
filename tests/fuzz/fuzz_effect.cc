// libFuzzer target: the effect-file reader and the GLSL assembly behind it
// must refuse or accept any bytes without reading out of bounds or hanging.

#include "platform/fx/EffectFileParser.h"
#include "platform/fx/ShaderSourceAssembler.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
	EffectFileParser parser("fuzz.fx");
	EffectSource source;
	if (!parser.Parse({data, size}, source)) {
		if (parser.Error().empty()) {
			__builtin_trap();  // a refusal must say why
		}
		return 0;
	}
	const ShaderSourceAssembler assembler(source, nullptr);
	for (const EffectTechniqueDecl& technique : source.techniques) {
		for (const EffectPassDecl& pass : technique.passes) {
			const ShaderBlock* vertex = source.FindBlock(pass.vertexBlock);
			const ShaderBlock* fragment = source.FindBlock(pass.fragmentBlock);
			if (vertex == nullptr || fragment == nullptr) {
				__builtin_trap();  // an accepted pass always names real blocks
			}
			(void)assembler.Assemble(*vertex);
			(void)assembler.Assemble(*fragment);
		}
	}
	return 0;
}
