#include "render/bounds.h"

#include <algorithm>

#include "render/draw.h"
#include "render/tags.h"
#include "state/viewer_state.h"

bool AssemblyBounds(ModelObject* root, float min[3], float max[3])
{
    bool found = false;
    for (ModelObject* model = viewer.modelList.get(); model; model = model->next.get()) {
        float low[3], high[3], matrix[16];
        if (RootModel(model) != root || !ModelShown(model) || !ModelFrameBounds(model, low, high))
            continue;
        ChainMatrix(model, matrix);
        for (int corner = 0; corner < 8; ++corner) {
            const float p[3] = {corner & 1 ? high[0] : low[0], corner & 2 ? high[1] : low[1],
                                corner & 4 ? high[2] : low[2]};
            for (int row = 0; row < 3; ++row) {
                float value = matrix[12 + row] + matrix[row] * p[0] + matrix[4 + row] * p[1] + matrix[8 + row] * p[2];
                min[row] = found ? std::min(min[row], value) : value;
                max[row] = found ? std::max(max[row], value) : value;
            }
            found = true;
        }
    }
    return found;
}
