// Preview pictures of the demo's meshes (four turns each, demo projection).
#pragma once

#include "Image.h"
#include "MeshBuild.h"

#include <string>

// `texture` is the skin sampled through the mapping, or with `environment`
// the environment picture looked up by the normal, as the metal faces do.
Picture MeshPreviewSheet(const Mesh &mesh, const Picture &texture, bool environment);

// The pictures the meshes wear (the same ones the generator writes).
Picture MakeDolphinSkin();
Picture MakeMetalEnvironment();

// The preview of "objDolphin.3DS" or "objMan.3DS" in dataDir, worn with the
// pictures written there (Flipper.pcx, MetalTexture.pcx). False when either
// is missing or the name is not one of the two.
bool MeshPreviewOfFile(const std::string &dataDir, const std::string &file, Picture *out);
