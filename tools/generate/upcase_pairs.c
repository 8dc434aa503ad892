/* Prints "code upper" (hex) for every letter of the Basic Multilingual Plane
   that the system's own upper-casing (the one its file names are compared
   by) changes. Run under Wine or Windows; case_table.py reads the output. */
#include <windows.h>
#include <stdio.h>

WCHAR NTAPI RtlUpcaseUnicodeChar(WCHAR c);

int main(void) {
  for (unsigned c = 0x80; c < 0x10000; ++c) {
    if (c >= 0xD800 && c < 0xE000) continue;
    const WCHAR u = RtlUpcaseUnicodeChar((WCHAR)c);
    if (u != c) printf("%04X %04X\n", c, u);
  }
  return 0;
}
