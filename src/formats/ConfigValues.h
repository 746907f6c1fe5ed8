#pragma once

#include <string>

// Readers for the value part of a catalogue line (the text from the "=" on).

// The k-th number of an upper-cased value (k from 1), in millimetres (multiplied by
// 25.4 when inches is set). A word TOP, LEFT, RIGHT, BOTTOM, MIN or MAX anywhere from
// the k-th number on gives its edge value instead (never scaled). False when there is
// no number. When the last number runs to the end of the value, asking for further
// numbers gives it again.
bool GetNumber(const std::string& value, int k, double& number, bool inches);

// The k-th field after the "=" (k from 1): what follows the k-th of the delimiters
// "= ,()[]" up to the next of " ,()[]". With k = -1 the whole rest after the "=" with
// its leading white space removed. False (and field unchanged) when there is none.
bool GetField(const std::string& value, int k, std::string& field);
