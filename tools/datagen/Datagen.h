// The Data/ generators. Each writes its files into `dir` (created by the
// caller) and returns false, after saying why on stderr, when it fails.
#pragma once

#include <string>

bool GenerateTestCard(const std::string &dir);   // Testing.pcx
bool GenerateMusic(const std::string &dir);      // Kestrun.it
bool GenerateNumbers(const std::string &dir);    // Numbers.raw
bool GenerateWater(const std::string &dir);      // Water.raw, WaterPal.raw
bool GenerateLandTables(const std::string &dir); // Land.raw, Clouds.raw, ReflectClouds.raw
bool GenerateLights(const std::string &dir);     // SplotPalette.raw, lines.txt, LightStream.raw, Sprite.raw
bool GenerateLenz(const std::string &dir);       // Lenz*.raw, LenzMain/Red/Green/Blue.pcx
bool GenerateWarp(const std::string &dir);       // WaterBackground.pcx, OfsTable.pts
bool GenerateBumpy(const std::string &dir);      // Bumpy.raw
bool GenerateTitle(const std::string &dir);      // KestrunTitle.pcx, TitleMain.raw, TitleLight.raw
bool GenerateGreetz(const std::string &dir);     // NewGreetz.pcx
bool GenerateMeshes(const std::string &dir);     // objDolphin.3DS, objMan.3DS
bool GenerateMeshTextures(const std::string &dir); // Flipper.pcx, MetalTexture.pcx
