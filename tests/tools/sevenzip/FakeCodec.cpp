// Stand-ins for a codec library that the component must refuse: one built
// for another interface layout, one without CreateObject.
#include <cstdint>

#include "CodecAbi.h"

namespace {
struct Variant {
  uint16_t vt, r1, r2, r3;
  uint64_t value;
};
}  // namespace

extern "C" int32_t CODEC_CALL GetModuleProp(uint32_t id, Variant* value) {
  value->vt = 19;  // VT_UI4
  value->value = id == 0 ? FAKE_INTERFACE_TYPE : 0;
  return 0;
}

#if FAKE_HAS_CREATE_OBJECT
extern "C" int32_t CODEC_CALL CreateObject(const void*, const void*, void** out) {
  *out = nullptr;
  return static_cast<int32_t>(0x80040111u);  // CLASS_E_CLASSNOTAVAILABLE
}
#endif

extern "C" wchar_t* SysAllocString(const wchar_t*) {
  return nullptr;
}
extern "C" void SysFreeString(wchar_t*) {}
extern "C" int32_t VariantClear(Variant* value) {
  value->vt = 0;
  return 0;
}
