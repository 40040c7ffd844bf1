#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "formats/obj.h"
#include "model/model_formats.h"
#include "render/draw.h"
#include "state/viewer_state.h"

// An input starting "mtl\n" is a material library, any other an .obj
// loaded as the viewer loads it (in a folder that does not exist) and drawn.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static FILE* quiet = freopen("/dev/null", "w", stdout);
    (void)quiet;
    std::string text(reinterpret_cast<const char*>(data), size);
    Reports reports;
    if (text.compare(0, 4, "mtl\n") == 0) {
        std::vector<MtlMaterial> materials;
        ReadMtl(text.substr(4), materials, reports);
        return 0;
    }
    const char* path = "/nonexistent/fuzz.obj";
    std::unique_ptr<ModelObject> model = FormatOfName(path)->load(path, std::vector<uint8_t>(data, data + size));
    if (model)
        DrawModelFrame(model.get(), 0, 0);
    return 0;
}
