// Window screenshots through the screen DC.
#include "tests/e2e/screenshot.hpp"

#include <vector>

namespace e2e {

bool SaveWindowShot(HWND hwnd, const std::string& bmpPath) {
  RECT r;
  if (!GetWindowRect(hwnd, &r)) return false;
  const int w = r.right - r.left, h = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  SelectObject(mem, old);

  BITMAPINFOHEADER bi{};
  bi.biSize = sizeof bi;
  bi.biWidth = w;
  bi.biHeight = h;
  bi.biPlanes = 1;
  bi.biBitCount = 24;
  const DWORD stride = ((w * 3 + 3) / 4) * 4;
  std::vector<char> pixels(stride * h);
  GetDIBits(mem, bmp, 0, h, pixels.data(), reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);

  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof bi;
  fh.bfSize = fh.bfOffBits + static_cast<DWORD>(pixels.size());
  HANDLE f = CreateFileA(bmpPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD n;
  bool ok = WriteFile(f, &fh, sizeof fh, &n, nullptr) &&
            WriteFile(f, &bi, sizeof bi, &n, nullptr) &&
            WriteFile(f, pixels.data(), static_cast<DWORD>(pixels.size()), &n, nullptr);
  CloseHandle(f);
  return ok;
}

}  // namespace e2e
