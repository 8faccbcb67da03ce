#include "player/PlayerHud.h"

#include "app/Application.h"
#include "app/GraphicsDevice.h"
#include "player/PlasmaLauncher.h"

#include <algorithm>

namespace {

constexpr D3DCOLOR OPAQUE_WHITE = 0xFFFFFFFF;
// One red texel, a little transparent of its own.
constexpr D3DCOLOR TINT_TEXEL = 0x64FF0000;
constexpr int32_t MAX_TINT_ALPHA = 255;
constexpr float FULL_HIT_POINTS = 300.0f;

D3DXMATRIX At(int x, int y) {
	D3DXMATRIX m;
	return *D3DXMatrixTranslation(&m, static_cast<float>(x), static_cast<float>(y), 0.0f);
}

}  // namespace

void PlayerHud::Initialise() {
	reticle.LoadFromFile("data/Texture/Reticle2.png", true);
	hpFill.LoadFromFile("data/Texture/Game/HP.png", true);
	hpFrame.LoadFromFile("data/Texture/Game/HPBar_Blue.png", true);
	gunIcon.LoadFromFile("data/Texture/Game/Gun_Gage.png", true);
	plasmaIcon.LoadFromFile("data/Texture/Game/Plasma_launcher.png", true);
	plasmaIconEmpty.LoadFromFile("data/Texture/Game/Plasma_Black.png", true);
	plasmaGauge.LoadFromFile("data/Texture/Game/PGage.png", true);
	plasmaGaugeFrame.LoadFromFile("data/Texture/Game/PGage_Bar.png", true);
	damageOverlay.Create(1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
	damageOverlay.Fill(TINT_TEXEL, 0);
}

void PlayerHud::Draw(float hitPoints, int32_t plasmaCharge) const {
	GraphicsDevice& graphics = GraphicsDevice::Get();
	const Application& application = Application::Get();
	const int w = application.clientWidth;
	const int h = application.clientHeight;

	graphics.DrawSpriteStretched(&hpFrame, 0, h - 150, 326, 60, OPAQUE_WHITE);
	// Hit points below zero last one frame; a negative width would mirror the bar.
	const int fillWidth = std::max(static_cast<int>(hitPoints), 0);
	graphics.DrawSpriteStretched(&hpFill, 21, h - 127, fillWidth, 13, OPAQUE_WHITE);
	D3DXMATRIX place = At(w - 180, h - 200);
	graphics.DrawSprite(&gunIcon, OPAQUE_WHITE, &place);
	place = At(w - 180, h - 300);
	graphics.DrawSprite(plasmaCharge >= PLASMA_FULL_CHARGE ? &plasmaIcon : &plasmaIconEmpty, OPAQUE_WHITE, &place);
	graphics.DrawSpriteStretched(&plasmaGaugeFrame, w - 220, h - 242, 230, 14, OPAQUE_WHITE);
	graphics.DrawSpriteStretched(&plasmaGauge, w - 215, h - 240, plasmaCharge / 2, 10, OPAQUE_WHITE);
	place = At(w / 2 + 5, h / 2 - 60);
	graphics.DrawSprite(&reticle, OPAQUE_WHITE, &place);
	if (hitPoints <= HUD_TINT_HIT_POINTS) {
		const int32_t alpha = std::min(static_cast<int32_t>(FULL_HIT_POINTS - hitPoints), MAX_TINT_ALPHA);
		graphics.DrawSpriteStretched(&damageOverlay, 0, 0, w, h, (D3DCOLOR(alpha) << 24) | 0x00FFFFFF);
	}
}

void PlayerHud::Release() {
	Texture* const all[] = {&reticle,         &hpFill,      &hpFrame,          &gunIcon,      &plasmaIcon,
	                        &plasmaIconEmpty, &plasmaGauge, &plasmaGaugeFrame, &damageOverlay};
	for (Texture* texture : all) {
		texture->Release();
	}
}
