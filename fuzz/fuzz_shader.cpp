#include <cstdint>
#include <string>
#include <vector>

#include "formats/shader_script.h"
#include "render/shader_math.h"

// Quake III shader scripts: read, then every stage's colour and texture
// coordinates worked out at a few times, as a draw works them out.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Reports reports;
    std::vector<ShaderScript> shaders =
        ReadShaderScript(std::string(reinterpret_cast<const char*>(data), size), "fuzz.shader", reports);
    volatile float sink = 0;
    for (const ShaderScript& shader : shaders) {
        for (const ShaderStage& stage : shader.stages) {
            for (double time : {0.0, 0.35, 1e6}) {
                float rgba[4], st[2] = {0.25f, 0.75f};
                const float position[3] = {1, 2, 3};
                StageColour(stage, time, rgba);
                TexMatrix matrix;
                StageTexMatrix(stage, time, matrix);
                ApplyTexMods(stage, time, position, st);
                sink = sink + rgba[0] + rgba[3] + matrix.c + st[0] + st[1];
            }
        }
        for (const Deform& deform : shader.deforms)
            sink = sink + EvaluateWave(deform.wave, 2.5) + ShaderNoise(1, 2, 3, 4);
    }
    return 0;
}
