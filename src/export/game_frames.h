#pragma once

// The frames a vertex-animated game format holds of any model: its own
// frames, or a skeleton's animations sampled into frames.
#include <string>
#include <vector>

#include "export/export_model.h"

// One frame to write: the model's frame from, or a moment t of the way to
// its frame to (a skeletal animation sampled between two of its frames).
struct GameFrame {
    int from = 0, to = 0;
    float t = 0;
    std::string name;
};

// The model's frames (those of --frames A-B), named as the model names
// them; for a skeletal model with --fps, each animation sampled at that
// rate from its first frame to its last, its frames NAME1, NAME2... False,
// with the fault in error, for a range the model does not have.
bool MakeGameFrames(const ModelObject& model, const ExportRequest& request, std::vector<GameFrame>& frames,
                    std::string& error);

// A part's frame vertices at a frame, three floats each, in game units; unit normals.
void PoseGameFrame(const DrawnPart& part, int partIndex, const GameFrame& frame, std::vector<float>& positions,
                   std::vector<float>& normals);

// The model's tags at a frame, blended between the two frames a sampled
// one lies between (axes made square again); tagCount of them.
std::vector<TagPlace> GameFrameTags(const DrawnModel& drawn, const GameFrame& frame);

// A name of at most characters characters that keeps its number.
std::string NumberedFrameName(const std::string& name, size_t number, size_t characters);
