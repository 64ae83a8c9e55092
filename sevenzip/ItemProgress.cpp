#include "sevenzip/ItemProgress.h"

bool TItemProgress::Advance(TSevenZip* owner, const uint64_t* completeValue,
                            const T7zExtractfileEvent& onFile) {
  const int64_t complete = completeValue ? static_cast<int64_t>(*completeValue) : LastPos;
  bool ok = true;
  if (FilePos == 0 && onFile) ok = owner->Guard([&] { onFile(owner, File, FileSize); });
  FilePos += complete - LastPos;
  LastPos = complete;
  if (ok && owner->OnProgress)
    ok = owner->Guard([&] { owner->OnProgress(owner, File, complete, FilePos); });
  return ok;
}
