#include "ui/calculator_file.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string_view>
#include <vector>

#include "env/session.hpp"
#include "platform/host_path.hpp"

namespace vela {

namespace {

constexpr std::string_view kOperators = "+-*/%RC=";
constexpr std::int16_t kHighestLeft = 80 - 25;

std::string Number(double value) {
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return {text, end};
}

std::string Flag(bool flag) { return flag ? "-1" : "0"; }

std::string Quoted(const std::string& text) { return '"' + text + '"'; }

// The items of one line: quoted texts lose their quotes, other items their
// surrounding blanks.
std::vector<std::string> Items(const std::string& line) {
    std::vector<std::string> items;
    std::size_t at = 0;
    while (at <= line.size()) {
        while (at < line.size() && line[at] == ' ') ++at;
        std::string item;
        if (at < line.size() && line[at] == '"') {
            const std::size_t close = line.find('"', at + 1);
            const std::size_t end = close == std::string::npos ? line.size() : close;
            item = line.substr(at + 1, end - at - 1);
            at = line.find(',', end);
        } else {
            const std::size_t comma = line.find(',', at);
            item = line.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
            item.erase(item.find_last_not_of(" \r") + 1);
            at = comma;
        }
        items.push_back(item);
        if (at == std::string::npos) break;
        ++at;
    }
    return items;
}

struct Reader {
    std::vector<std::string> items;
    const std::string* Item(std::size_t i) const { return i < items.size() ? &items[i] : nullptr; }

    double Value(std::size_t i, double fallback) const {
        const std::string* item = Item(i);
        if (item == nullptr || item->empty()) return fallback;
        char* end = nullptr;
        const double value = std::strtod(item->c_str(), &end);
        if (end == item->c_str() || *end != '\0' || !std::isfinite(value) ||
            std::fabs(value) > 1e300)
            return fallback;
        return value;
    }
    std::int16_t Whole(std::size_t i, std::int16_t fallback, std::int16_t low,
                       std::int16_t high) const {
        const double value = Value(i, fallback);
        if (value != std::trunc(value) || value < low || value > high) return fallback;
        return static_cast<std::int16_t>(value);
    }
    bool Flag(std::size_t i, bool fallback) const {
        const double value = Value(i, fallback ? -1 : 0);
        return value != 0;
    }
    std::string Operator(std::size_t i) const {
        const std::string* item = Item(i);
        if (item == nullptr || item->size() != 1 ||
            kOperators.find((*item)[0]) == std::string_view::npos)
            return "";
        return *item;
    }
};

}  // namespace

std::string FormatCalculatorState(const CalculatorState& state) {
    std::string text;
    text += std::to_string(state.left) + ',' + std::to_string(state.tapeTop) + ',' +
            Number(state.entry) + ',' + Number(state.total) + "\r\n";
    text += Flag(state.cleared) + ',' + Flag(state.typing) + ',' + Flag(state.point) + ',' +
            std::to_string(state.decimals) + "\r\n";
    text += Quoted(state.pendingOp) + ',' + Quoted(state.lastOp) + "\r\n";
    for (const TapeLine& line : state.tape) {
        text += Number(line.value) + ',' + Flag(line.point) + ',' + std::to_string(line.decimals) +
                ',' + Quoted(line.op) + "\r\n";
    }
    return text;
}

CalculatorState ParseCalculatorState(const std::string& text) {
    CalculatorState state;
    std::vector<Reader> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line) && lines.size() < 3 + kTapeLines)
        lines.push_back(Reader{Items(line)});
    lines.resize(3 + kTapeLines);

    const CalculatorState first;
    state.left = lines[0].Whole(0, first.left, 1, kHighestLeft);
    state.tapeTop = lines[0].Whole(1, first.tapeTop, 2, kTapeEmpty);
    state.entry = lines[0].Value(2, first.entry);
    state.total = lines[0].Value(3, first.total);
    state.cleared = lines[1].Flag(0, first.cleared);
    state.typing = lines[1].Flag(1, first.typing);
    state.point = lines[1].Flag(2, first.point);
    state.decimals = lines[1].Whole(3, first.decimals, 0, 15);
    state.pendingOp = lines[2].Operator(0);
    state.lastOp = lines[2].Operator(1);
    for (int k = 0; k < kTapeLines; ++k) {
        const Reader& tape = lines[3 + static_cast<std::size_t>(k)];
        TapeLine& out = state.tape[static_cast<std::size_t>(k)];
        out.value = tape.Value(0, 0);
        out.point = tape.Flag(1, false);
        out.decimals = tape.Whole(2, 0, 0, 15);
        out.op = tape.Operator(3);
    }
    return state;
}

std::string CalculatorStatePath() { return ResolveHostPath(Session.terminalDir + "RUKCALC.TMP"); }

CalculatorState LoadCalculatorState() {
    const std::string path = CalculatorStatePath();
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::ofstream create(path, std::ios::binary);
        return CalculatorState{};
    }
    std::ostringstream text;
    text << in.rdbuf();
    return ParseCalculatorState(text.str());
}

bool SaveCalculatorState(const CalculatorState& state) {
    std::ofstream out(CalculatorStatePath(), std::ios::binary | std::ios::trunc);
    out << FormatCalculatorState(state);
    return static_cast<bool>(out);
}

}  // namespace vela
