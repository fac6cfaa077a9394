#include "ui/calculator_core.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "datenum/picture_editing.hpp"
#include "ui/keyboard.hpp"

namespace vela {

namespace {

constexpr std::string_view kDigitsPicture = "Z,ZZZ,ZZZ,ZZZ,ZZZ,ZZ9";
constexpr int kSignificantDigits = 15;
// More decimals than the picture can show are not taken when typed.
constexpr int kMostDecimals = 15;

void AddTapeLine(CalculatorState& state, const std::string& op) {
    if (state.tapeTop > 2) --state.tapeTop;
    std::move(state.tape.begin() + 1, state.tape.end(), state.tape.begin());
    state.tape.back() = {state.entry, state.point, state.decimals, op};
}

void Normalise(CalculatorState& state) { NormaliseValue(state.entry, state.point, state.decimals); }

// A result that is no number (division by zero, overflow) leaves the machine
// cleared, with the error shown until the next key.
void Fail(CalculatorState& state) {
    state.entry = state.total = 0;
    state.point = false;
    state.decimals = 0;
    state.typing = false;
    state.cleared = true;
    state.lastOp.clear();
    state.pendingOp.clear();
    state.error = true;
}

void TypeDigit(CalculatorState& state, int digit) {
    if (!state.typing) {
        state.entry = 0;
        state.point = false;
        state.decimals = 0;
    }
    // A value turned negative with "T" keeps growing away from zero.
    const double signedDigit = std::signbit(state.entry) ? -digit : digit;
    if (!state.point) {
        if (std::fabs(state.entry) < 1e15) state.entry = state.entry * 10 + signedDigit;
    } else if (state.decimals < kMostDecimals) {
        ++state.decimals;
        state.entry += signedDigit / std::pow(10.0, state.decimals);
    }
    state.typing = true;
}

void TypePoint(CalculatorState& state) {
    if (!state.typing) {
        state.entry = 0;
        state.decimals = 0;
        state.point = false;
    }
    if (!state.point) {
        state.point = true;
        state.decimals = 0;
    }
    state.typing = true;
}

void RubOut(CalculatorState& state) {
    if (!state.point) {
        state.entry = std::trunc(state.entry / 10);
    } else {
        --state.decimals;
        if (state.decimals < 0) {
            state.point = false;
            state.decimals = 0;
        }
        const double scale = std::pow(10.0, state.decimals);
        // The digits typed are exact in decimal; the nudge keeps 0.3 x 10
        // from cutting to 2.
        state.entry = std::trunc(state.entry * scale + (state.entry < 0 ? -1e-9 : 1e-9)) / scale;
    }
    state.typing = state.typing && state.entry != 0;
}

CalculatorAction Operate(CalculatorState& state, std::string op) {
    if (op == "C") {
        if (state.typing) {
            state.typing = false;
            state.entry = state.total;
            state.point = false;
            state.decimals = 0;
            Normalise(state);  // the restored total shows with its own decimals
            state.pendingOp = state.lastOp;
            return CalculatorAction::Show;
        }
        if (!state.cleared) {
            state.entry = state.total = 0;
            state.point = false;
            state.decimals = 0;
            state.lastOp.clear();
            state.pendingOp.clear();
            state.cleared = true;
            return CalculatorAction::Show;
        }
        state.tapeTop = kTapeEmpty;
        state.pendingOp = op;
        return CalculatorAction::Redraw;
    }
    state.pendingOp = op;
    if (op == "R") {
        state.entry = RoundHundredths(state.entry);
        state.total = state.entry;
        state.point = true;
        state.decimals = 2;
        AddTapeLine(state, op);
        return CalculatorAction::Show;
    }
    if (op == "%") {
        AddTapeLine(state, op);
        if (state.lastOp == "+" || state.lastOp == "-") {
            state.entry = state.total / 100 * state.entry;
        } else {
            state.entry = state.entry / 100;
        }
        Normalise(state);
        return CalculatorAction::Show;
    }

    double total = state.total;
    if (state.lastOp == "+")
        total += state.entry;
    else if (state.lastOp == "-")
        total -= state.entry;
    else if (state.lastOp == "*")
        total *= state.entry;
    else if (state.lastOp == "/")
        total = state.entry == 0 ? NAN : total / state.entry;
    else
        total = state.entry;
    AddTapeLine(state, op);
    if (!std::isfinite(total)) {
        Fail(state);
        return CalculatorAction::Show;
    }
    state.total = total;
    state.entry = total;
    Normalise(state);
    if (op == "=") {
        op.clear();
        AddTapeLine(state, op);
    }
    state.typing = false;
    state.cleared = false;
    state.lastOp = op;
    return CalculatorAction::Show;
}

char Upper(std::int16_t key) {
    const char c = static_cast<char>(key & 0xff);
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

void NormaliseValue(double& value, bool& point, std::int16_t& decimals) {
    decimals = 0;
    point = false;
    if (!std::isfinite(value) || value == 0) {
        if (!std::isfinite(value)) value = 0;
        return;
    }
    // Digits before the point; zero or less for a value below 1, whose
    // leading zeros after the point are no significant digits.
    const int wholeDigits = static_cast<int>(std::floor(std::log10(std::fabs(value)))) + 1;
    const int places = std::clamp(kSignificantDigits - wholeDigits, 0, kMostDecimals);
    char text[400];
    std::snprintf(text, sizeof text, "%.*f", places, value);
    std::string digits = text;
    const std::size_t dot = digits.find('.');
    if (dot != std::string::npos) {
        digits.erase(digits.find_last_not_of('0') + 1);
        if (digits.back() == '.') digits.pop_back();
        decimals = static_cast<std::int16_t>(digits.size() > dot ? digits.size() - dot - 1 : 0);
    }
    if (wholeDigits > kSignificantDigits) {
        // Beyond 15 whole digits the lower digits are dropped as zeros.
        const double scale = std::pow(10.0, wholeDigits - kSignificantDigits);
        value = std::round(value / scale) * scale;
    } else {
        value = std::strtod(digits.c_str(), nullptr);
    }
    point = decimals > 0;
}

double RoundHundredths(double value) {
    if (!std::isfinite(value)) return 0;
    const double scaled = value * 100;
    const double whole = std::trunc(scaled);
    const double dropped = std::fabs(scaled - whole);
    // Binary fractions of typed hundredths are never exact; a margin far
    // below the 15 digits kept tells a half from its neighbours.
    constexpr double kMargin = 1e-7;
    bool raise = false;
    if (value > 0) {
        if (dropped > 0.5 + kMargin)
            raise = true;
        else if (std::fabs(dropped - 0.5) <= kMargin)
            raise = std::fmod(whole, 2) != 0;
    }
    double rounded = (whole + (raise ? 1 : 0)) / 100;
    bool point = false;
    std::int16_t decimals = 0;
    NormaliseValue(rounded, point, decimals);
    return rounded;
}

std::string CalculatorPicture(bool point, int decimals) {
    decimals = std::clamp(decimals, 0, kMostDecimals);
    const int fraction = point ? decimals + 1 : 0;
    const std::string_view whole = kDigitsPicture.substr(static_cast<std::size_t>(fraction));
    std::string picture = "-";
    picture += whole;
    if (point) {
        picture += '.';
        picture.append(static_cast<std::size_t>(decimals), '9');
    }
    return picture;
}

std::string CalculatorDisplay(double value, bool point, int decimals) {
    return EditNumber(CalculatorPicture(point, decimals), value);
}

std::string CalculatorResultText(const CalculatorState& state) {
    const int d = std::max<int>(state.decimals, 2);
    const double value = state.typing ? state.entry : state.total;
    char text[400];
    std::snprintf(text, sizeof text, "%.0f", std::fabs(std::round(value * std::pow(10.0, d))));
    std::string digits = text;
    // Values below a hundredth still put their digits after the point.
    if (static_cast<int>(digits.size()) < d - 2)
        digits.insert(0, static_cast<std::size_t>(d - 2) - digits.size(), '0');
    const std::size_t whole = digits.size() - static_cast<std::size_t>(d - 2);
    std::string result = digits.substr(0, whole);
    if (d > 2) result += '.' + digits.substr(whole);
    return result;
}

CalculatorAction ApplyCalculatorKey(CalculatorState& state, std::int16_t key) {
    // The error shows until the next key, which then does what it always
    // does on a cleared machine.
    state.error = false;
    switch (static_cast<std::uint16_t>(key)) {
        case 0x08:
            RubOut(state);
            return CalculatorAction::Show;
        case 0x0d:
            return state.typing ? Operate(state, "=") : CalculatorAction::Show;
        case 0x1b:
            return CalculatorAction::Cancel;
        case 0x4b00:
        case 0x7300:
            return CalculatorAction::MoveLeft;
        case 0x4d00:
        case 0x7400:
            return CalculatorAction::MoveRight;
        case 0x2100:
            return CalculatorAction::Accept;
        default:
            break;
    }
    if (key < 0 || key > 255) return CalculatorAction::Show;
    const char c = Upper(key);
    if (c >= '0' && c <= '9') {
        TypeDigit(state, c - '0');
    } else if (c == '.') {
        TypePoint(state);
    } else if (c == 'T') {
        state.entry = -state.entry;
    } else if (std::string_view("+-*/%RC").find(c) != std::string_view::npos) {
        return Operate(state, std::string(1, c));
    } else if (c == '=') {
        if (state.typing) return Operate(state, "=");
    } else if (c == 'F') {
        return CalculatorAction::Accept;
    }
    return CalculatorAction::Show;
}

}  // namespace vela
