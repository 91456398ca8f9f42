#pragma once

#include <QString>

// The engine reads a line's first glyphs with the least context, and a number's first digit then
// turns into a letter of a like shape ("A18-83-8135" for "418-83-8135", with no digit among its
// other readings) at any scale. Set further from the image's edge, the same line is read right.
// A line holding a number misread so is read a second time that way, and only the misread number
// is taken from the second reading, and only where there it is the same number with its letter
// read as a digit.
namespace NumberRereading {

// A number misread so has at least this many digits besides its letter.
inline constexpr int kMinDigits = 7;

// Whether `text` holds a word of digits and a number's marks with a single letter among them.
bool wanted(const QString& text);

// `first` with each word `wanted` finds replaced by the word at the same place in `second` where
// that is the same word with the letter read as a digit.
QString merged(const QString& first, const QString& second);

}  // namespace NumberRereading
