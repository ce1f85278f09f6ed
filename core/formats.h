// What the user tells the program about an input file: its dialect and its text encoding.
#pragma once

// The dialect chooses the section of the camera-type table; both share one line syntax.
enum class InputFormat : int { Navitel = 0, Igo = 1 };
enum class TextEncoding : int { Utf16 = 0, Utf8 = 1, Ansi = 2 };
