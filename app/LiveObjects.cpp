#include "app/LiveObjects.h"

#include "particles/Effect.h"
#include "particles/EffectInstance.h"
#include "platform/audio/AudioDevice.h"
#include "platform/gpu/GLObjectCounter.h"

#include <sstream>

std::string LiveObjects::ToJson() const {
	std::ostringstream json;
	json << "{\"textures\":" << textures << ",\"renderbuffers\":" << renderbuffers << ",\"buffers\":" << buffers
	     << ",\"programs\":" << programs << ",\"framebuffers\":" << framebuffers << ",\"effects\":" << effects
	     << ",\"effectInstances\":" << effectInstances << ",\"sources\":" << sources
	     << ",\"sourcesHeld\":" << sourcesHeld << ",\"voices\":" << voices << "}";
	return json.str();
}

bool LiveObjects::SameHoldingsAs(const LiveObjects& other) const {
	LiveObjects mine = *this;
	LiveObjects theirs = other;
	mine.sources = theirs.sources = 0;
	mine.sourcesHeld = theirs.sourcesHeld = 0;
	return mine == theirs;
}

LiveObjects CountLiveObjects() {
	LiveObjects live;
	live.textures = GLObjectCounter::Live(GLObjectKind::Texture);
	live.renderbuffers = GLObjectCounter::Live(GLObjectKind::Renderbuffer);
	live.buffers = GLObjectCounter::Live(GLObjectKind::Buffer);
	live.programs = GLObjectCounter::Live(GLObjectKind::Program);
	live.framebuffers = GLObjectCounter::Live(GLObjectKind::Framebuffer);
	live.effects = particles::Effect::LiveCount();
	live.effectInstances = particles::EffectInstance::LiveCount();
	const AudioDevice& audio = AudioDevice::Get();
	live.sources = audio.SourceCount();
	live.sourcesHeld = audio.SourcesHeld();
	live.voices = audio.VoiceCount();
	return live;
}
