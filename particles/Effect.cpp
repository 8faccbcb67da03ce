#include "particles/Effect.h"

#include "particles/EffectFileReader.h"
#include "particles/Manager.h"
#include "particles/NodeRenderer.h"
#include "platform/system/DataPath.h"

namespace particles {

namespace {

void AppendUtf8(std::string& out, uint32_t code) {
	if (code < 0x80) {
		out += static_cast<char>(code);
	} else if (code < 0x800) {
		out += static_cast<char>(0xC0 | (code >> 6));
		out += static_cast<char>(0x80 | (code & 0x3F));
	} else if (code < 0x10000) {
		out += static_cast<char>(0xE0 | (code >> 12));
		out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
		out += static_cast<char>(0x80 | (code & 0x3F));
	} else {
		out += static_cast<char>(0xF0 | (code >> 18));
		out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
		out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
		out += static_cast<char>(0x80 | (code & 0x3F));
	}
}

void Magnify(EffectDefinition& definition, float factor) {
	for (NodeDefinition& node : definition.nodes) {
		for (Vec3Range* range : {&node.position, &node.velocity, &node.acceleration}) {
			range->min *= factor;
			range->max *= factor;
		}
		node.lineFrom *= factor;
		node.lineTo *= factor;
		for (FloatRange* range : {&node.sphereRadius, &node.outwardSpeed, &node.size}) {
			range->min *= factor;
			range->max *= factor;
		}
	}
}

std::string FolderOf(const std::string& path) {
	const size_t slash = path.find_last_of('/');
	return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool SetReason(std::string* reason, const std::string& why) {
	if (reason != nullptr) {
		*reason = why;
	}
	return false;
}

}  // namespace

std::string ToUtf8(std::u16string_view text) {
	std::string out;
	for (size_t i = 0; i < text.size(); ++i) {
		uint32_t code = text[i];
		if (code >= 0xD800 && code < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
			code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
			++i;
		} else if (code >= 0xD800 && code < 0xE000) {
			code = 0xFFFD;  // a lone surrogate
		}
		AppendUtf8(out, code);
	}
	return out;
}

std::string ToUtf8(std::wstring_view text) {
	std::string out;
	for (wchar_t c : text) {
		const uint32_t code = static_cast<uint32_t>(c);
		AppendUtf8(out, code <= 0x10FFFF && (code < 0xD800 || code >= 0xE000) ? code : 0xFFFD);
	}
	return out;
}

Effect* Effect::Create(Manager* manager, const std::u16string& path, float magnification,
                       const std::u16string& materialFolder, std::string* reason) {
	return Create(manager, ToUtf8(path), magnification, ToUtf8(materialFolder), reason);
}

Effect* Effect::Create(Manager* manager, const std::string& path, float magnification,
                       const std::string& materialFolder, std::string* reason) {
	const EffectFileLimits limits;
	std::vector<uint8_t> bytes;
	std::string why;
	if (!ReadDataFile(path, bytes, limits.maxBytes, why)) {
		SetReason(reason, why);
		return nullptr;
	}
	return CreateFromMemory(manager, bytes, path, magnification,
	                        materialFolder.empty() ? FolderOf(path) : materialFolder, reason);
}

Effect* Effect::CreateFromMemory(Manager* manager, std::span<const uint8_t> bytes, const std::string& sourceName,
                                 float magnification, const std::string& materialFolder, std::string* reason) {
	if (!EffectFileReader::HasFormatLine(bytes)) {
		SetReason(reason, sourceName + ": not a " + EffectFileReader::FORMAT_NAME + " file");
		return nullptr;
	}
	auto definition = std::make_shared<EffectDefinition>();
	EffectFileReader reader(sourceName);
	if (!reader.Read(bytes, *definition)) {
		SetReason(reason, reader.Error());
		return nullptr;
	}
	if (magnification > 0.0f && magnification != 1.0f) {
		Magnify(*definition, magnification);
	}
	Effect* effect = new Effect();
	std::string folder = materialFolder;
	if (!folder.empty() && folder.back() != '/') {
		folder += '/';
	}
	for (const NodeDefinition& node : definition->nodes) {
		TexturePtr texture;
		ModelPtr model;
		if (manager != nullptr && manager->GetTextureLoader() != nullptr && !node.texture.empty()) {
			texture = manager->GetTextureLoader()->Load(folder + node.texture);
		}
		if (manager != nullptr && manager->GetModelRenderer() != nullptr && !node.model.empty()) {
			model = manager->GetModelRenderer()->LoadModel(folder + node.model);
		}
		effect->textures.push_back(std::move(texture));
		effect->models.push_back(std::move(model));
	}
	effect->definition = std::move(definition);
	return effect;
}

namespace {
int liveEffects = 0;
}

Effect::Effect() { ++liveEffects; }

Effect::~Effect() { --liveEffects; }

int Effect::LiveCount() { return liveEffects; }

int Effect::Release() {
	const int remaining = --references;
	if (remaining == 0) {
		delete this;
	}
	return remaining;
}

}  // namespace particles
