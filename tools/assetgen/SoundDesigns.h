#pragma once
// Every sound of the game as a synthesis recipe. One-shots return their raw
// shape; the generator sets each file's level afterwards.

#include "tools/assetgen/Synth.h"

Samples MakeGunshot();
Samples MakeEnemyLaserShot();
Samples MakeLaserCharge();
Samples MakeLaserBeam();
Samples MakeBooster();
Samples MakeFootstep();
Samples MakeWallHit();
Samples MakeDamageHit();
Samples MakeSmallExplosion();
Samples MakeBigExplosion();
Samples MakePlasmaShot();
Samples MakePlasmaBlast();
Samples MakeStartButton();
Samples MakeResultButton();

// Seamless stereo loops, interleaved left, right: the last sample pair runs
// straight on into the first.
Samples MakeTitleMusic();
Samples MakeBattleMusic();
