#include "enemy/TurretGun.h"

#include "enemy/EnemyBase.h"
#include "render/ModelTable.h"

namespace {

const char* const BEAM_FILE = "data/Effect_data/Blue_Raser.efk";
const char* const EFFECT_FOLDER = "data/Effect_data/";
constexpr float MUZZLE_REACH = 50.0f;

}  // namespace

TurretGun::TurretGun() {
	D3DXMatrixIdentity(&gunMatrix);
	D3DXMatrixIdentity(&muzzle);
}

void TurretGun::Load() { beam.Load(BEAM_FILE, EFFECT_FOLDER); }

void TurretGun::Fire(float yawDegrees) {
	cooldown = 0;
	beamActive = true;
	beam.SetPosition(D3DXVECTOR3(muzzle._41, muzzle._42, muzzle._43));
	beam.PlayOriented(yawDegrees, 0.0f);
}

void TurretGun::Update() {
	if (cooldown < TURRET_COOLDOWN_FRAMES) {
		++cooldown;
	}
	if (beamActive) {
		beam.Update();
	}
}

void TurretGun::UpdateMuzzle() {
	D3DXMATRIX reach;
	D3DXMatrixTranslation(&reach, 0.0f, 0.0f, -MUZZLE_REACH);
	muzzle = reach * gunMatrix;
}

void TurretGun::DrawGun() const { EnemyBase::DrawPart(gunMatrix, MODEL_TURRET_GUN); }

void TurretGun::DrawBeam() { beam.DrawCurrent(); }

void TurretGun::Release() { beam.Release(); }
