#pragma once
// A loaded effect file: its nodes and the textures and models they use.
// Reference counted; instances keep the definition alive, so releasing an
// effect while its instances play is safe.

#include "particles/EffectDefinition.h"
#include "particles/Resources.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace particles {

class Manager;

class Effect {
public:
	// Loads an effect file (a data file name, resolved beside the executable)
	// through the manager's texture loader and model renderer. Textures and
	// models are looked up in materialFolder, or beside the effect file when
	// it is empty. magnification scales every distance and size. Null when
	// the file is missing, is not of our format or is malformed; *reason (when
	// given) then says why.
	static Effect* Create(Manager* manager, const std::u16string& path, float magnification = 1.0f,
	                      const std::u16string& materialFolder = u"", std::string* reason = nullptr);
	static Effect* Create(Manager* manager, const std::string& path, float magnification = 1.0f,
	                      const std::string& materialFolder = "", std::string* reason = nullptr);
	// The same from bytes held in memory; sourceName appears in the reason.
	static Effect* CreateFromMemory(Manager* manager, std::span<const uint8_t> bytes, const std::string& sourceName,
	                                float magnification, const std::string& materialFolder,
	                                std::string* reason = nullptr);

	int AddRef() { return ++references; }
	int Release();

	// Effects alive in the process, for leak checks over long runs.
	static int LiveCount();

	const EffectDefinitionPtr& Definition() const { return definition; }
	const TexturePtr& NodeTexture(size_t node) const { return textures[node]; }
	const ModelPtr& NodeModel(size_t node) const { return models[node]; }

private:
	Effect();
	~Effect();

	EffectDefinitionPtr definition;
	std::vector<TexturePtr> textures;  // one per node
	std::vector<ModelPtr> models;      // one per node
	int references = 1;
};

// UTF-16 and wide names to the UTF-8 the file system takes.
std::string ToUtf8(std::u16string_view text);
std::string ToUtf8(std::wstring_view text);

}  // namespace particles
