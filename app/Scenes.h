// The scene functions of the dispatcher (DoAction), one file per group of
// scenes, and what they share: the page most scenes draw into and present.
#pragma once

#include "Gen32.h"

// The page most scenes draw into and present, and the second page.
inline defZENTRIXPAGE *const page = &EffectGFXPage32;
inline defZENTRIXPAGE *const second = &EffectGFXPage32_2;

inline void Present()
{
    EffectBlt(hMainAppWnd, hDrawWindowDC, page);
}

// ScenesTitle.cpp: test card, black, title, splot, spirals, scroller.
void SceneTestPicture();
void SceneBlack();
void SceneTitle(float F);
void SceneSplot(float F);
void SceneSpirals(float F);
void SceneScroller(float F);

// ScenesBump.cpp
void SceneBumpy(float F);

// ScenesWater.cpp
void SceneWater(float F);

// ScenesLand.cpp
void SceneLand(float F);

// ScenesTrees.cpp
void SceneTrees(float F);

// ScenesFire.cpp
void SceneFire(float F);
void SceneFireCurtain(float F);

// Scenes3D.cpp: the dolphin (12), the helix and the man (17).
void SceneDolphin(float F);
void SceneHelixMan(float F);
