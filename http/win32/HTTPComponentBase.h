#pragma once

#include <cstdint>
#include <memory>

#include "http/HTTPMailbox.h"
#include "platform/win32/WinApi.h"

class THTTPComponentBase;

// What the component's events name as their sender, and its owner.
using THTTPSender = THTTPComponentBase;

// The component's Windows side: a hidden message-only window, made on the
// thread that creates the component, to which its transfers post their
// messages; they are handled there by that thread's message loop.
class THTTPComponentBase : public THTTPReceiver {
 public:
  virtual ~THTTPComponentBase();
  THTTPComponentBase(const THTTPComponentBase&) = delete;
  THTTPComponentBase& operator=(const THTTPComponentBase&) = delete;

  HWND Handle() const { return FHandle.get(); }

 protected:
  // Nothing owns a component on Windows but its holder; `owner` is unused.
  explicit THTTPComponentBase(THTTPSender* owner);

  // The mailbox of a new transfer. The one before is detached, and nothing
  // it posted is handled any more.
  const std::shared_ptr<THTTPMailbox>& NewMailbox();
  const std::shared_ptr<THTTPMailbox>& Mailbox() const { return FMailbox; }
  void DetachMailbox();

  // One message of the current transfer, on the component's thread.
  virtual void HandleHTTPMessage(uint32_t message, intptr_t wParam, intptr_t lParam) = 0;

 private:
  struct WindowDestroyer {
    void operator()(HWND window) const { ::DestroyWindow(window); }
  };

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Deliver(uint32_t message, intptr_t wParam, intptr_t lParam,
               const std::shared_ptr<THTTPMailbox>& from) override;
  void DropQueued();

  std::unique_ptr<HWND__, WindowDestroyer> FHandle;
  std::shared_ptr<THTTPMailbox> FMailbox;
};
