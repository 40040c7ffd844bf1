#include "geometry/skeleton.h"

#include <algorithm>
#include <cmath>

#include "geometry/interpolate.h"

Matrix34 PoseMatrix(const JointPose& pose)
{
    float x = pose.rotate[0], y = pose.rotate[1], z = pose.rotate[2], w = pose.rotate[3];
    const float r[3][3] = {{1 - 2 * (y * y + z * z), 2 * (x * y - z * w), 2 * (x * z + y * w)},
                           {2 * (x * y + z * w), 1 - 2 * (x * x + z * z), 2 * (y * z - x * w)},
                           {2 * (x * z - y * w), 2 * (y * z + x * w), 1 - 2 * (x * x + y * y)}};
    Matrix34 out;
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column)
            out.m[4 * row + column] = r[row][column] * pose.scale[column];
        out.m[4 * row + 3] = pose.translate[row];
    }
    return out;
}

JointPose PoseOfMatrix(const Matrix34& m)
{
    JointPose pose;
    float r[3][3];
    for (int column = 0; column < 3; ++column) {
        float length = std::sqrt(m.m[column] * m.m[column] + m.m[4 + column] * m.m[4 + column] +
                                 m.m[8 + column] * m.m[8 + column]);
        pose.scale[column] = length > 0 ? length : 1.0f;
        for (int row = 0; row < 3; ++row)
            r[row][column] = length > 0 ? m.m[4 * row + column] / length : (row == column ? 1.0f : 0.0f);
    }
    for (int row = 0; row < 3; ++row)
        pose.translate[row] = m.m[4 * row + 3];
    float* q = pose.rotate;  // x, y, z, w from the largest of the four
    float trace = r[0][0] + r[1][1] + r[2][2];
    if (trace > 0) {
        float s = 2 * std::sqrt(trace + 1);
        q[3] = s / 4, q[0] = (r[2][1] - r[1][2]) / s, q[1] = (r[0][2] - r[2][0]) / s, q[2] = (r[1][0] - r[0][1]) / s;
    } else if (r[0][0] > r[1][1] && r[0][0] > r[2][2]) {
        float s = 2 * std::sqrt(std::max(0.0f, 1 + r[0][0] - r[1][1] - r[2][2]));
        q[3] = (r[2][1] - r[1][2]) / s, q[0] = s / 4, q[1] = (r[0][1] + r[1][0]) / s, q[2] = (r[0][2] + r[2][0]) / s;
    } else if (r[1][1] > r[2][2]) {
        float s = 2 * std::sqrt(std::max(0.0f, 1 + r[1][1] - r[0][0] - r[2][2]));
        q[3] = (r[0][2] - r[2][0]) / s, q[0] = (r[0][1] + r[1][0]) / s, q[1] = s / 4, q[2] = (r[1][2] + r[2][1]) / s;
    } else {
        float s = 2 * std::sqrt(std::max(0.0f, 1 + r[2][2] - r[0][0] - r[1][1]));
        q[3] = (r[1][0] - r[0][1]) / s, q[0] = (r[0][2] + r[2][0]) / s, q[1] = (r[1][2] + r[2][1]) / s, q[2] = s / 4;
    }
    if (!std::isfinite(q[0] + q[1] + q[2] + q[3]))
        q[0] = q[1] = q[2] = 0, q[3] = 1;
    NormalizeQuaternion(q);
    return pose;
}

Matrix34 Multiply(const Matrix34& a, const Matrix34& b)
{
    Matrix34 out;
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 4; ++column) {
            float sum = column == 3 ? a.m[4 * row + 3] : 0.0f;
            for (int k = 0; k < 3; ++k)
                sum += a.m[4 * row + k] * b.m[4 * k + column];
            out.m[4 * row + column] = sum;
        }
    }
    return out;
}

Matrix34 Inverse(const Matrix34& a)
{
    // (R S)^-1 = S^-1 R^T: each column's length is its scale.
    Matrix34 out;
    for (int column = 0; column < 3; ++column) {
        double length2 = 0;
        for (int row = 0; row < 3; ++row)
            length2 += double(a.m[4 * row + column]) * a.m[4 * row + column];
        double inverse = length2 > 0 ? 1.0 / length2 : 0.0;
        for (int row = 0; row < 3; ++row)
            out.m[4 * column + row] = static_cast<float>(a.m[4 * row + column] * inverse);
    }
    for (int row = 0; row < 3; ++row) {
        float sum = 0;
        for (int k = 0; k < 3; ++k)
            sum += out.m[4 * row + k] * a.m[4 * k + 3];
        out.m[4 * row + 3] = -sum;
    }
    return out;
}

void TransformPoint(const Matrix34& m, const float in[3], float out[3])
{
    for (int row = 0; row < 3; ++row)
        out[row] = m.m[4 * row] * in[0] + m.m[4 * row + 1] * in[1] + m.m[4 * row + 2] * in[2] + m.m[4 * row + 3];
}

void TransformNormal(const Matrix34& m, const float in[3], float out[3])
{
    for (int row = 0; row < 3; ++row)
        out[row] = m.m[4 * row] * in[0] + m.m[4 * row + 1] * in[1] + m.m[4 * row + 2] * in[2];
}

void NormalizeQuaternion(float q[4])
{
    double length = std::sqrt(double(q[0]) * q[0] + double(q[1]) * q[1] + double(q[2]) * q[2] + double(q[3]) * q[3]);
    if (length <= 0) {
        q[0] = q[1] = q[2] = 0, q[3] = 1;
        return;
    }
    for (int i = 0; i < 4; ++i)
        q[i] = static_cast<float>(q[i] / length);
}

void Slerp(const float a[4], const float b[4], float t, float out[4])
{
    double dot = 0;
    for (int i = 0; i < 4; ++i)
        dot += double(a[i]) * b[i];
    double sign = dot < 0 ? -1 : 1;
    dot *= sign;
    double wa = 1 - t, wb = t;
    if (dot < 0.9995) {
        double angle = std::acos(dot), s = std::sin(angle);
        wa = std::sin((1 - t) * angle) / s;
        wb = std::sin(t * angle) / s;
    }
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<float>(wa * a[i] + wb * sign * b[i]);
    NormalizeQuaternion(out);
}

void FinishSkeleton(Skeleton& skeleton)
{
    std::vector<JointPose> bind;
    for (const Joint& joint : skeleton.joints)
        bind.push_back(joint.bind);
    std::vector<Matrix34> whole = JointMatrices(skeleton.joints, bind.data());
    skeleton.inverseBind.clear();
    for (const Matrix34& m : whole)
        skeleton.inverseBind.push_back(Inverse(m));
}

std::vector<Matrix34> JointMatrices(const std::vector<Joint>& joints, const JointPose* poses)
{
    std::vector<Matrix34> whole(joints.size());
    for (size_t j = 0; j < joints.size(); ++j) {
        Matrix34 local = PoseMatrix(poses[j]);
        int parent = joints[j].parent;
        whole[j] = parent >= 0 && static_cast<size_t>(parent) < j ? Multiply(whole[parent], local) : local;
    }
    return whole;
}

namespace {

const JointPose* FramePoses(const Skeleton& skeleton, int frame)
{
    if (skeleton.frameCount <= 0 || frame < 0 || frame >= skeleton.frameCount)
        return nullptr;
    return &skeleton.frames[static_cast<size_t>(frame) * skeleton.joints.size()];
}

}  // namespace

std::vector<JointPose> BlendPoses(const Skeleton& skeleton, const int window[4], float t, uint8_t method)
{
    size_t count = skeleton.joints.size();
    std::vector<JointPose> out(count);
    const JointPose* frames[4];
    for (int k = 0; k < 4; ++k)
        frames[k] = FramePoses(skeleton, window[k]);
    InterpolationWeights w = method == 2 ? WeightsFor(t) : InterpolationWeights{t, 0, 0};
    for (size_t j = 0; j < count; ++j) {
        JointPose p[4];
        for (int k = 0; k < 4; ++k)
            p[k] = frames[k] ? frames[k][j] : skeleton.joints[j].bind;  // a model of no frames stands in its bind pose
        JointPose& o = out[j];
        if (method == 0) {
            o = p[2];
        } else if (method == 1) {
            for (int a = 0; a < 3; ++a) {
                o.translate[a] = InterpolateLinear(p[2].translate[a], p[3].translate[a], w);
                o.scale[a] = InterpolateLinear(p[2].scale[a], p[3].scale[a], w);
            }
            Slerp(p[2].rotate, p[3].rotate, t, o.rotate);
        } else {
            // Catmull-Rom through the window, the rotations first turned to the same side.
            for (int k = 0; k < 4; ++k) {
                double dot = 0;
                for (int i = 0; i < 4; ++i)
                    dot += double(p[k].rotate[i]) * p[1].rotate[i];
                for (int i = 0; dot < 0 && i < 4; ++i)
                    p[k].rotate[i] = -p[k].rotate[i];
            }
            for (int a = 0; a < 3; ++a) {
                o.translate[a] = InterpolateCubic(p[0].translate[a], p[1].translate[a], p[2].translate[a],
                                                  p[3].translate[a], w);
                o.scale[a] = InterpolateCubic(p[0].scale[a], p[1].scale[a], p[2].scale[a], p[3].scale[a], w);
            }
            for (int i = 0; i < 4; ++i)
                o.rotate[i] = InterpolateCubic(p[0].rotate[i], p[1].rotate[i], p[2].rotate[i], p[3].rotate[i], w);
            NormalizeQuaternion(o.rotate);
        }
    }
    return out;
}

std::vector<Matrix34> SkinningMatrices(const Skeleton& skeleton, const std::vector<JointPose>& poses)
{
    std::vector<Matrix34> whole = JointMatrices(skeleton.joints, poses.data());
    for (size_t j = 0; j < whole.size() && j < skeleton.inverseBind.size(); ++j)
        whole[j] = Multiply(whole[j], skeleton.inverseBind[j]);
    return whole;
}
