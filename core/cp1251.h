// Windows-1251, the code page of Russian Windows, for builds without a system code page.
#pragma once

wchar_t cp1251_to_unicode(unsigned char byte);
// The byte for `ch`, or -1 when the code page has none.
int unicode_to_cp1251(wchar_t ch);
