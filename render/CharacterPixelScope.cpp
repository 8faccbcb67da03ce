#include "render/CharacterPixelScope.h"

#include "platform/gpu/GpuHooks.h"

bool CharacterPixelScope::stageOnly = false;

// A frame the game's clock already runs without its picture stays so.
CharacterPixelScope::CharacterPixelScope() : wasSkipped(PictureSkipped()) {
	if (stageOnly) {
		SetPictureSkipped(true);
	}
}

CharacterPixelScope::~CharacterPixelScope() { SetPictureSkipped(wasSkipped); }
