#include "render/shader_math.h"

#include <cmath>
#include <cstdint>

namespace {

constexpr double kTwoPi = 6.283185307179586;

double Fraction(double x)
{
    return x - std::floor(x);
}

// The Quake III function tables' shapes over one period.
double WaveShape(WaveFunc func, double x)
{
    double f = Fraction(x);
    switch (func) {
    case WaveFunc::kSin: return std::sin(kTwoPi * f);
    case WaveFunc::kTriangle: return f < 0.25 ? 4 * f : f < 0.75 ? 2 - 4 * f : 4 * f - 4;
    case WaveFunc::kSquare: return f < 0.5 ? 1 : -1;
    case WaveFunc::kSawtooth: return f;
    case WaveFunc::kInverseSawtooth: return 1 - f;
    case WaveFunc::kNoise: return 0;
    }
    return 0;
}

// A value from -1 to 1 for each corner of the lattice.
float Lattice(int32_t x, int32_t y, int32_t z, int32_t t)
{
    uint32_t h = static_cast<uint32_t>(x) * 73856093u ^ static_cast<uint32_t>(y) * 19349663u ^
                 static_cast<uint32_t>(z) * 83492791u ^ static_cast<uint32_t>(t) * 2654435761u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return static_cast<float>(h & 0xFFFF) / 32767.5f - 1.0f;
}

float Clamp01(float v)
{
    return v < 0 ? 0 : v > 1 ? 1 : v;
}

float Finite(float v, float otherwise)
{
    return std::isfinite(v) ? v : otherwise;
}

}  // namespace

float ShaderNoise(float x, float y, float z, float t)
{
    const float p[4] = {x, y, z, t};
    int32_t cell[4];
    float w[4];
    for (int i = 0; i < 4; ++i) {
        float fl = std::isfinite(p[i]) ? std::floor(std::fmod(p[i], 65536.0f)) : 0.0f;
        cell[i] = static_cast<int32_t>(fl);
        float f = std::isfinite(p[i]) ? std::fmod(p[i], 65536.0f) - fl : 0.0f;
        w[i] = f * f * (3 - 2 * f);
    }
    float sum = 0;
    for (int corner = 0; corner < 16; ++corner) {
        float weight = 1;
        int32_t at[4];
        for (int i = 0; i < 4; ++i) {
            bool high = (corner >> i) & 1;
            at[i] = cell[i] + high;
            weight *= high ? w[i] : 1 - w[i];
        }
        sum += weight * Lattice(at[0], at[1], at[2], at[3]);
    }
    return sum;
}

float EvaluateWave(const Wave& wave, double time)
{
    if (wave.func == WaveFunc::kNoise)
        return wave.base + ShaderNoise(0, 0, 0, static_cast<float>((time + wave.phase) * wave.frequency)) *
                               wave.amplitude;
    return static_cast<float>(wave.base + WaveShape(wave.func, wave.phase + time * wave.frequency) * wave.amplitude);
}

TexMatrix ThenApply(const TexMatrix& m, const TexMatrix& n)
{
    TexMatrix r;
    r.a = n.a * m.a + n.b * m.d;
    r.b = n.a * m.b + n.b * m.e;
    r.c = n.a * m.c + n.b * m.f + n.c;
    r.d = n.d * m.a + n.e * m.d;
    r.e = n.d * m.b + n.e * m.e;
    r.f = n.d * m.c + n.e * m.f + n.f;
    return r;
}

TexMatrix TexModMatrix(const TexMod& mod, double time)
{
    TexMatrix m;
    switch (mod.kind) {
    case TexMod::Kind::kScroll:
        // Kept within one turn, so coordinates never grow without end.
        m.c = static_cast<float>(Fraction(mod.values[0] * time));
        m.f = static_cast<float>(Fraction(mod.values[1] * time));
        break;
    case TexMod::Kind::kScale:
        m.a = mod.values[0], m.e = mod.values[1];
        break;
    case TexMod::Kind::kRotate: {
        double radians = -mod.values[0] * time * kTwoPi / 360.0;
        float c = static_cast<float>(std::cos(radians)), s = static_cast<float>(std::sin(radians));
        m.a = c, m.b = -s, m.c = 0.5f - 0.5f * c + 0.5f * s;
        m.d = s, m.e = c, m.f = 0.5f - 0.5f * s - 0.5f * c;
        break;
    }
    case TexMod::Kind::kStretch: {
        float p = Finite(1.0f / EvaluateWave(mod.wave, time), 1.0f);
        m.a = p, m.c = 0.5f - 0.5f * p;
        m.e = p, m.f = 0.5f - 0.5f * p;
        break;
    }
    case TexMod::Kind::kTransform:
        m.a = mod.values[0], m.b = mod.values[2], m.c = mod.values[4];
        m.d = mod.values[1], m.e = mod.values[3], m.f = mod.values[5];
        break;
    case TexMod::Kind::kTurb:
        break;
    }
    return m;
}

bool StageTexMatrix(const ShaderStage& stage, double time, TexMatrix& matrix)
{
    matrix = TexMatrix();
    for (const TexMod& mod : stage.tcMods) {
        if (mod.kind == TexMod::Kind::kTurb)
            return false;
        matrix = ThenApply(matrix, TexModMatrix(mod, time));
    }
    return true;
}

void ApplyTexMods(const ShaderStage& stage, double time, const float position[3], float st[2])
{
    for (const TexMod& mod : stage.tcMods) {
        if (mod.kind != TexMod::Kind::kTurb) {
            TexMatrix m = TexModMatrix(mod, time);
            float s = st[0], t = st[1];
            st[0] = m.a * s + m.b * t + m.c;
            st[1] = m.d * s + m.e * t + m.f;
            continue;
        }
        double now = mod.wave.phase + time * mod.wave.frequency;
        st[0] += static_cast<float>(std::sin(((position[0] + position[2]) / 1024.0 + now) * kTwoPi) *
                                    mod.wave.amplitude);
        st[1] += static_cast<float>(std::sin((position[1] / 1024.0 + now) * kTwoPi) * mod.wave.amplitude);
    }
}

bool StageIsLit(const ShaderStage& stage)
{
    return stage.rgbGen == ColourGen::kLightingDiffuse;
}

void StageColour(const ShaderStage& stage, double time, float rgba[4])
{
    rgba[0] = rgba[1] = rgba[2] = rgba[3] = 1;
    switch (stage.rgbGen) {
    case ColourGen::kConst:
        for (int i = 0; i < 3; ++i)
            rgba[i] = Clamp01(stage.rgbConst[i]);
        break;
    case ColourGen::kWave:
        rgba[0] = rgba[1] = rgba[2] = Clamp01(EvaluateWave(stage.rgbWave, time));
        break;
    case ColourGen::kOneMinusVertex:
    case ColourGen::kOneMinusEntity:
        rgba[0] = rgba[1] = rgba[2] = 0;
        break;
    default:
        break;
    }
    switch (stage.alphaGen) {
    case AlphaGen::kConst: rgba[3] = Clamp01(stage.alphaConst); break;
    case AlphaGen::kWave: rgba[3] = Clamp01(EvaluateWave(stage.alphaWave, time)); break;
    case AlphaGen::kOneMinusEntity:
    case AlphaGen::kOneMinusVertex: rgba[3] = 0; break;
    default: break;
    }
}
