#include "platform/fx/EffectSource.h"

UINT EffectParameterBytes(EffectParameterType type) {
	switch (type) {
	case EffectParameterType::Float: return 4;
	case EffectParameterType::Float2: return 8;
	case EffectParameterType::Float3: return 12;
	case EffectParameterType::Float4: return 16;
	case EffectParameterType::Float4x4: return 64;
	case EffectParameterType::Texture:
	case EffectParameterType::TextureCube: return 0;
	}
	return 0;
}

bool IsTextureParameter(EffectParameterType type) {
	return type == EffectParameterType::Texture || type == EffectParameterType::TextureCube;
}

template <typename Decl>
static const Decl* FindByName(const std::vector<Decl>& list, const std::string& name) {
	for (const Decl& decl : list) {
		if (decl.name == name) {
			return &decl;
		}
	}
	return nullptr;
}

const EffectParameterDecl* EffectSource::FindParameter(const std::string& name) const {
	return FindByName(parameters, name);
}

const EffectSamplerDecl* EffectSource::FindSampler(const std::string& name) const {
	return FindByName(samplers, name);
}

const ShaderBlock* EffectSource::FindBlock(const std::string& name) const { return FindByName(blocks, name); }

const EffectTechniqueDecl* EffectSource::FindTechnique(const std::string& name) const {
	return FindByName(techniques, name);
}
