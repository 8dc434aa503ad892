// Text conversions at the system boundary.
#include "shell/wide_text.hpp"

#include <windows.h>

#include <vector>

namespace {

std::wstring ToWide(UINT codePage, const std::string& text) {
  if (text.empty()) return {};
  const int n =
      MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

}  // namespace

std::wstring Wide(const std::string& text) { return ToWide(CP_UTF8, text); }

std::string Narrow(const std::wstring& text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                    0, nullptr, nullptr);
  std::string narrow(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(), n,
                      nullptr, nullptr);
  return narrow;
}

bool ToAnsiExactly(const std::string& utf8, std::string& ansi) {
  ansi.clear();
  const std::wstring wide = Wide(utf8);
  if (wide.empty()) return true;
  BOOL lossy = FALSE;
  const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(),
                                    static_cast<int>(wide.size()), nullptr, 0, nullptr, &lossy);
  if (n <= 0 || lossy) return false;
  ansi.assign(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                      ansi.data(), n, nullptr, &lossy);
  // Some code pages map characters to bytes that read back as others.
  return !lossy && ToWide(CP_ACP, ansi) == wide;
}

std::string FromAnsi(const std::string& ansi) { return Narrow(ToWide(CP_ACP, ansi)); }
std::string FromOem(const std::string& oem) { return Narrow(ToWide(CP_OEMCP, oem)); }

namespace {

// The full path of wide ("..", "." and "/" resolved), or empty when the
// system cannot make one.
std::wstring FullPath(const std::wstring& wide) {
  const DWORD n = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (n == 0) return L"";
  std::vector<wchar_t> full(n + 1);
  const DWORD got = GetFullPathNameW(wide.c_str(), n + 1, full.data(), nullptr);
  if (got == 0 || got > n) return L"";
  return std::wstring(full.data(), got);
}

}  // namespace

std::string CanonicalPath(const std::string& path) {
  std::wstring full = FullPath(Wide(path));
  if (full.empty()) return path;
  const DWORD n = GetLongPathNameW(full.c_str(), nullptr, 0);
  std::vector<wchar_t> longName(n + 1);
  const DWORD got = n ? GetLongPathNameW(full.c_str(), longName.data(), n + 1) : 0;
  if (got > 0 && got <= n) full.assign(longName.data(), got);
  while (full.size() > 3 && full.back() == L'\\') full.pop_back();
  return Narrow(full);
}

std::wstring LongPath(const std::string& path) {
  const std::wstring wide = Wide(path);
  if (wide.rfind(L"\\\\?\\", 0) == 0) return wide;
  const std::wstring f = FullPath(wide);
  if (f.empty()) return wide;
  if (f.rfind(L"\\\\.\\", 0) == 0) return f;  // a device stays as it is
  if (f.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + f.substr(2);
  return L"\\\\?\\" + f;
}

bool IsWholeUtf16(const std::wstring& wide) {
  for (size_t i = 0; i < wide.size(); ++i) {
    const wchar_t c = wide[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
        wide[i + 1] < 0xE000)
      ++i;
    else if (c >= 0xD800 && c < 0xE000)
      return false;
  }
  return true;
}
