#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Larger files are refused rather than read: no real model or skin comes near it.
constexpr size_t kMaxInputFileSize = size_t(256) << 20;

enum class FileReadResult { kOk, kCannotOpen, kTooLarge, kReadError };

// Reads a whole file into bytes.
FileReadResult ReadFileBytes(const char* path, std::vector<uint8_t>& bytes);

// Writes every byte to the descriptor, through interruptions; false on a fault.
bool WriteAllBytes(int descriptor, const void* bytes, size_t size);
