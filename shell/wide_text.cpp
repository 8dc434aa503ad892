// Text conversions at the system boundary.
#include "shell/wide_text.hpp"

#include <windows.h>

#include <vector>

namespace {

constexpr UINT kProgramCodePage = CP_ACP;

}  // namespace

std::wstring Wide(const std::string& text) {
  if (text.empty()) return {};
  const int n = MultiByteToWideChar(kProgramCodePage, 0, text.data(), static_cast<int>(text.size()),
                                    nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(kProgramCodePage, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                      n);
  return wide;
}

std::string Narrow(const std::wstring& text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(kProgramCodePage, 0, text.data(), static_cast<int>(text.size()),
                                    nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(kProgramCodePage, 0, text.data(), static_cast<int>(text.size()),
                      narrow.data(), n, nullptr, nullptr);
  return narrow;
}

std::wstring LongPath(const std::string& path) {
  const std::wstring wide = Wide(path);
  if (wide.rfind(L"\\\\?\\", 0) == 0) return wide;
  const DWORD n = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (n == 0) return wide;
  std::vector<wchar_t> full(n + 1);
  const DWORD got = GetFullPathNameW(wide.c_str(), n + 1, full.data(), nullptr);
  if (got == 0 || got > n) return wide;
  const std::wstring f(full.data(), got);
  if (f.rfind(L"\\\\.\\", 0) == 0) return f;  // a device stays as it is
  if (f.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + f.substr(2);
  return L"\\\\?\\" + f;
}
