#pragma once

#include <cstddef>
#include <cstdint>

// The libFuzzer entry points. A target defines LLVMFuzzerTestOneInput and,
// when it needs set-up before the first input, LLVMFuzzerInitialize.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
