#include "datenum/tax_numbers.hpp"

#include <algorithm>
#include <cstdio>

namespace vela {

namespace {

// The NIF and NIE letter is this table's entry at the number modulo 23.
constexpr std::string_view kNifLetters = "TRWAGMYFPDXBNJZSQVHLCKE";
// A CIF's check letter stands for its check digit 0-9.
constexpr std::string_view kCifLetters = "JABCDEFGHI";
// Legal forms whose CIF ends in a letter, and those that end in a digit;
// the other forms accept either.
constexpr std::string_view kLetterForms = "KPQRSNW";
constexpr std::string_view kDigitForms = "ABEH";
constexpr std::string_view kCifForms = "ABCDEFGHJKLMNPQRSUVW";

bool AllDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string Digits(std::uint32_t number, int width) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*u", width, number);
    return text;
}

// The check digit of a CIF's seven digits: the digits in even places summed,
// those in odd places doubled and their digits summed; 10 minus the last
// digit of the total.
int CifCheckDigit(std::string_view digits) {
    int sum = 0;
    for (std::size_t i = 0; i < 7; ++i) {
        const int d = digits[i] - '0';
        if (i % 2 == 1) {
            sum += d;
        } else {
            sum += (2 * d) / 10 + (2 * d) % 10;
        }
    }
    return (10 - sum % 10) % 10;
}

}  // namespace

std::string MakeNif(std::uint32_t number) {
    number %= 100000000;
    return Digits(number, 8) + kNifLetters[number % 23];
}

std::string MakeNie(int prefix, std::uint32_t number) {
    prefix = std::clamp(prefix, 0, 2);
    number %= 10000000;
    std::string nie(1, "XYZ"[prefix]);
    nie += Digits(number, 7);
    nie += kNifLetters[(static_cast<std::uint32_t>(prefix) * 10000000 + number) % 23];
    return nie;
}

std::string MakeCif(char form, std::uint32_t number) {
    const std::string digits = Digits(number % 10000000, 7);
    const int check = CifCheckDigit(digits);
    const bool letter = kLetterForms.find(form) != std::string_view::npos;
    std::string cif(1, form);
    cif += digits;
    cif += letter ? kCifLetters[check] : static_cast<char>('0' + check);
    return cif;
}

TaxNumberFault CheckTaxNumber(std::string_view n) {
    if (n.find_first_not_of(' ') == std::string_view::npos) return TaxNumberFault::blank;
    if (n.size() != 9) return TaxNumberFault::malformed;
    const char first = n[0];
    const auto verdict = [](bool right) {
        return right ? TaxNumberFault::none : TaxNumberFault::checkCharacter;
    };
    const auto isLetter = [](char c) { return c >= 'A' && c <= 'Z'; };
    if (AllDigits(n.substr(0, 8))) {
        if (!isLetter(n[8])) return TaxNumberFault::malformed;
        return verdict(kNifLetters[std::stoul(std::string(n.substr(0, 8))) % 23] == n[8]);
    }
    if ((first == 'X' || first == 'Y' || first == 'Z') && AllDigits(n.substr(1, 7))) {
        if (!isLetter(n[8])) return TaxNumberFault::malformed;
        const std::uint32_t prefix = static_cast<std::uint32_t>(first - 'X');
        const std::uint32_t number = prefix * 10000000 + std::stoul(std::string(n.substr(1, 7)));
        return verdict(kNifLetters[number % 23] == n[8]);
    }
    if (kCifForms.find(first) == std::string_view::npos || !AllDigits(n.substr(1, 7)) ||
        !(isLetter(n[8]) || (n[8] >= '0' && n[8] <= '9'))) {
        return TaxNumberFault::malformed;
    }
    const int check = CifCheckDigit(n.substr(1, 7));
    const bool digitOk = n[8] == static_cast<char>('0' + check);
    const bool letterOk = n[8] == kCifLetters[check];
    if (kLetterForms.find(first) != std::string_view::npos) return verdict(letterOk);
    if (kDigitForms.find(first) != std::string_view::npos) return verdict(digitOk);
    return verdict(digitOk || letterOk);
}

bool IsValidTaxNumber(std::string_view n) { return CheckTaxNumber(n) == TaxNumberFault::none; }

}  // namespace vela
