#pragma once

#include <filesystem>

namespace fuzzing {

// Extracts the package at <scratch>/a/b/package.zip into <scratch>/a/b/out
// with the zip reader and checks the outcome: nothing anywhere but in that
// folder, no symbolic link in it, progress never past an entry's size.
// Failures of the reader itself are expected outcomes.
void ExtractAndCheck(const std::filesystem::path& scratch);

// Where ExtractAndCheck expects the package; the folders are made fresh.
std::filesystem::path PreparePackagePath(const std::filesystem::path& scratch);

}  // namespace fuzzing
