// libFuzzer target: the particle effect reader must accept or refuse any
// bytes, always saying why it refused, without reading out of bounds.

#include "particles/EffectFileReader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
	particles::EffectFileReader reader("fuzz.efk");
	particles::EffectDefinition definition;
	if (!reader.Read({data, size}, definition) && reader.Error().empty()) {
		__builtin_trap();  // a refusal must say why
	}
	return 0;
}
