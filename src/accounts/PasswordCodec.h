#pragma once

#include <QString>

// Stored passwords: Base64 (RFC 2045 alphabet, "=" padding) of the password's
// Windows-1252 bytes; characters the code page lacks become '?'. Written as one line
// without line breaks, whatever the length, because an INI value holds one line.
QString EncodePassword(const QString& password);

// The reverse, tolerant of what editors and older writers leave in a value:
// - characters outside the alphabet and "=" (line breaks, blanks, anything else) are
//   skipped;
// - the rest is decoded in groups of four; "=" in the third or fourth place ends its
//   group with one or two bytes, and decoding goes on with the next group; a group
//   with "=" in the first or second place carries no whole byte and gives nothing;
// - a last group of two or three characters (a value cut short, or written without
//   padding) gives its one or two whole bytes, as if padded; a single last character
//   holds only six bits and is dropped.
// An empty value gives an empty password.
QString DecodePassword(const QString& stored);
