#include "datenum/date_text.hpp"

#include <array>
#include <cstdlib>

#include "datenum/calendar_dates.hpp"
#include "datenum/edit_settings.hpp"
#include "env/session.hpp"
#include "platform/code_page_850.hpp"

namespace vela {
namespace {

// How the long form joins its components in one language.
struct DateWording {
    const char* language;
    const char* beforeMonth;       // the month name begins with a consonant
    const char* beforeVowelMonth;  // ... with A, E, I, O or U
    const char* beforeDayOrYear;
    std::array<const char*, 12> months;  // UTF-8, converted on use
};

// Catalan last: it serves every language that is not one of the others.
const std::array<DateWording, 4> kWordings{{
    {"SPA",
     " de ",
     " de ",
     " de ",
     {"enero", "febrero", "marzo", "abril", "mayo", "junio", "julio", "agosto", "septiembre",
      "octubre", "noviembre", "diciembre"}},
    {"GLG",
     " de ",
     " de ",
     " do ",
     {"janeiro", "fevereiro", "março", "abril", "maio", "junho", "julho", "agosto", "setembro",
      "outubro", "novembro", "dezembro"}},
    {"OCI",
     " de ",
     " d'",
     " deth ",
     {"gèr", "hereuèr", "març", "abriu", "mai", "junh", "junhsega", "agost", "seteme", "octobre",
      "noveme", "deseme"}},
    {"CAT",
     " de ",
     " d'",
     " del ",
     {"gener", "febrer", "març", "abril", "maig", "juny", "juliol", "agost", "setembre", "octubre",
      "novembre", "desembre"}},
}};

const DateWording& WordingFor(const std::string& language) {
    for (const DateWording& wording : kWordings) {
        if (language == wording.language) return wording;
    }
    return kWordings.back();
}

bool BeginsWithVowel(const std::string& name) {
    if (name.empty()) return false;
    const char c = name[0];
    return std::string("AEIOUaeiou").find(c) != std::string::npos;
}

std::string TwoDigits(int value) {
    return std::string(1, static_cast<char>('0' + value / 10 % 10)) +
           static_cast<char>('0' + value % 10);
}

}  // namespace

std::string MonthName(int month, const std::string& language) {
    if (month < 1 || month > 12) return {};
    return Cp850(WordingFor(language).months[month - 1]);
}

std::string DateText(const std::string& packed, std::int16_t style, const std::string& parts) {
    const std::string& order = DateOrder();
    const char separator = DateSeparator();

    std::string digits = UnpackDigits(packed);
    digits.resize(8, '0');
    const std::string year = digits.substr(0, 4);
    const int month = std::atoi(digits.substr(4, 2).c_str());
    const int day = std::atoi(digits.substr(6, 2).c_str());
    if (style == -1) return year + "-" + TwoDigits(month) + "-" + TwoDigits(day);

    std::string wanted = parts;
    for (char& c : wanted) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    const DateWording& wording = WordingFor(Session.language);

    std::string text;
    if (month != 0 || day != 0) {
        for (const char letter : order) {
            if (letter == ' ' || wanted.find(letter) == std::string::npos) continue;
            std::string component;
            if (letter == 'D') {
                component = std::to_string(day);
            } else if (letter == 'M') {
                const std::string name = style >= 1 ? MonthName(month, Session.language) : "";
                component = style >= 2   ? name
                            : style == 1 ? name.substr(0, std::min<std::size_t>(3, name.size()))
                                         : std::to_string(month);
            } else if (letter == 'A') {
                component = year;
            } else {
                continue;
            }
            if (!text.empty()) {
                if (style < 2) {
                    text += separator;
                } else if (letter == 'M') {
                    text +=
                        BeginsWithVowel(component) ? wording.beforeVowelMonth : wording.beforeMonth;
                } else {
                    text += wording.beforeDayOrYear;
                }
            }
            text += component;
        }
    }
    if (style >= 2) return text;

    long width = static_cast<long>(wanted.size()) - 1;
    if (wanted.find('M') != std::string::npos) width += style + 2;
    if (wanted.find('A') != std::string::npos) width += 4;
    if (wanted.find('D') != std::string::npos) width += 2;
    text.resize(static_cast<std::size_t>(std::max(0L, width)), ' ');
    return text;
}

}  // namespace vela
