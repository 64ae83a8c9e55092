#pragma once

#include <atomic>
#include <tuple>
#include <type_traits>

#include "sevenzip/CodecInterfaces.h"

namespace sevenzip {

// The reference-counted base of every stream and callback object handed to
// the codec. The count starts at 0; the first reference taken (by a ComPtr
// or by the codec) keeps the object alive, and the last release destroys it.
// `Ifaces` are the interfaces the object declares; a request for one of their
// ancestors is answered with the same table.
template <class... Ifaces>
class TInterfacedObject : public Ifaces... {
 public:
  TInterfacedObject() = default;
  TInterfacedObject(const TInterfacedObject&) = delete;
  TInterfacedObject& operator=(const TInterfacedObject&) = delete;

  int32_t RefCount() const { return FRefCount.load(); }

  HRESULT CODEC_CALL QueryInterface(const GUID* iid, void** out) noexcept override {
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    (FindInterface<Ifaces>(*iid, out) || ...);
    if (!*out) return E_NOINTERFACE;
    _AddRef();
    return S_OK;
  }
  ULONG CODEC_CALL AddRef() noexcept override { return _AddRef(); }
  ULONG CODEC_CALL Release() noexcept override { return _Release(); }

  ULONG _AddRef() noexcept { return static_cast<ULONG>(++FRefCount); }
  ULONG _Release() noexcept {
    const int32_t count = --FRefCount;
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
  }

 protected:
  virtual ~TInterfacedObject() = default;

 private:
  template <class I>
  bool FindInterface(const GUID& iid, void** out) {
    if (!Answers<I>(iid) && !(IsFirst<I>() && iid == kIID_IUnknown)) return false;
    *out = static_cast<I*>(this);
    return true;
  }
  template <class I>
  static bool Answers(const GUID& iid) {
    if constexpr (std::is_same_v<I, IUnknown>) {
      return false;
    } else {
      return iid == I::kIID || Answers<typename I::Parent>(iid);
    }
  }
  template <class I>
  static constexpr bool IsFirst() {
    return std::is_same_v<I, std::tuple_element_t<0, std::tuple<Ifaces...>>>;
  }

  static constexpr GUID kIID_IUnknown = {0, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
  std::atomic<int32_t> FRefCount{0};
};

}  // namespace sevenzip
