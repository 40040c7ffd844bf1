#include <cstdint>
#include <string>
#include <vector>

#include "formats/animation_cfg.h"
#include "formats/skin_file.h"

// The two text formats of Quake III players, .skin files and animation.cfg.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    Reports reports;
    std::vector<SkinFileEntry> entries;
    ReadSkinFile(text, entries, reports);
    std::vector<PlayerAnimation> animations;
    ReadAnimationConfig(text, animations, reports);
    return 0;
}
