// The owner name that guards the installation's record files: four decimal
// digits and a zero byte. It is put together at run time from single
// characters, so the whole name never stands in the executable as one text.
#pragma once

#include <string>

namespace vela {

inline constexpr char kOwnerDigit1 = '4';
inline constexpr char kOwnerDigit2 = '7';
inline constexpr char kOwnerDigit3 = '1';
inline constexpr char kOwnerDigit4 = '9';

// The five bytes of the owner name, zero byte included.
inline std::string RecordOwnerName() {
    std::string name;
    name.push_back(kOwnerDigit1);
    name.push_back(kOwnerDigit2);
    name.push_back(kOwnerDigit3);
    name.push_back(kOwnerDigit4);
    name.push_back('\0');
    return name;
}

}  // namespace vela
