#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "platform/chooser.h"
#include "support/test_files.h"

struct ModelObject;

// Opens the one test window (the tests run under Xvfb) once per process.
void RequireGlContext();

// Every setting at its start-up value, test palettes, no models, the GL
// state start-up leaves; models are removed again afterwards.
class ViewerTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Writes the model into the test's folder and adds it to the viewer.
    ModelObject* Load(const writers::Md2Model& model, const std::string& name = "m.md2");
    ModelObject* Load(const writers::MdlModel& model, const std::string& name = "m.mdl");
    TempDir dir;
};

void ResetViewer();
// A texture's first level as RGB bytes, with its size.
std::vector<uint8_t> TextureRgb(unsigned texture, int* width = nullptr, int* height = nullptr);
void RemoveAllModels();

// The file chooser's stand-in: it gives its answer with its result (cancels
// when there is none) and keeps the kind, prompt and proposed path it was
// last asked with.
// ViewerTest puts it in place.
struct ChooserStandIn {
    std::string answer;
    ChooserResult result = ChooserResult::kChosen;
    ChooserKind kind = ChooserKind::kOpen;
    std::string prompt;
    std::string proposed;
};
extern ChooserStandIn standIn;
ChooserResult StandInChooser(ChooserKind kind, const char* prompt, char* buffer);

// What the call printed on standard output.
std::string Printed(const std::function<void()>& call);

// Collects what the error reporter writes while it lives.
class ErrorCapture {
public:
    ErrorCapture();
    ~ErrorCapture();
    ErrorCapture(const ErrorCapture&) = delete;
    ErrorCapture& operator=(const ErrorCapture&) = delete;
    std::string Text() const;
    // Occurrences of the text among the reports.
    int Count(const std::string& text) const;
    bool Has(const std::string& text) const { return Count(text) > 0; }

private:
    FILE* saved_;
    FILE* file_;
};
