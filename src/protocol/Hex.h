#pragma once
// Bytes as the two-digit upper-case hex texts of the controller strings and register
// displays, and the lenient text-to-number reading the replies need.

#include <cstdint>
#include <string>
#include <string_view>

namespace zmx {

// "0A" for 10, "C7" for 199: always two upper-case digits.
std::string byteText(uint8_t value);

// One upper-case hex digit of the low nibble ("A" for 10).
char hexDigit(int nibble);

// Reads text as a hexadecimal number the way the controller replies are read: conversion
// stops at the first character that is not a hex digit; no digit at all gives 0.
// At most maxDigits characters are looked at ("4Z" -> 4, "Z4" -> 0, "" -> 0).
uint32_t hexTextValue(std::string_view text, std::size_t maxDigits = 8);

// Reads a stored code text ("5A3") whole: its value when every character is a hex digit,
// 0 when any is not or the text is empty ("4Z" -> 0, unlike hexTextValue).
uint32_t wholeHexValue(std::string_view text);

// Text to byte: the first two characters read as hex (see hexTextValue).
uint8_t textToByte(std::string_view text);

// Two characters of a reply starting at 1-based position pos, read as a byte. Characters
// beyond the end of the reply did not arrive and read as nothing, so a missing pair is 0.
uint8_t replyByteAt(std::string_view reply, std::size_t pos);

// One character of a reply at 1-based position pos, or an empty view when it did not arrive.
std::string_view replyCharAt(std::string_view reply, std::size_t pos);

}  // namespace zmx
