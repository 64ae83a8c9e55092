#pragma once

#include <cstdint>
#include <string>

#include "sevenzip/SevenZip.h"

// Where a pass over an archive's items stands: the file being worked on and
// how far the pass and that file have come.
struct TItemProgress {
  std::string File;
  int64_t FileSize = 0;
  int64_t FilePos = 0;
  int64_t LastPos = 0;

  void Start(const std::string& file, int64_t size) {
    File = file;
    FileSize = size;
    FilePos = 0;
  }
  // Takes the codec's position in the pass (null: unchanged) and tells the
  // owner: `onFile` (adding's or extracting's, of one type) until the file's
  // position first moves, then OnProgress. False when a handler threw.
  bool Advance(TSevenZip* owner, const uint64_t* completeValue, const T7zExtractfileEvent& onFile);
};
