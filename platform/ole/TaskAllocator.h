// The COM task allocator that strings and buffers take their memory from.
#pragma once

#include <cstddef>

void* CoTaskMemAlloc(std::size_t cb);
void* CoTaskMemRealloc(void* pv, std::size_t cb);
void CoTaskMemFree(void* pv);
