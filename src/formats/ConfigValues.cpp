#include "formats/ConfigValues.h"

#include <charconv>
#include <cmath>

namespace {
constexpr const char* kNumberStart = "0123456789+-.";
constexpr const char* kNumberEnd = "(), ";

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Converts the longest decimal number at the start of text: sign, digits, a point,
// digits, an exponent. Only decimal notation is read (no hexadecimal, no INF or NAN),
// and a value too large for a double reads as 0.0, so every result is finite.
double ParseDecimalPrefix(const std::string& text)
{
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    const std::size_t digitsStart = i;
    while (i < text.size() && IsDigit(text[i]))
        ++i;
    std::size_t mantissaDigits = i - digitsStart;
    if (i < text.size() && text[i] == '.') {
        ++i;
        const std::size_t fractionStart = i;
        while (i < text.size() && IsDigit(text[i]))
            ++i;
        mantissaDigits += i - fractionStart;
    }
    if (mantissaDigits == 0)
        return 0.0;
    if (i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        if (j < text.size() && IsDigit(text[j])) {
            while (j < text.size() && IsDigit(text[j]))
                ++j;
            i = j;
        }
    }
    // from_chars takes no leading '+'.
    std::size_t begin = 0;
    if (text[0] == '+')
        begin = 1;
    double value = 0.0;
    const auto result = std::from_chars(text.data() + begin, text.data() + i, value);
    if (result.ec != std::errc() || !std::isfinite(value))
        return 0.0;
    return value;
}
} // namespace

bool GetNumber(const std::string& value, int k, double& number, bool inches)
{
    std::string work = value;
    std::size_t previousEnd = 0;
    for (int n = 0; n < k; ++n) {
        work = work.substr(previousEnd);
        const std::size_t start = work.find_first_of(kNumberStart);
        if (start == std::string::npos)
            break;
        work = work.substr(start);
        const std::size_t end = work.find_first_of(kNumberEnd);
        // A number that runs to the end keeps the whole text for the next round.
        previousEnd = end == std::string::npos ? 0 : end;
    }

    if (work.find("TOP") != std::string::npos)
        number = -9003.0;
    else if (work.find("LEFT") != std::string::npos)
        number = -9001.0;
    else if (work.find("RIGHT") != std::string::npos)
        number = -9002.0;
    else if (work.find("BOTTOM") != std::string::npos)
        number = -9004.0;
    else if (work.find("MIN") != std::string::npos)
        number = -9005.0;
    else if (work.find("MAX") != std::string::npos)
        number = -9006.0;
    else {
        const std::size_t start = work.find_first_of(kNumberStart);
        if (start == std::string::npos)
            return false;
        number = ParseDecimalPrefix(work.substr(start));
        if (inches)
            number *= 25.4;
    }
    return true;
}

bool GetField(const std::string& value, int k, std::string& field)
{
    const std::size_t equals = value.find('=');
    if (equals == std::string::npos)
        return false;
    std::string rest = value.substr(equals + 1);
    if (k == -1) {
        const std::size_t first = rest.find_first_not_of(" \t");
        field = first == std::string::npos ? std::string() : rest.substr(first);
        return true;
    }
    for (int n = 0; n < k; ++n) {
        const std::size_t cut = rest.find_first_of("= ,()[]");
        if (cut == std::string::npos)
            return false;
        rest = rest.substr(cut + 1);
    }
    const std::size_t end = rest.find_first_of(" ,()[]");
    field = end == std::string::npos ? rest : rest.substr(0, end);
    return true;
}
