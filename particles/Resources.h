#pragma once
// Renderer-side resources an effect refers to. The simulation only carries
// them to the renderers; what they hold is the renderer's business.

#include <memory>
#include <string>

namespace particles {

class TextureResource {
public:
	virtual ~TextureResource() = default;
};

class ModelResource {
public:
	virtual ~ModelResource() = default;
};

using TexturePtr = std::shared_ptr<const TextureResource>;
using ModelPtr = std::shared_ptr<const ModelResource>;

// Loads the textures effects name; given to a manager with SetTextureLoader.
class TextureLoader {
public:
	virtual ~TextureLoader() = default;
	// Null when the file is missing or unreadable: the node then draws untextured.
	virtual TexturePtr Load(const std::string& path) = 0;
};

}  // namespace particles
