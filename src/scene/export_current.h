#pragma once

// Command handler: asks where to write the current model (proposing its own
// name with .glb in the start folder) and exports it, as glTF or OBJ by
// the name given, with every frame; reports how it went.
void ExportCurrentModel(float unused = 0.0f);
