#pragma once

#include <cstddef>
#include <cstdio>

// Little-endian file data to host order. The reads keep fread's argument
// order; a size or count other than the one they are made for ends the
// program with status 1.
size_t EndianFRead32(void* destination, size_t size, size_t count, FILE* file);
size_t EndianFRead16(void* destination, size_t size, size_t count, FILE* file);
void EndianSwap32(void* value);
void EndianSwap16(void* value);
void EndianSwapVec3(void* values);
