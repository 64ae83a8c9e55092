#include "platform/win32/WinError.h"

#include "platform/Text.h"

namespace platform {

std::string ErrorText(DWORD code) {
  wchar_t* text = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message(text ? text : L"", length);
  if (text) ::LocalFree(text);
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' ||
                              message.back() == L' ' || message.back() == L'.'))
    message.pop_back();
  if (message.empty()) return "error " + std::to_string(code);
  return WideToUtf8(message);
}

Result LastErrorResult(const std::string& what) {
  const DWORD code = ::GetLastError();
  return Result::Failure(static_cast<int>(code), what + ": " + ErrorText(code));
}

Result ErrorResult(DWORD code) {
  return Result::Failure(static_cast<int>(code), ErrorText(code));
}

Result LastErrorResult() {
  return ErrorResult(::GetLastError());
}

Result LastErrorUnless(bool done) {
  return done ? Result() : LastErrorResult();
}

}  // namespace platform
