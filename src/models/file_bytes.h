#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Larger files are refused rather than read: no real model or skin comes near it.
constexpr size_t kMaxInputFileSize = size_t(256) << 20;

enum class FileReadResult { kOk, kCannotOpen, kTooLarge, kReadError };

// Reads a whole file into bytes.
FileReadResult ReadFileBytes(const char* path, std::vector<uint8_t>& bytes);

// Reads a model file, loose or inside an archive; false after one report in
// the reader's words: who ("OpenMd2File") and what kind of file ("md2").
bool ReadModelFile(const char* who, const char* kind, const char* path, std::vector<uint8_t>& bytes);
