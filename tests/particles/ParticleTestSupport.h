#pragma once
// Effects built from text for the runtime's tests, and a renderer that
// records what it is asked to draw.

#include "particles/Effect.h"
#include "particles/Manager.h"

#include <memory>
#include <string>
#include <vector>

namespace particles_test {

inline std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

// Releases the effect when the test ends.
struct EffectDeleter {
	void operator()(particles::Effect* effect) const {
		if (effect != nullptr) {
			effect->Release();
		}
	}
};
using EffectPtr = std::unique_ptr<particles::Effect, EffectDeleter>;

inline EffectPtr EffectFromText(const std::string& text, particles::Manager* manager = nullptr,
                                std::string* reason = nullptr) {
	return EffectPtr(particles::Effect::CreateFromMemory(manager, Bytes(text), "test.efk", 1.0f, "", reason));
}

// One sprite node: `count` particles born on the first frame, living `life` frames.
inline std::string SpriteEffect(int count, int life, const std::string& extra = "") {
	return "vortane-particles 1\nnode Dots\nrenderer sprite\ncount " + std::to_string(count) + "\nlife " +
	       std::to_string(life) + "\n" + extra;
}

struct ManagerDeleter {
	void operator()(particles::Manager* manager) const { manager->Destroy(); }
};
using ManagerPtr = std::unique_ptr<particles::Manager, ManagerDeleter>;

// Counts the particles it is given, per draw, and keeps their positions.
class RecordingRenderer : public particles::NodeRenderer {
public:
	struct Log {
		size_t calls = 0;
		size_t particles = 0;
		std::vector<D3DXVECTOR3> worldPositions;
	};
	explicit RecordingRenderer(std::shared_ptr<Log> log_) : log(std::move(log_)) {}
	void Render(const particles::NodeDrawData& data) override {
		++log->calls;
		log->particles += data.count;
		for (size_t i = 0; i < data.count; ++i) {
			D3DXVECTOR3 p = data.particles[i].position;
			if (data.node->followInstance) {
				D3DXVec3TransformCoord(&p, &data.particles[i].position, data.instanceMatrix);
			}
			log->worldPositions.push_back(p);
		}
	}

private:
	std::shared_ptr<Log> log;
};

}  // namespace particles_test
