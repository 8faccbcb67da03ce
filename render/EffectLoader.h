#pragma once
// Compiles an effect file; a failure shows the compiler's text in the
// shader error box and returns null, and the game runs on without it.

#include "platform/fx/D3DX9Effect.h"

ID3DXEffect* LoadEffectReportingErrors(const char* fileName);
