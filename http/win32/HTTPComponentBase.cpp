#include "HTTPComponentBase.h"

namespace {

const wchar_t kWindowClass[] = L"TQVHTTPWindow";

HINSTANCE Module() {
  return ::GetModuleHandleW(nullptr);
}

bool IsHTTPMessage(UINT message) {
  return message == WM_HTTP_START || message == WM_HTTP_END || message == WM_HTTP_PROGRESS;
}

}  // namespace

THTTPComponentBase::THTTPComponentBase(THTTPSender*) {
  // Registered once for the process; the first component does it.
  static const ATOM windowClass = [] {
    WNDCLASSEXW description{};
    description.cbSize = sizeof description;
    description.lpfnWndProc = &THTTPComponentBase::WindowProc;
    description.hInstance = Module();
    description.lpszClassName = kWindowClass;
    return ::RegisterClassExW(&description);
  }();
  (void)windowClass;
  FHandle.reset(::CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  Module(), this));
}

THTTPComponentBase::~THTTPComponentBase() {
  DetachMailbox();
  DropQueued();
  if (FHandle) ::SetWindowLongPtrW(FHandle.get(), GWLP_USERDATA, 0);
}

const std::shared_ptr<THTTPMailbox>& THTTPComponentBase::NewMailbox() {
  DetachMailbox();
  // Once detached the old mailbox posts nothing more, so what it posted
  // before is all in the queue now, ahead of anything the new one posts.
  DropQueued();
  FMailbox = std::make_shared<THTTPMailbox>(this);
  return FMailbox;
}

void THTTPComponentBase::DetachMailbox() {
  if (FMailbox) FMailbox->Detach();
}

void THTTPComponentBase::DropQueued() {
  if (!FHandle) return;
  MSG message;
  while (::PeekMessageW(&message, FHandle.get(), WM_HTTP_START, WM_HTTP_PROGRESS, PM_REMOVE)) {
  }
}

void THTTPComponentBase::Deliver(uint32_t message, intptr_t wParam, intptr_t lParam,
                                 const std::shared_ptr<THTTPMailbox>&) {
  ::PostMessageW(FHandle.get(), message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam));
}

LRESULT CALLBACK THTTPComponentBase::WindowProc(HWND window, UINT message, WPARAM wParam,
                                                LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    ::SetWindowLongPtrW(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
  }
  auto* self = reinterpret_cast<THTTPComponentBase*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self || !IsHTTPMessage(message)) return ::DefWindowProcW(window, message, wParam, lParam);
  try {
    self->HandleHTTPMessage(message, static_cast<intptr_t>(wParam), static_cast<intptr_t>(lParam));
  } catch (...) {
    // Nothing may leave a window procedure.
  }
  return 0;
}
